// Broken and malicious workbooks: each ends in records or the reader's message, in bounded time
// and space, with nothing written outside the work directory and the work directory removed.
#include "WorkbookFiles.h"

#include "readers/WorksheetDelegate.h"
#include "readers/XmlParser.h"

#include <algorithm>

using namespace pellacor;
using namespace pellacor::testing;

namespace {

const std::string twoRows = "<row r=\"1\">" + cell("A1", "s1") + cell("B1", "ACGT") +
                            "</row><row r=\"2\">" + cell("A2", "s2") + cell("B2", "GGCC") +
                            "</row>";

using BadWorkbook = WorkbookTest;

} // namespace

TEST_F(BadWorkbook, emptyTruncatedAndNonArchiveFilesAreNotValidWorkbooks) {
    const std::string whole = zip({{sheetPart, worksheet(twoRows)}});
    ASSERT_EQ(read(whole), "s1 ACGT\ns2 GGCC\n");
    for (const std::string& bytes :
         {std::string(), whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 10),
          std::string("ID,Sequence\ns1,ACGT\n"),
          std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, '\0')})
        EXPECT_EQ(read(bytes), invalidFormat) << bytes.size();
}

TEST_F(BadWorkbook, entryNamesThatClimbOutOfTheFolderWriteNothingOutsideIt) {
    const fs::path absolute = folder / "absolute.txt";
    const std::string climbed = "/tmp/pellacor-climbed-" + std::to_string(::getpid()) + ".txt";
    ZipBuilder zip;
    zip.addStored("../../../climbed.txt", "x");
    zip.addStored("../../../../../../../../../.." + climbed, "x");
    zip.addStored(absolute.string(), "x");
    zip.addStored("xl/../../../../climbed-inside.txt", "x");
    zip.addStored(sheetPart, worksheet(twoRows));
    EXPECT_EQ(read(zip.bytes()), "s1 ACGT\ns2 GGCC\n");
    std::vector<std::string> names = namesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"book.xlsx", "tmp"}));
    EXPECT_FALSE(fs::exists(climbed));
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

TEST_F(BadWorkbook, readPartsListedAtMoreThanFourGibibytesTogetherAreRefused) {
    const auto book = [](std::optional<std::uint64_t> sheet, std::optional<std::uint64_t> strings) {
        ZipBuilder zip;
        zip.addStored(sheetPart, worksheet(twoRows), sheet);
        zip.addStored("xl/sharedStrings.xml", sharedStrings({"a"}), strings);
        zip.addStored("xl/media/huge.bin", "only the read parts count", 0xFFFFFFFEu);
        return zip.bytes();
    };
    EXPECT_EQ(read(book(std::nullopt, std::nullopt)), "s1 ACGT\ns2 GGCC\n");
    EXPECT_EQ(read(book(0xC0000000u, 0x40000001u)), invalidFormat);
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
    for (int i = 1; i <= 9; ++i) {
        doctype += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            doctype += "&l" + std::to_string(i - 1) + ";";
        doctype += "\">";
    }
    const std::string rows = "<row>" + cell("A1", "s1") + cell("B1", "ACGT") + "</row><row>" +
                             cell("A2", "s2") + cell("B2", "&l9;") + "</row>";
    const auto start = std::chrono::steady_clock::now();
    const std::string result = read(zip({{sheetPart, worksheet(rows, doctype + "]>")}}));
    EXPECT_TRUE(result == "s1 ACGT\n" || result == invalidFormat || result == noData) << result;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(BadWorkbook, externalEntitiesAndLinkedPartsAreNeverFollowed) {
    writeFile(folder / "secret.xml",
              worksheet("<row>" + cell("A1", "leaked") + cell("B1", "SECRETSEQ") + "</row>"));
    const std::string entity =
        "<!DOCTYPE w [<!ENTITY x SYSTEM \"file://" + (folder / "secret.xml").string() + "\">]>";
    const std::string rows = "<row>" + cell("A1", "s1") + cell("B1", "AC&x;GT") + "</row>";
    const std::string result = read(zip({{sheetPart, worksheet(rows, entity)}}));
    EXPECT_EQ(result.rfind("s1 AC", 0), 0u) << result;
    EXPECT_EQ(result.find("SECRET"), std::string::npos) << result;

    const fs::path staging = folder / "linked";
    fs::create_directories(staging / "xl/worksheets");
    fs::create_symlink(folder / "secret.xml", staging / sheetPart);
    const std::string command = "cd '" + staging.string() + "' && zip -q -y -r '" +
                                (folder / "linked.xlsx").string() + "' xl";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string failure = readFile(folder / "linked.xlsx");
    EXPECT_EQ(failure.find("leaked"), std::string::npos);
    EXPECT_EQ(failure.rfind("Failed to parse Excel file: ", 0), 0u) << failure;
    // Whatever unzip's timing, the reader itself refuses to open a link.
    WorksheetDelegate sheet({});
    EXPECT_THROW(XmlParser::runFile(staging / sheetPart, sheet), FileError);
}

TEST_F(BadWorkbook, deeplyNestedElementsAroundTheRowsAreWalkedWithoutRecursion) {
    const int depth = 200'000;
    std::string nested;
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
    EXPECT_EQ(read(zip({{sheetPart, xml}})), "s1 ACGT\ns2 GGCC\n");
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
    EXPECT_EQ(read(zip({{sheetPart, worksheet(row)}})), "s1 ACGT\n");
}
