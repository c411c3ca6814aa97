// A table read in pieces on several threads must give, byte for byte, the records, findings
// and failures of reading it on one, wherever the pieces are cut.
#include "readers/delimited/DelimitedTable.h"

#include "files/MappedText.h"
#include "files/MemoryText.h"
#include "files/TruncationGuard.h"
#include "readers/delimited/ParserError.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace pellacor;

namespace {

std::string rendered(const RecordView& r) {
    return std::string(r.identifier) + "|" + std::string(r.sequence) + "|" +
           (r.description ? std::string(*r.description) : "<none>") + "\n";
}

// Everything a reading gives: its records, what it found, and how it failed.
struct Reading {
    std::string records;
    std::size_t count = 0;
    std::string findings;
    std::string failure;
    std::size_t piecesDelivered = 0;
    bool operator==(const Reading& other) const {
        return records == other.records && count == other.count && findings == other.findings &&
               failure == other.failure;
    }
};

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    return out << r.count << " records, findings {" << r.findings << "}, failure {" << r.failure
               << "}, " << r.records.size() << " bytes";
}

// Reads `source` on one thread, or in pieces of `pieceBytes`.
Reading readFrom(TextSource& source, std::size_t pieceBytes, DelimitedOptions options = {}) {
    Reading reading;
    RecordBuilder builder(RecordBuilder::delimitedStyle);
    PieceWork work;
    work.pieceBytes = pieceBytes;
    work.sizeBound = [](const RecordView& r) { return rendered(r).size(); };
    work.render = [](const RecordView& r, char* out, std::string&) {
        const std::string text = rendered(r);
        std::memcpy(out, text.data(), text.size());
        return text.size();
    };
    work.deliver = [&](std::string_view bytes, std::size_t records, std::string_view) {
        reading.records += bytes;
        reading.count += records;
        ++reading.piecesDelivered;
    };
    try {
        DelimitedTable::read(
            source, "t.csv", builder,
            [&](const RecordView& r) {
                reading.records += rendered(r);
                ++reading.count;
            },
            options, pieceBytes > 0 ? &work : nullptr);
    } catch (const ParserError& e) {
        reading.failure = e.what();
    }
    reading.findings = builder.findings().skippedMessage().value_or("");
    for (const std::string& warning : builder.findings().warnings())
        reading.findings += " / " + warning;
    return reading;
}

Reading readOf(const std::string& text, std::size_t pieceBytes, DelimitedOptions options = {}) {
    MemoryText source(text);
    return readFrom(source, pieceBytes, options);
}

// Rows of every plain shape: CR LF, lone CR and NEL line ends, blank lines, rows without
// an identifier, repeated identifiers, non-ASCII, blanks in sequences to clean, comment lines.
std::string plainTable(std::size_t rows, unsigned seed) {
    std::mt19937 random(seed);
    std::string table = "id,sequence,description\n";
    for (std::size_t row = 0; row < rows; ++row) {
        const std::string residues(1 + random() % 60, "ACGT-"[random() % 5]);
        std::string id = "s";
        id += std::to_string(row % 2900);
        switch (random() % 9) {
        case 0: table += id + "," + residues + ",crlf\r\n"; break;
        case 1: table += id + "," + residues + "\r"; break;
        case 2: table += std::string("caf\u00E9") + id + "," + residues + ",nel\u0085"; break;
        case 3: table += "," + residues + ",no identifier\n"; break;
        case 4: table += "\n \n"; break;
        case 5: table += id + ",AC GT " + residues + ",blanks\n"; break;
        case 6: table += "; a comment line\n"; break;
        default: table += id + "," + residues + ",plain\n"; break;
        }
    }
    return table;
}

} // namespace

TEST(DelimitedPieces, any_piece_size_gives_the_records_and_findings_of_one_thread) {
    for (const unsigned seed : {1u, 2u}) {
        const std::string table = plainTable(6000, seed);
        DelimitedOptions commented;
        commented.commentMarker = ';';
        for (const DelimitedOptions& options : {DelimitedOptions(), commented}) {
            const Reading whole = readOf(table, 0, options);
            ASSERT_GT(whole.count, 1500u);
            ASSERT_NE(whole.findings.find("identifiers repeat"), std::string::npos);
            // Pieces of a byte hold no whole line: the text is then read on one thread.
            for (const std::size_t piece : {1, 200, 333, 1000, 4096}) {
                const Reading pieces = readOf(table, piece, options);
                EXPECT_EQ(pieces, whole) << "pieces of " << piece << ", seed " << seed;
                if (piece >= 200) {
                    EXPECT_GT(pieces.piecesDelivered, 1u) << "pieces of " << piece;
                }
            }
        }
    }
}

