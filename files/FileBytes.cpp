#include "files/FileBytes.h"

#include "files/DisplayName.h"
#include "files/FileDescriptor.h"
#include "files/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {
namespace {

// Everything readable from `fd` from where it stands until end of file.
std::string readToEnd(int fd, const std::string& name) {
    std::string bytes;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError("Cannot read", name, errno);
        }
        if (got == 0)
            return bytes;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

} // namespace

FileDescriptor FileBytes::openRegular(const std::filesystem::path& path) {
    const std::string name = path.string();
    // O_NONBLOCK keeps a FIFO from hanging the open; it is refused just below.
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        throw FileError("Cannot open", name, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throw FileError("Cannot read", name, errno);
    if (S_ISDIR(info.st_mode))
        throw FileError("Cannot read", name, EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError(DisplayName::quoted(path) +
                        " is not a regular file. Choose a table saved on disk.");
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string FileBytes::readOpened(int fd, std::size_t size, const std::string& name) {
    std::string bytes(size, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError("Cannot read", name, errno);
        }
        if (got == 0)
            break; // the file shrank while we read it: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    // The file may also have grown; read the rest.
    bytes += readToEnd(fd, name);
    return bytes;
}

} // namespace pellacor
