#include "files/DecodedText.h"

#include <algorithm>
#include <cstring>

namespace pellacor {

bool DecodedText::readMore() {
    if (isComplete_)
        return false;
    // As a pipe's window: moved to the front, doubled when a long row fills it.
    const std::size_t kept = end_ - start_;
    if (capacity_ - kept < pieceBytes) {
        const std::size_t capacity = std::max(pieceBytes + kept, 2 * capacity_);
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
    const std::size_t goal = kept + pieceBytes;
    while (end_ < goal && !isComplete_) {
        if (input_->window().empty() && !input_->isComplete())
            input_->readMore();
        const std::string_view input = input_->window();
        std::size_t used = 0;
        const std::size_t made =
            decode(input, input_->isComplete(), buffer_.get() + end_, goal - end_, used);
        input_->drop(used);
        end_ += made;
        if (hasEnded() || (input_->isComplete() && input_->window().empty() && made == 0))
            isComplete_ = true;
        else if (made == 0 && used == 0 && !input_->readMore())
            isComplete_ = true;
    }
    return end_ > kept;
}

} // namespace pellacor
