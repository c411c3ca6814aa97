#include "readers/WorksheetDelegate.h"
#include "readers/XmlParser.h"

#include "WorkbookFiles.h"

#include <gtest/gtest.h>

using pellacor::SequenceEntry;
using pellacor::WorksheetDelegate;
using pellacor::XmlParser;
using pellacor::testing::worksheet;

namespace {

struct Record {
    std::string identifier;
    std::string sequence;
    std::optional<std::string> description = std::nullopt;
    bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Record& r) {
    return out << "{" << r.identifier << ", " << r.sequence << ", "
               << (r.description ? *r.description : "<absent>") << "}";
}

std::vector<Record> records(const std::vector<SequenceEntry>& entries) {
    std::vector<Record> out;
    for (const SequenceEntry& e : entries)
        out.push_back({e.identifier, e.sequence, e.description});
    return out;
}

std::vector<Record> read(const std::string& rows, std::vector<std::string> shared = {}) {
    WorksheetDelegate delegate(std::move(shared));
    XmlParser::run(worksheet(rows), delegate);
    return records(delegate.entries);
}

std::string cell(const std::string& reference, const std::string& value,
                 const std::string& type = "") {
    return "<c r=\"" + reference + "\"" + (type.empty() ? "" : " t=\"" + type + "\"") + "><v>" +
           value + "</v></c>";
}

std::string inlineCell(const std::string& reference, const std::string& content) {
    return "<c r=\"" + reference + "\" t=\"inlineStr\"><is>" + content + "</is></c>";
}

const std::vector<std::string> table = {"ID", "Sequence", "s1", "ACGT", "a note"};

} // namespace

TEST(WorksheetDelegate_sharedStrings, an_index_in_range_takes_the_table_entry) {
    EXPECT_EQ(read("<row>" + cell("A1", "2", "s") + cell("B1", "3", "s") + cell("C1", "4", "s") +
                       "</row>",
                   table),
              (std::vector<Record>{{"s1", "ACGT", "a note"}}));
}

TEST(WorksheetDelegate_sharedStrings, indices_that_do_not_resolve_keep_their_text) {
    // Past the end, negative, not a plain integer, beyond 64 bits, or not a shared-string cell.
    for (const char* value : {"5", "-1", "1.0", " 1", "1e0", "99999999999999999999", "0x1"}) {
        const auto got =
            read("<row>" + cell("A1", "x1") + cell("B1", value, "s") + "</row>", table);
        ASSERT_EQ(got.size(), 1u) << value;
        EXPECT_EQ(got[0].sequence, std::string(value).find(' ') == 0 ? "1" : value) << value;
    }
    EXPECT_EQ(read("<row>" + cell("A1", "x") + cell("B1", "3") + "</row>", table)[0].sequence, "3");
}

TEST(WorksheetDelegate_sharedStrings, a_signed_index_resolves) {
    const auto got = read("<row>" + cell("A1", "+2", "s") + cell("B1", "-0003", "s") + "</row>" +
                              "<row>" + cell("A2", "-0", "s") + cell("B2", "3", "s") + "</row>",
                          table);
    EXPECT_EQ(got, (std::vector<Record>{{"s1", "-0003"}, {"ID", "ACGT"}}));
}

TEST(WorksheetDelegate_sharedStrings, without_a_table_cells_keep_their_index_digits) {
    // "0" and "1" name no column, so the first row is data.
    EXPECT_EQ(read("<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>"),
              (std::vector<Record>{{"0", "1", std::nullopt}}));
}

TEST(WorksheetDelegate_sharedStrings, resolved_text_is_not_decoded_a_second_time) {
    // The table holds the literal text "_x0041_", already decoded from "_x005F_x0041_".
    EXPECT_EQ(read("<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>",
                   {"id_x0041_", "ACGT"})[0]
                  .identifier,
              "id_x0041_");
}

TEST(WorksheetDelegate_cellValues, values_are_kept_as_the_part_writes_them) {
    EXPECT_EQ(read("<row>" + cell("A1", "1.5E-3") + cell("B1", "1", "b") +
                   cell("C1", "#DIV/0!", "e") + "</row>" +
                   "<row><c r=\"A2\" t=\"str\"><f>CONCAT(\"s\",1)</f><v>s1</v></c>" +
                   cell("B2", "TRUE", "str") + "</row>"),
              (std::vector<Record>{{"1.5E-3", "1", "#DIV/0!"}, {"s1", "TRUE"}}));
}

