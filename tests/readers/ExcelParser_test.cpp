#include "readers/CSVParser.h"
#include "readers/UnzipProcess.h"

#include "WorkbookFiles.h"

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

} // namespace

TEST_F(ExcelParserTest, workbooks_from_common_writers_read_like_their_csv_twin_whatever_the_name) {
    const std::vector<SequenceEntry> expected = CSVParser::parse(fixtures / "table.csv").entries;
    for (const char* name : {"libreoffice.xlsx", "openpyxl.xlsx"}) {
        const std::vector<SequenceEntry> got = ExcelParser::parse(fixtures / name);
        ASSERT_EQ(got.size(), expected.size()) << name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].identifier, expected[i].identifier) << name;
            EXPECT_EQ(got[i].sequence, expected[i].sequence) << name;
            // The delimited reader keeps an empty last field as present; a cell does not.
            EXPECT_EQ(got[i].description.value_or(""), expected[i].description.value_or(""))
                << name;
        }
    }
    for (const char* name : {"TABLE.XLSX", "old-name.xls", "no-extension"}) {
        fs::copy_file(fixtures / "openpyxl.xlsx", folder / name);
        EXPECT_EQ(ExcelParser::parse(folder / name).size(), 5u) << name;
    }
}

TEST_F(ExcelParserTest, damaged_or_sheetless_archives_fail_with_their_message) {
    std::string damaged = zip({{sheetPart, sheetOf("s1", "ACGT") + std::string(2000, ' ')}});
    damaged[damaged.find(std::string(2000, ' ')) + 100] = 'x';
    EXPECT_EQ(read(damaged), invalidFormat);
    EXPECT_EQ(read(zip({{"word/document.xml", "<document/>"},
                        {"xl/sharedStrings.xml", sharedStrings({"s1", "ACGT"})}})),
              noData);
    EXPECT_EQ(read(zip({{sheetPart, sheetOf("ID", "Sequence")}})), noData);
}

TEST_F(ExcelParserTest, the_work_directory_is_made_where_it_can_be_and_failures_reported) {
    {
        writeFile(folder / "not-a-directory", "");
        ScopedEnvironment blocked("TMPDIR", (folder / "not-a-directory").string());
        const std::string failure = readFile(fixtures / "openpyxl.xlsx");
        EXPECT_EQ(failure.rfind("Failed to parse Excel file: Cannot create", 0), 0u) << failure;
    }
    {
        ScopedEnvironment nested("TMPDIR", (temporary / "a/b").string());
        EXPECT_EQ(ExcelParser::parse(fixtures / "openpyxl.xlsx").size(), 5u);
        EXPECT_TRUE(fs::is_empty(temporary / "a/b"));
        fs::remove_all(temporary / "a");
    }
    const fs::path original = UnzipProcess::program();
    UnzipProcess::useProgram(folder / "no-such-unzip");
    const std::string failure = readFile(fixtures / "openpyxl.xlsx");
    UnzipProcess::useProgram(original);
    EXPECT_EQ(failure, "Failed to parse Excel file: Cannot start \u201Cno-such-unzip\u201D: No "
                       "such file or directory.");
}

TEST_F(ExcelParserTest, shared_strings_resolve_across_parts) {
    EXPECT_EQ(
        read(zip({{"xl/sharedStrings.xml", sharedStrings({"ID", "Sequence", "s1", "AC GT"})},
                  {sheetPart,
                   worksheet("<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row><row>" +
                             cell("A2", "2", "s") + cell("B2", "3", "s") + "</row>")}})),
        "s1 ACGT\n");
}

TEST_F(ExcelParserTest, the_first_tab_is_read_and_sheet1_when_the_workbook_leads_nowhere) {
    const Parts sheets = {{sheetPart, sheetOf("fallback", "AAAA")},
                          {"xl/worksheets/sheet2.xml", sheetOf("first", "CCCC")},
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
        {rels("rId2", "workbook.xml"), "fallback"},
        {rels("rId2", "sharedStrings.xml"), "fallback"},
    };
    for (auto [parts, expected] : cases) {
        parts.insert(sheets.begin(), sheets.end());
        const std::string got = read(zip(parts));
        EXPECT_EQ(got.substr(0, got.find(' ')), expected) << parts["xl/_rels/workbook.xml.rels"];
    }
}

TEST_F(ExcelParserTest, parts_that_are_not_read_are_never_unpacked) {
    // Unpacking the damaged picture would fail the whole extraction.
    std::string book = zip({{sheetPart, sheetOf("s1", "ACGT")},
                            {"xl/media/image1.png", std::string(5000, 'x') + "tail"}});
    book[book.find("xxxxtail") - 100] = 'y';
    EXPECT_EQ(read(book), "s1 ACGT\n");
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
}
