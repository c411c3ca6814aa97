// The workbook reader: real workbooks, how the sheet is found, and broken or malicious archives,
// each ending in records or the reader's message, in bounded time and space, with nothing
// written outside the work directory and the work directory removed.
#include "files/FileError.h"
#include "readers/ChoiceError.h"
#include "readers/TableError.h"
#include "readers/delimited/CSVParser.h"
#include "readers/workbook/UnzipProcess.h"
#include "readers/workbook/WorkDirectory.h"
#include "readers/workbook/WorksheetDelegate.h"

#include "tests/readers/workbook/WorkbookFiles.h"

#include <algorithm>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace pellacor;
using namespace pellacor::testing;

namespace {

const fs::path fixtures = fs::path(PELLACOR_FIXTURES) / "workbooks";
using Parts = std::map<std::string, std::string>;

std::string workbookPart(const std::string& id) {
    return "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"" +
           id + "\"/></sheets></workbook>";
}

std::string relationshipsPart(const std::vector<std::pair<std::string, std::string>>& targets) {
    std::string xml =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& [id, target] : targets)
        xml += "<Relationship Id=\"" + id +
               "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
               "worksheet\" Target=\"" +
               target + "\"/>";
    return xml + "</Relationships>";
}

std::string sheetOf(const std::string& identifier, const std::string& sequence) {
    return worksheet("<row>" + cell("A1", identifier, "str") + cell("B1", sequence, "str") +
                     "</row>");
}

using ExcelParserTest = WorkbookTest;
using BadWorkbook = WorkbookTest;

const std::string twoRows = "<row r=\"1\">" + cell("A1", "s1") + cell("B1", "ACGT") +
                            "</row><row r=\"2\">" + cell("A2", "s2") + cell("B2", "GGCC") +
                            "</row>";

} // namespace

TEST_F(ExcelParserTest, workbooks_from_common_writers_read_like_their_csv_twin_whatever_the_name) {
    std::string expected;
    for (const SequenceEntry& e : CSVParser::parse(fixtures / "table.csv").entries)
        expected += e.identifier + " " + e.sequence + " " + e.description.value_or("") + "\n";
    for (const char* name :
         {"libreoffice.xlsx", "openpyxl.xlsx", "TABLE.XLSX", "old.xls", "none"}) {
        if (!fs::exists(fixtures / name))
            fs::copy_file(fixtures / "openpyxl.xlsx", folder / name);
        const fs::path file = fs::exists(fixtures / name) ? fixtures / name : folder / name;
        EXPECT_EQ(readFile(file, true), expected) << name;
    }
}

TEST_F(ExcelParserTest, a_damaged_read_part_or_no_sheet_fails_and_other_parts_are_not_unpacked) {
    const std::string blanks(2000, ' ');
    std::string book = zip({{sheetPart, sheetOf("s1", "ACGT") + blanks},
                            {"xl/media/image1.png", std::string(5000, 'x') + "tail"}});
    book[book.find("xxxxtail") - 100] = 'y'; // unpacking the picture would fail
    EXPECT_EQ(read(book), "s1 ACGT\n");
    book[book.find(blanks) + 100] = 'x';
    EXPECT_EQ(read(book), invalidFormat);
    // With shared strings the sheet is read on a thread of its own; damage to either part, or
    // to both, still fails the workbook.
    const std::string lines(2000, '\n');
    const std::string rows = "<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>";
    const std::string shared =
        zip({{sheetPart, worksheet(rows) + blanks},
             {"xl/sharedStrings.xml", sharedStrings({"s1", "ACGT"}) + lines}});
    EXPECT_EQ(read(shared), "s1 ACGT\n");
    for (const auto& [sheetDamaged, stringsDamaged] :
         {std::pair{true, false}, {false, true}, {true, true}}) {
        std::string damaged = shared;
        if (sheetDamaged)
            damaged[damaged.find(blanks) + 100] = 'x';
        if (stringsDamaged)
            damaged[damaged.find(lines) + 100] = 'x';
        EXPECT_EQ(read(damaged), invalidFormat) << sheetDamaged << stringsDamaged;
    }
    EXPECT_EQ(read(zip({{"word/document.xml", "<document/>"},
                        {"xl/sharedStrings.xml", sharedStrings({"s1", "ACGT"})}})),
              noData);
    EXPECT_EQ(read(zip({{sheetPart, sheetOf("ID", "Sequence")}})), noData);
}

