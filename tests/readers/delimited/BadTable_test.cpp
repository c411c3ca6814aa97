// Hostile or broken files given to the readers: each ends in records or a clear message, in
// bounded time, without hanging on something that is not a file.
#include "tests/readers/HostileInput.h"

#include "core/FastaConverter.h"
#include "readers/TableError.h"
#include "readers/delimited/CSVParser.h"
#include "readers/workbook/ExcelParser.h"

#include <future>
#include <sys/stat.h>

using namespace pellacor;
using namespace pellacor::hostile;

namespace {

// What `read` throws, as the user would read it; "" when it returns.
template <typename Read> std::string messageOf(Read read) {
    try {
        read();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(BadTable, random_binary_named_csv_is_refused_as_not_utf8_text) {
    ScratchFolder folder;
    writeFile(folder / "noise.csv", randomBinary(64 * 1024));
    const std::string message = messageOf([&] { CSVParser::parse(folder / "noise.csv"); });
    EXPECT_TRUE(message.starts_with("The file is not valid UTF-8 text. Row ")) << message;
    EXPECT_TRUE(message.ends_with("Save it as UTF-8, or read it with --encoding windows-1252."))
        << message;
}

TEST(BadTable, a_row_fifty_megabytes_long_converts_whole) {
    ScratchFolder folder;
    // One accented residue at the end keeps the sequence off the all-ASCII fast path.
    const std::string residues = std::string(50'000'000, 'C') + "\xC3\xA9";
    writeFile(folder / "long.csv", "s1," + residues + ",long one\n");
    const CSVParser::Result table = CSVParser::parse(folder / "long.csv");
    ASSERT_EQ(table.entries.size(), 1u);
    EXPECT_EQ(table.entries[0].sequence.size(), residues.size());
    const std::string fasta = FastaConverter::convert(table.entries);
    EXPECT_EQ(fasta.size(), std::string(">s1 long one\n").size() + residues.size() + 625'001);
}

TEST(BadTable, a_directory_or_a_missing_file_is_refused_by_both_readers_by_name) {
    ScratchFolder folder;
    fs::create_directory(folder / "table.csv");
    fs::create_directory(folder / "book.xlsx");
    writeFile(folder / "gone.tsv", "s1\tACGT\n");
    fs::remove(folder / "gone.tsv");
    EXPECT_EQ(messageOf([&] { CSVParser::parse(folder / "table.csv"); }),
              "Cannot read \u201Ctable.csv\u201D: Is a directory.");
    EXPECT_EQ(messageOf([&] { CSVParser::parse(folder / "gone.tsv"); }),
              "Cannot open \u201Cgone.tsv\u201D: No such file or directory.");
    for (const char* name : {"book.xlsx", "missing.xlsx"})
        EXPECT_EQ(messageOf([&] { ExcelParser::parse(folder / name); }),
                  "Cannot read Excel file. Please check file permissions.");
}

TEST(BadTable, a_fifo_is_refused_without_waiting_for_a_writer) {
    ScratchFolder folder;
    const fs::path fifo = folder / "pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reading =
        std::async(std::launch::async, [&] { return messageOf([&] { CSVParser::parse(fifo); }); });
    if (reading.wait_for(20s) != std::future_status::ready) {
        // Free the reader before failing, so the test itself cannot hang.
        std::ofstream(fifo.string()) << "s1,ACGT\n";
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_EQ(reading.get(),
              "\u201Cpipe.csv\u201D is not a regular file. Choose a table saved on disk.");
}
