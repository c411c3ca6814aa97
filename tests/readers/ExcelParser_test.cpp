#include "readers/CSVParser.h"
#include "readers/ExcelParser.h"
#include "readers/UnzipProcess.h"
#include "readers/WorksheetDelegate.h"
#include "readers/XmlParser.h"

#include "WorkbookFiles.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace pellacor;
using namespace pellacor::testing;

namespace {

const std::string prefix = "Failed to parse Excel file: ";
const std::string invalidFormat =
    "Invalid Excel file format. The file does not appear to be a valid .xlsx file.";
const std::string noData = "No data found in Excel file or the first sheet is empty.";
const std::string cannotRead = "Cannot read Excel file. Please check file permissions.";
const std::filesystem::path fixtures = std::filesystem::path(PELLACOR_FIXTURES) / "workbooks";

using Sheets = std::vector<std::pair<std::string, std::string>>;

std::string workbookPart(const Sheets& sheets) {
    std::string xml = "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                      "main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships\"><sheets>";
    int number = 1;
    for (const auto& [name, id] : sheets)
        xml += "<sheet name=\"" + name + "\" sheetId=\"" + std::to_string(number++) + "\" r:id=\"" +
               id + "\"/>";
    return xml + "</sheets></workbook>";
}

std::string relationshipsPart(const Sheets& targets) {
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
    return worksheet(inlineRow({identifier, sequence}));
}

std::vector<std::string> identifiers(const std::vector<SequenceEntry>& entries) {
    std::vector<std::string> out;
    for (const SequenceEntry& entry : entries)
        out.push_back(entry.identifier);
    return out;
}

class ExcelParserTest : public ::testing::Test {
protected:
    ScratchDirectory temporary;
    ScratchDirectory inputs;
    ScopedEnvironment temporaryRoot{"TMPDIR", temporary.path().string()};

    // Every way through the reader, failures included, leaves the temporary directory empty.
    void TearDown() override {
        EXPECT_EQ(temporary.entries(), std::vector<std::string>{}) << "work directory left behind";
    }

    std::filesystem::path workbook(const std::map<std::string, std::string>& parts,
                                   const std::string& name = "table.xlsx") {
        return zipParts(inputs.path(), name, parts);
    }

    static std::string failureOf(const std::filesystem::path& file) {
        try {
            ExcelParser::parse(file);
        } catch (const ExcelParser::ExcelError& error) {
            return error.what();
        }
        return "(read without failure)";
    }
};

} // namespace

TEST_F(ExcelParserTest, workbooks_from_common_writers_read_like_their_csv_twin) {
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
}

TEST_F(ExcelParserTest, the_file_name_extension_does_not_matter) {
    for (const char* name : {"TABLE.XLSX", "old-name.xls", "no-extension"}) {
        std::filesystem::copy_file(fixtures / "openpyxl.xlsx", inputs / name);
        EXPECT_EQ(ExcelParser::parse(inputs / name).size(), 5u) << name;
    }
}

TEST_F(ExcelParserTest, files_that_are_not_zip_archives_are_invalid) {
    // The start of an old binary workbook, a text file and an empty file.
    writeText(inputs / "old.xls",
              std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, '\0'));
    writeText(inputs / "text.xlsx", "ID,Sequence\ns1,ACGT\n");
    writeText(inputs / "empty.xlsx", "");
    for (const char* name : {"old.xls", "text.xlsx", "empty.xlsx"})
        EXPECT_EQ(failureOf(inputs / name), prefix + invalidFormat) << name;
}

