#include "ui/LineIndex.h"

#include <algorithm>
#include <cstring>

namespace pellacor {

namespace {

constexpr int blockBits = 32;

// Printable ASCII and the line feed are the only bytes that map one to one onto columns.
bool allPrintable(const unsigned char* p, std::size_t n) noexcept {
    unsigned bad = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned c = p[i];
        bad |= static_cast<unsigned>(c - 0x20u > 0x5Eu) & static_cast<unsigned>(c != '\n');
    }
    return bad == 0;
}

std::size_t countLineFeeds(const char* p, std::size_t n) noexcept {
    std::size_t count = 0;
    const char* end = p + n;
    while (p < end) {
        const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (!hit)
            break;
        ++count;
        p = static_cast<const char*>(hit) + 1;
    }
    return count;
}

} // namespace

LineIndex::LineIndex() : starts_{0}, blockFirstLine_{0} {}

LineIndex::LineIndex(std::string_view text) : textSize_(text.size()) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    // Counting first lets the offsets be reserved exactly: growth by doubling would cost up to
    // twice the memory the index needs.
    const std::size_t lines = countLineFeeds(data, size) + 1;
    starts_.reserve(lines);
    blockFirstLine_.push_back(0);
    const bool checkEachLine = !allPrintable(reinterpret_cast<const unsigned char*>(data), size);
    if (checkEachLine)
        complexBits_.assign((lines + 63) / 64, 0);

    std::size_t start = 0;
    for (;;) {
        const void* hit = std::memchr(data + start, '\n', size - start);
        const std::size_t end =
            hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : size;
        const std::size_t line = starts_.size();
        while ((start >> blockBits) >= blockFirstLine_.size())
            blockFirstLine_.push_back(line);
        starts_.push_back(static_cast<std::uint32_t>(start));
        const bool plain =
            !checkEachLine ||
            allPrintable(reinterpret_cast<const unsigned char*>(data + start), end - start);
        if (plain) {
            longestPlain_ = std::max(longestPlain_, end - start);
        } else {
            complexBits_[line / 64] |= std::uint64_t{1} << (line % 64);
            ++complexCount_;
            longestComplex_ = std::max(longestComplex_, end - start);
        }
        if (!hit)
            break;
        start = end + 1;
    }
}

std::size_t LineIndex::blockOf(std::size_t line) const noexcept {
    if (blockFirstLine_.size() == 1)
        return 0;
    const auto after = std::upper_bound(blockFirstLine_.begin(), blockFirstLine_.end(), line);
    return static_cast<std::size_t>(after - blockFirstLine_.begin()) - 1;
}

std::size_t LineIndex::lineStart(std::size_t line) const noexcept {
    return (blockOf(line) << blockBits) | starts_[line];
}

std::size_t LineIndex::lineEnd(std::size_t line) const noexcept {
    return line + 1 < starts_.size() ? lineStart(line + 1) - 1 : textSize_;
}

std::size_t LineIndex::lineAt(std::size_t offset) const noexcept {
    offset = std::min(offset, textSize_);
    // Binary search over the full offsets; the block table keeps the comparison exact.
    std::size_t low = 0;
    std::size_t high = starts_.size();
    while (high - low > 1) {
        const std::size_t mid = low + (high - low) / 2;
        if (lineStart(mid) <= offset)
            low = mid;
        else
            high = mid;
    }
    return low;
}

bool LineIndex::isPlainLine(std::size_t line) const noexcept {
    return complexCount_ == 0 || ((complexBits_[line / 64] >> (line % 64)) & 1u) == 0;
}

std::size_t LineIndex::memoryUsage() const noexcept {
    return starts_.capacity() * sizeof(std::uint32_t) +
           blockFirstLine_.capacity() * sizeof(std::size_t) +
           complexBits_.capacity() * sizeof(std::uint64_t);
}

} // namespace pellacor
