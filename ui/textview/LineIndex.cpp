#include "ui/textview/LineIndex.h"

#include <algorithm>
#include <cstring>

namespace pellacor {

namespace {

constexpr int blockBits = 32;

// True when every byte is printable ASCII (0x20 to 0x7E), the bytes that map one to one onto
// columns. Eight bytes at a time: a byte fails when its high bit is set, when adding 1 sets it
// (0x7F) or when subtracting 0x20 borrows (below 0x20). Carries between bytes only follow a
// failing byte, so the answer stays exact.
bool isPlainText(const char* p, std::size_t n) noexcept {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    std::uint64_t bad = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        bad |= word | (word + ones) | (word - 0x20 * ones);
    }
    if (bad & (0x80 * ones))
        return false;
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

LineIndex::LineIndex() : starts_{0}, blockFirstLine_{0} {}

LineIndex::LineIndex(std::string_view text) : textSize_(text.size()) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    // One pass over the bytes: each line is checked while it is still in the cache from the
    // search for its end. FASTA lines are 81 bytes; the guess is trimmed to size afterwards.
    starts_.reserve(size / 64 + 1);
    blockFirstLine_.push_back(0);

    std::size_t start = 0;
    for (;;) {
        // An empty rest may come with a null pointer, which memchr must never see.
        const void* hit = start < size ? std::memchr(data + start, '\n', size - start) : nullptr;
        const std::size_t end =
            hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : size;
        const std::size_t line = starts_.size();
        while ((start >> blockBits) >= blockFirstLine_.size())
            blockFirstLine_.push_back(line);
        starts_.push_back(static_cast<std::uint32_t>(start));
        if (isPlainText(data + start, end - start)) {
            longestPlain_ = std::max(longestPlain_, end - start);
        } else {
            if (line / 64 >= complexBits_.size())
                complexBits_.resize(std::max<std::size_t>(64, 2 * complexBits_.size()), 0);
            complexBits_[line / 64] |= std::uint64_t{1} << (line % 64);
            ++complexCount_;
            longestComplex_ = std::max(longestComplex_, end - start);
        }
        if (!hit)
            break;
        start = end + 1;
    }
    // Growth may have left up to twice the room the index needs; give it back.
    starts_.shrink_to_fit();
    if (complexCount_ > 0) {
        complexBits_.resize((starts_.size() + 63) / 64);
        complexBits_.shrink_to_fit();
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