TEST_F(ExcelParserTest, the_work_directory_is_made_where_it_can_be_and_failures_reported) {
    {
        writeFile(folder / "not-a-directory", "");
        ScopedEnvironment blocked("TMPDIR", (folder / "not-a-directory").string());
        EXPECT_EQ(readFile(fixtures / "openpyxl.xlsx"),
                  "Failed to parse Excel file: The temporary folder \u201C" +
                      (folder / "not-a-directory").string() +
                      "\u201D cannot be used: Not a directory. Set TMPDIR to a folder you can "
                      "write to, and try again.");
    }
    {
        // A folder made here would be left behind: the user is told to make it.
        ScopedEnvironment missing("TMPDIR", (temporary / "a/b").string());
        EXPECT_EQ(readFile(fixtures / "openpyxl.xlsx"),
                  "Failed to parse Excel file: The temporary folder \u201C" +
                      (temporary / "a/b").string() +
                      "\u201D does not exist. Create it, or set TMPDIR to a folder that does, "
                      "and try again.");
        EXPECT_FALSE(fs::exists(temporary / "a"));
    }
    const fs::path original = UnzipProcess::program();
    UnzipProcess::useProgram(folder / "no-such-unzip");
    const std::string failure = readFile(fixtures / "openpyxl.xlsx");
    UnzipProcess::useProgram(original);
    EXPECT_EQ(failure, "Failed to parse Excel file: Cannot start \u201Cno-such-unzip\u201D: No "
                       "such file or directory.");
}

TEST_F(ExcelParserTest, the_first_tab_is_read_and_sheet1_when_the_workbook_leads_nowhere) {
    const Parts sheets = {{sheetPart, sheetOf("fallback", "AAAA")},
                          {"xl/worksheets/sheet2.xml", sheetOf("first", "CCCC")},
                          {"xl/worksheets/first tab.xml", sheetOf("tab", "GGGG")},
                          {"xl/worksheets/sheet[2].xml", sheetOf("bracket", "TTTT")},
                          {"xl/sharedStrings.xml", sharedStrings({"x", "y"})}};
    const auto rels = [](const std::string& id, const std::string& target) {
        return Parts{{"xl/workbook.xml", workbookPart("rId2")},
                     {"xl/_rels/workbook.xml.rels", relationshipsPart({{id, target}})}};
    };
    const std::vector<std::pair<Parts, std::string>> cases = {
        {rels("rId2", "worksheets/sheet2.xml"), "first"},
        {rels("rId2", "/xl/worksheets/sheet2.xml"), "first"},
        {rels("rId2", "./worksheets/../worksheets/sheet2.xml"), "first"},
        {rels("rId2", "../xl/worksheets/sheet2.xml"), "first"},
        {rels("rId2", "worksheets/first%20tab.xml"), "tab"},
        {rels("rId2", "worksheets/sheet%32.xml"), "first"},
        {rels("rId2", "worksheets%2Fsheet2.xml"), "fallback"},
        {rels("rId2", "worksheets/sheet%2A.xml"), "fallback"},
        {{{"xl/workbook.xml",
           "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<x:sheets><x:sheet name=\"B\" sheetId=\"9\" rel:id=\"R9\"/><x:sheet name=\"A\" "
           "sheetId=\"1\" rel:id=\"R1\"/></x:sheets></x:workbook>"},
          {"xl/_rels/workbook.xml.rels",
           relationshipsPart({{"R1", "worksheets/sheet1.xml"}, {"R9", "worksheets/sheet2.xml"}})}},
         "first"},
        {{}, "fallback"},
        {{{"xl/workbook.xml", workbookPart("rId2")}}, "fallback"},
        {rels("rId3", "worksheets/sheet2.xml"), "fallback"},
        {rels("rId2", "worksheets/missing.xml"), "fallback"},
        {rels("rId2", "../../../etc/passwd"), "fallback"},
        {rels("rId2", "worksheets/sheet*.xml"), "fallback"},
        // Names are matched literally, never as unzip's wildcards.
        {rels("rId2", "worksheets/sheet[2].xml"), "bracket"},
        {rels("rId2", "worksheets/sheet?.xml"), "fallback"},
        {rels("rId2", "worksheets/*.xml"), "fallback"},
        {rels("rId2", "workbook.xml"), "fallback"},
        {rels("rId2", "sharedStrings.xml"), "fallback"},
    };
    for (auto [parts, expected] : cases) {
        parts.insert(sheets.begin(), sheets.end());
        const std::string got = read(zip(parts));
        EXPECT_EQ(got.substr(0, got.find(' ')), expected) << parts["xl/_rels/workbook.xml.rels"];
    }
}

