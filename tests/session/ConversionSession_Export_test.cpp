// Saving and copying the text: the bytes written, the file replaced whole or not at all, and
// what the session reports.
#include "SessionTestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>

#include <gtest/gtest.h>
#include <zlib.h>

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

// `data` inflated with zlib; "<not gzip>" when it is no whole gzip member.
QByteArray gunzipped(const QByteArray& data) {
    z_stream z{};
    inflateInit2(&z, 16 + MAX_WBITS);
    QByteArray text(1 << 20, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(text.data());
    z.avail_out = static_cast<uInt>(text.size());
    const int status = inflate(&z, Z_FINISH);
    text.resize(text.size() - z.avail_out);
    inflateEnd(&z);
    return status == Z_STREAM_END && z.avail_in == 0 ? text : QByteArray("<not gzip>");
}

class ExportTest : public test::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        importFile(write("t.csv", table));
        ASSERT_EQ(session.fastaContent(), fasta);
    }
};

TEST_F(ExportTest, the_save_dialog_is_open_while_exporting_and_cancelling_it_does_nothing) {
    session.startExport();
    EXPECT_TRUE(session.isExporting());
    session.startExport();
    EXPECT_EQ(dialogs.opened, 1) << "a second save dialog opened over the first";
    dialogs.saver(std::nullopt);
    EXPECT_FALSE(session.isExporting());
    EXPECT_FALSE(session.successMessage());
    EXPECT_FALSE(session.errorMessage());
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.fasta"}).isEmpty());
}

TEST_F(ExportTest, saving_replaces_the_file_with_the_utf8_of_the_text_and_reports_success) {
    const QString target = write("output.fasta", QByteArray(10000, 'x'));
    session.startExport();
    dialogs.saver(target);
    EXPECT_EQ(fileBytes(target), fasta);
    EXPECT_EQ(session.successMessage(), "FASTA file saved successfully!");
    EXPECT_TRUE(session.showSuccess());
    EXPECT_FALSE(session.showError());
}

TEST_F(ExportTest, a_failed_save_leaves_the_target_shows_the_reason_and_keeps_the_last_success) {
    session.copyToClipboard();
    session.dismissSuccess();
    // The target is a folder: the temporary file is written, but cannot replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("output.fasta"));
    session.startExport();
    dialogs.saver(path("output.fasta"));
    ASSERT_TRUE(session.showError());
    const QString message = *session.errorMessage();
    const QString prefix = QStringLiteral("Could not save \u201Coutput.fasta\u201D: ");
    EXPECT_TRUE(message.startsWith(prefix) && message.size() > prefix.size())
        << "no reason given: " << message.toStdString();
    EXPECT_TRUE(QFileInfo(path("output.fasta")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.csv"})
        << "a temporary file was left";
    EXPECT_EQ(session.successMessage(), "FASTA content copied to clipboard!");
    EXPECT_FALSE(session.showSuccess());
}

TEST_F(ExportTest, a_name_ending_in_gz_is_saved_as_gzip_of_the_text_or_not_at_all) {
    EXPECT_TRUE(ConversionSession::exportNameFilters().contains(
        QStringLiteral("FASTA, gzip-compressed (*.fasta.gz)")));
    for (const char* name : {"output.fasta.gz", "OUT.GZ"}) {
        session.startExport();
        dialogs.saver(path(name));
        EXPECT_EQ(gunzipped(fileBytes(path(name))), fasta) << name;
        EXPECT_TRUE(session.showSuccess());
        session.dismissSuccess();
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.fasta.gz"));
    session.startExport();
    dialogs.saver(path("taken.fasta.gz"));
    EXPECT_TRUE(session.showError());
    EXPECT_TRUE(QFileInfo(path("taken.fasta.gz")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "a temporary file was left";
}

TEST_F(ExportTest, the_saved_text_is_the_one_current_when_the_dialog_opened) {
    session.startExport();
    importFile(write("other.csv", "z,TTTT\n"));
    dialogs.saver(path("output.fasta"));
    EXPECT_EQ(fileBytes(path("output.fasta")), fasta);
}

TEST_F(ExportTest, copying_puts_exactly_the_text_on_the_clipboard_and_reports_it) {
    QGuiApplication::clipboard()->setText("stale");
    session.copyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(fasta));
    EXPECT_EQ(session.successAlertText(), "FASTA content copied to clipboard!");
    EXPECT_TRUE(session.showSuccess());
}

} // namespace
} // namespace pellacor
