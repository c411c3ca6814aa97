// Rows of a sheet read before its shared strings: kept within a memory limit, finished in order
// as the entries they name come.
#include "readers/workbook/WaitingRows.h"

#include "core/SequenceEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellacor;

namespace {

SheetCell awaiting(std::size_t column, std::string number) {
    return {column, std::move(number), nullptr, true};
}

struct Finished {
    RowAssembler rows;
    std::string records;
    Finished() {
        rows.setRecordSink([this](const RecordView& r) {
            const SequenceEntry e = SequenceEntry::of(r);
            records += e.identifier + "|" + e.sequence + "\n";
        });
    }
};

} // namespace

TEST(WaitingRows, rows_finish_in_order_once_every_entry_they_name_has_come) {
    WaitingRows waiting;
    const std::vector<SheetCell> first = {{1, "s1"}, awaiting(2, "5")};
    const std::vector<SheetCell> second = {awaiting(1, "0"), {2, "GG"}};
    waiting.keep(first, 1);
    waiting.keep(second, 2);
    const SharedStringTable table({"s2", "x", "x", "x", "x", "ACGT"});
    Finished f;
    // The second row could be resolved, but waits behind the first: the order is the sheet's.
    waiting.finishReady(table, 1, f.rows);
    waiting.finishReady(table, 6, f.rows);
    // Rows finished are not handed on again.
    waiting.finishAll(table, f.rows);
    // The first rows of a table are looked at together before any record goes out.
    f.rows.finish();
    EXPECT_EQ(f.records, "s1|ACGT\ns2|GG\n");
}

TEST(WaitingRows, past_the_limit_every_row_is_dropped_but_the_numbers_still_count) {
    WaitingRows waiting(200);
    for (std::uint64_t row = 1; row <= 10; ++row) {
        std::string identifier = "s";
        identifier += std::to_string(row);
        const std::vector<SheetCell> cells = {{1, identifier}, awaiting(2, "1")};
        waiting.noteReference(cells[1].ownText);
        waiting.keep(cells, row);
    }
    ASSERT_TRUE(waiting.hasDropped());
    // Far more references than the list keeps before tidying, of a few numbers, and some that
    // name none.
    for (int i = 0; i < 10000; ++i)
        waiting.noteReference(std::to_string(i % 3 * 7));
    waiting.noteReference("x");
    waiting.noteReference("-1");
    EXPECT_EQ(waiting.referencedNumbers(), (std::vector<std::uint64_t>{0, 1, 7, 14}));
    Finished f;
    waiting.finishAll(SharedStringTable({"a", "ACGT"}), f.rows);
    EXPECT_EQ(f.records, "");
}

TEST(WaitingRows, a_cell_resolves_to_its_entry_or_keeps_its_text_decoded) {
    const SharedStringTable table({"zero", "one"});
    SheetCell found = awaiting(1, "1");
    WaitingRows::resolve(found, table);
    EXPECT_EQ(found.value(), "one");
    EXPECT_FALSE(found.awaitsTable);
    SheetCell missing = awaiting(1, "_x0039_");
    WaitingRows::resolve(missing, table);
    EXPECT_EQ(missing.value(), "9");
    // A cell that never waited is its own text, escapes and all.
    SheetCell own{1, "_x0039_"};
    WaitingRows::resolve(own, table);
    EXPECT_EQ(own.value(), "_x0039_");
}
