#include "ui/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Both dialogs report exactly once whether accepted or cancelled, so the session always moves on.
TEST(FileDialogsTest, the_chooser_and_the_save_dialog_report_the_path_or_nothing_when_cancelled) {
    QWidget window;
    pellacor::FileDialogs dialogs{&window};
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("table.csv"));
    const QString target = dir.filePath(QStringLiteral("output.fasta"));
    QFile(table).open(QIODevice::WriteOnly);
    const QStringList filters = {QStringLiteral("Tables (*.csv *.tsv)"),
                                 QStringLiteral("All files (*)")};
    const auto answer = [&](bool cancel) {
        QFileDialog* dialog = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            dialog = window.findChild<QFileDialog*>();
            return dialog && dialog->isVisible();
        }));
        if (!dialog)
            return;
        const bool open = dialog->acceptMode() == QFileDialog::AcceptOpen;
        if (open) {
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(dialog->nameFilters(), filters);
        } else {
            ASSERT_FALSE(dialog->selectedFiles().isEmpty());
            EXPECT_TRUE(dialog->selectedFiles().first().endsWith(QStringLiteral("/output.fasta")));
        }
        dialog->setDirectory(dir.path());
        dialog->selectFile(open ? table : target);
        cancel ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    for (const bool cancel : {false, true}) {
        std::vector<pellacor::FileChoice> choices;
        dialogs.chooseInputFile(filters, [&](auto choice) { choices.push_back(choice); });
        answer(cancel);
        ASSERT_EQ(choices.size(), 1u);
        EXPECT_FALSE(choices[0].failure.has_value());
        EXPECT_EQ(choices[0].paths, cancel ? QStringList() : QStringList{table});

        std::vector<std::optional<QString>> targets;
        dialogs.chooseSaveTarget(QStringLiteral("output.fasta"), {},
                                 [&](auto target) { targets.push_back(target); });
        answer(cancel);
        ASSERT_EQ(targets.size(), 1u);
        EXPECT_EQ(targets[0], cancel ? std::nullopt : std::optional(target));
    }
}
