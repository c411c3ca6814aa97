#include "files/StreamedText.h"

#include "files/FileError.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pellacor {

StreamedText::StreamedText(int fd, std::string name, std::size_t piece)
    : fd_(fd), name_(std::move(name)), piece_(piece),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StreamedText::interrupt() noexcept {
    const std::uint64_t one = 1;
    if (wake_.get() >= 0) {
        const ssize_t written = ::write(wake_.get(), &one, sizeof one);
        (void)written; // a full counter has been woken already
    }
}

bool StreamedText::readMore() {
    if (atEnd_)
        return false;
    if (wake_.get() >= 0) {
        // The first read waits for input or for `interrupt`, whichever comes first.
        pollfd ready[2] = {{fd_, POLLIN, 0}, {wake_.get(), POLLIN, 0}};
        while (::poll(ready, 2, -1) < 0)
            if (errno != EINTR)
                throw FileError("Cannot read", name_, errno);
        if (ready[1].revents & POLLIN)
            return false;
    }
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
