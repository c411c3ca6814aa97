#include "ui/textview/TextSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace pellacor {

namespace {

// Sixteen bytes compared at once. GCC and Clang turn this into SSE2 or NEON.
using Block = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t blockBytes = sizeof(Block);
// Backward searches run forward through windows of this size, the last window first.
constexpr std::size_t backwardWindow = std::size_t{1} << 20;

bool isAsciiLetter(unsigned char c) {
    const unsigned char lower = c | 0x20;
    return lower >= 'a' && lower <= 'z';
}

// The needle with ASCII letters in lower case, and for each byte the bit that a comparison
// sets in the text's byte before comparing: 0x20 for a letter (so "A" becomes "a"), else 0.
class Pattern {
public:
    explicit Pattern(std::string_view needle) : folded_(needle), caseBits_(needle.size(), 0) {
        for (std::size_t i = 0; i < folded_.size(); ++i) {
            const auto c = static_cast<unsigned char>(folded_[i]);
            if (isAsciiLetter(c)) {
                folded_[i] = static_cast<char>(c | 0x20);
                caseBits_[i] = 0x20;
            }
        }
    }

    std::size_t size() const { return folded_.size(); }
    unsigned char byte(std::size_t i) const { return static_cast<unsigned char>(folded_[i]); }
    unsigned char caseBit(std::size_t i) const { return caseBits_[i]; }

    bool matchesAt(const unsigned char* text) const {
        for (std::size_t i = 0; i < folded_.size(); ++i)
            if ((text[i] | caseBits_[i]) != byte(i))
                return false;
        return true;
    }

private:
    std::string folded_;
    std::basic_string<unsigned char> caseBits_;
};

Block splat(unsigned char c) {
    Block block;
    std::memset(&block, c, sizeof block);
    return block;
}

bool anySet(const Block& block) {
    std::uint64_t halves[2];
    std::memcpy(halves, &block, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// The first start in [from, last] where the pattern matches.
std::optional<std::size_t> firstStart(const unsigned char* text, const Pattern& pattern,
                                      std::size_t from, std::size_t last) {
    std::size_t start = from;
    // Four bytes of the needle, spread over it, filter sixteen starts at a time; the few starts
    // that pass are checked whole.
    const std::size_t span = pattern.size() - 1;
    std::array<std::size_t, 4> offsets{};
    std::array<Block, 4> wanted{};
    std::array<Block, 4> caseBits{};
    for (std::size_t j = 0; j < offsets.size(); ++j) {
        offsets[j] = j * span / (offsets.size() - 1);
        wanted[j] = splat(pattern.byte(offsets[j]));
        caseBits[j] = splat(pattern.caseBit(offsets[j]));
    }
    for (; last >= blockBytes - 1 && start <= last - (blockBytes - 1); start += blockBytes) {
        Block candidates = splat(0xFF);
        for (std::size_t j = 0; j < offsets.size(); ++j) {
            Block bytes;
            std::memcpy(&bytes, text + start + offsets[j], sizeof bytes);
            candidates &= (Block)((bytes | caseBits[j]) == wanted[j]);
        }
        if (!anySet(candidates))
            continue;
        for (std::size_t i = 0; i < blockBytes; ++i)
            if (candidates[i] && pattern.matchesAt(text + start + i))
                return start + i;
    }
    for (; start <= last; ++start)
        if (pattern.matchesAt(text + start))
            return start;
    return std::nullopt;
}

// The last start in [lowest, before) where the needle occurs.
std::optional<std::size_t> lastStart(std::string_view text, std::string_view needle,
                                     std::size_t lowest, std::size_t before) {
    if (needle.empty() || text.size() < needle.size())
        return std::nullopt;
    const Pattern pattern(needle);
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t end = std::min(before, text.size() - needle.size() + 1);
    while (end > lowest) {
        const std::size_t begin = end - lowest > backwardWindow ? end - backwardWindow : lowest;
        std::optional<std::size_t> last;
        for (std::optional<std::size_t> hit = firstStart(data, pattern, begin, end - 1); hit;
             hit = *hit + 1 < end ? firstStart(data, pattern, *hit + 1, end - 1) : std::nullopt)
            last = hit;
        if (last)
            return last;
        end = begin;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> TextSearch::forward(std::string_view text, std::string_view needle,
                                               std::size_t from) {
    if (needle.empty() || text.size() < needle.size() || from > text.size() - needle.size())
        return std::nullopt;
    return firstStart(reinterpret_cast<const unsigned char*>(text.data()), Pattern(needle), from,
                      text.size() - needle.size());
}

std::optional<std::size_t> TextSearch::backward(std::string_view text, std::string_view needle,
                                                std::size_t before) {
    return lastStart(text, needle, 0, before);
}

std::optional<TextSearch::Hit> TextSearch::wrapping(std::string_view text, std::string_view needle,
                                                    std::size_t from, Direction direction) {
    if (needle.empty())
        return std::nullopt;
    if (direction == Direction::Forward) {
        if (const auto hit = forward(text, needle, from))
            return Hit{*hit, false};
        // Round to the start: only the starts before `from` are left to look at.
        const std::size_t rest = std::min(text.size(), from + needle.size() - 1);
        if (const auto hit = forward(text.substr(0, rest), needle, 0))
            return Hit{*hit, true};
        return std::nullopt;
    }
    if (const auto hit = backward(text, needle, from))
        return Hit{*hit, false};
    if (const auto hit = lastStart(text, needle, from, text.size()))
        return Hit{*hit, true};
    return std::nullopt;
}

} // namespace pellacor
