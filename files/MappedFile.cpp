#include "files/MappedFile.h"

#include "files/DisplayName.h"

#include "files/FileBytes.h"
#include "files/FileError.h"

#include <cerrno>
#include <sys/mman.h>
#include <sys/stat.h>

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
    FileBytes::RegularFile file = FileBytes::openRegular(path);
    fd_ = std::move(file.fd);
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0)
        throw FileError("Cannot read", path.string(), errno);
    size_ = static_cast<std::size_t>(info.st_size);
    modified_ = modificationTime(info);
    if (size_ == 0)
        return;
    int flags = MAP_PRIVATE;
#if defined(MAP_POPULATE)
    flags |= MAP_POPULATE;
#endif
    void* mapped = ::mmap(nullptr, size_, PROT_READ, flags, fd_.get(), 0);
    if (mapped != MAP_FAILED) {
        data_ = static_cast<const char*>(mapped);
        guard_.emplace(data_, size_);
        if (guard_->isActive())
            return;
        guard_.reset();
        ::munmap(mapped, size_);
    }
    // Some file systems cannot map files, and guards are few: then the file is read instead,
    // through the descriptor already open, so that it is the same file that is checked later.
    copy_ = FileBytes::readOpened(fd_.get(), size_, path.string());
    data_ = copy_.data();
    size_ = copy_.size();
}

MappedFile::~MappedFile() {
    if (guard_) {
        guard_.reset();
        ::munmap(const_cast<char*>(data_), size_);
    }
}

void MappedFile::readVerified(const std::function<void(std::string_view)>& reader) const {
    try {
        reader(bytes());
    } catch (...) {
        verifyUnchanged();
        throw;
    }
    verifyUnchanged();
}

void MappedFile::verifyUnchanged() const {
    struct stat info {};
    const bool changed = (guard_ && guard_->wasCut()) || ::fstat(fd_.get(), &info) != 0 ||
                         static_cast<std::size_t>(info.st_size) != size_ ||
                         modificationTime(info).tv_sec != modified_.tv_sec ||
                         modificationTime(info).tv_nsec != modified_.tv_nsec;
    if (changed)
        throw FileError(name_ + " changed while it was being read. Wait until it is saved, then "
                        "try again.");
}

} // namespace pellacor
