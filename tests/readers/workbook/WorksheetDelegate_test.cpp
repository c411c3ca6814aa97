#include "readers/workbook/WorksheetDelegate.h"

#include "core/SequenceEntry.h"
#include "readers/workbook/XmlParser.h"

#include "tests/readers/workbook/WorkbookFiles.h"

using pellacor::SequenceEntry;
using pellacor::SharedStringTable;
using pellacor::WorksheetDelegate;
using pellacor::XmlParser;
using pellacor::testing::cell;
using pellacor::testing::worksheet;

namespace {

struct Record {
    std::string identifier;
    std::string sequence;
    std::optional<std::string> description = std::nullopt;
    bool operator==(const Record&) const = default;
};
using Records = std::vector<Record>;

std::ostream& operator<<(std::ostream& out, const Record& r) {
    return out << "{" << r.identifier << ", " << r.sequence << ", "
               << (r.description ? *r.description : "<absent>") << "}";
}

// Collects the records that `delegate` hands on from now on; `delegate` must outlive it.
class Collected {
public:
    explicit Collected(WorksheetDelegate& delegate) {
        delegate.setRecordSink([this](const pellacor::RecordView& r) {
            const SequenceEntry e = SequenceEntry::of(r);
            records_.push_back({e.identifier, e.sequence, e.description});
        });
    }
    Collected(const Collected&) = delete;
    Collected& operator=(const Collected&) = delete;
    const Records& records() const noexcept { return records_; }

private:
    Records records_;
};

// Reads the rows whole, or fed one byte at a time so values arrive in the smallest pieces.
Records read(const std::string& rows, std::vector<std::string> shared = {}, bool bytewise = false) {
    WorksheetDelegate delegate(std::move(shared));
    const Collected got(delegate);
    if (bytewise) {
        XmlParser parser(delegate);
        for (char c : worksheet(rows))
            parser.feed(std::string_view(&c, 1), false);
        parser.feed({}, true);
    } else {
        XmlParser::run(worksheet(rows), delegate);
    }
    return got.records();
}

// Reads the rows with the table arriving after the first `cut` bytes, or after the whole
// document when `cut` is past its end.
Records readWithTableAfter(std::size_t cut, const std::string& rows,
                           const std::vector<std::string>& shared) {
    WorksheetDelegate delegate = WorksheetDelegate::awaitingSharedStrings();
    const Collected got(delegate);
    const std::string document = worksheet(rows);
    XmlParser parser(delegate);
    parser.feed(std::string_view(document).substr(0, cut), cut >= document.size());
    delegate.resolveSharedStrings(shared);
    if (cut < document.size())
        parser.feed(std::string_view(document).substr(cut), true);
    return got.records();
}

std::string inlineCell(const std::string& reference, const std::string& content) {
    return "<c r=\"" + reference + "\" t=\"inlineStr\"><is>" + content + "</is></c>";
}

// Short names for the table below.
std::string c(const std::string& reference, const std::string& value,
              const std::string& type = "") {
    return cell(reference, value, type);
}
std::string is(const std::string& reference, const std::string& content) {
    return inlineCell(reference, content);
}

std::string row(const std::string& cells) {
    return "<row>" + cells + "</row>";
}

const std::vector<std::string> table = {"ID", "Sequence", "s1", "ACGT", "a note"};

struct Case {
    std::string rows;
    Records expected;
    std::vector<std::string> shared = {};
};

} // namespace