TEST(WorksheetDelegate_cellValues, inline_strings_give_the_text_of_their_runs) {
    EXPECT_EQ(read("<row>" + inlineCell("A1", "<t>s1</t>") +
                   inlineCell("B1", "<r><t>ACG</t></r><r><rPr><b/></rPr><t>TTT</t></r>") +
                   inlineCell("C1", "<t>note</t><rPh sb=\"0\" eb=\"1\"><t>reading</t></rPh>") +
                   "</row>"),
              (std::vector<Record>{{"s1", "ACGTTT", "note"}}));
}

TEST(WorksheetDelegate_cellValues, escapes_in_inline_text_are_decoded) {
    EXPECT_EQ(read("<row>" + inlineCell("A1", "<t>s_x0031_</t>") +
                   inlineCell("B1", "<t>AC_x000D_GT</t>") + "</row>"),
              (std::vector<Record>{{"s1", "ACGT"}}));
}

TEST(WorksheetDelegate_cellValues, cdata_inside_a_value_is_part_of_it) {
    EXPECT_EQ(
        read("<row>" + cell("A1", "<![CDATA[s<1>]]>") + cell("B1", "AC<![CDATA[GT]]>") + "</row>"),
        (std::vector<Record>{{"s<1>", "ACGT"}}));
}

TEST(WorksheetDelegate_cellValues, a_value_split_around_a_reference_is_joined) {
    WorksheetDelegate delegate({});
    XmlParser parser(delegate);
    const std::string document =
        worksheet("<row>" + cell("A1", "A&amp;B") + cell("B1", "AC&#x47;T") + "</row>");
    for (char c : document)
        parser.feed(std::string_view(&c, 1), false);
    parser.feed({}, true);
    EXPECT_EQ(records(delegate.entries), (std::vector<Record>{{"A&B", "ACGT"}}));
}

TEST(WorksheetDelegate_positions, a_column_left_out_of_the_file_stays_empty) {
    // Cells in A and C only: the sequence column is empty, so the row gives nothing.
    EXPECT_EQ(read("<row>" + cell("A1", "s1") + cell("C1", "ACGT") + "</row>" + "<row>" +
                   cell("A2", "s2") + cell("B2", "GG") + cell("D2", "x") + "</row>"),
              (std::vector<Record>{{"s2", "GG"}}));
}

TEST(WorksheetDelegate_positions, a_cell_without_reference_follows_the_previous_cell) {
    EXPECT_EQ(read("<row><c><v>s1</v></c><c><v>AC</v></c><c><v>d</v></c></row>"
                   "<row><c><v>s2</v></c><c r=\"B2\"><v>GG</v></c><c><v>d2</v></c></row>"
                   "<row><c r=\"A3\"><v>s3</v></c><c r=\"C3\"><v>CC</v></c><c><v>x</v></c></row>"),
              (std::vector<Record>{{"s1", "AC", "d"}, {"s2", "GG", "d2"}}));
}

TEST(WorksheetDelegate_positions, a_sequence_cell_without_value_drops_the_row) {
    EXPECT_EQ(
        read("<row>" + cell("A1", "s1") + "<c r=\"B1\" s=\"2\"/>" + cell("C1", "d") + "</row>"),
        std::vector<Record>{});
}

TEST(WorksheetDelegate_positions, columns_are_read_from_references) {
    EXPECT_EQ(WorksheetDelegate::columnOf("A1"), 1u);
    EXPECT_EQ(WorksheetDelegate::columnOf("C7"), 3u);
    EXPECT_EQ(WorksheetDelegate::columnOf("Z1"), 26u);
    EXPECT_EQ(WorksheetDelegate::columnOf("AA10"), 27u);
    EXPECT_EQ(WorksheetDelegate::columnOf("XFD1048576"), 16384u);
    EXPECT_EQ(WorksheetDelegate::columnOf("b2"), 2u);
    EXPECT_EQ(WorksheetDelegate::columnOf("12"), 0u);
    EXPECT_EQ(WorksheetDelegate::columnOf("XFE1"), WorksheetDelegate::maximumColumns + 1);
    EXPECT_EQ(WorksheetDelegate::columnOf("ZZZZZZZZZZZZZZZZ1"),
              WorksheetDelegate::maximumColumns + 1);
}

