#pragma once

#include <cerrno>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace pellacor {

/// Owns one open file descriptor and closes it when it goes away.
class FileDescriptor {
public:
    /// Owns `fd`; a negative value owns nothing.
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    /// Closes the descriptor, if any.
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    /// Takes over `other`'s descriptor.
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    /// The descriptor, or -1.
    int get() const noexcept { return fd_; }
    /// Gives up ownership without closing and returns the descriptor.
    int release() noexcept { return std::exchange(fd_, -1); }
    /// Writes all of `bytes` to `fd`, going on after short writes and interruptions. Returns
    /// false, with errno telling why, when a write fails.
    static bool writeAll(int fd, std::string_view bytes) noexcept {
        while (!bytes.empty()) {
            const ssize_t done = ::write(fd, bytes.data(), bytes.size());
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(done));
        }
        return true;
    }

    /// Closes the descriptor now, if any.
    void reset() noexcept {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

} // namespace pellacor
