// Replays every committed fuzzing corpus file through the fuzzers' checks, and keeps each input
// a fuzzer once broke as a named case.
#include "FuzzTargets.h"

#include "readers/CSVParser.h"
#include "readers/ExcelParser.h"
#include "readers/WorksheetDelegate.h"
#include "readers/XmlParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

using namespace pellacor;
namespace fs = std::filesystem;

namespace {

using Target = void (*)(fuzz::Input);

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fuzz::Input asInput(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

TEST(FuzzCorpus, everyCorpusInputKeepsItsFuzzersPromises) {
    // Delimited reader, FASTA writer, shared strings and worksheet (whole or in pieces), and
    // workbooks that end in records or the reader's error, leaving no work directory.
    const std::vector<std::tuple<std::string, Target, std::size_t>> corpora = {
        {"delimited_reader", fuzz::delimitedReader, 20},
        {"fasta_writer", fuzz::fastaWriter, 5},
        {"shared_strings", fuzz::sharedStrings, 5},
        {"worksheet", fuzz::worksheet, 5},
        {"workbook_reader", fuzz::workbookReader, 3}};
    for (const auto& [name, target, least] : corpora) {
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(PELLACOR_FUZZ_CORPUS) / name)) {
            EXPECT_NO_THROW(target(bytesOf(entry.path())))
                << name << "/" << entry.path().filename();
            ++files;
        }
        EXPECT_GE(files, least) << name;
    }
}

TEST(FuzzFindings, aTabInsideALongCommaSeparatedSequenceIsCleanedOut) {
    // The vector scan stopped at such a tab without noting it, so the tab stayed in the residues.
    const std::string table = "s1;AGr8\t\x02" + std::string(1, '\0') + "00`;A;d.\n";
    const CSVParser::Result r = CSVParser::parseBytes(table, "t.txt");
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].sequence, std::string("AGr8\x02") + '\0' + "00`");

    const CSVParser::Result plain =
        CSVParser::parseBytes("s1,ACGTACGTACGTACGT\tACGTACGTACGTACGTACGT,d\n", "t.csv");
    EXPECT_EQ(plain.entries.at(0).sequence, "ACGTACGTACGTACGTACGTACGTACGTACGTACGT");
    EXPECT_NO_THROW(fuzz::delimitedReader(asInput("\x02" + table)));
}

TEST(FuzzFindings, aRowWithoutItsSequenceCellIsDroppedWithoutPassingNullToMemchr) {
    // The omitted cell's empty text has no data pointer; UBSan caught it reaching memchr.
    WorksheetDelegate sheet(SharedStringTable{});
    XmlParser::run("<sheetData><row><c r=\"A1\"><v>s1</v></c><c r=\"C1\"><v>x</v></c></row>"
                   "<row><c><v>s2</v></c><c><v>AC</v></c></row></sheetData>",
                   sheet);
    ASSERT_EQ(sheet.entries.size(), 1u);
    EXPECT_EQ(sheet.entries[0].identifier, "s2");
}

TEST(FuzzFindings, aRowStartedInsideACellDoesNotWriteBeforeTheRowsColumns) {
    // The cell ends with no place in the new row (column 0), which indexed column -1.
    WorksheetDelegate sheet(SharedStringTable{});
    XmlParser::run("<sheetData><row><c r=\"A1\"><row></row><v>x</v></c></row>"
                   "<row><c><v>s2</v></c><c><v>AC</v></c></row></sheetData>",
                   sheet);
    ASSERT_EQ(sheet.entries.size(), 1u);
    EXPECT_EQ(sheet.entries[0].sequence, "AC");
}

TEST(FuzzFindings, aWorkbookPartThatUnzipSkipsIsTheArchivesFaultNotTheFileSystems) {
    // xl/workbook.xml is marked as a volume label, so unzip skips it and still succeeds; the
    // reader then failed with "Cannot open “workbook.xml”", a file the user never chose.
    const std::string file =
        std::string(PELLACOR_FIXTURES) + "/hostile/workbook-part-as-volume-label.xlsx";
    try {
        ExcelParser::parse(file);
        FAIL() << "the damaged workbook was read";
    } catch (const ExcelParser::ExcelError& e) {
        EXPECT_STREQ(e.what(), "Failed to parse Excel file: Invalid Excel file format. The file "
                               "does not appear to be a valid .xlsx file.");
    }
}
