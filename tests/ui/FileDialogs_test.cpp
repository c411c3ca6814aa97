// The window's real file dialogs, driven as a person would: type a name, accept.
#include "session/ConversionSession.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using pellacor::FileChoice;

namespace {

class FileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tables")));
        QFile table(path("tables/t.csv"));
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    }

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QFileDialog* openDialog() {
        QFileDialog* dialog = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            dialog = window.findChild<QFileDialog*>();
            return dialog && dialog->isVisible();
        });
        return shown ? dialog : nullptr;
    }

    // Types `name` into the open dialog's name field and presses its accept button.
    void typeAndAccept(QFileDialog* dialog, const QString& name) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(field, nullptr);
        field->clear();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    }

    std::optional<QString> save(const QString& typed, bool underGzipFilter = false) {
        std::optional<QString> saved;
        bool finished = false;
        const QStringList filters = {QStringLiteral("Plain text (*.fasta *.fa *.txt)"),
                                     QStringLiteral("FASTA, gzip-compressed (*.fasta.gz)")};
        dialogs.chooseSaveTarget(QStringLiteral("output.fasta"), filters,
                                 [&](std::optional<QString> target) {
                                     saved = target;
                                     finished = true;
                                 });
        QFileDialog* dialog = openDialog();
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return std::nullopt;
        dialog->setDirectory(dir.path());
        if (underGzipFilter)
            dialog->selectNameFilter(filters[1]);
        typeAndAccept(dialog, typed);
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }));
        return saved;
    }

    QTemporaryDir dir;
    QWidget window;
    pellacor::FileDialogs dialogs{&window};
};

} // namespace

TEST_F(FileDialogsTest, a_name_typed_without_an_extension_is_saved_as_fasta) {
    EXPECT_EQ(save(QStringLiteral("result")), path("result.fasta"));
    EXPECT_EQ(save(QStringLiteral("result.txt")), path("result.txt")) << "a chosen one stays";
    EXPECT_EQ(save(QStringLiteral("result.FA")), path("result.FA"));
    EXPECT_EQ(save(QStringLiteral("sample.v2")), path("sample.v2.fasta"))
        << "a dot is no extension";
}

TEST_F(FileDialogsTest, a_name_typed_under_the_gzip_filter_ends_in_gz) {
    EXPECT_EQ(save(QStringLiteral("result"), true), path("result.fasta.gz"));
    EXPECT_EQ(save(QStringLiteral("result.fa"), true), path("result.fa.gz"));
    EXPECT_EQ(save(QStringLiteral("result.fasta.gz"), true), path("result.fasta.gz"));
    EXPECT_EQ(save(QStringLiteral("result.fa.gz")), path("result.fa.gz")) << "by its name alone";
}

TEST_F(FileDialogsTest, each_dialog_opens_in_the_folder_this_window_used_last) {
    FileChoice chosen;
    dialogs.chooseInputFile({QStringLiteral("All files (*)")}, [&](FileChoice c) { chosen = c; });
    QFileDialog* importDialog = openDialog();
    ASSERT_NE(importDialog, nullptr);
    importDialog->setDirectory(path("tables"));
    typeAndAccept(importDialog, QStringLiteral("t.csv"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chosen.paths.isEmpty(); }));
    EXPECT_EQ(chosen.paths, QStringList{path("tables/t.csv")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.findChild<QFileDialog*>(); }));

    // Another window meanwhile saves somewhere else; that is no concern of this one.
    QWidget other;
    other.show();
    pellacor::FileDialogs otherDialogs(&other);
    bool otherDone = false;
    otherDialogs.chooseSaveTarget(QStringLiteral("output.fasta"), {},
                                  [&](std::optional<QString>) { otherDone = true; });
    auto* otherDialog = other.findChild<QFileDialog*>();
    ASSERT_NE(otherDialog, nullptr);
    otherDialog->setDirectory(dir.path());
    typeAndAccept(otherDialog, QStringLiteral("elsewhere"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherDone; }));

    dialogs.chooseSaveTarget(QStringLiteral("output.fasta"), {}, [](std::optional<QString>) {});
    QFileDialog* saveDialog = openDialog();
    ASSERT_NE(saveDialog, nullptr);
    EXPECT_EQ(QDir(saveDialog->directory()).absolutePath(), QDir(path("tables")).absolutePath())
        << "the save dialog opens beside the imported table";
    saveDialog->reject();
}
