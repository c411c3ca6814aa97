#include "core/FastaConverter.h"
#include "core/UnicodeText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace pellacor;

TEST(UnicodeTextSlicing, anAsciiLetterKeepsTheCombiningMarkThatFollowsThePrefix) {
    // "AB" + "C" with COMBINING ACUTE ACCENT: the third character is C plus its accent.
    const std::string text = "ABC\xCC\x81"
                             "D";
    EXPECT_EQ(UnicodeText::graphemePrefixBytes(text, 2), 2u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes(text, 3), 5u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes(text, 4), 6u);
}

TEST(UnicodeTextSlicing, crLfCountsAsOneCharacterAtTheEdgeOfAPrefix) {
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r\nB", 2), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r\n\xC3\xA9", 2), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r", 5), 2u);
}

TEST(UnicodeTextSlicing, aPrefixLongerThanTheTextIsTheWholeText) {
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ACGT", 80), 4u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("AC\xC3\xA9", 80), 4u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("", 3), 0u);
}

TEST(UnicodeTextSlicing, aLongSequenceWithOneAccentedLetterAtTheEndRendersInLinearTime) {
    // Slicing used to test the whole remaining text for ASCII on every line.
    const std::string sequence = std::string(8'000'000, 'A') + "\xC3\xA9";
    const auto start = std::chrono::steady_clock::now();
    const std::string fasta = FastaConverter::convert({{"s1", sequence, std::nullopt}});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(fasta.size(), 4 + sequence.size() + 100'001);
    EXPECT_TRUE(fasta.ends_with("A\n\xC3\xA9\n"));
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}
