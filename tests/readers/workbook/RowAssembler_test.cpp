// Cells into rows by column, and rows into records, apart from the XML they came from.
#include "readers/workbook/RowAssembler.h"

#include "core/SequenceEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellacor;

namespace {

// A row assembler whose records are kept as "identifier|sequence|description" lines.
struct Assembled {
    RowAssembler rows;
    std::string records;
    Assembled() {
        rows.setRecordSink([this](const RecordView& r) {
            const SequenceEntry e = SequenceEntry::of(r);
            records += e.identifier + "|" + e.sequence + "|" + e.description.value_or("") + "\n";
        });
    }
    void add(std::size_t column, std::string text) { rows.addCell({column, std::move(text)}); }
};

} // namespace

TEST(RowAssembler, cells_are_placed_by_column_whatever_their_order_and_the_last_at_a_place_wins) {
    Assembled a;
    a.rows.startRow();
    a.add(3, "a note");
    a.add(2, "AAAA");
    a.add(1, "s1");
    a.add(2, "ACGT");
    // No place, and a place past the widest sheet: neither becomes a column.
    a.add(0, "nowhere");
    a.add(RowAssembler::maximumColumns + 1, "too far");
    a.rows.endRow(1);
    a.rows.startRow();
    a.add(2, "GG");
    a.add(1, "s2");
    a.rows.endRow(2);
    a.rows.finish();
    EXPECT_EQ(a.records, "s1|ACGT|a note\ns2|GG|\n");
}

TEST(RowAssembler, a_row_ends_again_with_the_cells_added_after_it_until_the_next_starts) {
    Assembled a;
    a.rows.startRow();
    a.add(1, "s1");
    a.add(2, "AC");
    a.rows.endRow(1);
    a.add(3, "late");
    a.rows.endRow(1);
    a.rows.startRow();
    a.add(2, "GG");
    a.rows.endRow(2); // no identifier: skipped, as row 2
    a.rows.finish();
    EXPECT_EQ(a.records, "s1|AC|\ns1|AC|late\n");
    EXPECT_EQ(a.rows.findings().skippedMessage(), "1 row skipped (no identifier or sequence): 2");
}

TEST(RowAssembler, a_row_given_whole_leaves_the_open_row_as_it_was) {
    Assembled a;
    a.rows.startRow();
    a.add(1, "open");
    const std::vector<SheetCell> whole = {{2, "TT"}, {1, "given"}};
    a.rows.finishRow(whole, 1);
    a.add(2, "CC");
    a.rows.endRow(2);
    a.rows.finish();
    EXPECT_EQ(a.records, "given|TT|\nopen|CC|\n");
    ASSERT_TRUE(a.rows.layout().has_value());
}

TEST(RowAssembler, the_header_row_gives_no_record_and_without_a_sink_records_are_dropped) {
    Assembled a;
    a.rows.startRow();
    a.add(1, "ID");
    a.add(2, "Sequence");
    a.rows.endRow(1);
    a.rows.startRow();
    a.add(1, "s1");
    a.add(2, "AC");
    a.rows.endRow(2);
    a.rows.finish();
    EXPECT_EQ(a.records, "s1|AC|\n");

    RowAssembler silent;
    silent.startRow();
    silent.addCell({1, "s1"});
    silent.addCell({2, "AC"});
    silent.endRow(1);
    EXPECT_NO_THROW(silent.finish());
}