TEST_F(ExcelParserTest, a_damaged_archive_is_invalid) {
    const auto file =
        workbook({{"xl/worksheets/sheet1.xml", sheetOf("s1", "ACGT") + std::string(2000, ' ')}});
    damageEntry(file, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(failureOf(file), prefix + invalidFormat);
}

TEST_F(ExcelParserTest, an_archive_without_the_sheet_has_no_data) {
    const auto file = workbook({{"word/document.xml", "<document/>"},
                                {"xl/sharedStrings.xml", sharedStrings({"s1", "ACGT"})}});
    EXPECT_EQ(failureOf(file), prefix + noData);
}

TEST_F(ExcelParserTest, a_sheet_with_only_a_header_has_no_data) {
    const auto file = workbook({{"xl/worksheets/sheet1.xml", sheetOf("ID", "Sequence")}});
    EXPECT_EQ(failureOf(file), prefix + noData);
}

TEST_F(ExcelParserTest, unreadable_input_is_reported_without_a_work_directory) {
    std::filesystem::create_directory(inputs / "folder.xlsx");
    EXPECT_EQ(failureOf(inputs / "missing.xlsx"), cannotRead);
    EXPECT_EQ(failureOf(inputs / "folder.xlsx"), cannotRead);
}

TEST_F(ExcelParserTest, bytes_that_are_no_archive_raise_the_unwrapped_error) {
    try {
        ExcelParser::parseData("plain text");
        FAIL() << "no failure";
    } catch (const ExcelParser::ExcelError& error) {
        EXPECT_EQ(error.kind(), ExcelParser::ExcelError::Case::invalidFileFormat);
        EXPECT_EQ(std::string(error.what()), invalidFormat);
    }
}

TEST_F(ExcelParserTest, a_work_directory_that_cannot_be_made_is_reported) {
    writeText(inputs / "not-a-directory", "");
    ScopedEnvironment blocked("TMPDIR", (inputs / "not-a-directory").string());
    const std::string failure = failureOf(fixtures / "openpyxl.xlsx");
    EXPECT_EQ(failure.rfind(prefix + "Cannot create", 0), 0u) << failure;
}

TEST_F(ExcelParserTest, a_missing_temporary_directory_is_created) {
    ScopedEnvironment nested("TMPDIR", (temporary / "a/b").string());
    EXPECT_EQ(ExcelParser::parse(fixtures / "openpyxl.xlsx").size(), 5u);
    EXPECT_TRUE(std::filesystem::is_empty(temporary / "a/b"));
    std::filesystem::remove_all(temporary / "a");
}

TEST_F(ExcelParserTest, an_extractor_that_cannot_start_is_reported_and_cleaned_up) {
    const std::filesystem::path original = UnzipProcess::program();
    UnzipProcess::useProgram(inputs / "no-such-unzip");
    const std::string failure = failureOf(fixtures / "openpyxl.xlsx");
    UnzipProcess::useProgram(original);
    EXPECT_EQ(failure,
              prefix + "Cannot start \u201Cno-such-unzip\u201D: No such file or directory.");
}

TEST_F(ExcelParserTest, shared_string_cells_keep_their_digits_without_a_table) {
    const auto file = workbook(
        {{"xl/worksheets/sheet1.xml", worksheet("<row><c r=\"A1\" t=\"s\"><v>0</v></c>"
                                                "<c r=\"B1\" t=\"s\"><v>1</v></c></row>")}});
    const auto entries = ExcelParser::parse(file);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].identifier, "0");
    EXPECT_EQ(entries[0].sequence, "1");
}

TEST_F(ExcelParserTest, shared_strings_resolve_across_parts) {
    const auto file = workbook(
        {{"xl/sharedStrings.xml", sharedStrings({"ID", "Sequence", "s1", "AC GT"})},
         {"xl/worksheets/sheet1.xml",
          worksheet("<row><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
                    "<row><c r=\"A2\" t=\"s\"><v>2</v></c><c r=\"B2\" t=\"s\"><v>3</v></c>"
                    "</row>")}});
    const auto entries = ExcelParser::parse(file);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].identifier, "s1");
    EXPECT_EQ(entries[0].sequence, "ACGT");
}

