// What the findings tell about skipped rows and repeated identifiers: counts a person reads at
// a glance, the first few named.
#include "readers/TableFindings.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace pellacor {
namespace {

TEST(TableFindings, counts_are_grouped_by_thousands_and_say_how_many_rows_were_not_named) {
    TableFindings findings;
    for (std::uint64_t row = 3; row < 3 + 2 * 2500; row += 2)
        findings.skipped(row);
    EXPECT_EQ(findings.skippedMessage(),
              "2,500 rows skipped (no identifier or sequence): 3, 5, 7, 9, 11 and 2,495 more");
    TableFindings far;
    far.skipped(1234567);
    // Row numbers stay as a sheet shows them: in a list, separators would read as more rows.
    EXPECT_EQ(far.skippedMessage(), "1 row skipped (no identifier or sequence): 1234567");
}

TEST(TableFindings, repeated_identifiers_are_counted_once_each_and_the_first_three_named) {
    TableFindings one;
    for (const char* id : {"a", "b", "a", "a"})
        one.identifier(id, 1);
    ASSERT_EQ(one.warnings().size(), 1u);
    EXPECT_TRUE(
        one.warnings()[0].starts_with("The identifier \u201Ca\u201D appears more than once"))
        << one.warnings()[0];
    // A copy (a workbook's report keeps one) goes on from what was seen, on its own.
    TableFindings copy = one;
    copy.identifier("b", 2);
    ASSERT_EQ(copy.warnings().size(), 1u);
    EXPECT_TRUE(copy.warnings()[0].starts_with("2 identifiers repeat")) << copy.warnings()[0];
    EXPECT_TRUE(one.warnings()[0].starts_with("The identifier \u201Ca\u201D")) << one.warnings()[0];
    // Twelve identifiers used twice or more, between others used once.
    TableFindings many;
    std::uint64_t row = 0;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 12; ++i) {
            many.identifier("dup" + std::to_string(i), ++row);
            many.identifier("once" + std::to_string(round) + "-" + std::to_string(i), ++row);
        }
    ASSERT_EQ(many.warnings().size(), 1u);
    EXPECT_EQ(many.warnings()[0],
              "12 identifiers repeat, such as \u201Cdup0\u201D, \u201Cdup1\u201D, "
              "\u201Cdup2\u201D; many FASTA tools refuse repeated identifiers.");
    // Past the identifiers remembered, the count is a lower bound.
    TableFindings longTable;
    for (const char* id : {"a", "a", "b", "b"})
        longTable.identifier(id, 1);
    for (std::uint64_t i = 0; i <= TableFindings::rememberedIdentifiers; ++i)
        longTable.identifier(std::to_string(i), i + 5);
    ASSERT_EQ(longTable.warnings().size(), 1u);
    EXPECT_TRUE(longTable.warnings()[0].starts_with("At least 2 identifiers repeat, such as"))
        << longTable.warnings()[0];
}

TEST(TableFindings, identifiers_noted_together_find_what_one_at_a_time_finds) {
    // Repeats near and far, then past the identifiers remembered.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < TableFindings::rememberedIdentifiers + 50; ++i)
        names.push_back(i % 1000 == 7 ? "id" + std::to_string(i / 3) : "id" + std::to_string(i));
    for (const char* late : {"id5", "id1000", "id1"})
        names.push_back(late);
    std::vector<std::pair<std::string_view, std::uint64_t>> list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list.emplace_back(names[i], i + 2);
    for (const std::size_t batch : {std::size_t(1), std::size_t(3), std::size_t(1000), names.size()}) {
        TableFindings each;
        TableFindings together;
        for (std::size_t from = 0; from < list.size(); from += batch) {
            const auto part = std::span(list).subspan(from, std::min(batch, list.size() - from));
            for (const auto& [identifier, row] : part)
                each.identifier(identifier, row);
            together.identifiers(part);
        }
        ASSERT_EQ(each.warnings().size(), 1u);
        EXPECT_EQ(together.warnings(), each.warnings()) << "in batches of " << batch;
        EXPECT_EQ(together.looksForRepeats(), each.looksForRepeats());
    }
}

} // namespace
} // namespace pellacor
