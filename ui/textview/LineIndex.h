#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pellacor {

/// Where each line of a text starts, kept compact enough for texts of hundreds of megabytes:
/// 32-bit offsets inside 4 GiB blocks, plus which lines need more than one column per byte.
/// A line ends before its line feed; the text after the last line feed is a line too, so an
/// empty text has one empty line.
class LineIndex {
public:
    /// An index of the empty text.
    LineIndex();

    /// Indexes `text`; the index keeps no reference to it.
    explicit LineIndex(std::string_view text);

    /// Number of lines (line feeds plus one).
    std::size_t lineCount() const noexcept { return starts_.size(); }
    /// Byte offset where line `line` starts.
    std::size_t lineStart(std::size_t line) const noexcept;
    /// Byte offset of the end of line `line`, its line feed excluded.
    std::size_t lineEnd(std::size_t line) const noexcept;
    /// The line holding byte offset `offset`; an offset on a line feed belongs to the line it ends.
    std::size_t lineAt(std::size_t offset) const noexcept;

    /// True when every byte of the line is printable ASCII, so byte n sits in column n.
    bool isPlainLine(std::size_t line) const noexcept;
    /// True when every line is plain.
    bool allPlain() const noexcept { return complexCount_ == 0; }
    /// Number of lines that are not plain.
    std::size_t complexLineCount() const noexcept { return complexCount_; }
    /// The byte length of the longest plain line.
    std::size_t longestPlainLine() const noexcept { return longestPlain_; }
    /// The byte length of the longest line that is not plain (0 when there is none).
    std::size_t longestComplexLine() const noexcept { return longestComplex_; }

    /// Bytes held by the index itself.
    std::size_t memoryUsage() const noexcept;

private:
    std::size_t blockOf(std::size_t line) const noexcept;

    // Low 32 bits of every line start; blockFirstLine_[k] is the first line starting at or
    // after k * 4 GiB, so the high bits never need storing per line.
    std::vector<std::uint32_t> starts_;
    std::vector<std::size_t> blockFirstLine_;
    // One bit per line, set for lines that are not plain; empty while every line is plain.
    std::vector<std::uint64_t> complexBits_;
    std::size_t complexCount_ = 0;
    std::size_t textSize_ = 0;
    std::size_t longestPlain_ = 0;
    std::size_t longestComplex_ = 0;
};

} // namespace pellacor
