// A delimited table read a stretch at a time, from memory, a mapped file or a pipe in pieces of
// any size, must give the records of reading it whole, and fail where reading it whole fails.
#include "readers/delimited/DelimitedTable.h"

#include "files/MappedText.h"
#include "files/MemoryText.h"
#include "files/TruncationGuard.h"
#include "files/StreamedText.h"
#include "readers/delimited/CSVParser.h"
#include "tests/files/ProcessStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <fcntl.h>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

using namespace pellacor;
using Case = CSVParser::ParserError::Case;

namespace {

// "identifier|sequence|description" a record, read from `source`.
std::string readAll(TextSource& source, std::string_view name = "t.csv") {
    std::string lines;
    RecordBuilder builder(RecordBuilder::delimitedStyle);
    DelimitedTable::read(source, name, builder, [&](const RecordView& r) {
        lines += std::string(r.identifier) + "|" + std::string(r.sequence) + "|" +
                 (r.description ? std::string(*r.description) : "<none>") + "\n";
    });
    return lines;
}

std::string readWhole(std::string_view text) {
    MemoryText source(text);
    return readAll(source);
}

// The records of `text` read through a pipe-like source, `piece` bytes a read at most.
std::string readInPieces(const std::string& text, std::size_t piece) {
    char name[] = "/tmp/pellacor-pieces-XXXXXX";
    const int fd = ::mkstemp(name);
    ::unlink(name);
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::lseek(fd, 0, SEEK_SET);
    StreamedText source(fd, "pieces", piece);
    std::string lines;
    try {
        lines = readAll(source);
    } catch (const CSVParser::ParserError& e) {
        lines = e.what();
    }
    ::close(fd);
    return lines;
}

// Rows of every shape: quoted fields over several lines with doubled quotation marks, CR LF,
// lone CR, NEL and LINE SEPARATOR line ends, non-ASCII, blanks to clean, blank lines, rows
// without a description and rows skipped for want of an identifier.
std::string mixedTable(std::size_t rows) {
    const std::string shapes[] = {
        "s#,$,plain\r\n",     "\"q,\"\"#\",\"$\n$\",\"d\"\r", "caf\u00E9#,\"AC GT\n$\",d\u0085",
        ",$,no identifier\n", "e\u0301#,$,  \u2028",          "\n  \n",
        "only-one-field\n"};
    std::mt19937 random(7);
    std::string table = "id,sequence,description\n";
    for (std::size_t row = 0; row < rows; ++row) {
        const std::string residues(1 + random() % 90, "ACGT-"[random() % 5]);
        for (const char c : shapes[row % 7])
            table += c == '#' ? std::to_string(row) : c == '$' ? residues : std::string(1, c);
    }
    return table;
}

std::string failureOf(std::string_view text) {
    try {
        readWhole(text);
    } catch (const CSVParser::ParserError& e) {
        return e.what();
    }
    return "no failure";
}

std::string checkFailureOf(std::string_view text) {
    MemoryText source(text);
    try {
        DelimitedTable::check(source, "t.csv");
    } catch (const CSVParser::ParserError& e) {
        return e.what();
    }
    return "no failure";
}

} // namespace

TEST(DelimitedTable, pieces_of_any_size_give_the_records_of_the_whole_text) {
    const std::string table = mixedTable(300);
    const std::string whole = readWhole(table);
    ASSERT_GT(std::count(whole.begin(), whole.end(), '\n'), 150);
    for (const std::size_t piece : {1, 2, 3, 5, 7, 16, 31, 64, 100, 4096})
        EXPECT_EQ(readInPieces(table, piece), whole) << "pieces of " << piece;
}

