#include "readers/MappedFile.h"

#include "readers/TableError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {

MappedFile::MappedFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    // O_NONBLOCK keeps a FIFO from hanging the open; it is refused just below.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileError("Cannot open", name, errno);
    struct stat info {};
    const int statResult = ::fstat(fd, &info);
    const int statError = errno;
    if (statResult != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (statResult != 0)
            throw FileError("Cannot read", name, statError);
        if (S_ISDIR(info.st_mode))
            throw FileError("Cannot read", name, EISDIR);
        throw FileError("\u201C" + path.filename().string() +
                        "\u201D is not a regular file. Choose a table saved on disk.");
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) {
        int flags = MAP_PRIVATE;
#if defined(MAP_POPULATE)
        flags |= MAP_POPULATE;
#endif
        void* mapped = ::mmap(nullptr, size_, PROT_READ, flags, fd, 0);
        const int mapError = errno;
        if (mapped == MAP_FAILED) {
            ::close(fd);
            throw FileError("Cannot read", name, mapError);
        }
        data_ = static_cast<const char*>(mapped);
    }
    ::close(fd); // the mapping keeps the file open
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(const_cast<char*>(data_), size_);
}

} // namespace pellacor
