#include "session/FastaDocument.h"

#include "readers/TableError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pellacor {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(FastaDocumentTest, file_bytes_are_the_utf8_of_the_content_without_a_byte_order_mark) {
    const FastaDocument document(QString::fromUtf8(">\xCE\xB1 d\xC3\xA9sc\nAC\r\nGT\n"));
    EXPECT_EQ(document.fileBytes(), ">\xCE\xB1 d\xC3\xA9sc\nAC\r\nGT\n");
}

TEST(FastaDocumentTest, text_without_a_utf8_form_gives_an_empty_document) {
    QString broken = QStringLiteral(">a\nAC");
    broken.append(QChar(0xD800));
    EXPECT_TRUE(FastaDocument(broken).fileBytes().isEmpty());
}

TEST(FastaDocumentTest, reading_keeps_utf8_and_drops_anything_else) {
    EXPECT_EQ(FastaDocument::fromFileBytes(">caf\xC3\xA9\n").content(),
              QString::fromUtf8(">caf\xC3\xA9\n"));
    EXPECT_TRUE(FastaDocument::fromFileBytes(">caf\xE9\n").content().isEmpty());
    EXPECT_TRUE(FastaDocument::fromFileBytes("\xED\xA0\x80").content().isEmpty())
        << "an encoded surrogate is not UTF-8";
    EXPECT_TRUE(FastaDocument::fromFileBytes({}).content().isEmpty());
}

TEST(FastaDocumentTest, saving_writes_exactly_the_file_bytes) {
    QTemporaryDir dir;
    const FastaDocument document = FastaDocument::fromUtf8(">x\nAC-GT\n");
    document.save(dir.filePath("out.fasta"));
    EXPECT_EQ(readAll(dir.filePath("out.fasta")), ">x\nAC-GT\n");
}

TEST(FastaDocumentTest, saving_an_empty_document_makes_an_empty_file) {
    QTemporaryDir dir;
    FastaDocument().save(dir.filePath("empty.fasta"));
    ASSERT_TRUE(QFile::exists(dir.filePath("empty.fasta")));
    EXPECT_EQ(QFile(dir.filePath("empty.fasta")).size(), 0);
}

TEST(FastaDocumentTest, a_failed_save_throws_a_message_naming_the_file_and_leaves_the_target) {
    QTemporaryDir dir;
    // The target is a folder: the temporary file is written, but cannot replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.fasta"));
    try {
        FastaDocument::fromUtf8(">x\nA\n").save(dir.filePath("taken.fasta"));
        FAIL() << "saving over a folder succeeded";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("taken.fasta"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.fasta")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0) << "a temporary file was left";
}

} // namespace
} // namespace pellacor
