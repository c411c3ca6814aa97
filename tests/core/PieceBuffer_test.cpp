#include "core/PieceBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace pellacor {
namespace {

std::string pattern(std::size_t bytes, char seed) {
    std::string text(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        text[i] = static_cast<char>(seed + i % 61);
    return text;
}

TEST(PieceBufferTest, growing_keeps_what_was_written_from_the_heap_into_huge_pages) {
    PieceBuffer buffer;
    std::string expected;
    // From a few bytes on the heap to several megabytes mapped, in steps that each overflow.
    for (const std::size_t step : {7u, 4096u, 300000u, 900000u, 3000000u}) {
        const std::string text = pattern(step, static_cast<char>('A' + step % 7));
        buffer.append(text);
        expected += text;
        ASSERT_EQ(buffer.view(), expected) << "after a step of " << step;
    }
    EXPECT_GE(buffer.capacity(), buffer.size());
#if defined(__linux__)
    // Huge pages back only whole, aligned 2 MB spans.
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.view().data()) % HugePages::pageBytes, 0u);
    EXPECT_EQ(buffer.capacity() % HugePages::pageBytes, 0u);
#endif
}

TEST(PieceBufferTest, cleared_buffers_and_moved_buffers_are_written_again) {
    PieceBuffer first;
    // Nothing into a buffer not yet made, from a view of nothing (the sanitizers watch memcpy).
    first.append(std::string_view());
    EXPECT_EQ(first.size(), 0u);
    first.append(pattern(1 << 20, 'a'));
    const char* memory = first.view().data();
    first.clear();
    first.append("again");
    // Cleared, the buffer writes over its own memory.
    EXPECT_EQ(first.view(), "again");
    EXPECT_EQ(first.view().data(), memory);

    PieceBuffer second = std::move(first);
    EXPECT_EQ(second.view(), "again");
    EXPECT_EQ(first.size(), 0u);
    first.append("left behind");
    EXPECT_EQ(first.view(), "left behind");

    // Over a buffer that holds memory of its own (mapped, then from the heap): the sanitizers
    // catch what is not given back or given back twice.
    PieceBuffer small;
    small.append("small");
    second = std::move(small);
    EXPECT_EQ(second.view(), "small");
    small = std::move(first);
    EXPECT_EQ(small.view(), "left behind");
}

} // namespace
} // namespace pellacor