TEST_F(ExcelParserTest, large_parts_are_read_whole_while_they_are_unpacked) {
    // Big enough that parsing starts before unzip has finished writing.
    std::string rows;
    std::vector<std::string> strings;
    const std::string residues(1000, 'A');
    for (int i = 0; i < 4000; ++i) {
        const std::string n = std::to_string(i);
        strings.push_back(residues + n);
        rows += "<row r=\"" + n + "\">" + cell("A" + n, "id" + n, "str") + cell("B" + n, n, "s") +
                "</row>";
    }
    writeFile(folder / "large.xlsx", zip({{sheetPart, worksheet(rows)},
                                          {"xl/sharedStrings.xml", sharedStrings(strings)}}));
    const std::vector<SequenceEntry> entries = ExcelParser::parse(folder / "large.xlsx");
    ASSERT_EQ(entries.size(), 4000u);
    EXPECT_EQ(entries.front().identifier, "id0");
    EXPECT_EQ(entries.back().identifier, "id3999");
    EXPECT_EQ(entries.back().sequence, residues + "3999");
    // From another kind of file system the kernel does not copy the workbook in; it is read.
    const fs::path elsewhere = "/dev/shm/pellacor-" + std::to_string(::getpid()) + ".xlsx";
    if (fs::is_directory(elsewhere.parent_path()) &&
        fs::copy_file(folder / "large.xlsx", elsewhere)) {
        EXPECT_EQ(readFile(elsewhere), readFile(folder / "large.xlsx"));
        fs::remove(elsewhere);
    }
}

TEST_F(ExcelParserTest, rows_too_many_to_wait_for_the_table_are_read_again_once_it_is_there) {
    std::string rows;
    std::vector<std::string> strings = {"ID", "Sequence"};
    std::string expected;
    rows += "<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>";
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i + 2);
        strings.push_back("ACGT" + n);
        rows += "<row>" + cell("A" + n, "id" + n, "str") + cell("B" + n, n, "s") + "</row>";
        expected += "id" + n + " ACGT" + n + "\n";
    }
    const std::string book =
        zip({{sheetPart, worksheet(rows)}, {"xl/sharedStrings.xml", sharedStrings(strings)}});
    ASSERT_EQ(read(book), expected);
    ExcelParser::setRowWaitingLimit(4096);
    const std::string twice = read(book);
    ExcelParser::setRowWaitingLimit(WorksheetDelegate::defaultWaitingLimit);
    EXPECT_EQ(twice, expected);
}

TEST_F(BadWorkbook,
       a_shared_string_table_of_millions_of_empty_items_costs_only_what_the_sheet_names) {
    // 20 million empty items, 100 MB unpacked from a few hundred kilobytes; the sheet names two.
    ZipBuilder zip;
    std::string block;
    for (int i = 0; i < 100'000; ++i)
        block += "<si/>";
    zip.addRepeated("xl/sharedStrings.xml", "<sst><si><t>s1</t></si><si><t>ACGT</t></si>", block,
                    200, "</sst>");
    zip.addStored(sheetPart,
                  worksheet("<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>"));
    const std::string bytes = zip.bytes();
    ASSERT_LT(bytes.size(), 2'000'000u);
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(read(bytes), "s1 ACGT\n");
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    // Kept whole, the table would take over 600 MB.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 128 * 1024);
}

TEST_F(BadWorkbook, empty_truncated_and_non_archive_files_are_not_valid_workbooks) {
    const std::string whole = zip({{sheetPart, worksheet(twoRows)}});
    ASSERT_EQ(read(whole), "s1 ACGT\ns2 GGCC\n");
    for (const std::string& bytes :
         {std::string(), whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 10),
          std::string("ID,Sequence\ns1,ACGT\n"),
          std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, '\0')})
        EXPECT_EQ(read(bytes), invalidFormat) << bytes.size();
}

