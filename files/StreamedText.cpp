#include "files/StreamedText.h"

#include "files/FileError.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace pellacor {

bool StreamedText::readMore() {
    if (atEnd_)
        return false;
    // The window moves to the front of the buffer first; a window that fills the buffer, a row
    // longer than a piece, doubles it.
    const std::size_t kept = end_ - start_;
    if (capacity_ - kept < piece_) {
        const std::size_t capacity = std::max(piece_ + kept, 2 * capacity_);
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
    // Waits for the first bytes, then takes whatever else has already come, up to a piece:
    // a fast writer is read in large pieces, a slow one's rows still go out as they come.
    const std::size_t goal = end_ + piece_;
    bool waited = false;
    while (end_ < goal) {
        if (waited) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 0) <= 0)
                break;
        }
        const ssize_t got = ::read(fd_, buffer_.get() + end_, goal - end_);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError("Cannot read", name_, errno);
        }
        waited = true;
        if (got == 0) {
            atEnd_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(got);
    }
    return end_ > kept;
}

} // namespace pellacor
