#pragma once

#include "files/FileDescriptor.h"
#include "files/TruncationGuard.h"

#include <ctime>
#include <filesystem>
#include <functional>
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
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    /// The file's bytes, valid for the life of this object. Once the file was cut short, the
    /// bytes past some point read as zeros.
    std::string_view bytes() const noexcept { return {data_, size_}; }

    /// Throws `FileError` when the file was cut short, grew, or was written to since it was
    /// mapped: what was read from it may then be a mix of old and new text.
    void verifyUnchanged() const;

    /// Runs `reader` over the bytes, then `verifyUnchanged`. When `reader` throws, the check
    /// comes first: the zeros of a file cut short, or a half-rewritten row, can make a table
    /// look malformed, and the change is then what the user needs to hear about.
    void readVerified(const std::function<void(std::string_view)>& reader) const;

private:
    std::string name_; // as messages show it
    FileDescriptor fd_;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    timespec modified_{};
    std::optional<TruncationGuard> guard_;
    // Where no guard was free the file is read into memory instead.
    std::string copy_;
};

} // namespace pellacor