TEST_F(BadWorkbook, entry_names_that_climb_out_of_the_folder_are_refused_and_write_nothing) {
    const fs::path absolute = folder / "absolute.txt";
    const std::string climbed = "/tmp/pellacor-climbed-" + std::to_string(::getpid()) + ".txt";
    for (const std::string& name :
         {std::string("../../../climbed.txt"), "../../../../../../../../../.." + climbed,
          absolute.string(), std::string("xl/../../../../climbed-inside.txt")}) {
        ZipBuilder zip;
        zip.addStored(name, "x");
        zip.addStored(sheetPart, worksheet(twoRows));
        EXPECT_EQ(read(zip.bytes()),
                  "Failed to parse Excel file: The workbook holds an entry named \u201C" + name +
                      "\u201D, which would be unpacked outside its folder; no spreadsheet "
                      "program writes such names, so it is not read.")
            << name;
    }
    std::vector<std::string> names = namesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"book.xlsx", "tmp"}));
    EXPECT_FALSE(fs::exists(climbed));
    EXPECT_FALSE(fs::exists(absolute));
}

TEST_F(BadWorkbook, two_entries_of_one_name_are_refused_as_damaged_whichever_comes_first) {
    for (const bool sheetFirst : {true, false}) {
        ZipBuilder zip;
        zip.addStored(sheetPart, worksheet(sheetFirst ? twoRows : "<row/>"));
        zip.addStored(sheetPart, worksheet(sheetFirst ? "<row/>" : twoRows));
        EXPECT_EQ(read(zip.bytes()), "Failed to parse Excel file: The workbook is damaged: it "
                                     "holds two entries named \u201Cxl/worksheets/sheet1.xml"
                                     "\u201D. Save it again from your spreadsheet program and "
                                     "try again.");
    }
}

TEST_F(BadWorkbook, a_part_that_is_a_link_to_a_folder_outside_never_receives_a_file) {
    // The shared strings are a link to a folder outside; the first sheet, named inside that
    // link, would be written through it by an unzip that extracts to the file system.
    const fs::path outside = folder / "outside";
    fs::create_directories(outside);
    const fs::path links = folder / "links";
    const fs::path files = folder / "files";
    fs::create_directories(links / "xl");
    fs::create_symlink(outside, links / "xl/sharedStrings.xml");
    fs::create_directories(files / "xl/sharedStrings.xml");
    fs::create_directories(files / "xl/_rels");
    writeFile(files / "xl/sharedStrings.xml/evil.desktop", worksheet(twoRows));
    writeFile(files / "xl/workbook.xml", workbookPart("rId1"));
    writeFile(files / "xl/_rels/workbook.xml.rels",
              relationshipsPart({{"rId1", "sharedStrings.xml/evil.desktop"}}));
    const fs::path book = folder / "linked.xlsx";
    ASSERT_EQ(std::system(("cd '" + links.string() + "' && zip -q --symlinks '" + book.string() +
                           "' xl/sharedStrings.xml && cd '" + files.string() + "' && zip -q '" +
                           book.string() + "' xl/sharedStrings.xml/evil.desktop xl/workbook.xml " +
                           "xl/_rels/workbook.xml.rels")
                              .c_str()),
              0);
    EXPECT_EQ(readFile(book), "Failed to parse Excel file: The workbook holds a link, "
                              "\u201Cxl/sharedStrings.xml\u201D, which no spreadsheet program "
                              "writes; it is not read, so that nothing outside it can be "
                              "reached through the link.");
    EXPECT_EQ(namesIn(outside), std::vector<std::string>());
}

TEST_F(BadWorkbook, a_sheet_listed_past_four_gibibytes_is_refused_before_unpacking) {
    ZipBuilder zip;
    zip.addZeros(sheetPart, 4200); // 4.3 MB that inflate to 4.4 GB
    const std::string bomb = zip.bytes();
    ASSERT_LT(bomb.size(), 5'000'000u);
    PeakSizeWatcher watcher(temporary);
    EXPECT_EQ(read(bomb), invalidFormat);
    EXPECT_LT(watcher.stop(), 64u << 20) << "unpacked the bomb";
}

