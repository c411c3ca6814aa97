#pragma once

#include <string>
#include <string_view>

namespace pellacor {

/// Writes a file through a temporary sibling that is renamed over the target on `commit`, so a
/// failed run never leaves a partial or truncated file. The temporary is removed unless
/// committed.
class AtomicFile {
public:
    /// Creates the temporary file next to `target`; throws `FileError` when it cannot.
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    /// Appends `bytes`; throws `FileError` on a write failure.
    void write(std::string_view bytes);
    /// Flushes to disk and renames the temporary over the target; throws `FileError`.
    void commit();

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

} // namespace pellacor