TEST_F(ExcelParserTest, the_first_tab_is_read_whatever_part_holds_it) {
    const auto file = workbook(
        {{"xl/workbook.xml", workbookPart({{"Results", "rId7"}, {"Raw", "rId1"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId1", "worksheets/sheet1.xml"},
                                                           {"rId7", "worksheets/sheet3.xml"}})},
         {"xl/worksheets/sheet1.xml", sheetOf("raw", "AAAA")},
         {"xl/worksheets/sheet3.xml", sheetOf("result", "CCCC")}});
    EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"result"});
}

TEST_F(ExcelParserTest, targets_may_be_absolute_or_climb_back_into_the_package) {
    for (const char* target : {"/xl/worksheets/first.xml", "./worksheets/../worksheets/first.xml",
                               "../xl/worksheets/first.xml"}) {
        const auto file =
            workbook({{"xl/workbook.xml", workbookPart({{"First", "rId2"}})},
                      {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", target}})},
                      {"xl/worksheets/sheet1.xml", sheetOf("other", "AAAA")},
                      {"xl/worksheets/first.xml", sheetOf("first", "CCCC")}},
                     std::string("t") + std::to_string(std::hash<std::string>{}(target)) + ".xlsx");
        EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"first"})
            << target;
    }
}

TEST_F(ExcelParserTest, prefixed_workbook_parts_are_understood) {
    const auto file = workbook(
        {{"xl/workbook.xml",
          "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<x:sheets><x:sheet name=\"A\" sheetId=\"9\" rel:id=\"R9\"/></x:sheets></x:workbook>"},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"R9", "worksheets/sheet2.xml"}})},
         {"xl/worksheets/sheet1.xml", sheetOf("other", "AAAA")},
         {"xl/worksheets/sheet2.xml", sheetOf("wanted", "CCCC")}});
    EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"wanted"});
}

TEST_F(ExcelParserTest, sheet1_is_read_when_the_workbook_does_not_lead_elsewhere) {
    const std::map<std::string, std::string> sheets = {
        {"xl/worksheets/sheet1.xml", sheetOf("fallback", "AAAA")},
        {"xl/worksheets/sheet2.xml", sheetOf("other", "CCCC")},
    };
    const std::vector<std::map<std::string, std::string>> cases = {
        {},                                                   // neither part
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})}}, // no relationships
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId3", "worksheets/sheet2.xml"}})}},
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", "worksheets/missing.xml"}})}},
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", "../../../etc/passwd"}})}},
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", "worksheets/sheet*.xml"}})}},
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", "workbook.xml"}})}},
        {{"xl/workbook.xml", workbookPart({{"A", "rId2"}})},
         {"xl/_rels/workbook.xml.rels", relationshipsPart({{"rId2", "sharedStrings.xml"}})},
         {"xl/sharedStrings.xml", sharedStrings({"x", "y"})}},
    };
    int number = 0;
    for (auto parts : cases) {
        parts.insert(sheets.begin(), sheets.end());
        const auto file = workbook(parts, "case" + std::to_string(++number) + ".xlsx");
        EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"fallback"})
            << "case " << number;
    }
}

TEST_F(ExcelParserTest, parts_that_are_not_read_are_never_unpacked) {
    // Unpacking the damaged picture would fail the whole extraction.
    const auto file = workbook({{"xl/worksheets/sheet1.xml", sheetOf("s1", "ACGT")},
                                {"xl/media/image1.png", std::string(5000, 'x') + "tail"}});
    damageEntry(file, "xl/media/image1.png");
    EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"s1"});
}