TEST_F(BadWorkbook, read_parts_listed_at_more_than_four_gibibytes_together_are_refused) {
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

TEST_F(BadWorkbook, a_sheet_that_inflates_past_its_listed_size_is_stopped_early) {
    // The headers claim 1,000 bytes; the data inflates to 1 GiB. unzip does not check the
    // claim, so only the reader can keep such an archive from filling the disk.
    ZipBuilder zip;
    zip.addZeros(sheetPart, 1024, 1000);
    PeakSizeWatcher watcher(temporary);
    EXPECT_EQ(read(zip.bytes()), invalidFormat);
    EXPECT_LT(watcher.stop(), 256u << 20) << "unpacked far past the listed size";
}

TEST_F(BadWorkbook, an_entity_bomb_stops_the_sheet_with_the_rows_read_before_it) {
    std::string doctype = "<!DOCTYPE worksheet [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 9; ++i) {
        doctype += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            doctype += "&l" + std::to_string(i - 1) + ";";
        doctype += "\">";
    }
    const std::string rows = "<row>" + cell("A1", "s1") + cell("B1", "ACGT") + "</row><row>" +
                             cell("A2", "s2") + cell("B2", "&l9;") + "</row>";
    const std::string result = read(zip({{sheetPart, worksheet(rows, doctype + "]>")}}));
    EXPECT_TRUE(result == "s1 ACGT\n" || result == invalidFormat || result == noData) << result;
}

TEST_F(BadWorkbook, external_entities_and_linked_parts_are_never_followed) {
    writeFile(folder / "secret.xml",
              worksheet("<row>" + cell("A1", "leaked") + cell("B1", "SECRETSEQ") + "</row>"));
    const std::string entity =
        "<!DOCTYPE w [<!ENTITY x SYSTEM \"file://" + (folder / "secret.xml").string() + "\">]>";
    const std::string rows = "<row>" + cell("A1", "s1") + cell("B1", "AC&x;GT") + "</row>";
    const std::string result = read(zip({{sheetPart, worksheet(rows, entity)}}));
    EXPECT_EQ(result.rfind("s1 AC", 0), 0u) << result;
    EXPECT_EQ(result.find("SECRET"), std::string::npos) << result;

    // A sheet stored as a link to a file outside is never read through.
    const fs::path staging = folder / "linked";
    fs::create_directories(staging / "xl/worksheets");
    fs::create_symlink(folder / "secret.xml", staging / sheetPart);
    const std::string command = "cd '" + staging.string() + "' && zip -q -y -r '" +
                                (folder / "linked.xlsx").string() + "' xl";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(folder / "linked.xlsx"),
              "Failed to parse Excel file: The workbook holds a link, \u201C" + sheetPart +
                  "\u201D, which no spreadsheet program writes; it is not read, so that nothing "
                  "outside it can be reached through the link.");
}

TEST_F(BadWorkbook, deeply_nested_elements_around_the_rows_are_walked_without_recursion) {
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
    EXPECT_EQ(read(zip({{sheetPart, xml}})), "s1 ACGT\ns2 GGCC\n");
}

TEST_F(BadWorkbook, a_row_of_all_sixteen_thousand_columns_keeps_its_first_three) {
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

TEST_F(WorkbookTest, a_work_directory_lives_under_tmpdir_privately_and_goes_with_its_contents) {
    fs::path made;
    {
        WorkDirectory work;
        made = work.path();
        EXPECT_EQ(made.parent_path(), fs::absolute(temporary));
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        work.writeFile("temp.xlsx", "first");
        // An existing file is never written through.
        EXPECT_THROW(work.writeFile("temp.xlsx", "second"), pellacor::FileError);
        EXPECT_THROW(work.makeDirectory("temp.xlsx"), pellacor::FileError);
        work.makeDirectory("extracted");
        fs::create_directories(work.path() / "extracted/xl/worksheets");
        writeFile(work.path() / "extracted/xl/worksheets/sheet1.xml", "<x/>");
        // Only the last owner removes it; a moved-from one leaves it alone.
        const WorkDirectory owner(std::move(work));
        { const WorkDirectory none(std::move(work)); }
        EXPECT_TRUE(fs::exists(made));
    }
    EXPECT_FALSE(fs::exists(made));
}

TEST_F(BadWorkbook, a_workbook_part_that_unzip_skips_is_the_archives_fault_not_the_file_systems) {
    // xl/workbook.xml is marked as a volume label, so unzip skips it and still succeeds; the
    // reader then failed with "Cannot open “workbook.xml”", a file the user never chose.
    const std::string file =
        std::string(PELLACOR_FIXTURES) + "/hostile/workbook-part-as-volume-label.xlsx";
    EXPECT_EQ(readFile(file), invalidFormat);
}

namespace {

// A workbook of several sheets, each "name" -> (hidden, rows), in tab order.
std::string booksOf(const std::vector<std::tuple<std::string, bool, std::string>>& sheets) {
    std::string list;
    std::vector<std::pair<std::string, std::string>> targets;
    Parts parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const auto& [name, hidden, rows] = sheets[i];
        const std::string id = "rId" + std::to_string(i + 1);
        list += "<sheet name=\"" + name + "\" sheetId=\"" + std::to_string(i + 1) + "\"" +
                (hidden ? " state=\"hidden\"" : "") + " r:id=\"" + id + "\"/>";
        targets.push_back({id, "worksheets/s" + std::to_string(i + 1) + ".xml"});
        parts["xl/worksheets/s" + std::to_string(i + 1) + ".xml"] = worksheet(rows);
    }
    parts["xl/workbook.xml"] =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets>" +
        list + "</sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] = relationshipsPart(targets);
    ZipBuilder zip;
    for (const auto& [name, content] : parts)
        zip.addStored(name, content);
    return zip.bytes();
}

std::string rowOf(const std::string& n, const std::string& a, const std::string& b) {
    return "<row r=\"" + n + "\">" + cell("A" + n, a, "str") + cell("B" + n, b, "str") + "</row>";
}

} // namespace

