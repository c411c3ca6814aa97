#pragma once

#include <cstddef>
#include <limits>
#include <stdexcept>

namespace pellacor {

/// How many characters a FASTA sequence line holds: at least 1, 80 unless asked otherwise, or
/// no limit, which puts each sequence on one line.
class LineWidth {
public:
    /// The width the app always writes and the converter writes by default.
    static constexpr std::size_t standardCharacters = 80;

    /// 80 characters a line.
    constexpr LineWidth() noexcept = default;
    /// `characters` a line; throws `std::invalid_argument` below 1.
    explicit constexpr LineWidth(std::size_t characters) : characters_(characters) {
        if (characters < 1)
            throw std::invalid_argument("a FASTA line holds at least one character");
    }
    /// Each sequence on one line, however long.
    static constexpr LineWidth unwrapped() noexcept {
        LineWidth width;
        width.characters_ = std::numeric_limits<std::size_t>::max();
        return width;
    }

    /// Characters a line; the largest `std::size_t` when unwrapped.
    constexpr std::size_t characters() const noexcept { return characters_; }
    /// True for `unwrapped`.
    constexpr bool isUnwrapped() const noexcept {
        return characters_ == std::numeric_limits<std::size_t>::max();
    }
    /// How many lines a sequence of `bytes` bytes takes at most (exactly, for ASCII).
    constexpr std::size_t linesFor(std::size_t bytes) const noexcept {
        return bytes == 0 ? 0 : (bytes - 1) / characters_ + 1;
    }

    constexpr bool operator==(const LineWidth&) const noexcept = default;

private:
    std::size_t characters_ = standardCharacters;
};

} // namespace pellacor