TEST_F(ExcelParserTest, archives_claiming_more_than_4_gib_are_refused_before_unpacking) {
    const auto file = workbook({{"xl/worksheets/sheet1.xml", sheetOf("s1", "ACGT")},
                                {"xl/sharedStrings.xml", sharedStrings({"a"})},
                                {"xl/media/huge.bin", "only the read parts count"}});
    setListedSize(file, "xl/media/huge.bin", 0xFFFFFFFFu - 1);
    EXPECT_EQ(identifiers(ExcelParser::parse(file)), std::vector<std::string>{"s1"});
    setListedSize(file, "xl/worksheets/sheet1.xml", 0xC0000000u);
    setListedSize(file, "xl/sharedStrings.xml", 0x40000001u);
    EXPECT_EQ(failureOf(file), prefix + invalidFormat);
}

TEST_F(ExcelParserTest, entity_expansion_stays_bounded) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a0 \"ACGTACGTAC\">";
    for (int i = 1; i <= 10; ++i)
        laughs += "<!ENTITY a" + std::to_string(i) + " \"" + [&] {
            std::string ten;
            for (int j = 0; j < 10; ++j)
                ten += "&a" + std::to_string(i - 1) + ";";
            return ten;
        }() + "\">";
    laughs += "]><worksheet><sheetData><row><c t=\"inlineStr\"><is><t>s1</t></is></c>"
              "<c t=\"inlineStr\"><is><t>&a10;</t></is></c></row></sheetData></worksheet>";
    const auto file = workbook({{"xl/worksheets/sheet1.xml", laughs}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf(file), prefix + noData);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(ExcelParserTest, external_entities_are_never_loaded) {
    writeText(inputs / "secret.txt", "SECRETSEQ");
    const auto file = workbook(
        {{"xl/worksheets/sheet1.xml",
          "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file://" +
              (inputs / "secret.txt").string() +
              "\">]><worksheet><sheetData><row><c t=\"inlineStr\"><is><t>s1</t></is></c>"
              "<c t=\"inlineStr\"><is><t>AC&x;GT</t></is></c></row></sheetData></worksheet>"}});
    const auto entries = ExcelParser::parse(file);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sequence.find("SECRET"), std::string::npos) << entries[0].sequence;
}

TEST_F(ExcelParserTest, a_part_stored_as_a_link_is_never_followed) {
    writeText(inputs / "elsewhere.xml", sheetOf("leaked", "ACGT"));
    const std::filesystem::path staging = inputs / "linked";
    std::filesystem::create_directories(staging / "xl/worksheets");
    std::filesystem::create_symlink(inputs / "elsewhere.xml", staging / "xl/worksheets/sheet1.xml");
    const std::string command = "cd '" + staging.string() + "' && zip -q -y -r '" +
                                (inputs / "linked.xlsx").string() + "' xl";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string failure = failureOf(inputs / "linked.xlsx");
    EXPECT_EQ(failure.find("leaked"), std::string::npos);
    EXPECT_EQ(failure.rfind(prefix, 0), 0u) << failure;
    // Whatever unzip's timing, the reader itself refuses to open a link.
    WorksheetDelegate sheet({});
    EXPECT_THROW(XmlParser::runFile(staging / "xl/worksheets/sheet1.xml", sheet), FileError);
}

TEST_F(ExcelParserTest, large_parts_are_read_whole_while_they_are_unpacked) {
    // Big enough that parsing starts before unzip has finished writing.
    std::string rows;
    std::vector<std::string> strings;
    const std::string residues(1000, 'A');
    for (int i = 0; i < 4000; ++i) {
        const std::string n = std::to_string(i);
        strings.push_back(residues + n);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>id" + n +
                "</t></is></c><c r=\"B" + n + "\" t=\"s\"><v>" + n + "</v></c></row>";
    }
    const auto file = workbook({{"xl/worksheets/sheet1.xml", worksheet(rows)},
                                {"xl/sharedStrings.xml", sharedStrings(strings)}});
    const auto entries = ExcelParser::parse(file);
    ASSERT_EQ(entries.size(), 4000u);
    EXPECT_EQ(entries.front().identifier, "id0");
    EXPECT_EQ(entries.back().identifier, "id3999");
    EXPECT_EQ(entries.back().sequence, residues + "3999");
}