TEST(DelimitedPieces, quoted_fields_over_lines_are_never_cut_wherever_they_fall) {
    // From the first quotation mark the rest is read on one thread; before it, in pieces.
    // Fields of many lines all through the second half: some line end in one of them is
    // where a piece would be cut.
    std::string table = plainTable(6000, 3);
    for (std::size_t at = table.size() / 2; at < table.size(); at += 397) {
        const std::size_t line = table.find('\n', at);
        if (line == std::string::npos)
            break;
        table.insert(line + 1, "q1,\"AC\nGT\n\",\"two\nlines\"\n");
    }
    const Reading whole = readOf(table, 0);
    ASSERT_NE(whole.records.find("q1|ACGT|two\nlines\n"), std::string::npos);
    for (const std::size_t piece : {5, 100, 1000, 3000})
        EXPECT_EQ(readOf(table, piece), whole) << "pieces of " << piece;
}

// A table longer than the stretch that is checked before it is read, so that a late fault is
// met in a piece.
std::string longTable(unsigned seed) {
    std::string table = plainTable(6000, seed);
    std::string filler;
    for (int row = 0; table.size() + filler.size() < DelimitedTable::stretchBytes + (1 << 20);
         ++row)
        filler.append("f").append(std::to_string(row)).append(",ACGTACGTACGTACGTACGT,filler\n");
    return table.insert(table.size() / 3, filler);
}

TEST(DelimitedPieces, a_late_fault_fails_as_one_thread_fails_after_the_same_records) {
    const std::string plain = longTable(4);
    const std::size_t late = plain.find('\n', plain.size() - 20000) + 1;
    const std::string faults[] = {std::string("bad,AC\xFF\n"), std::string("nul,A\0C\n", 8),
                                  std::string("both,A\xFE\0\n", 10)};
    for (const std::string& fault : faults) {
        std::string table = plain;
        table.insert(late, fault);
        const Reading whole = readOf(table, 0);
        ASSERT_FALSE(whole.failure.empty());
        for (const std::size_t piece : {3, 4096, 65536})
            EXPECT_EQ(readOf(table, piece), whole) << "pieces of " << piece;
    }
}

namespace {

std::string checkFrom(TextSource& source, std::size_t pieceBytes) {
    PieceWork work;
    work.pieceBytes = pieceBytes;
    try {
        DelimitedTable::check(source, "t.csv", {}, {}, pieceBytes > 0 ? &work : nullptr);
    } catch (const ParserError& e) {
        return e.what();
    }
    return "passed";
}

std::string checkOf(const std::string& text, std::size_t pieceBytes) {
    MemoryText source(text);
    return checkFrom(source, pieceBytes);
}

} // namespace

TEST(DelimitedPieces, a_check_in_pieces_fails_where_and_as_the_check_in_order_fails) {
    const std::string plain = longTable(5);
    const std::size_t late = plain.find('\n', plain.size() - 20000) + 1;
    const std::string faults[] = {"", std::string("bad,AC\xFF\n"), std::string("nul,A\0C\n", 8),
                                  std::string("b\xC3,x\0\n", 7), "q,\"AC\nGT\",x\n",
                                  "q,\"AC\nGT\n"};
    for (const std::string& fault : faults) {
        std::string table = plain;
        table.insert(late, fault);
        const std::string inOrder = checkOf(table, 0);
        EXPECT_EQ(inOrder == "passed", fault.empty() || fault.ends_with(",x\n")) << inOrder;
        for (const std::size_t piece : {2, 4096, 65536})
            EXPECT_EQ(checkOf(table, piece), inOrder) << "pieces of " << piece;
    }
}

namespace {

// A table on disk, for the pieces a mapped file copies from the file instead of its mapping.
class TableFile {
public:
    TableFile(const std::string& name, const std::string& bytes)
        : path_(std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(::getpid()) + ".csv")) {
        TruncationGuard::installHandler(); // without it the file is read, not mapped
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TableFile() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

TEST(DelimitedPieces, a_mapped_file_gives_in_pieces_what_its_text_gives_on_one_thread) {
    // The header and first rows are read from the window before the pieces start, and a
    // descriptor may stand past the start of its file: each piece's copy starts where the
    // window does, not where the file does.
    const std::string plain = "\xEF\xBB\xBF" + longTable(6);
    const std::size_t late = plain.find('\n', plain.size() - 20000) + 1;
    for (const std::string& fault : {std::string(), std::string("bad,AC\xFF\n"),
                                    std::string("nul,A\0C\n", 8)}) {
        std::string table = plain;
        table.insert(late, fault);
        const Reading whole = readOf(table, 0);
        const std::string checked = checkOf(table, 0);
        EXPECT_EQ(whole.failure.empty(), fault.empty()) << whole.failure;
        const std::string skipped = "not,part\nof,it\n";
        const TableFile file("pieces", table);
        const TableFile prefixed("pieces-prefixed", skipped + table);
        for (const std::size_t piece : {4096, 65536}) {
            MappedText mapped(file.path());
            EXPECT_EQ(readFrom(mapped, piece), whole) << "pieces of " << piece;
            MappedText toCheck(file.path());
            EXPECT_EQ(checkFrom(toCheck, piece), checked) << "pieces of " << piece;
            const int fd = ::open(prefixed.path().c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            ::lseek(fd, static_cast<off_t>(skipped.size()), SEEK_SET);
            MappedText standing(fd, "standard input");
            ::close(fd);
            EXPECT_EQ(readFrom(standing, piece), whole) << "from a descriptor, pieces of " << piece;
        }
    }
}
