// The wide survey of a stretch must count what a byte-by-byte reading counts, wherever a CR LF,
// a quotation mark or a byte past ASCII falls among its 32-byte steps.
#include "readers/delimited/StretchSurvey.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace pellacor;

namespace {

// Line breaks as the row scanner counts them, one byte at a time.
std::size_t breaksByHand(const std::string& text) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\n' && i > 0 && text[i - 1] == '\r')
            continue;
        if (b >= 0x0A && b <= 0x0D)
            ++breaks;
        else if (text.compare(i, 2, "\xC2\x85") == 0 || text.compare(i, 3, "\xE2\x80\xA8") == 0 ||
                 text.compare(i, 3, "\xE2\x80\xA9") == 0)
            ++breaks;
    }
    return breaks;
}

} // namespace

TEST(StretchSurvey, counts_what_a_byte_by_byte_reading_counts_at_every_length_and_place) {
    const std::string pieces[] = {"\r\n", "\r", "\n", "\v", "\f", "ACGT", "\t", ",",
                                  "\"",   "\xC3\xA9", "\xC2\x85", "\xE2\x80\xA8", "\x7F",
                                  std::string(1, '\0')};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::size_t length = random() % 140;
        // Mostly plain text, so that a stretch without quotes or high bytes comes up too.
        const bool plain = round % 3 == 0;
        while (text.size() < length) {
            const std::size_t pick = random() % (plain ? 8 : std::size(pieces));
            text += pieces[pick == 0 && plain ? 5 : pick];
        }
        const StretchSurvey survey = StretchSurvey::of(text);
        EXPECT_EQ(survey.lineBreaks, breaksByHand(text)) << round;
        EXPECT_EQ(survey.hasQuote, text.find('"') != std::string::npos) << round;
        const bool nonAscii =
            text.find_first_of("\xC3\xC2\xE2\x80\x85\xA8\xA9") != std::string::npos;
        EXPECT_EQ(survey.hasNonAscii, nonAscii) << round;
        EXPECT_EQ(survey.hasNul, text.find('\0') != std::string::npos) << round;
    }
}

TEST(StretchSurvey, a_cr_lf_split_by_a_step_or_the_tail_is_one_line_break) {
    for (std::size_t at = 0; at < 100; ++at) {
        std::string text(100, 'A');
        text[at] = '\r';
        if (at + 1 < text.size())
            text[at + 1] = '\n';
        EXPECT_EQ(StretchSurvey::of(text).lineBreaks, 1u) << at;
    }
}

// Past thousands of LF-only steps, where the counting changes its way, nothing is lost: a
// line of LFs longer than a counter holds, and a CR, FF or VT met late.
TEST(StretchSurvey, long_stretches_count_every_line_break_wherever_the_first_cr_falls) {
    std::mt19937 random(5);
    std::string plain(40000, 'A');
    for (std::size_t i = 0; i < plain.size(); ++i)
        if (random() % 7 == 0 || (i > 9000 && i < 18000))
            plain[i] = '\n';
    EXPECT_EQ(StretchSurvey::of(plain).lineBreaks, breaksByHand(plain));
    for (const std::size_t at : {0u, 31u, 32u, 8159u, 8160u, 8161u, 17000u, 39999u})
        for (const char other : {'\r', '\f', '\v'}) {
            std::string text = plain;
            text[at] = other;
            EXPECT_EQ(StretchSurvey::of(text).lineBreaks, breaksByHand(text)) << at;
        }
}
