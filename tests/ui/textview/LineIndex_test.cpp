#include "ui/textview/LineIndex.h"

#include <gtest/gtest.h>

#include <string>

using pellacor::LineIndex;

TEST(LineIndexTest, lines_end_before_their_line_feed_and_a_final_feed_opens_an_empty_line) {
    const std::string text = ">a\nACGT\n\nTT\n";
    const LineIndex index(text);
    ASSERT_EQ(index.lineCount(), 5u);
    const std::size_t starts[] = {0, 3, 8, 9, 12};
    const std::size_t ends[] = {2, 7, 8, 11, 12};
    for (std::size_t line = 0; line < 5; ++line) {
        EXPECT_EQ(index.lineStart(line), starts[line]) << line;
        EXPECT_EQ(index.lineEnd(line), ends[line]) << line;
    }
    EXPECT_EQ(index.longestPlainLine(), 4u);

    // An offset on a line feed belongs to the line it ends; past the end, to the last line.
    const std::size_t lineOf[][2] = {{0, 0}, {2, 0}, {3, 1}, {7, 1}, {8, 2}, {12, 4}, {500, 4}};
    for (const auto& [offset, line] : lineOf)
        EXPECT_EQ(index.lineAt(offset), line) << offset;

    const LineIndex empty{std::string_view{}};
    ASSERT_EQ(empty.lineCount(), 1u) << "an empty text has one empty line";
    EXPECT_EQ(empty.lineStart(0), 0u);
    EXPECT_EQ(empty.lineEnd(0), 0u);
    EXPECT_EQ(empty.lineAt(0), 0u);
}

TEST(LineIndexTest, many_lines_keep_exact_offsets_in_a_small_footprint) {
    std::string text;
    for (int record = 0; record < 20000; ++record)
        text += std::string(80, "ACGT-"[record % 5]) + '\n';
    const LineIndex index(text);
    ASSERT_EQ(index.lineCount(), 20001u);
    EXPECT_TRUE(index.allPlain());
    EXPECT_EQ(index.lineStart(12345), 12345u * 81);
    EXPECT_EQ(index.lineAt(12345u * 81 + 40), 12345u);
    // Four bytes per 81-byte line is about 5%.
    EXPECT_LT(index.memoryUsage(), text.size() / 16);
}

TEST(LineIndexTest, only_printable_ascii_lines_count_as_plain_wherever_the_odd_byte_sits) {
    // Multi-byte characters need shaping, a tab is not one printable column, a carriage return
    // is a control character.
    const LineIndex mixed(std::string("ACGT\n>caf\xc3\xa9\nA\tB\nCR\r\nlast"));
    EXPECT_EQ(mixed.complexLineCount(), 3u);
    EXPECT_FALSE(mixed.allPlain());
    EXPECT_EQ(mixed.longestPlainLine(), 4u);
    EXPECT_EQ(mixed.longestComplexLine(), 6u);
    // Lines are checked eight bytes at a time; every position and both edges of the printable
    // range must still be told apart.
    for (const unsigned char odd : {0x00, 0x09, 0x0D, 0x1F, 0x7F, 0x80, 0xC3, 0xFF}) {
        for (std::size_t position = 0; position < 21; ++position) {
            std::string line(21, 'A');
            line[position] = static_cast<char>(odd);
            const std::string text = "ACGT\n" + line + "\nACGT";
            const LineIndex index(text);
            EXPECT_FALSE(index.isPlainLine(1)) << int(odd) << " at " << position;
            EXPECT_TRUE(index.isPlainLine(0));
            EXPECT_TRUE(index.isPlainLine(2));
        }
    }
    for (const char edge : {' ', '~'}) {
        const std::string text(21, edge);
        EXPECT_TRUE(LineIndex(text).isPlainLine(0)) << edge;
    }
}
