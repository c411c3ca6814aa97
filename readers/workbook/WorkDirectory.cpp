#include "readers/workbook/WorkDirectory.h"

#include "files/DisplayName.h"
#include "files/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace pellacor {
WorkDirectory::WorkDirectory() {
    const std::filesystem::path root = temporaryRoot();
    // A temporary folder that is missing is the user's to make: one made here would be left
    // behind, somewhere the user never asked for one.
    struct stat info {};
    const int cause = ::stat(root.c_str(), &info) != 0 ? errno
                      : S_ISDIR(info.st_mode)          ? 0
                                                       : ENOTDIR;
    const std::string folder = "\u201C" + DisplayName::escaped(root.string()) + "\u201D";
    if (cause == ENOENT)
        throw FileError("The temporary folder " + folder +
                        " does not exist. Create it, or set TMPDIR to a folder that does, and "
                        "try again.");
    if (cause != 0)
        throw FileError("The temporary folder " + folder +
                        " cannot be used: " + std::strerror(cause) +
                        ". Set TMPDIR to a folder you can write to, and try again.");
    std::error_code error;
    const std::filesystem::path candidate = root / newIdentifier();
    registration_ = InterruptCleanup::removeOnInterrupt([&] {
        // mkdir, not create_directories: a directory someone planted under that name must
        // fail, and the workbook's contents are nobody else's business.
        if (::mkdir(candidate.c_str(), 0700) != 0)
            throw FileError("Cannot create", candidate.string(), errno);
        path_ = std::filesystem::absolute(candidate, error);
        if (error)
            path_ = candidate;
        return path_;
    });
}

WorkDirectory::~WorkDirectory() {
    if (path_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

WorkDirectory::WorkDirectory(WorkDirectory&& other) noexcept
    : path_(std::exchange(other.path_, {})), registration_(std::move(other.registration_)) {}

WorkDirectory& WorkDirectory::operator=(WorkDirectory&& other) noexcept {
    if (this != &other) {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
        path_ = std::exchange(other.path_, {});
        registration_ = std::move(other.registration_);
    }
    return *this;
}

FileDescriptor WorkDirectory::createFile(const std::filesystem::path& file) {
    FileDescriptor fd(
        ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        throw FileError("Cannot write", file.string(), errno);
    return fd;
}

void WorkDirectory::closeWritten(FileDescriptor fd, const std::filesystem::path& file) {
    // close() is where some file systems report a full disk.
    if (::close(fd.release()) != 0)
        throw FileError("Cannot write", file.string(), errno);
}

std::filesystem::path WorkDirectory::writeFile(const std::string& name,
                                               std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    FileDescriptor fd = createFile(file);
    if (!FileDescriptor::writeAll(fd.get(), bytes))
        throw FileError("Cannot write", file.string(), errno);
    closeWritten(std::move(fd), file);
    return file;
}

std::filesystem::path WorkDirectory::copyFile(const std::string& name, int source,
                                              const std::filesystem::path& sourceName) const {
    const std::filesystem::path file = path_ / name;
    FileDescriptor fd = createFile(file);
    // The kernel copies without passing the bytes through this process. Where it cannot, or
    // fails, plain reads and writes go on from where it stopped and tell which side failed.
    for (;;) {
        const ssize_t copied =
            ::copy_file_range(source, nullptr, fd.get(), nullptr, std::size_t(1) << 30, 0);
        if (copied == 0) {
            closeWritten(std::move(fd), file);
            return file;
        }
        if (copied < 0 && errno != EINTR)
            break;
    }
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(source, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw UnreadableSource("Cannot read", sourceName.string(), errno);
        }
        if (got == 0)
            break;
        if (!FileDescriptor::writeAll(fd.get(), std::string_view(chunk, std::size_t(got))))
            throw FileError("Cannot write", file.string(), errno);
    }
    closeWritten(std::move(fd), file);
    return file;
}

std::filesystem::path WorkDirectory::makeDirectory(const std::string& name) const {
    const std::filesystem::path directory = path_ / name;
    if (::mkdir(directory.c_str(), 0700) != 0)
        throw FileError("Cannot create", directory.string(), errno);
    return directory;
}

std::filesystem::path WorkDirectory::temporaryRoot() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return "/tmp";
}

std::string WorkDirectory::newIdentifier() {
    std::random_device source;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t word = source();
        for (std::size_t j = 0; j < 4; ++j)
            bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string WorkDirectory::notEnoughSpaceMessage() {
    return "There is not enough free space in the temporary folder \u201C" +
           DisplayName::escaped(WorkDirectory::temporaryRoot().string()) +
           "\u201D to unpack this workbook. Free some space there, or set TMPDIR to a folder "
           "with more, and try again.";
}

} // namespace pellacor
