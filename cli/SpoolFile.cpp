#include "cli/SpoolFile.h"

#include "files/FileError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace pellacor {

SpoolFile::SpoolFile() {
    const char* folder = std::getenv("TMPDIR");
    const std::string place = folder && *folder ? folder : "/tmp";
    fd_ = FileDescriptor(::open(place.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd_.get() < 0) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name = place + "/pellacor-spool-XXXXXX";
        fd_ = FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
        if (fd_.get() >= 0)
            ::unlink(name.c_str());
    }
    if (fd_.get() < 0)
        throw FileError("Cannot create a temporary file in", place, errno);
}

void SpoolFile::write(std::string_view bytes) {
    if (!FileDescriptor::writeAll(fd_.get(), bytes))
        throw FileError(std::string("Cannot write a temporary file: ") + std::strerror(errno) +
                        ".");
}

bool SpoolFile::sendTo(int fd) {
    // Read and written in large pieces: on this path sendfile costs several times as much
    // system time, going through a pipe inside the kernel.
    constexpr std::size_t pieceBytes = std::size_t(1) << 20;
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(pieceBytes);
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd_.get(), buffer.get(), pieceBytes, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!FileDescriptor::writeAll(
                fd, std::string_view(buffer.get(), static_cast<std::size_t>(got))))
            return false;
        offset += got;
    }
}

} // namespace pellacor
