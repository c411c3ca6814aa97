#include "ui/textview/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using pellacor::TextSearch;
using Direction = TextSearch::Direction;

namespace {

// The plain definition, one start at a time.
bool matchesAt(std::string_view text, std::size_t start, std::string_view needle) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (fold(text[start + i]) != fold(needle[i]))
            return false;
    return true;
}

std::optional<std::size_t> slowForward(std::string_view text, std::string_view needle,
                                       std::size_t from) {
    for (std::size_t start = from; start + needle.size() <= text.size(); ++start)
        if (matchesAt(text, start, needle))
            return start;
    return std::nullopt;
}

std::optional<std::size_t> slowBackward(std::string_view text, std::string_view needle,
                                        std::size_t before) {
    std::optional<std::size_t> last;
    for (std::size_t start = 0; start < before && start + needle.size() <= text.size(); ++start)
        if (matchesAt(text, start, needle))
            last = start;
    return last;
}

} // namespace

TEST(TextSearch, matches_ascii_letters_in_either_case_and_every_other_byte_only_itself) {
    struct Case {
        const char* text;
        const char* needle;
        std::optional<std::size_t> found;
    };
    const Case cases[] = {
        {">seq1 E. coli\nACGTacgt\n", "acgtA", 14},
        {">seq1 E. coli\nACGTacgt\n", "SEQ1", 1},
        {">seq1 E. coli\nACGTacgt\n", "\nA", 13},
        {"a{b", "[B", std::nullopt},                // "[" and "{" differ only in the case bit
        {"x@y", "`Y", std::nullopt},                // as do "@" and "`"
        {">caf\xC3\xA9", "\xC3\x89", std::nullopt}, // "É" is not "é"
        {">caf\xC3\xA9", "F\xC3\xA9", 3},
        {"ACGT", "ACGTA", std::nullopt},
        {"", "A", std::nullopt},
        {"ACGT", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextSearch::forward(c.text, c.needle, 0), c.found) << c.text << " / " << c.needle;
}

TEST(TextSearch, agrees_with_a_plain_search_at_every_start_and_block_edge) {
    // Sixteen starts are filtered at once; hits at every position relative to those blocks,
    // next to near misses, must come out exactly as a byte-by-byte search finds them.
    std::mt19937 random(7);
    const std::string alphabet = "ACGTacgt-\n";
    for (int round = 0; round < 300; ++round) {
        std::string text(1 + random() % 200, ' ');
        for (char& c : text)
            c = alphabet[random() % (round % 2 ? 4 : alphabet.size())];
        const std::size_t length = 1 + random() % 9;
        const std::size_t at = random() % text.size();
        const std::string needle = at + length <= text.size() ? text.substr(at, length) : "ACG";
        const std::size_t from = random() % (text.size() + 2);
        EXPECT_EQ(TextSearch::forward(text, needle, from), slowForward(text, needle, from))
            << text << " / " << needle << " from " << from;
        EXPECT_EQ(TextSearch::backward(text, needle, from), slowBackward(text, needle, from))
            << text << " / " << needle << " before " << from;
    }
}

TEST(TextSearch, looks_backward_through_megabytes_to_a_hit_that_spans_a_window_edge) {
    std::string text(3'000'000, 'A');
    const std::string needle = "GATTACA";
    // The backward search reads windows of 2^20 starts from the end; put hits across edges.
    const std::size_t edge = text.size() - needle.size() + 1 - (std::size_t{1} << 20);
    text.replace(edge - 3, needle.size(), needle);
    text.replace(100, needle.size(), "gattaca");
    EXPECT_EQ(TextSearch::backward(text, needle, text.size()), edge - 3);
    EXPECT_EQ(TextSearch::backward(text, needle, edge - 3), 100u);
    EXPECT_EQ(TextSearch::backward(text, needle, 100), std::nullopt);
    EXPECT_EQ(TextSearch::forward(text, needle, 101), edge - 3);
}

TEST(TextSearch, wraps_round_the_end_and_the_start_and_says_so) {
    const std::string text = "xx AC xx AC xx";
    const auto hit = [&](std::size_t from, Direction direction) {
        const auto found = TextSearch::wrapping(text, "ac", from, direction);
        return found ? std::optional<std::pair<std::size_t, bool>>({found->offset, found->wrapped})
                     : std::nullopt;
    };
    using Expect = std::optional<std::pair<std::size_t, bool>>;
    EXPECT_EQ(hit(0, Direction::Forward), Expect({3, false}));
    EXPECT_EQ(hit(4, Direction::Forward), Expect({9, false}));
    EXPECT_EQ(hit(10, Direction::Forward), Expect({3, true})) << "after the last hit";
    EXPECT_EQ(hit(9, Direction::Backward), Expect({3, false}));
    EXPECT_EQ(hit(3, Direction::Backward), Expect({9, true})) << "before the first hit";
    EXPECT_EQ(TextSearch::wrapping("xx AC", "ac", 4, Direction::Forward)->offset, 3u)
        << "the only hit is found again";
    EXPECT_FALSE(TextSearch::wrapping(text, "GT", 5, Direction::Forward));
    EXPECT_FALSE(TextSearch::wrapping(text, "GT", 5, Direction::Backward));
    EXPECT_FALSE(TextSearch::wrapping(text, "", 5, Direction::Forward));
}
