// The worker side of an import: which reader a file goes to, that the one-pass read of a
// delimited table gives what a plain read and a plain conversion would, on one thread or in
// pieces, and that a re-import writes into the old result's memory only when that is safe.
#include "session/ImportJob.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "readers/delimited/CSVParser.h"
#include "tests/files/ProcessStatus.h"

#include <QTemporaryDir>

#include <unistd.h>

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

// Past its first rows a large table is rendered in pieces: wherever they are cut, the records
// (those the text cannot give back among them), the text and its trace are one thread's.
TEST_F(ImportJobTest, pieces_of_any_size_give_the_records_and_text_of_one_thread) {
    std::mt19937 random(11);
    std::string table = "id\tsequence\tdescription\n";
    for (int row = 0; table.size() < (3u << 20); ++row) {
        const std::string residues(1 + random() % 300, "ACGTN-"[random() % 6]);
        std::string id = "r";
        id += std::to_string(row);
        switch (random() % 6) {
        case 0:
            table += id + "\t" + residues + "\r\n";
            break;
        // A line separator breaks the header: the record is kept whole beside the text.
        case 1:
            table += id + "\t" + residues + "\tone\u2028two\n";
            break;
        case 2:
            table += "caf\u00E9" + id + "\t" + residues + "\tnon-ASCII\n";
            break;
        case 3:
            table += id + "\t" + residues + "\t\n";
            break;
        default:
            table += id + "\t" + residues + "\tplain\n";
            break;
        }
        // Quoted fields over lines near the end: the rest is read in order from the first.
        if (table.size() > (3u << 20) - 5000 && row % 7 == 0)
            table += "q" + id + "\t\"AC\nGT\"\t\"two\nlines\"\n";
    }
    ConversionRequest request;
    request.input = write("pieces.tsv", table);
    PieceWork oneThread;
    oneThread.pieceBytes = 0;
    const ImportOutcome whole = ImportJob::run(request, EntryTable(), oneThread);
    ASSERT_FALSE(whole.failure) << whole.failure->toStdString();
    const std::vector<SequenceEntry> records = whole.entries.toVector();
    ASSERT_GT(records.size(), 15000u);
    for (const std::size_t bytes : {1, 100, 777, 4096, 65536}) {
        PieceWork pieces;
        pieces.pieceBytes = bytes;
        const ImportOutcome cut = ImportJob::run(request, EntryTable(), pieces);
        ASSERT_FALSE(cut.failure) << cut.failure->toStdString();
        EXPECT_EQ(cut.entries.toVector(), records) << "pieces of " << bytes;
        EXPECT_EQ(cut.entries.fasta(), whole.entries.fasta()) << "pieces of " << bytes;
        EXPECT_EQ(cut.fastaTrace, whole.fastaTrace) << "pieces of " << bytes;
        EXPECT_EQ(cut.summary.entryTrace(), whole.summary.entryTrace()) << "pieces of " << bytes;
    }
}

TEST_F(ImportJobTest, a_stop_halfway_through_the_pieces_ends_the_import_with_nothing_kept) {
    std::string table = "id\tsequence\n";
    for (int row = 0; table.size() < (8u << 20); ++row)
        table.append("s").append(std::to_string(row)).append("\t").append(500, 'G') += '\n';
    std::stop_source stop;
    ConversionRequest request;
    request.input = write("big.tsv", table);
    request.stop = stop.get_token();
    std::uint64_t stoppedAt = 0;
    request.progress = [&](std::uint64_t done, std::uint64_t total) {
        if (done > total / 2 && !stop.stop_requested()) {
            stoppedAt = done;
            stop.request_stop();
        }
    };
    PieceWork pieces;
    pieces.pieceBytes = 64 << 10;
    const ImportOutcome outcome = ImportJob::run(request, EntryTable(), pieces);
    EXPECT_GT(stoppedAt, 0u);
    EXPECT_TRUE(outcome.isCancelled);
    EXPECT_FALSE(outcome.failure);
    EXPECT_TRUE(outcome.entries.empty());
}

TEST_F(ImportJobTest, a_re_import_writes_into_the_old_text_only_when_nothing_else_holds_it) {
    std::string table = "id,sequence\n";
    for (int row = 0; row < 5000; ++row)
        table.append("s").append(std::to_string(row)).append(",").append(100 + row % 300, 'A') +=
            '\n';
    ConversionRequest request;
    request.input = write("t.csv", table);
    ImportOutcome first = ImportJob::run(request);
    const QByteArray expected = QByteArray(first.entries.fasta().constData(),
                                           first.entries.fasta().size()); // a copy of its own
    const char* memory = first.entries.fasta().constData();

    // Given up whole, its pages take the new text.
    ImportOutcome second = ImportJob::run(request, std::move(first.entries));
    EXPECT_EQ(second.entries.fasta().constData(), memory);
    EXPECT_EQ(second.entries.fasta(), expected);
    EXPECT_EQ(second.entries.size(), 5000u);

    // Still shown or on the clipboard, the old text stays as it was.
    const QByteArray held = second.entries.fasta();
    const ImportOutcome third = ImportJob::run(request, std::move(second.entries));
    EXPECT_NE(third.entries.fasta().constData(), held.constData());
    EXPECT_EQ(held, expected);
    EXPECT_EQ(third.entries.fasta(), expected);

    // A table of as many bytes whose text is shorter (half its rows are skipped) takes the
    // memory, and what the old text held past the new one's end goes back.
    std::string halfSkipped = "id,sequence\n";
    for (int row = 0; row < 4000; ++row) {
        halfSkipped.append("s").append(std::to_string(row)).append(",").append(1000, 'C') += '\n';
        halfSkipped.append(",").append(1000, 'G') += '\n'; // no identifier
    }
    std::string longTable = "id,sequence\n";
    for (int row = 0; row < 8000; ++row)
        longTable.append("s").append(std::to_string(row)).append(",").append(1000, 'A') += '\n';
    ConversionRequest shorter;
    shorter.input = write("half.csv", halfSkipped);
    request.input = write("long.csv", longTable);
    ImportOutcome longer = ImportJob::run(request);
    const char* base = longer.entries.fasta().constData();
    const auto longBytes = static_cast<std::size_t>(longer.entries.fasta().size());
    const ImportOutcome half = ImportJob::run(shorter, std::move(longer.entries));
    ASSERT_EQ(half.entries.fasta().constData(), base);
    ASSERT_EQ(half.entries.size(), 4000u);
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto halfEnd = reinterpret_cast<std::uintptr_t>(base) + half.entries.fasta().size();
    const std::uintptr_t from = (halfEnd + page - 1) / page * page;
    const std::uintptr_t to = (reinterpret_cast<std::uintptr_t>(base) + longBytes) / page * page;
    EXPECT_EQ(testdata::residentPages(reinterpret_cast<const char*>(from), to - from), 0u);

    // A small table after a large one does not keep the large one's memory.
    ConversionRequest small;
    small.input = write("small.csv", "id,sequence\na,ACGT\n");
    const ImportOutcome after = ImportJob::run(small, ImportJob::run(request).entries);
    EXPECT_EQ(after.entries.fasta(), QByteArray(">a\nACGT\n"));
    EXPECT_LT(after.entries.fasta().capacity(), 4096);
}

} // namespace
} // namespace pellacor
