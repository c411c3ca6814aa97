#pragma once

#include <filesystem>
#include <string_view>

namespace pellacor {

/// A regular file mapped read-only into memory: the page cache is used in place, with no copy
/// and no fresh memory to clear. Truncating the file while it is mapped raises SIGBUS, so only
/// one-shot tools that handle that signal use this.
class MappedFile {
public:
    /// Maps the regular file at `path`; throws `FileError` as `FileBytes::read` does.
    explicit MappedFile(const std::filesystem::path& path);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    /// The file's bytes, valid for the life of this object.
    std::string_view bytes() const noexcept { return {data_, size_}; }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace pellacor
