#include "files/StreamedText.h"

#include "files/FileError.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace pellacor {

bool StreamedText::readMore() {
    if (atEnd_)
        return false;
    const std::size_t kept = window_.size();
    window_.makeRoom(piece_);
    // Waits for the first bytes, then takes whatever else has already come, up to a piece:
    // a fast writer is read in large pieces, a slow one's rows still go out as they come.
    const std::size_t goal = kept + piece_;
    bool waited = false;
    while (window_.size() < goal) {
        if (waited) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 0) <= 0)
                break;
        }
        const ssize_t got = ::read(fd_, window_.back(), goal - window_.size());
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
        window_.added(static_cast<std::size_t>(got));
    }
    return window_.size() > kept;
}

} // namespace pellacor
