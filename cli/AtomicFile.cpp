#include "cli/AtomicFile.h"

#include "readers/FileDescriptor.h"
#include "readers/TableError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    temporary_ = target_ + ".XXXXXX";
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        throw FileError("Cannot write", target_, errno);
    // mkstemp makes the file private; give it the permissions a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void AtomicFile::write(std::string_view bytes) {
    if (!FileDescriptor::writeAll(fd_, bytes))
        throw FileError("Cannot write", target_, errno);
}

void AtomicFile::commit() {
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        const int error = errno;
        fd_ = -1;
        ::unlink(temporary_.c_str());
        throw FileError("Cannot write", target_, error);
    }
    fd_ = -1;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        throw FileError("Cannot write", target_, error);
    }
}

} // namespace pellacor
