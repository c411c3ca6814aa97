#include "SessionTestSupport.h"

#include "session/ConversionSession.h"

#include <QClipboard>
#include <QMimeData>

#include <gtest/gtest.h>

namespace pellacor {
namespace {

// "é" and a Greek letter make sure bytes are written as UTF-8, not Latin-1 or UTF-16.
const QByteArray table = "caf\xC3\xA9,ACGT,\xCE\xB1-chain\nb,GG-A\n";
const QByteArray fasta = ">caf\xC3\xA9 \xCE\xB1-chain\nACGT\n>b\nGG-A\n";

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApplication();
        test::importAndWait(session, FileChoice::chosen({folder.write("t.csv", table)}));
        ASSERT_EQ(session.fastaContent(), fasta);
    }

    test::FakeDialogs dialogs;
    ConversionSession session{dialogs};
    test::TableFolder folder;
};

TEST_F(ExportTest,
       the_save_dialog_proposes_output_fasta_as_plain_text_and_is_open_while_exporting) {
    dialogs.deferAnswers = true;
    session.startExport();
    EXPECT_TRUE(session.isExporting());
    EXPECT_EQ(dialogs.lastProposedName, "output.fasta");
    ASSERT_FALSE(dialogs.lastExportFilters.isEmpty());
    EXPECT_TRUE(dialogs.lastExportFilters.first().startsWith("Plain text"));
    session.startExport();
    EXPECT_EQ(dialogs.saveDialogOpened, 1) << "a second save dialog opened over the first";
    dialogs.closePending();
    EXPECT_FALSE(session.isExporting());
}

TEST_F(ExportTest, saving_writes_the_utf8_of_the_text_byte_for_byte_and_reports_success) {
    dialogs.nextSaveTarget = folder.path("output.fasta");
    session.startExport();
    EXPECT_EQ(fileBytes(folder.path("output.fasta")), fasta);
    EXPECT_EQ(session.successMessage(), "FASTA file saved successfully!");
    EXPECT_TRUE(session.showSuccess());
    EXPECT_FALSE(session.showError());
    EXPECT_FALSE(session.isExporting());
}

TEST_F(ExportTest, saving_over_a_longer_file_leaves_nothing_of_it) {
    const QString target = folder.write("output.fasta", QByteArray(10000, 'x'));
    dialogs.nextSaveTarget = target;
    session.startExport();
    EXPECT_EQ(fileBytes(target), fasta);
}

TEST_F(ExportTest, cancelling_the_save_dialog_writes_nothing_and_says_nothing) {
    dialogs.nextSaveTarget = std::nullopt;
    session.startExport();
    EXPECT_FALSE(session.isExporting());
    EXPECT_FALSE(session.successMessage());
    EXPECT_FALSE(session.errorMessage());
    EXPECT_FALSE(QFile::exists(folder.path("output.fasta")));
}

TEST_F(ExportTest, a_failed_save_shows_the_reason_and_keeps_the_earlier_success_message) {
    session.copyToClipboard();
    session.dismissSuccess();
    // A folder that is a regular file cannot hold anything, whoever runs the test.
    dialogs.nextSaveTarget = folder.write("not-a-folder", "x") + "/output.fasta";
    session.startExport();
    ASSERT_TRUE(session.showError());
    const QString message = *session.errorMessage();
    EXPECT_TRUE(message.contains("output.fasta")) << message.toStdString();
    EXPECT_GT(message.size(), QString("Could not save “output.fasta”: ").size())
        << "no reason given: " << message.toStdString();
    EXPECT_EQ(session.successMessage(), "FASTA content copied to clipboard!");
    EXPECT_FALSE(session.showSuccess());
    EXPECT_EQ(session.fastaContent(), fasta);
    EXPECT_TRUE(session.showOutputWindow());
}

TEST_F(ExportTest, the_saved_text_is_the_one_current_when_the_dialog_opened) {
    dialogs.deferAnswers = true;
    dialogs.nextSaveTarget = folder.path("output.fasta");
    session.startExport();
    test::importAndWait(session, FileChoice::chosen({folder.write("other.csv", "z,TTTT\n")}));
    dialogs.closePending();
    EXPECT_EQ(fileBytes(folder.path("output.fasta")), fasta);
}

TEST_F(ExportTest, copying_puts_exactly_the_text_on_the_clipboard_and_reports_it) {
    QGuiApplication::clipboard()->setText("stale");
    session.copyToClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"text/plain"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(fasta));
    EXPECT_EQ(session.successMessage(), "FASTA content copied to clipboard!");
    EXPECT_TRUE(session.showSuccess());
}

TEST_F(ExportTest, copying_twice_gives_the_same_clipboard_and_message) {
    session.copyToClipboard();
    session.dismissSuccess();
    session.copyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(fasta));
    EXPECT_EQ(session.successMessage(), "FASTA content copied to clipboard!");
    EXPECT_TRUE(session.showSuccess());
    EXPECT_EQ(session.successAlertText(), "FASTA content copied to clipboard!");
}

TEST_F(ExportTest, neither_saving_nor_copying_touches_the_imported_result) {
    dialogs.nextSaveTarget = folder.path("output.fasta");
    session.startExport();
    session.copyToClipboard();
    EXPECT_EQ(session.parsedEntryCount(), 2);
    EXPECT_EQ(session.fastaContent(), fasta);
    EXPECT_EQ(session.detectedFileType(), "CSV");
    EXPECT_TRUE(session.showOutputWindow());
}

} // namespace
} // namespace pellacor
