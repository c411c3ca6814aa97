#include "core/FastaConverter.h"
#include "core/UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>

#include <random>
#include <string>

using namespace pellacor;

TEST(UnicodeText, counts_user_perceived_characters) {
    EXPECT_EQ(UnicodeText::graphemeCount(""), 0u);
    EXPECT_EQ(UnicodeText::graphemeCount("ACGT"), 4u);
    EXPECT_EQ(UnicodeText::graphemeCount("e\u0301x"), 2u);
    EXPECT_EQ(UnicodeText::graphemeCount("\U0001F1E9\U0001F1EA"), 1u); // one flag
    // CR LF is one character wherever it stands.
    EXPECT_EQ(UnicodeText::graphemeCount("a\r\nb"), 3u);
    EXPECT_EQ(UnicodeText::graphemeCount("\r"), 1u);
    EXPECT_EQ(UnicodeText::graphemeCount("\r\r\n"), 2u);
    EXPECT_EQ(UnicodeText::graphemeCount("ab\r"), 3u);
    EXPECT_EQ(UnicodeText::graphemeCount("\n\r"), 2u);
}

namespace {

struct Reference {
    std::size_t characters = 0;
    std::size_t longestBytes = 0; // of one character, in UTF-8
};

// Characters as ICU counts them over the whole text at once: the count to agree with.
Reference referenceOf(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    it->setText(unicode);
    Reference reference;
    int32_t start = 0;
    for (int32_t b = it->next(); b != icu::BreakIterator::DONE; start = b, b = it->next()) {
        ++reference.characters;
        std::string character;
        unicode.tempSubStringBetween(start, b).toUTF8String(character);
        reference.longestBytes = std::max(reference.longestBytes, character.size());
    }
    return reference;
}

// Random text of clusters that span several code points, many beside ASCII: a base letter and
// its marks, a prefix mark before a letter, flags that pair up, a family joined by ZWJ, Hangul
// jamo, an Indic conjunct, and line breaks of every kind.
std::string mixedText(std::mt19937& random, int clusters) {
    static const std::vector<std::string> pieces = {"A",
                                                    "C",
                                                    "\r\n",
                                                    "\r",
                                                    "\n",
                                                    "e\u0301\u0302",
                                                    "\u0301",
                                                    "\u0600A",
                                                    "\U0001F1E9",
                                                    "\U0001F1EA",
                                                    "\U0001F468\u200D\U0001F469\u200D\U0001F467",
                                                    "\u1100\u1161\u11A8",
                                                    "\u0915\u094D\u0937",
                                                    "\u00E9",
                                                    "\u4E2D",
                                                    "-",
                                                    " "};
    std::string text;
    for (int i = 0; i < clusters; ++i)
        text += pieces[random() % pieces.size()];
    return text;
}

} // namespace

TEST(UnicodeText, counts_agree_with_icu_over_the_whole_text_wherever_ascii_and_seams_fall) {
    // ASCII stretches are counted without ICU and long text is handed to it in windows, since
    // it takes 32-bit lengths: neither may change a count.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const std::string text = mixedText(random, 1 + static_cast<int>(random() % 300));
        const Reference expected = referenceOf(text);
        ASSERT_EQ(UnicodeText::graphemeCount(text), expected.characters) << round;
        // Windows stay wider than the widest character.
        for (std::size_t window = expected.longestBytes + 1; window < expected.longestBytes + 60;
             window += 7)
            ASSERT_EQ(UnicodeText::graphemeCountInWindows(text, window), expected.characters)
                << round << " " << window;
    }
}

TEST(UnicodeText, a_prefix_keeps_a_combining_mark_and_a_cr_lf_that_end_it) {
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("e\u0301x", 1), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ABC\u0301D", 2), 2u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ABC\u0301D", 3), 5u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ABC\u0301D", 4), 6u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r\nB", 2), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r\n\u00E9", 2), 3u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("a\r\n\r\nb", 3), 5u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("\r\n\r\n\u00E9", 2), 4u);
    // Non-ASCII far behind the prefix does not change it.
    EXPECT_EQ(UnicodeText::graphemePrefixBytes(std::string(10, 'a') + "\u00E9", 4), 4u);
}

TEST(UnicodeText, a_prefix_longer_than_the_text_is_the_whole_text) {
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("ab", 5), 2u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("A\r", 5), 2u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("AC\u00E9", 80), 4u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("", 3), 0u);
    EXPECT_EQ(UnicodeText::graphemePrefixBytes("abc", 0), 0u);
}

TEST(UnicodeText, a_long_sequence_with_one_accented_letter_at_the_end_is_sliced_whole) {
    // Slicing once tested the whole remaining text for ASCII on every line (quadratic: the
    // test's time limit catches that).
    const std::string sequence = std::string(8'000'000, 'A') + "\u00E9";
    const std::string fasta = FastaConverter::convert({{"s1", sequence, std::nullopt}});
    EXPECT_EQ(fasta.size(), 4 + sequence.size() + 100'001);
    EXPECT_TRUE(fasta.ends_with("A\n\u00E9\n"));
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
