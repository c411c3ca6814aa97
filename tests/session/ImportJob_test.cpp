// The worker side of an import: which reader a file goes to, and that the one-pass read of a
// delimited table gives what a plain read and a plain conversion would.
#include "session/ImportJob.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "readers/delimited/CSVParser.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace pellacor {
namespace {

class ImportJobTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path file = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    /// What reading the table and then rendering its records gives, one step after the other.
    static void expectSameAsParseThenConvert(const std::filesystem::path& file) {
        const CSVParser::Result table = CSVParser::parse(file);
        ConversionRequest request;
        request.input = file;
        const ImportOutcome outcome = ImportJob::run(request);
        ASSERT_FALSE(outcome.failure) << outcome.failure->toStdString();
        ASSERT_EQ(outcome.entries.size(), table.entries.size());
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            ASSERT_EQ(outcome.entries[i].identifier, table.entries[i].identifier) << i;
            ASSERT_EQ(outcome.entries[i].sequence, table.entries[i].sequence) << i;
            ASSERT_EQ(outcome.entries[i].description, table.entries[i].description) << i;
        }
        const std::string fasta = FastaConverter::convert(table.entries, 80);
        ASSERT_EQ(outcome.entries.fasta().toStdString(), fasta);
        EXPECT_EQ(outcome.summary.fileType, table.isTabDelimited ? "TSV" : "CSV");
        // The reader's own trace, and a line for the rows it skipped, if any.
        std::vector<ConversionTrace::EntryDetail> details;
        for (const SequenceEntry& entry : table.entries)
            details.push_back(ConversionTrace::EntryDetail::of(entry.identifier, entry.sequence));
        const std::string entryLines = ConversionTrace::entryLines(table.entries.size(), details);
        const std::string entryTrace = outcome.summary.entryTrace();
        EXPECT_EQ(entryTrace.substr(0, entryLines.size()), entryLines);
        const std::string rest = entryTrace.substr(entryLines.size());
        EXPECT_TRUE(rest.empty() ||
                    (rest.starts_with("DEBUG: ") &&
                     rest.find("skipped (no identifier or sequence)") != std::string::npos))
            << rest;
        EXPECT_EQ(outcome.fastaTrace, ConversionTrace::fastaLines(fasta));
    }

    QTemporaryDir dir;
};

TEST_F(ImportJobTest, a_large_mixed_table_gives_the_records_and_text_of_a_plain_read) {
    // Rows of every shape: quoted identifiers (unquoted into the reader's own buffer), CR LF,
    // non-ASCII, spaces to clean, rows without description and rows that are skipped. '#' is
    // the row number, '$' residues.
    const std::string shapes[] = {
        "s#,$,plain\r\n",       "\"q,\"\"#\",$\r\n",   "caf\xC3\xA9#,\"AC GT\n$\",d\r\n",
        ",$,no identifier\r\n", "e\xCC\x81#,$,  \r\n", "only-one-field\r\n"};
    std::mt19937 random(7);
    std::string table = "id,sequence,description\r\n";
    for (int row = 0; table.size() < (4u << 20); ++row) {
        const std::string residues(200 + random() % 1800, "ACGT-"[random() % 5]);
        for (const char c : shapes[row % 6])
            table += c == '#' ? std::to_string(row) : c == '$' ? residues : std::string(1, c);
    }
    expectSameAsParseThenConvert(write("big.csv", table));
}

TEST_F(ImportJobTest, tab_separated_and_small_tables_are_read_alike) {
    expectSameAsParseThenConvert(write("t.tsv", "a\tACGT\tdesc\nb\tTT\n"));
    expectSameAsParseThenConvert(write("t", "a\tACGT\n"));
}

} // namespace
} // namespace pellacor
