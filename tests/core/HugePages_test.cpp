#include "core/HugePages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace pellacor {
namespace {

TEST(HugePagesTest, fresh_pages_read_as_zeros_and_copies_are_their_own) {
    // Hash tables take fresh pages as empty: memory an earlier one wrote must not show.
    for (int round = 0; round < 3; ++round) {
        HugePages pages(3 * HugePages::pageBytes / 2);
        ASSERT_EQ(pages.size(), 2 * HugePages::pageBytes);
        ASSERT_TRUE(std::all_of(pages.data(), pages.data() + pages.size(),
                                [](char c) { return c == 0; }))
            << "round " << round;
        std::memset(pages.data(), 0x5A, pages.size());
    }
    HugePages original(10);
    std::memcpy(original.data(), "sequences", 10);
    HugePages copy = original;
    original.data()[0] = 'S';
    EXPECT_STREQ(copy.data(), "sequences");
    copy = original;
    EXPECT_STREQ(copy.data(), "Sequences");
    HugePages moved = std::move(copy);
    EXPECT_EQ(copy.data(), nullptr);
    EXPECT_EQ(copy.size(), 0u);
    EXPECT_STREQ(moved.data(), "Sequences");
    EXPECT_EQ(HugePages(0).data(), nullptr);
}

} // namespace
} // namespace pellacor
