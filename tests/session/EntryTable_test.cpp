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

TEST(EntryTableTest, records_rendered_apart_and_taken_in_come_back_as_if_appended) {
    // As a large table's pieces are rendered on workers: into buffers of their own, with
    // notes, then taken in order, after records appended one by one.
    const std::vector<SequenceEntry> entries = {
        {"first", "ACGT", std::nullopt},      {"desc", "A-C", "two words"},
        {"empty-desc", "AC", std::string()},  {"header\nbreak", "AC", std::nullopt},
        {"lf", "AC\nGT", "kept\vwhole"},      {"no-sequence", "", std::nullopt},
        {"", std::string(170, 'G'), "no id"}, {"last", std::string(80, 'T'), std::nullopt},
    };
    for (const LineWidth width : {LineWidth(1), LineWidth(80), LineWidth::unwrapped()}) {
        EntryTable table(width);
        table.append(FastaConverter::viewOf(entries[0]));
        for (const std::size_t cut : {std::size_t(1), std::size_t(4), entries.size()}) {
            std::string bytes;
            std::string notes;
            for (std::size_t i = table.size(); i < cut; ++i) {
                const RecordView record = FastaConverter::viewOf(entries[i]);
                const std::size_t at = bytes.size();
                bytes.resize(at + FastaConverter::recordSizeBound(record, width));
                bytes.resize(at + EntryTable::render(record, bytes.data() + at, width, notes));
            }
            table.appendRendered(bytes, notes);
        }
        EXPECT_EQ(table.toVector(), entries) << "width " << width.characters();
        EXPECT_EQ(table.fasta().toStdString(), FastaConverter::convert(entries, width));
    }
}

TEST(EntryTableTest, clearing_keeps_the_text_memory_unless_it_is_shared) {
    EntryTable table;
    table.append({"a", std::string(5000, 'A'), std::nullopt});
    const char* memory = table.fasta().constData();
    EXPECT_EQ(table.clear(), 5066u); // ">a", 5000 residues, 63 lines
    EXPECT_TRUE(table.empty());
    table.append({"b", "C", std::nullopt});
    EXPECT_EQ(table.fasta().constData(), memory);
    EXPECT_EQ(table[0], (SequenceEntry{"b", "C", std::nullopt}));

    const QByteArray held = table.fasta();
    EXPECT_EQ(table.clear(), 0u);
    EXPECT_EQ(held, QByteArray(">b\nC\n"));
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