TEST(WorksheetDelegate_positions, cells_past_the_last_column_are_ignored) {
    EXPECT_EQ(read("<row>" + cell("A1", "s1") + cell("B1", "AC") + cell("ZZZZZZ1", "x") +
                   "<c><v>y</v></c></row>"),
              (std::vector<Record>{{"s1", "AC"}}));
}

TEST(WorksheetDelegate_header, a_first_row_naming_the_columns_is_skipped) {
    EXPECT_EQ(read(R"(<row><c t="s" r="A1"><v>0</v></c><c t="s" r="B1"><v>1</v></c></row>)" +
                       std::string("<row>") + cell("A2", "s1") + cell("B2", "ACGT") + "</row>",
                   table),
              (std::vector<Record>{{"s1", "ACGT"}}));
}

TEST(WorksheetDelegate_header, rows_without_values_do_not_use_up_the_test) {
    EXPECT_EQ(read("<row r=\"1\" ht=\"30\" customHeight=\"1\"/>"
                   "<row r=\"2\"><c r=\"A2\" s=\"1\"/><c r=\"B2\" s=\"1\"/></row>"
                   "<row r=\"3\">" +
                   cell("A3", "Gene ID") + cell("B3", "Sequence") + "</row><row r=\"4\">" +
                   cell("A4", "s1") + cell("B4", "AC") + "</row>"),
              (std::vector<Record>{{"s1", "AC"}}));
}

TEST(WorksheetDelegate_header, only_the_first_row_with_values_is_tested) {
    EXPECT_EQ(read("<row>" + cell("A1", "s0") + cell("B1", "TT") + "</row><row>" +
                   cell("A2", "ID") + cell("B2", "Sequence") + "</row>"),
              (std::vector<Record>{{"s0", "TT"}, {"ID", "Sequence"}}));
}

TEST(WorksheetDelegate_header, a_title_far_to_the_right_still_marks_the_header) {
    EXPECT_EQ(read("<row>" + cell("A1", "x") + cell("F1", "Description") + "</row><row>" +
                   cell("A2", "s1") + cell("B2", "GG") + "</row>"),
              (std::vector<Record>{{"s1", "GG"}}));
}

TEST(WorksheetDelegate_rows, fields_are_cleaned_as_for_delimited_tables) {
    EXPECT_EQ(read("<row>" + cell("A1", " s1\t") + cell("B1", "AC GT\nA\tA\r") +
                   cell("C1", "  first  ") + "</row>" + "<row>" + cell("A2", "s2\n") +
                   cell("B2", "MK\xC2\xA0V") + cell("C2", " \t ") + "</row>" + "<row>" +
                   cell("A3", "s3") + cell("B3", "   ") + "</row>" + "<row>" + cell("A4", "  ") +
                   cell("B4", "GG") + "</row>"),
              (std::vector<Record>{{"s1", "ACGTAA", "first"}, {"s2\n", "MK\xC2\xA0V"}}));
}

TEST(WorksheetDelegate_rows, a_row_with_one_cell_gives_nothing) {
    EXPECT_EQ(read("<row>" + cell("A1", "s1") + "</row><row>" + cell("C2", "AC") + "</row>"),
              std::vector<Record>{});
}

TEST(WorksheetDelegate_markup, prefixed_elements_read_like_plain_ones) {
    WorksheetDelegate delegate({"s1", "ACGT"});
    XmlParser::run("<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                   "main\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c>"
                   "<x:c r=\"B1\" t=\"s\"><x:v>1</x:v></x:c></x:row></x:sheetData></x:worksheet>",
                   delegate);
    EXPECT_EQ(records(delegate.entries), (std::vector<Record>{{"s1", "ACGT"}}));
}

TEST(WorksheetDelegate_markup, a_part_that_breaks_off_mid_row_keeps_the_rows_before) {
    WorksheetDelegate delegate({});
    const std::string full =
        worksheet("<row>" + cell("A1", "s1") + cell("B1", "AC") + "</row><row>" + cell("A2", "s2") +
                  cell("B2", "GG") + "</row>");
    EXPECT_FALSE(XmlParser::run(full.substr(0, full.find("<c r=\"B2\"") + 15), delegate));
    EXPECT_EQ(records(delegate.entries), (std::vector<Record>{{"s1", "AC"}}));
}