TEST(DelimitedTable, the_same_table_anywhere_in_memory_and_before_any_end_reads_alike) {
    // Vector steps of 16 and 32 bytes, and the byte-wise tail after them, must agree wherever
    // a field's end falls among them.
    const std::string table = mixedTable(60);
    const std::string whole = readWhole(table);
    for (std::size_t offset = 0; offset < 16; ++offset) {
        const std::string placed = std::string(offset, 'x') + table;
        EXPECT_EQ(readWhole(std::string_view(placed).substr(offset)), whole) << offset;
    }
    for (std::size_t pad = 1; pad < 40; ++pad) {
        const std::string residues(pad, 'A');
        const std::string note(pad, 'C');
        std::string row = "p,";
        row.append(residues).append(",").append(note).append("\n");
        std::string expected = whole;
        expected.append("p|").append(residues).append("|").append(note).append("\n");
        EXPECT_EQ(readWhole(table + row), expected) << pad;
    }
}

TEST(DelimitedTable, an_unterminated_field_after_a_quoted_one_over_lines_names_its_own_line) {
    const std::string text = "s1,\"AC\nGT\n\",x\r\ns2,GG\ns3,\"AC\nGT\n";
    EXPECT_EQ(failureOf(text), "Unterminated quoted field starting on line 5.");
    for (const std::size_t piece : {1, 4, 9})
        EXPECT_EQ(readInPieces(text, piece), "Unterminated quoted field starting on line 5.")
            << piece;
}

TEST(DelimitedTable, the_check_fails_where_reading_fails_after_its_first_record) {
    const std::string good = mixedTable(100);
    EXPECT_EQ(checkFailureOf(good), "no failure");
    EXPECT_EQ(checkFailureOf(good + "s9,\"AC\n").rfind("Unterminated quoted field", 0), 0u);
    EXPECT_EQ(checkFailureOf(good + "s9,AC\xFF\n"), failureOf(good + "s9,AC\xFF\n"));
    EXPECT_EQ(checkFailureOf("Name,Sequence\n"), failureOf("Name,Sequence\n"));
    EXPECT_EQ(checkFailureOf("\n\n"), failureOf("\n\n"));
}

TEST(DelimitedTable, a_quoted_field_across_a_stretch_end_is_read_whole) {
    // Past the first stretch, a field of many lines that starts before its end.
    std::string table;
    std::string expected;
    for (int row = 0; table.size() < DelimitedTable::stretchBytes - 50; ++row) {
        const std::string residues(1000, "ACGT"[row % 4]);
        std::string name = "r";
        name += std::to_string(row);
        table.append(name).append(",").append(residues).append("\n");
        expected.append(name).append("|").append(residues).append("|<none>\n");
    }
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += std::string(10, 'G') + "\n";
    table += "long,\"" + lines + "\",end\n";
    expected += "long|" + std::string(400, 'G') + "|end\n";
    EXPECT_EQ(readWhole(table), expected);
}

TEST(DelimitedTable, a_quoted_field_longer_than_a_stretch_is_read_whole) {
    // Its lines end inside the stretch, but the field does not: the stretch must grow.
    const std::string line = std::string(999, 'T') + "\n";
    std::string field;
    while (field.size() <= DelimitedTable::stretchBytes)
        field += line;
    const std::string table = "s1,\"" + field + "\",d\ns2,AC\n";
    const std::string expected =
        "s1|" + std::string(field.size() / 1000 * 999, 'T') + "|d\ns2|AC|<none>\n";
    EXPECT_EQ(readWhole(table), expected);
    EXPECT_EQ(readInPieces(table, 1 << 20), expected);
}

