#include "files/MappedFile.h"

#include "files/DisplayName.h"

#include "files/FileBytes.h"
#include "files/FileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {
namespace {

timespec modificationTime(const struct stat& info) {
#if defined(__APPLE__)
    return info.st_mtimespec;
#else
    return info.st_mtim;
#endif
}

} // namespace

MappedFile::MappedFile(const std::filesystem::path& path) : name_(DisplayName::quoted(path)) {
    fd_ = FileBytes::openRegular(path);
    map(0, path.string());
}

MappedFile::MappedFile(int fd, const std::string& name) : name_(DisplayName::quoted(name)) {
    // A copy of the caller's descriptor, so that the check at the end sees the same file.
    fd_ = FileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
    if (fd_.get() < 0)
        throw FileError("Cannot read", name, errno);
    const off_t offset = ::lseek(fd_.get(), 0, SEEK_CUR);
    map(offset > 0 ? static_cast<std::size_t>(offset) : 0, name);
}

void MappedFile::map(std::size_t offset, const std::string& name) {
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0)
        throw FileError("Cannot read", name, errno);
    if (!S_ISREG(info.st_mode))
        throw FileError(name_ + " is not a regular file. Choose a table saved on disk.");
    fileSize_ = static_cast<std::size_t>(info.st_size);
    modified_ = modificationTime(info);
    offset = std::min(offset, fileSize_);
    offset_ = offset;
    // Mappings start on a page; the bytes wanted may start further in.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t mapOffset = offset / page * page;
    mapSize_ = fileSize_ - mapOffset;
    size_ = fileSize_ - offset;
    if (size_ == 0)
        return;
    void* mapped =
        ::mmap(nullptr, mapSize_, PROT_READ, MAP_PRIVATE, fd_.get(), static_cast<off_t>(mapOffset));
    if (mapped != MAP_FAILED) {
        mapping_ = static_cast<const char*>(mapped);
        guard_.emplace(mapping_, mapSize_);
        if (guard_->isActive()) {
            data_ = mapping_ + (offset - mapOffset);
            // Read front to back: the kernel reads ahead, and may drop pages behind.
            ::madvise(const_cast<char*>(mapping_), mapSize_, MADV_SEQUENTIAL);
            return;
        }
        guard_.reset();
        ::munmap(mapped, mapSize_);
        mapping_ = nullptr;
    }
    // Some file systems cannot map files, and guards are few: then the file is read instead,
    // through the descriptor already open, so that it is the same file that is checked later.
    if (::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
        throw FileError("Cannot read", name, errno);
    copy_ = FileBytes::readOpened(fd_.get(), size_, name);
    // A descriptor copied from the caller's shares its offset: it goes back where it stood, as
    // a mapping leaves it, so that the caller can read the file again.
    if (::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
        throw FileError("Cannot read", name, errno);
    data_ = copy_.data();
    size_ = copy_.size();
}

MappedFile::~MappedFile() {
    if (mapping_) {
        guard_.reset();
        ::munmap(const_cast<char*>(mapping_), mapSize_);
    }
}

void MappedFile::prepare(std::size_t start, std::size_t bytes) noexcept {
#if defined(MADV_POPULATE_READ)
    if (!mapping_ || bytes == 0)
        return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t from = static_cast<std::size_t>(data_ - mapping_) + start;
    const std::size_t first = from / page * page;
    const std::size_t last = std::min(from + bytes, mapSize_);
    if (last > first)
        ::madvise(const_cast<char*>(mapping_) + first, last - first, MADV_POPULATE_READ);
#else
    (void)start;
    (void)bytes;
#endif
}

void MappedFile::copy(std::size_t start, std::size_t bytes, char* out) const {
    if (!mapping_) {
        std::memcpy(out, data_ + start, bytes);
        return;
    }
    while (bytes > 0) {
        const ssize_t got = ::pread(fd_.get(), out, bytes, static_cast<off_t>(offset_ + start));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileError("Cannot read " + name_ + ": " + std::strerror(errno) + ".");
        if (got == 0) {
            std::memset(out, 0, bytes);
            return;
        }
        const auto read = static_cast<std::size_t>(got);
        out += read;
        start += read;
        bytes -= read;
    }
}

void MappedFile::release(std::size_t end) noexcept {
    if (!mapping_)
        return;
    // Whole pages only, all of them before `end`: the bytes stay readable (from the file
    // again), but no longer count against this process. Only the pages not given back before
    // are named: walking the whole front of a large file every time costs more than reading.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t offsetInMapping = static_cast<std::size_t>(data_ - mapping_) + end;
    const std::size_t bytes = std::min(offsetInMapping, mapSize_) / page * page;
    if (bytes > released_)
        ::madvise(const_cast<char*>(mapping_) + released_, bytes - released_, MADV_DONTNEED);
    released_ = std::max(released_, bytes);
}

void MappedFile::verifyUnchanged() const {
    struct stat info {};
    const bool changed = (guard_ && guard_->wasCut()) || ::fstat(fd_.get(), &info) != 0 ||
                         static_cast<std::size_t>(info.st_size) != fileSize_ ||
                         modificationTime(info).tv_sec != modified_.tv_sec ||
                         modificationTime(info).tv_nsec != modified_.tv_nsec;
    if (changed)
        throw FileError(name_ + " changed while it was being read. Wait until it is saved, then "
                                "try again.");
}

} // namespace pellacor
