// The legacy .xls reader: a workbook from xlwt read like its CSV twin, its hidden sheet passed
// over, numbers and dates as the sheet shows them, and locked, damaged or foreign files refused
// with a message that names the file and the way out.
#include "files/FileError.h"
#include "readers/ChoiceError.h"
#include "readers/TableError.h"
#include "readers/delimited/CSVParser.h"
#include "readers/workbook/XlsReader.h"
#include "readers/workbook/XlsSheetStates.h"

#include "tests/readers/HostileInput.h"

#include <cmath>

using namespace pellacor;
using namespace pellacor::hostile;

namespace {

const fs::path fixtures = fs::path(PELLACOR_FIXTURES) / "workbooks";

// "identifier sequence[ description]" a record, or the reader's message.
std::string readXls(const fs::path& file, std::optional<std::string> sheet = std::nullopt) {
    std::string lines;
    WorkbookOptions options;
    options.sheet = std::move(sheet);
    try {
        XlsReader::read(
            file,
            [&](const RecordView& r) {
                lines += std::string(r.identifier) + " " + std::string(r.sequence) +
                         (r.description ? " " + std::string(*r.description) : "") + "\n";
            },
            options);
        return lines;
    } catch (const TableError& e) {
        return e.what();
    }
}

// A sheet record for `name` stored as `stored` (count and flag bytes included), in `state`.
std::string sheetRecord(const std::string& stored, char state) {
    const std::size_t length = 6 + stored.size();
    return std::string("\x85\x00", 2) + static_cast<char>(length & 0xFF) +
           static_cast<char>(length >> 8) + std::string("\x10\x20\x00\x00", 4) + state +
           std::string(1, '\0') + stored;
}

} // namespace

TEST(XlsReader, a_workbook_from_xlwt_reads_its_first_sheet_shown_like_the_csv_twin) {
    std::string expected;
    for (const SequenceEntry& e : CSVParser::parse(fixtures / "table.csv").entries)
        expected += e.identifier + " " + e.sequence +
                    (e.description && !e.description->empty() ? " " + *e.description : "") + "\n";
    EXPECT_EQ(readXls(fixtures / "xlwt.xls"), expected);
    const WorkbookReport report = XlsReader::read(fixtures / "xlwt.xls", [](const RecordView&) {});
    EXPECT_EQ(report.sheets, (std::vector<std::string>{"Notes", "Sequences", "Numbers"}));
    EXPECT_EQ(report.sheet, "Sequences");
    EXPECT_EQ(report.findings.skippedMessage(), "1 row skipped (no identifier or sequence): 6");
    // Chosen by name in any case, or by number in tab order, hidden sheets counted.
    EXPECT_EQ(readXls(fixtures / "xlwt.xls", "notes"), "not a sequence NNNN\n");
    EXPECT_EQ(readXls(fixtures / "xlwt.xls", "1"), "not a sequence NNNN\n");
    EXPECT_THROW(XlsReader::read(
                     fixtures / "xlwt.xls", [](const RecordView&) {},
                     WorkbookOptions{std::string("Plates"), {}, {}}),
                 ChoiceError);
}

TEST(XlsReader, an_excel_95_workbook_reads_in_its_code_page_with_its_hidden_sheet_passed_over) {
    EXPECT_EQ(readXls(fixtures / "biff5.xls"),
              "s1 ACGT caf\u00E9\n7 GGCC whole number\nn2 TT 2.5\n");
    EXPECT_EQ(readXls(fixtures / "biff5.xls", "Notes"), "note NNNN\n");
}

TEST(XlsReader, numbers_read_as_the_sheet_shows_them_and_dates_as_text) {
    EXPECT_EQ(readXls(fixtures / "xlwt.xls", "Numbers"),
              "n1 ACGT 0.1\nn2 GG 3\nn3 CC -1234567.891\nn4 TT 1e+21\nn5 AA 65536\n"
              "d1 CG 2024-03-01\n");
    for (const auto& [value, text] :
         std::vector<std::pair<double, std::string>>{{3.0, "3"},
                                                     {0.1, "0.1"},
                                                     {1.0 / 3, "0.3333333333333333"},
                                                     {-0.0, "-0"},
                                                     {123456789012.0, "123456789012"},
                                                     {NAN, ""}})
        EXPECT_EQ(XlsReader::numberText(value), text) << value;
}

TEST(XlsReader, locked_damaged_and_foreign_files_are_refused_naming_the_file) {
    EXPECT_EQ(readXls(fixtures / "password.xls"),
              "Cannot read the Excel 97-2003 workbook \u201Cpassword.xls\u201D: " +
                  std::string(XlsReader::passwordReason));
    ScratchFolder folder;
    const std::string good = slurpFile(fixtures / "xlwt.xls");
    const std::string damaged = "Cannot read the Excel 97-2003 workbook \u201Cbook.xls\u201D: " +
                                std::string(XlsReader::damagedReason);
    // The opening record broken, the file cut short, and a compound file of noise.
    std::string noBof = good;
    noBof[512] = '\0';
    noBof[513] = '\0';
    for (const std::string& bytes :
         {noBof, good.substr(0, 1500), good.substr(0, 8) + randomBinary(4000)}) {
        writeFile(folder / "book.xls", bytes);
        EXPECT_EQ(readXls(folder / "book.xls"), damaged);
    }
    EXPECT_THROW(readXls(folder / "missing.xls"), FileError);
}

TEST(XlsSheetStates, sheet_records_are_found_by_name_in_each_stored_form) {
    const std::string bytes =
        "noise" + sheetRecord(std::string("\x05\x00", 2) + "Notes", 1) + "\x85\x00 cut record" +
        sheetRecord(std::string("\x05\x01", 2) + std::string("\xA9\x03m\0e\0g\0a\0", 10), 2) +
        sheetRecord("\x05Plain", 0) + sheetRecord("\x03Old", 0x11);
    EXPECT_EQ(XlsSheetStates::hidden(bytes, {"Notes", "\u03A9mega", "Plain", "Old", "Gone"}),
              (std::vector<bool>{true, true, false, true, false}));
}
