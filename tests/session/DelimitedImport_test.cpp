#include "session/DelimitedImport.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "readers/CSVParser.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

namespace pellacor {
namespace {

class DelimitedImportTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        const QString path = dir.filePath(QString::fromStdString(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path.toStdString();
    }

    /// What reading the table and then rendering its records gives, one step after the other.
    static void expectSameAsParseThenConvert(const std::filesystem::path& file) {
        const CSVParser::Result table = CSVParser::parse(file);
        const ImportOutcome outcome = DelimitedImport::run(file);
        ASSERT_EQ(outcome.entries.size(), table.entries.size());
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            ASSERT_EQ(outcome.entries[i].identifier, table.entries[i].identifier) << i;
            ASSERT_EQ(outcome.entries[i].sequence, table.entries[i].sequence) << i;
            ASSERT_EQ(outcome.entries[i].description, table.entries[i].description) << i;
        }
        const std::string fasta = FastaConverter::convert(table.entries, 80);
        ASSERT_EQ(outcome.fasta.toStdString(), fasta);
        EXPECT_EQ(outcome.fileType, table.isTabDelimited ? "TSV" : "CSV");
        EXPECT_EQ(outcome.entryTrace,
                  ConversionTrace::entryLines(table.entries.size(), table.entries));
        EXPECT_EQ(outcome.fastaTrace, ConversionTrace::fastaLines(fasta));
    }

    QTemporaryDir dir;
};

TEST_F(DelimitedImportTest, a_large_mixed_table_gives_the_records_and_text_of_a_plain_read) {
    // Well past the point where passed pages are given back, with rows of every shape: quoted
    // identifiers (unquoted into the reader's own buffer), CR LF, non-ASCII, spaces to clean,
    // rows without description and rows that are skipped.
    std::mt19937 random(7);
    std::string table = "id,sequence,description\r\n";
    auto add = [&table](std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces)
            table.append(piece);
    };
    int row = 0;
    while (table.size() < (48u << 20)) {
        const std::string residues(200 + random() % 1800, "ACGT-"[random() % 5]);
        const std::string n = std::to_string(row);
        switch (row++ % 6) {
        case 0:
            add({"s", n, ",", residues, ",plain\r\n"});
            break;
        case 1:
            add({"\"q,\"\"", n, "\",", residues, "\r\n"});
            break;
        case 2:
            add({"caf\xC3\xA9", n, ",\"AC GT\n", residues, "\",d\r\n"});
            break;
        case 3:
            add({",", residues, ",no identifier\r\n"});
            break;
        case 4:
            add({"e\xCC\x81", n, ",", residues, ",  \r\n"});
            break;
        default:
            add({"only-one-field\r\n"});
            break;
        }
    }
    expectSameAsParseThenConvert(write("big.csv", table));
}

TEST_F(DelimitedImportTest, tab_separated_and_small_tables_are_read_alike) {
    expectSameAsParseThenConvert(write("t.tsv", "a\tACGT\tdesc\nb\tTT\n"));
    expectSameAsParseThenConvert(write("t", "a\tACGT\n"));
    expectSameAsParseThenConvert(write("t.txt", "a,ACGT\n"));
}

TEST_F(DelimitedImportTest, a_bad_table_fails_with_the_reader_error) {
    // The fault sits at the end of a large table, after both readers have started.
    std::string table;
    while (table.size() < (20u << 20))
        table += "x," + std::string(1000, 'A') + "\n";
    table += "\"open quote,ACGT\n";
    const auto file = write("bad.csv", table);
    try {
        DelimitedImport::run(file);
        FAIL() << "no error";
    } catch (const CSVParser::ParserError& e) {
        EXPECT_EQ(e.kind(), CSVParser::ParserError::Case::unterminatedQuotedField);
    }
}

} // namespace
} // namespace pellacor
