// Records kept as places in their FASTA text must come back exactly as they went in.
#include "session/EntryTable.h"

#include "core/FastaConverter.h"

#include <gtest/gtest.h>

namespace pellacor {
namespace {

TEST(EntryTableTest, every_kind_of_record_comes_back_unchanged_beside_the_converter_text) {
    const std::vector<SequenceEntry> entries = {
        {"plain", std::string(170, 'A'), std::nullopt},
        {"empty-desc", "AC", std::string()},
        {"desc", "A-C", "two words"},
        {"caf\xC3\xA9", "e\xCC\x81" + std::string(85, 'C'), "with\nbreak"},
        {"id\r\nbroken", "AC", std::nullopt},
        {"cr", "AC\r\nGT", "d"},
        {"lf-in-sequence", "AC\nGT", std::nullopt},
        {"no-sequence", "", std::nullopt},
        {"", "G", "no identifier"},
        {"last", std::string(80, 'T'), "exactly one line"},
    };
    for (const LineWidth width : {LineWidth(1), LineWidth(80), LineWidth::unwrapped()}) {
        EntryTable table(width);
        for (const SequenceEntry& e : entries)
            table.append(FastaConverter::viewOf(e));
        ASSERT_EQ(table.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(table[i], entries[i]) << "record " << i << " at width " << width.characters();
        EXPECT_EQ(table.fasta().toStdString(), FastaConverter::convert(entries, width));
    }
}

TEST(EntryTableTest, appending_past_the_room_made_and_across_row_blocks_keeps_every_record) {
    EntryTable table;
    table.reserve(8);
    std::vector<SequenceEntry> entries;
    for (int i = 0; i < 70'000; ++i) {
        entries.push_back({std::to_string(i), std::string(1 + i % 200, 'C'), "d"});
        table.append({entries.back().identifier, entries.back().sequence, "d"});
    }
    EXPECT_EQ(table.toVector(), entries);
    EXPECT_EQ(table.fasta().toStdString(), FastaConverter::convert(entries));
}

} // namespace
} // namespace pellacor
