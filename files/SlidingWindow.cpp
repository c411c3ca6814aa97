#include "files/SlidingWindow.h"

#include <algorithm>
#include <cstring>

namespace pellacor {

void SlidingWindow::makeRoom(std::size_t room) {
    const std::size_t kept = size();
    if (capacity_ - kept < room) {
        const std::size_t capacity = std::max(room + kept, 2 * capacity_);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (kept > 0)
            std::memcpy(grown.get(), buffer_.get() + start_, kept);
        buffer_ = std::move(grown);
        capacity_ = capacity;
    } else if (start_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, kept);
    }
    start_ = 0;
    end_ = kept;
}

} // namespace pellacor