TEST(DelimitedTable, a_nul_byte_fails_at_once_naming_its_row_however_the_text_comes) {
    const std::string nulRow3 = std::string("id,seq\ns1,AC\n\ns2,A\0C\ns3,GG\n", 26);
    const std::string message = CSVParser::ParserError(Case::nulByte, 4).what();
    EXPECT_EQ(message, "The file is not text: row 4 holds a NUL byte, which no text table has. "
                       "Save the table as CSV or TSV and try again.");
    EXPECT_EQ(failureOf(nulRow3), message);
    EXPECT_EQ(checkFailureOf(nulRow3), message);
    for (const std::size_t piece : {1, 3, 8, 4096})
        EXPECT_EQ(readInPieces(nulRow3, piece), message) << piece;
    // In a quoted field over lines, the row it starts; past a stretch of quote-free rows, the
    // row as counted.
    const std::string quoted = std::string("s1,\"AC\nG\0T\",x\n", 15);
    EXPECT_EQ(failureOf(quoted), CSVParser::ParserError(Case::nulByte, 1).what());
    std::string late;
    while (late.size() < 3 * DelimitedTable::stretchBytes)
        late += "s,ACGTACGTACGTACGTACGTACGTACGT\n";
    const std::size_t row = std::count(late.begin(), late.end(), '\n') + 1;
    late += std::string("s,AC\0\n", 6);
    EXPECT_EQ(checkFailureOf(late), CSVParser::ParserError(Case::nulByte, row).what());
    EXPECT_EQ(failureOf(late), CSVParser::ParserError(Case::nulByte, row).what());
    // Bytes that are no UTF-8 before the NUL are the first fault.
    EXPECT_EQ(failureOf(std::string("s1,A\xFF\0\n", 8)),
              CSVParser::ParserError(Case::invalidEncoding, 1, 0xFF).what());
}

TEST(DelimitedTable, text_that_is_no_utf8_names_its_row_and_byte_when_read_or_checked) {
    const std::string message =
        "The file is not valid UTF-8 text. Row 4 holds the byte 0xE9, which "
        "UTF-8 does not allow there. Save it as UTF-8, or read it with "
        "--encoding windows-1252.";
    // A quoted field over two lines is one row; the bad byte is late in its line.
    const std::string text =
        "ID,Sequence,Note\ns1,AC,\"two\nlines\"\ns2,GG,\u00E9t\u00E9\ns3,TT,caf\xE9\n";
    EXPECT_EQ(failureOf(text), message);
    EXPECT_EQ(checkFailureOf(text), message);
    for (const std::size_t piece : {1, 5})
        EXPECT_EQ(readInPieces(text, piece), message) << piece;
    // Far into the table, past several stretches, the row still counts right.
    std::string late = "ID,Sequence\n";
    while (late.size() < 3 * DelimitedTable::stretchBytes)
        late += "s,ACGTACGTACGTACGTACGTACGTACGT,\u00B5\n";
    const std::size_t row = std::count(late.begin(), late.end(), '\n') + 1;
    late += "s,AC,\xB5l\n";
    const std::string lateMessage = CSVParser::ParserError(Case::invalidEncoding, row, 0xB5).what();
    EXPECT_NE(lateMessage.find("Row " + std::to_string(row) + " holds the byte 0xB5"),
              std::string::npos);
    EXPECT_EQ(failureOf(late), lateMessage);
    EXPECT_EQ(checkFailureOf(late), lateMessage);
}

TEST(DelimitedTable, endless_zeros_from_a_pipe_fail_before_any_line_ends) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::signal(SIGPIPE, SIG_IGN); // the writer learns of the end from its write failing
    std::thread writer([fd = ends[1]] {
        const std::string zeros(1 << 16, '\0');
        while (::write(fd, zeros.data(), zeros.size()) > 0) {
        }
        ::close(fd);
    });
    std::string failure;
    {
        StreamedText source(ends[0], "standard input");
        try {
            readAll(source, "-");
        } catch (const CSVParser::ParserError& e) {
            failure = e.what();
        }
    }
    ::close(ends[0]); // the writer's next write fails, and it ends
    writer.join();
    EXPECT_EQ(failure, CSVParser::ParserError(Case::nulByte, 1).what());
}

