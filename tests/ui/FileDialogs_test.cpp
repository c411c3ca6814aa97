#include "ui/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using pellacor::FileChoice;
using pellacor::FileDialogs;

namespace {

class FileDialogsTest : public ::testing::Test {
protected:
    QFileDialog* openDialog() {
        QFileDialog* found = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            found = window.findChild<QFileDialog*>();
            return found && found->isVisible();
        }));
        return found;
    }

    QWidget window;
    FileDialogs dialogs{&window};
    QTemporaryDir dir;
};

} // namespace

TEST_F(FileDialogsTest, the_chooser_offers_one_existing_file_with_the_session_filters) {
    const QString path = dir.filePath(QStringLiteral("table.csv"));
    QFile(path).open(QIODevice::WriteOnly);
    std::optional<FileChoice> result;
    const QStringList filters = {QStringLiteral("Tables (*.csv *.tsv)"),
                                 QStringLiteral("All files (*)")};
    dialogs.chooseInputFile(filters, [&](FileChoice choice) { result = std::move(choice); });

    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->nameFilters(), filters);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // as the dialog's own button does
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->failure.has_value());
    EXPECT_EQ(result->paths, QStringList{path});
}

TEST_F(FileDialogsTest, cancelling_the_chooser_reports_an_empty_choice_so_the_session_moves_on) {
    int calls = 0;
    std::optional<FileChoice> result;
    dialogs.chooseInputFile({QStringLiteral("All files (*)")}, [&](FileChoice choice) {
        ++calls;
        result = std::move(choice);
    });
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->paths.isEmpty());
    EXPECT_FALSE(result->failure.has_value());
}

TEST_F(FileDialogsTest, the_save_dialog_proposes_the_name_and_reports_the_chosen_path) {
    std::optional<std::optional<QString>> result;
    dialogs.chooseSaveTarget(QStringLiteral("output.fasta"), {QStringLiteral("Text (*.txt)")},
                             [&](std::optional<QString> path) { result = std::move(path); });
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(dir.path());
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    ASSERT_FALSE(dialog->selectedFiles().isEmpty());
    EXPECT_TRUE(dialog->selectedFiles().first().endsWith(QStringLiteral("/output.fasta")));
    dialog->selectFile(dir.filePath(QStringLiteral("output.fasta")));
    static_cast<QDialog*>(dialog)->accept(); // as the dialog's own button does
    ASSERT_TRUE(result.has_value());
    ASSERT_TRUE(result->has_value());
    EXPECT_EQ(**result, dir.filePath(QStringLiteral("output.fasta")));
}

TEST_F(FileDialogsTest, cancelling_the_save_dialog_reports_no_path) {
    std::optional<std::optional<QString>> result;
    dialogs.chooseSaveTarget(QStringLiteral("output.fasta"), {},
                             [&](std::optional<QString> path) { result = std::move(path); });
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->has_value());
}
