#pragma once

#include "files/FileDescriptor.h"
#include "files/TruncationGuard.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor {

/// A regular file mapped read-only into memory: the page cache is used in place, with no copy
/// and no fresh memory to clear. The file may change while it is read (cut short, rewritten);
/// that never crashes the reader, and `verifyUnchanged` tells before the bytes are trusted.
class MappedFile {
public:
    /// Maps the regular file at `path`; throws `FileError` as `FileBytes::read` does.
    explicit MappedFile(const std::filesystem::path& path);
    /// Maps the regular file open at `fd` (named `name` in messages) from where it stands to
    /// its end; the descriptor stays the caller's. Throws `FileError`.
    MappedFile(int fd, const std::string& name);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    /// The file's bytes, valid for the life of this object. Once the file was cut short, the
    /// bytes past some point read as zeros.
    std::string_view bytes() const noexcept { return {data_, size_}; }

    /// Throws `FileError` when the file was cut short, grew, or was written to since it was
    /// mapped: what was read from it may then be a mix of old and new text.
    void verifyUnchanged() const;
    /// Gives back the memory that holds the bytes before `end`; they stay readable, from the
    /// file again.
    void release(std::size_t end) noexcept;
    /// Maps the `bytes` bytes from `start` in one go, ahead of reading them: one call instead of
    /// a fault every few pages.
    void prepare(std::size_t start, std::size_t bytes) noexcept;
    /// Copies the `bytes` bytes from `start` into `out`, read from the file by its descriptor
    /// (safe from any thread); past where the file now ends, zeros. Throws `FileError` when
    /// the file cannot be read.
    void copy(std::size_t start, std::size_t bytes, char* out) const;

private:
    // Maps the file open at `fd_` from `offset` on.
    void map(std::size_t offset, const std::string& name);

    std::string name_; // as messages show it
    FileDescriptor fd_;
    const char* mapping_ = nullptr; // starts on a page, at most a page before `data_`
    std::size_t mapSize_ = 0;
    std::size_t released_ = 0; // bytes at the front of the mapping given back
    std::size_t fileSize_ = 0;
    std::size_t offset_ = 0; // of `data_` in the file
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    timespec modified_{};
    std::optional<TruncationGuard> guard_;
    // Where no guard was free the file is read into memory instead.
    std::string copy_;
};

} // namespace pellacor
