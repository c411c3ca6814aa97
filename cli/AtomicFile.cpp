#include "cli/AtomicFile.h"

#include "files/DisplayName.h"
#include "files/FileDescriptor.h"
#include "files/FileError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pellacor {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw FileError("Cannot write", target_, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0)
            throw FileError("Cannot write", target_, errno);
        return;
    }
    // Through a link, the file it names is the one to replace; the link stays a link.
    std::string place = target_;
    if (exists) {
        std::error_code unresolved;
        const std::filesystem::path resolved = std::filesystem::canonical(target_, unresolved);
        if (!unresolved)
            place = resolved.string();
    }
    temporary_ = place + ".XXXXXX";
    // Registered before it exists and removed with the work directories on an interrupt:
    // a run stopped half-way leaves no partial text beside the target.
    registration_ = InterruptCleanup::removeOnInterrupt([&] {
        fd_ = ::mkstemp(temporary_.data());
        if (fd_ < 0)
            throw creationError(errno);
        return std::filesystem::path(temporary_);
    });
    place_ = std::move(place);
    // mkstemp makes the file private; give it the permissions of the file it replaces, or
    // those a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, exists ? existing.st_mode & 0777 : 0666 & ~mask);
}

FileError AtomicFile::creationError(int error) const {
    // "No such file or directory" would seem to be about the target itself.
    const std::filesystem::path folder = std::filesystem::path(target_).parent_path();
    std::error_code unknown;
    if (error == ENOENT && !folder.empty() && !std::filesystem::exists(folder, unknown) && !unknown)
        return FileError("Cannot write " + DisplayName::quoted(target_) + ": the folder \u201C" +
                         DisplayName::escaped(folder.string()) + "\u201D does not exist.");
    return FileError("Cannot write", target_, error);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        if (!temporary_.empty())
            ::unlink(temporary_.c_str());
    }
}

void AtomicFile::write(std::string_view bytes) {
    if (!FileDescriptor::writeAll(fd_, bytes))
        throw FileError("Cannot write", target_, errno);
}

void AtomicFile::commit() {
    if (temporary_.empty()) {
        // A device or pipe: nothing to flush to disk or rename.
        const int closed = ::close(std::exchange(fd_, -1));
        if (closed != 0)
            throw FileError("Cannot write", target_, errno);
        return;
    }
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        const int error = errno;
        fd_ = -1;
        ::unlink(temporary_.c_str());
        throw FileError("Cannot write", target_, error);
    }
    fd_ = -1;
    if (::rename(temporary_.c_str(), place_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        throw FileError("Cannot write", target_, error);
    }
    registration_ = {};
}

} // namespace pellacor