TEST(DelimitedTable, the_check_names_the_line_of_a_late_unterminated_field_itself) {
    // Quote-free stretches are passed at memory speed, their line breaks counted as the row
    // scanner counts them (CR LF once, NEL and LS once each).
    std::string table;
    std::size_t lines = 0;
    const std::string shapes[] = {"s1,ACGT\n", "s2,ACGT\r\n", "s3,AC\u00E9\u0085",
                                  "\n",        "s4,GG\u2028", "s5,T\r"};
    for (std::size_t i = 0; table.size() < 3 * DelimitedTable::stretchBytes; ++i, ++lines)
        table += shapes[i % 6];
    table += "s6,\"AC\nGT\n";
    const std::string expected =
        "Unterminated quoted field starting on line " + std::to_string(lines + 1) + ".";
    EXPECT_EQ(failureOf(table), expected);
    EXPECT_EQ(checkFailureOf(table), expected);
}

TEST(DelimitedTable, one_line_of_many_megabytes_in_small_pieces_is_read_in_one_pass) {
    // Each piece used to search the whole line again for its end: quadratic in its length.
    const std::string residues(64 << 20, 'A');
    const std::string table = "chr1\t" + residues + "\n";
    const std::string lines = readInPieces(table, 1 << 16);
    ASSERT_EQ(lines.size(), residues.size() + 13);
    EXPECT_EQ(lines.substr(0, 5), "chr1|");
}

TEST(DelimitedTable, a_header_comment_in_the_stretch_before_the_first_row_still_names_columns) {
    // The "#" line names the columns the other way round; lost, the rows read as s1 of ACGT.
    const std::string table =
        "# exported\n# by the lab\n# on Monday\n# from the robot\n#sequence,name\nACGT,s1\nGGCC,s2\n";
    const std::string whole = readWhole(table);
    ASSERT_EQ(whole, "s1|ACGT|<none>\ns2|GGCC|<none>\n");
    for (std::size_t piece = 1; piece <= table.size(); ++piece)
        EXPECT_EQ(readInPieces(table, piece), whole) << "pieces of " << piece;
}

namespace {

// The most this process has held in memory since `resetPeak`, in kB; 0 where Linux does not tell.
std::size_t peakKb() { return testdata::statusKilobytes("VmHWM"); }
bool resetPeak() {
    std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
    if (!refs)
        return false;
    const bool written = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && written;
}

} // namespace

TEST(DelimitedTable, a_mapped_file_is_checked_and_read_holding_a_few_stretches_of_it) {
    TruncationGuard::installHandler(); // files are mapped, not read, as the programs do
    char name[] = "/tmp/pellacor-mapped-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    std::string rows;
    for (int row = 0; rows.size() < (1u << 20); ++row)
        rows += "s" + std::to_string(row) + "\t" + std::string(100, "ACGT"[row % 4]) + "\n";
    std::size_t bytes = 0;
    for (; bytes < (std::size_t(192) << 20); bytes += rows.size())
        ASSERT_EQ(::write(fd, rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
    ::close(fd);
    const auto heldWhile = [&](auto work) {
        if (!resetPeak())
            return std::size_t(0);
        const std::size_t before = peakKb();
        work();
        return peakKb() - before;
    };
    std::size_t records = 0;
    const std::size_t checking = heldWhile([&] {
        MappedText source{std::filesystem::path(name)};
        DelimitedTable::check(source, "t.tsv");
    });
    const std::size_t reading = heldWhile([&] {
        MappedText source{std::filesystem::path(name)};
        RecordBuilder builder(RecordBuilder::delimitedStyle);
        DelimitedOptions checked; // as a conversion reads a file checked before
        checked.validates = false;
        DelimitedTable::read(source, "t.tsv", builder, [&](const RecordView&) { ++records; },
                             checked);
    });
    ::unlink(name);
    if (peakKb() == 0)
        GTEST_SKIP() << "this system does not tell a process's peak memory";
    EXPECT_GT(records, 1'800'000u);
    // Every byte of the file was once in view; no more than a few stretches at a time.
    EXPECT_LT(checking, 48u << 10);
    EXPECT_LT(reading, 48u << 10);
}
