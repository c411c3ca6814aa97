// Broken and malicious workbooks: each ends in records or the reader's message, in bounded time
// and space, with nothing written outside the work directory and the work directory removed.
#include "HostileInput.h"
#include "ZipBuilder.h"

#include "readers/ExcelParser.h"

#include <algorithm>
#include <cstdlib>

using namespace pellacor;
using namespace pellacor::hostile;

namespace {

const std::string invalidFormat = "Failed to parse Excel file: Invalid Excel file format. The "
                                  "file does not appear to be a valid .xlsx file.";
const std::string noData = "Failed to parse Excel file: No data found in Excel file or the "
                           "first sheet is empty.";
const std::string sheetPart = "xl/worksheets/sheet1.xml";

std::string cell(const std::string& reference, const std::string& value) {
    return "<c r=\"" + reference + "\"><v>" + value + "</v></c>";
}

std::string sheet(const std::string& rows, const std::string& doctype = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + doctype +
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<sheetData>" +
           rows + "</sheetData></worksheet>";
}

const std::string twoRows = "<row r=\"1\">" + cell("A1", "s1") + cell("B1", "ACGT") +
                            "</row><row r=\"2\">" + cell("A2", "s2") + cell("B2", "GGCC") +
                            "</row>";

// Each test reads with its own temporary directory, checked empty afterwards.
class BadWorkbook : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(temporary);
        if (const char* old = std::getenv("TMPDIR"))
            previousTemporary = old;
        ::setenv("TMPDIR", temporary.c_str(), 1);
    }
    void TearDown() override {
        EXPECT_EQ(namesIn(temporary), std::vector<std::string>()) << "work directory left";
        if (previousTemporary)
            ::setenv("TMPDIR", previousTemporary->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    // Reads `archive` saved as `name`; the message when it fails, else one line per record.
    std::string read(std::string_view archive, const std::string& name = "book.xlsx") {
        writeFile(folder / name, archive);
        try {
            std::string lines;
            for (const SequenceEntry& e : ExcelParser::parse(folder / name))
                lines += e.identifier + " " + e.sequence + "\n";
            return lines;
        } catch (const ExcelParser::ExcelError& e) {
            return e.what();
        }
    }

    std::string workbook(const std::string& sheetXml) {
        ZipBuilder zip;
        zip.addStored(sheetPart, sheetXml);
        return zip.bytes();
    }

    ScratchFolder folder;
    const fs::path temporary = folder / "tmp";
    std::optional<std::string> previousTemporary;
};

} // namespace

TEST_F(BadWorkbook, aZeroByteWorkbookIsNotAValidArchive) {
    EXPECT_EQ(read(""), invalidFormat);
}

TEST_F(BadWorkbook, aTruncatedWorkbookIsNotAValidArchive) {
    const std::string whole = workbook(sheet(twoRows));
    ASSERT_EQ(read(whole), "s1 ACGT\ns2 GGCC\n");
    EXPECT_EQ(read(whole.substr(0, whole.size() / 2)), invalidFormat);
    EXPECT_EQ(read(whole.substr(0, whole.size() - 10)), invalidFormat);
}

TEST_F(BadWorkbook, entryNamesThatClimbOutOfTheFolderWriteNothingOutsideIt) {
    const fs::path absolute = folder / "absolute.txt";
    ZipBuilder zip;
    zip.addStored("../../../climbed.txt", "x");
    zip.addStored("../../../../../../../../../../tmp/pellacor-climbed-" +
                      std::to_string(::getpid()) + ".txt",
                  "x");
    zip.addStored(absolute.string(), "x");
    zip.addStored("xl/../../../../climbed-inside.txt", "x");
    zip.addStored(sheetPart, sheet(twoRows));
    EXPECT_EQ(read(zip.bytes()), "s1 ACGT\ns2 GGCC\n");
    std::vector<std::string> names = namesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"book.xlsx", "tmp"}));
    EXPECT_FALSE(fs::exists("/tmp/pellacor-climbed-" + std::to_string(::getpid()) + ".txt"));
    EXPECT_FALSE(fs::exists(absolute));
}

TEST_F(BadWorkbook, aSheetListedPastFourGibibytesIsRefusedBeforeUnpacking) {
    ZipBuilder zip;
    zip.addZeros(sheetPart, 4200); // 4.3 MB that inflate to 4.4 GB
    const std::string bomb = zip.bytes();
    ASSERT_LT(bomb.size(), 5'000'000u);
    PeakSizeWatcher watcher(temporary);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read(bomb), invalidFormat);
    EXPECT_LT(watcher.stop(), 64u << 20) << "unpacked the bomb";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
}

TEST_F(BadWorkbook, aSheetThatInflatesPastItsListedSizeIsStoppedEarly) {
    // The headers claim 1,000 bytes; the data inflates to 1 GiB. unzip does not check the
    // claim, so only the reader can keep such an archive from filling the disk.
    ZipBuilder zip;
    zip.addZeros(sheetPart, 1024, 1000);
    PeakSizeWatcher watcher(temporary);
    EXPECT_EQ(read(zip.bytes()), invalidFormat);
    EXPECT_LT(watcher.stop(), 256u << 20) << "unpacked far past the listed size";
}

TEST_F(BadWorkbook, anEntityBombStopsTheSheetWithTheRowsReadBeforeIt) {
    std::string doctype = "<!DOCTYPE worksheet [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 9; ++i)
        doctype += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&l" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    doctype += "]>";
    const std::string rows = "<row>" + cell("A1", "s1") + cell("B1", "ACGT") + "</row><row>" +
                             cell("A2", "s2") + cell("B2", "&l9;") + "</row>";
    const auto start = std::chrono::steady_clock::now();
    const std::string result = read(workbook(sheet(rows, doctype)));
    EXPECT_TRUE(result == "s1 ACGT\n" || result == invalidFormat || result == noData) << result;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(BadWorkbook, deeplyNestedElementsAroundTheRowsAreWalkedWithoutRecursion) {
    const int depth = 200'000;
    std::string nested;
    nested.reserve(depth * 8 + twoRows.size());
    for (int i = 0; i < depth; ++i)
        nested += "<x:n>";
    nested += twoRows;
    for (int i = 0; i < depth; ++i)
        nested += "</x:n>";
    const std::string xml =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:x=\"urn:x\"><sheetData>" +
        nested + "</sheetData></worksheet>";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read(workbook(xml)), "s1 ACGT\ns2 GGCC\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
}

TEST_F(BadWorkbook, aRowOfAllSixteenThousandColumnsKeepsItsFirstThree) {
    std::string row = "<row r=\"1\">";
    for (int column = 1; column <= 16'384; ++column) {
        std::string letters;
        for (int n = column; n > 0; n = (n - 1) / 26)
            letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
        row += cell(letters + "1", column == 1 ? "s1" : column == 2 ? "ACGT" : "x");
    }
    // Past the widest sheet, and far past it: ignored, and no room is made for them.
    row += cell("XFE1", "y") + cell("ZZZZZZZZZZZZZZZZZZZZ1", "z") + "</row>";
    EXPECT_EQ(read(workbook(sheet(row))), "s1 ACGT\n");
}
