// Rows into records by the rule both readers share: which row is a header, which columns give
// the parts, how columns are numbered for the user, and what is told about the rows.
#include "readers/RecordBuilder.h"

#include "readers/ChoiceError.h"
#include "readers/HeaderRow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellacor;

namespace {

struct Built {
    std::string records; // "identifier|sequence|description" a line
    std::vector<std::string> warnings;
    std::string columns;
    std::size_t recordsBeforeFinish = 0;
};

// Builds records from `rows` (fields split at commas), each said to need no cleaning in column
// 2 as a row scanner that found no blank there would say.
Built build(const std::vector<std::string>& rows, ColumnChoice choice = {},
            std::size_t holdingLimit = RecordBuilder::defaultHoldingLimit) {
    RecordBuilder builder(RecordBuilder::delimitedStyle, std::move(choice), holdingLimit);
    Built built;
    const RecordSink sink = [&](const RecordView& r) {
        built.records += std::string(r.identifier) + "|" + std::string(r.sequence) + "|" +
                         (r.description ? std::string(*r.description) : "<none>") + "\n";
    };
    std::uint64_t number = 0;
    for (const std::string& row : rows) {
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t comma = row.find(',', start);
            fields.push_back(row.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        const std::vector<std::string_view> views(fields.begin(), fields.end());
        const bool column2HasBlank = views.size() > 1 && RecordBuilder::needsCleaning(views[1]);
        builder.addRow(views, ++number, column2HasBlank, sink);
    }
    built.recordsBeforeFinish = builder.records();
    builder.finish(sink);
    if (const std::optional<std::string> skipped = builder.findings().skippedMessage())
        built.warnings.push_back(*skipped);
    for (std::string& warning : builder.findings().warnings())
        built.warnings.push_back(std::move(warning));
    if (builder.layout())
        built.columns = builder.layout()->describe();
    return built;
}

} // namespace

TEST(RecordBuilder, a_table_laid_out_from_column_b_numbers_its_columns_as_the_sheet_does) {
    const Built built = build({",s1,1,x", ",s2,2,y", ",s3,3,z"});
    EXPECT_EQ(built.records, "s1|1|x\ns2|2|y\ns3|3|z\n");
    EXPECT_EQ(built.columns, "Identifier: column 2 \u00B7 Sequence: column 3 \u00B7 Description: "
                             "column 4");
    ASSERT_EQ(built.warnings.size(), 1u);
    EXPECT_EQ(built.warnings[0], "The sequence column (column 3) mostly holds values that are not "
                                 "sequences, such as \u201C1\u201D in row 1.");
    // Column 1 is empty throughout: it cannot be chosen, and column 3 is the sheet's column 3.
    EXPECT_THROW(build({",s1,AC"}, ColumnChoice{ColumnRef::column(2), ColumnRef::column(1), {}, {}, {}}), ChoiceError);
    EXPECT_EQ(build({",s1,x,AC"}, ColumnChoice{ColumnRef::column(2), ColumnRef::column(4), {}, {}, {}}).records,
              "s1|AC|<none>\n");
}

TEST(RecordBuilder, rows_held_for_an_empty_first_column_go_out_once_they_outgrow_the_limit) {
    std::vector<std::string> rows;
    for (int i = 0; i < 50; ++i)
        rows.push_back(",s" + std::to_string(i) + ",ACGTACGT");
    const Built held = build(rows);
    EXPECT_EQ(held.recordsBeforeFinish, 0u);
    const Built limited = build(rows, {}, 200);
    EXPECT_GT(limited.recordsBeforeFinish, 0u);
    EXPECT_EQ(limited.records, held.records);
}

TEST(RecordBuilder, a_sequence_taken_from_another_column_is_cleaned_of_blanks_too) {
    // The row scanner only looks at column 2 for blanks.
    EXPECT_EQ(build({"id,note,DNA sequence", "s1,a b,AC GT"}).records, "s1|ACGT|<none>\n");
    EXPECT_EQ(build({"Sequence,Label", "AC GT,s1"}).records, "s1|ACGT|<none>\n");
    // Laid out from column B, the sequence stands in the table's column 3, which the scanner
    // did not look at.
    EXPECT_EQ(build({",s1,AC GT", ",s2,GG"}).records, "s1|ACGT|<none>\ns2|GG|<none>\n");
}

TEST(RecordBuilder, skipped_rows_are_counted_and_the_first_five_named) {
    const Built built = build({"s1,AC", ",GG", "s3,", "s4", ",TT", "s6,,x", ",AA", "s8,CC"});
    ASSERT_FALSE(built.warnings.empty());
    EXPECT_EQ(built.warnings[0],
              "6 rows skipped (no identifier or sequence): 2, 3, 4, 5, 6 and 1 more");
}

TEST(HeaderRow, titles_are_made_of_keywords_plural_or_joined_in_camel_case) {
    const auto isHeader = [](std::vector<std::string_view> fields) {
        return HeaderRow::test(fields);
    };
    EXPECT_TRUE(isHeader({"Gene IDs", "x"}));
    EXPECT_TRUE(isHeader({"SeqID", "x"}));
    EXPECT_FALSE(isHeader({"seqid", "x"}));
    EXPECT_FALSE(isHeader({"gene2", "x"}));
    EXPECT_TRUE(isHeader({"x", "DNA Sequence"}));
    EXPECT_FALSE(isHeader(
        {"x",
         std::string_view("A sequence named in a field of fifty characters or more is data")}));
}

TEST(TableFindings, words_numbers_and_letters_of_no_residue_are_no_sequences) {
    for (const char* value :
         {"forward primer one", "12", "3.5e-4", "ACGT_1", "JOKER", "ACGT ACGTACGT AC", "Acgt acgt"})
        EXPECT_TRUE(TableFindings::isImplausibleSequence(value)) << value;
    for (const char* value : {"ACGTACGT", "acgt-acgt", "MKV*", "ACGTACGTAC GTACGTACGT GTAC", "N"})
        EXPECT_FALSE(TableFindings::isImplausibleSequence(value)) << value;
}

TEST(RecordBuilder, a_sheet_takes_column_letters_and_counts_them_as_it_shows_them) {
    const auto sheet = [](ColumnChoice choice) {
        RecordBuilder builder(RecordBuilder::worksheetStyle, std::move(choice));
        std::string out;
        const RecordSink sink = [&](const RecordView& r) {
            out += std::string(r.identifier) + "|" + std::string(r.sequence) + "\n";
        };
        const std::vector<std::string_view> row = {"", "s1", "x", "ACGT"};
        builder.addRow(row, 1, false, sink);
        builder.finish(sink);
        return out;
    };
    ColumnChoice letters;
    letters.identifier = ColumnRef::parse("B");
    letters.sequence = ColumnRef::parse("d");
    EXPECT_EQ(sheet(letters), "s1|ACGT\n");
    // Column A is empty throughout: not a column of this table.
    letters.identifier = ColumnRef::parse("A");
    EXPECT_THROW(sheet(letters), ChoiceError);
    // A description beyond the table is none; one in the empty column before it is a mistake.
    letters.identifier = ColumnRef::parse("B");
    letters.description = ColumnRef::parse("Z");
    EXPECT_EQ(sheet(letters), "s1|ACGT\n");
    letters.description = ColumnRef::parse("A");
    EXPECT_THROW(sheet(letters), ChoiceError);
}

namespace {

// The columns the layout of `rows` finds holding sequences, counted from 1.
std::vector<std::size_t> sequenceColumnsOf(const std::vector<std::vector<std::string_view>>& rows,
                                           ColumnChoice choice = {}) {
    RecordBuilder builder(RecordBuilder::delimitedStyle, std::move(choice));
    const RecordSink sink = [](const RecordView&) {};
    std::uint64_t number = 0;
    for (const auto& row : rows)
        builder.addRow(row, ++number, false, sink);
    builder.finish(sink);
    std::vector<std::size_t> numbers;
    for (const std::size_t index : builder.layout()->sequenceColumns)
        numbers.push_back(builder.layout()->number(index));
    return numbers;
}

} // namespace

TEST(RecordBuilder, every_column_of_sequences_is_listed_whoever_chose_the_columns) {
    const std::vector<std::vector<std::string_view>> primers = {
        {"Name", "Forward", "Score", "Reverse"},
        {"GRB2", "ACGTAC", "0.5", "GGTTCA"},
        {"SOS1", "TTTGGG", "0.7", "CCCAAA"}};
    EXPECT_EQ(sequenceColumnsOf(primers), (std::vector<std::size_t>{2, 4}));
    // A choice of columns keeps them on offer, for the menus shown after it.
    ColumnChoice chosen;
    chosen.sequence = ColumnRef::column(4);
    EXPECT_EQ(sequenceColumnsOf(primers, chosen), (std::vector<std::size_t>{2, 4}));
    // The header row is no sequence, and a table without one is judged on all its rows.
    EXPECT_EQ(sequenceColumnsOf({{"s1", "ACGTAC", "first one"}, {"s2", "GGCATT", "second one"}}),
              (std::vector<std::size_t>{2}));
}