TEST(WorksheetDelegate, rows_give_records_of_their_cleaned_values) {
    const std::string formulaCell = R"(<c r="A2" t="str"><f>CONCAT("s",1)</f><v>s1</v></c>)";
    // clang-format off
    const std::vector<Case> cases = {
        // Shared strings: indices in range, signed; without a table the digits stay (and name no
        // column, so the first row is data); resolved text is not decoded a second time.
        {row(c("A1", "2", "s") + c("B1", "3", "s") + c("C1", "4", "s")),
         {{"s1", "ACGT", "a note"}}, table},
        {row(c("A1", "+2", "s") + c("B1", "-0003", "s")) +
         row(c("A2", "-0", "s") + c("B2", "3", "s")),
         {{"s1", "-0003"}, {"ID", "ACGT"}}, table},
        {row(c("A1", "0", "s") + c("B1", "1", "s")), {{"0", "1"}}},
        {row(c("A1", "0", "s") + c("B1", "1", "s")), {{"id_x0041_", "ACGT"}},
         {"id_x0041_", "ACGT"}},
        {row(c("A1", "2", "s") + c("B1", "3", "s")) + row(c("A2", "3", "s") + c("B2", "3", "s")),
         {{"s1", "ACGT"}, {"ACGT", "ACGT"}}, table},
        // A shared sequence named once may be taken over, but is cleaned all the same; other
        // control characters stay.
        {row(c("A1", "0", "s") + c("B1", "1", "s")) + row(c("A2", "0", "s") + c("B2", "2", "s")),
         {{"s1", "ACGT"}, {"s1", "A\x01" "C"}}, {"s1", "AC GT\t", "A\x01" "C"}},
        // Values as the part writes them; inline runs without phonetics and escapes.
        {row(c("A1", "1.5E-3") + c("B1", "1", "b") + c("C1", "#DIV/0!", "e")) +
         row(formulaCell + c("B2", "TRUE", "str")), {{"1.5E-3", "1", "#DIV/0!"}, {"s1", "TRUE"}}},
        {row(is("A1", "<t>s1</t>") + is("B1", "<r><t>ACG</t></r><r><rPr><b/></rPr><t>TTT</t></r>") +
             is("C1", "<t>note</t><rPh sb=\"0\" eb=\"1\"><t>reading</t></rPh>")),
         {{"s1", "ACGTTT", "note"}}},
        {row(is("A1", "<t>s_x0031_</t>") + is("B1", "<t>AC_x000D_GT</t>")), {{"s1", "ACGT"}}},
        // Positions: a column left out stays empty, a cell without reference follows the previous,
        // a sequence cell without value drops the row, cells past the last column are ignored.
        {row(c("A1", "s1") + c("C1", "ACGT")) + row(c("A2", "s2") + c("B2", "GG") + c("D2", "x")),
         {{"s2", "GG"}}},
        {"<row><c><v>s1</v></c><c><v>AC</v></c><c><v>d</v></c></row>"
         "<row><c><v>s2</v></c><c r=\"B2\"><v>GG</v></c><c><v>d2</v></c></row>"
         "<row><c r=\"A3\"><v>s3</v></c><c r=\"C3\"><v>CC</v></c><c><v>x</v></c></row>",
         {{"s1", "AC", "d"}, {"s2", "GG", "d2"}}},
        {row(c("A1", "s1") + "<c r=\"B1\" s=\"2\"/>" + c("C1", "d")), {}},
        {row(c("A1", "s1") + c("B1", "AC") + c("ZZZZZZ1", "x") + "<c><v>y</v></c>"),
         {{"s1", "AC"}}},
        // A row nested in another ends twice, the second time with the cells after the first.
        {row(row(c("A1", "s1") + c("B1", "3", "s")) + c("C1", "note")),
         {{"s1", "ACGT"}, {"s1", "ACGT", "note"}}, table},
        // The header: the first row with values, naming the columns anywhere in it, is skipped.
        {row(c("A1", "0", "s") + c("B1", "1", "s")) + row(c("A2", "s1") + c("B2", "ACGT")),
         {{"s1", "ACGT"}}, table},
        {R"(<row r="1" ht="30" customHeight="1"/>)" + row(R"(<c r="A2" s="1"/><c r="B2" s="1"/>)") +
         row(c("A3", "Gene ID") + c("B3", "Sequence")) + row(c("A4", "s1") + c("B4", "AC")),
         {{"s1", "AC"}}},
        {row(c("A1", "s0") + c("B1", "TT")) + row(c("A2", "ID") + c("B2", "Sequence")),
         {{"s0", "TT"}, {"ID", "Sequence"}}},
        {row(c("A1", "x") + c("F1", "Description")) + row(c("A2", "s1") + c("B2", "GG")),
         {{"s1", "GG"}}},
        // Fields are cleaned as for delimited tables; a row with one cell gives nothing.
        {row(c("A1", " s1\t") + c("B1", "AC GT\nA\tA\r") + c("C1", "  first  ")) +
         row(c("A2", "s2\n") + c("B2", "MK\xC2\xA0V") + c("C2", " \t ")) +
         row(c("A3", "s3") + c("B3", "   ")) + row(c("A4", "  ") + c("B4", "GG")),
         {{"s1", "ACGTAA", "first"}, {"s2\n", "MK\xC2\xA0V"}}},
        {row(c("A1", "s1")) + row(c("C2", "AC")), {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(read(c.rows, c.shared), c.expected) << c.rows;
        EXPECT_EQ(read(c.rows, c.shared, true), c.expected) << c.rows << ", byte by byte";
        // A table that comes late, wherever the reading is then, changes nothing.
        const std::size_t end = worksheet(c.rows).size();
        for (std::size_t cut = 0; cut <= end + 1; ++cut)
            ASSERT_EQ(readWithTableAfter(cut, c.rows, c.shared), c.expected)
                << c.rows << ", table after " << cut << " bytes";
    }
}

TEST(WorksheetDelegate, shared_indices_that_do_not_resolve_keep_their_text) {
    // Past the end, negative, not a plain integer, beyond 64 bits, or not a shared-string cell.
    for (const char* value : {"5", "-1", "1.0", " 1", "1e0", "99999999999999999999", "0x1"}) {
        const auto got = read(row(cell("A1", "x1") + cell("B1", value, "s")), table);
        ASSERT_EQ(got.size(), 1u) << value;
        EXPECT_EQ(got[0].sequence, std::string(value).find(' ') == 0 ? "1" : value) << value;
    }
    EXPECT_EQ(read(row(cell("A1", "x") + cell("B1", "3")), table)[0].sequence, "3");
}

TEST(WorksheetDelegate, prefixed_elements_read_like_plain_ones) {
    WorksheetDelegate delegate({"s1", "ACGT"});
    const Collected got(delegate);
    XmlParser::run("<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                   "main\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c>"
                   "<x:c r=\"B1\" t=\"s\"><x:v>1</x:v></x:c></x:row></x:sheetData></x:worksheet>",
                   delegate);
    EXPECT_EQ(got.records(), (Records{{"s1", "ACGT"}}));
}

TEST(WorksheetDelegate, a_part_that_breaks_off_mid_row_keeps_the_rows_before) {
    WorksheetDelegate delegate(SharedStringTable{});
    const Collected got(delegate);
    const std::string full = worksheet(row(cell("A1", "s1") + cell("B1", "AC")) +
                                       row(cell("A2", "s2") + cell("B2", "GG")));
    EXPECT_FALSE(XmlParser::run(full.substr(0, full.find("<c r=\"B2\"") + 15), delegate));
    // The first rows wait to be looked at together; finished, the whole ones go out.
    delegate.finish();
    EXPECT_EQ(got.records(), (Records{{"s1", "AC"}}));
}

TEST(WorksheetDelegate, a_sheet_read_before_its_table_names_the_entries_it_needs) {
    const std::string rows = row(cell("A1", "ID") + cell("B1", "Sequence")) +
                             row(cell("A2", "9", "s") + cell("B2", "4", "s")) +
                             row(cell("A3", "x", "str") + cell("B3", "+4", "s")) +
                             row(cell("A4", "-0", "s") + cell("B4", "1.5", "s"));
    // Under its limit the rows wait; past it they are dropped, but the numbers still count.
    for (const std::size_t limit : {std::size_t(1) << 20, std::size_t(64)}) {
        WorksheetDelegate delegate = WorksheetDelegate::awaitingSharedStrings(limit);
        const Collected got(delegate);
        XmlParser::run(worksheet(rows), delegate);
        EXPECT_EQ(delegate.referencedNumbers(), (std::vector<std::uint64_t>{0, 4, 9})) << limit;
        EXPECT_EQ(delegate.hasDroppedRows(), limit == 64);
        delegate.resolveSharedStrings(SharedStringTable({0, 4, 9}, {"zero", "ACGT", "nine"}));
        EXPECT_EQ(got.records(), limit == 64
                                     ? Records{}
                                     : (Records{{"nine", "ACGT"}, {"x", "ACGT"}, {"zero", "1.5"}}))
            << limit;
    }
}

TEST(WorksheetDelegate, a_row_without_its_sequence_cell_is_dropped_without_passing_null_to_memchr) {
    // The omitted cell's empty text has no data pointer; UBSan caught it reaching memchr.
    WorksheetDelegate sheet(SharedStringTable{});
    const Collected got(sheet);
    XmlParser::run("<sheetData><row><c r=\"A1\"><v>s1</v></c><c r=\"C1\"><v>x</v></c></row>"
                   "<row><c><v>s2</v></c><c><v>AC</v></c></row></sheetData>",
                   sheet);
    ASSERT_EQ(got.records().size(), 1u);
    EXPECT_EQ(got.records()[0].identifier, "s2");
}

TEST(WorksheetDelegate, a_row_started_inside_a_cell_does_not_write_before_the_rows_columns) {
    // The cell ends with no place in the new row (column 0), which indexed column -1.
    WorksheetDelegate sheet(SharedStringTable{});
    const Collected got(sheet);
    XmlParser::run("<sheetData><row><c r=\"A1\"><row></row><v>x</v></c></row>"
                   "<row><c><v>s2</v></c><c><v>AC</v></c></row></sheetData>",
                   sheet);
    ASSERT_EQ(got.records().size(), 1u);
    EXPECT_EQ(got.records()[0].sequence, "AC");
}