TEST_F(ExcelParserTest, the_first_sheet_shown_is_read_unless_another_is_chosen) {
    const std::string book = booksOf({{"Notes", true, rowOf("1", "n1", "NNNN")},
                                      {"Data", false, rowOf("1", "d1", "DDDD")},
                                      {"More", false, rowOf("1", "m1", "MMMM")}});
    writeFile(folder / "book.xlsx", book);
    const auto readSheet = [&](std::optional<std::string> sheet) {
        std::string lines;
        const WorkbookReport report = ExcelParser::read(
            folder / "book.xlsx", [&](const RecordView& r) { lines += std::string(r.identifier); },
            {sheet, {}, {}});
        EXPECT_EQ(report.sheets, (std::vector<std::string>{"Notes", "Data", "More"}));
        return lines + "@" + report.sheet;
    };
    EXPECT_EQ(readSheet(std::nullopt), "d1@Data") << "a hidden first sheet is passed over";
    EXPECT_EQ(readSheet("3"), "m1@More");
    EXPECT_EQ(readSheet(" more "), "m1@More");
    EXPECT_EQ(readSheet("Notes"), "n1@Notes");
    try {
        readSheet("Summary");
        FAIL() << "a sheet the workbook lacks was read";
    } catch (const ChoiceError& e) {
        EXPECT_STREQ(e.what(), "There is no sheet \u201CSummary\u201D in this workbook; it has 1 "
                               "\u201CNotes\u201D, 2 \u201CData\u201D, 3 \u201CMore\u201D.");
    }
    // All hidden: the first, as before.
    writeFile(folder / "hidden.xlsx", booksOf({{"A", true, rowOf("1", "a1", "AAAA")},
                                               {"B", true, rowOf("1", "b1", "BBBB")}}));
    EXPECT_EQ(readFile(folder / "hidden.xlsx"), "a1 AAAA\n");
}

TEST_F(ExcelParserTest, sheets_as_people_keep_them_read_as_their_cells_say) {
    // Laid out from column B: column A is empty in every row.
    const std::string fromB = "<row r=\"2\">" + cell("B2", "ID", "str") +
                              cell("C2", "Sequence", "str") + "</row><row r=\"3\">" +
                              cell("B3", "s1", "str") + cell("C3", "ACGT", "str") + "</row>";
    EXPECT_EQ(read(zip({{sheetPart, worksheet(fromB)}})), "s1 ACGT\n");
    // An inline string beside a <v>: the inline text is the value.
    const std::string inlineWithValue =
        "<row><c r=\"A1\" t=\"inlineStr\"><v>1.0</v><is><t>s1</t></is></c>"
        "<c r=\"B1\" t=\"inlineStr\"><v>1.0</v><is><t>ACGT</t></is></c></row>";
    EXPECT_EQ(read(zip({{sheetPart, worksheet(inlineWithValue)}})), "s1 ACGT\n");
    // Bytes before the first entry make unzip warn (status 1) but extract: the parts are whole.
    EXPECT_EQ(read("some bytes before the archive " + zip({{sheetPart, worksheet(twoRows)}})),
              "s1 ACGT\ns2 GGCC\n");
}
