#include "core/UnicodeText.h"

#include <gtest/gtest.h>

using pellacor::UnicodeText;

TEST(UnicodeText, counts_user_perceived_characters) {
    EXPECT_EQ(UnicodeText::graphemeCount(""), 0u);
    EXPECT_EQ(UnicodeText::graphemeCount("ACGT"), 4u);
    EXPECT_EQ(UnicodeText::graphemeCount("a\r\nb"), 3u);
    EXPECT_EQ(UnicodeText::graphemeCount("e\u0301x"), 2u);
    EXPECT_EQ(UnicodeText::graphemeCount("\U0001F1E9\U0001F1EA"), 1u); // one flag
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("e\u0301x", 1), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ab", 5), 2u);
}

TEST(UnicodeText, validates_utf8_strictly) {
    EXPECT_TRUE(UnicodeText::isValidUtf8("plain ASCII text that is long enough"));
    EXPECT_TRUE(UnicodeText::isValidUtf8("caf\u00E9 \U0001F600"));
    EXPECT_FALSE(UnicodeText::isValidUtf8("caf\xE9"));          // Latin-1
    EXPECT_FALSE(UnicodeText::isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(UnicodeText::isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(UnicodeText::isValidUtf8("abcdefgh\xE2\x82")); // cut short
}

TEST(UnicodeText, trims_white_space_and_optionally_newlines) {
    EXPECT_EQ(UnicodeText::trim(" \t\u00A0x y\u3000", false), "x y");
    EXPECT_EQ(UnicodeText::trim("\nx\r", false), "\nx\r");
    EXPECT_EQ(UnicodeText::trim("\n x\u2028", true), "x");
    EXPECT_EQ(UnicodeText::trim("   ", true), "");
}

TEST(UnicodeText, lower_cases_beyond_ascii) {
    EXPECT_EQ(UnicodeText::toLower("SeqID"), "seqid");
    EXPECT_EQ(UnicodeText::toLower("\u00C9TUDE"), "\u00E9tude");
}

TEST(UnicodeText, a_prefix_is_decided_by_its_own_characters_not_by_a_far_away_one) {
    // Non-ASCII far behind the prefix must not change it; right behind it, it may combine.
    const std::string ascii(10, 'a');
    EXPECT_EQ(UnicodeText::graphemePrefixBytes(ascii + "\u00E9", 4), 4u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("abcde\u0301", 5), 7u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("abcde\u0301", 4), 4u);
    // A CR LF that ends the prefix counts as one character.
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("a\r\n\r\nb", 3), 5u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("\r\n\r\n\u00E9", 2), 4u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("", 3), 0u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("abc", 0), 0u);
}

TEST(UnicodeText, counts_cr_lf_once_wherever_it_stands) {
    EXPECT_EQ(UnicodeText::graphemeCount("\r"), 1u);
    EXPECT_EQ(UnicodeText::graphemeCount("\r\n"), 1u);
    EXPECT_EQ(UnicodeText::graphemeCount("\r\r\n"), 2u);
    EXPECT_EQ(UnicodeText::graphemeCount("ab\r"), 3u);
    EXPECT_EQ(UnicodeText::graphemeCount("\n\r"), 2u);
}
