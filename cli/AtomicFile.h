#pragma once

#include "files/FileError.h"
#include "files/InterruptCleanup.h"

#include <string>
#include <string_view>

namespace pellacor {

/// Writes a file through a temporary sibling that is renamed over the target on `commit`, so a
/// failed run never leaves a partial or truncated file. The temporary is removed unless
/// committed, and when the program is interrupted. A target that is no regular file (a device such
/// as /dev/null, a pipe) is written directly instead: replacing it would put a plain file in its
/// place. A target reached through a symbolic link is replaced where the link points, and keeps its
/// permissions.
class AtomicFile {
public:
    /// Creates the temporary file next to `target`, or opens a target that is no regular file;
    /// throws `FileError` when it cannot.
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    /// Appends `bytes`; throws `FileError` on a write failure.
    void write(std::string_view bytes);
    /// Flushes to disk and renames the temporary over the target; throws `FileError`.
    void commit();

private:
    // What the user reads when the temporary sibling cannot be made for `error`.
    FileError creationError(int error) const;

    std::string target_;
    std::string place_;     ///< the file renamed over: the target, or where its link points
    std::string temporary_; ///< empty when the target is written directly
    int fd_ = -1;
    InterruptCleanup::Registration registration_; // the temporary, until it is renamed
};

} // namespace pellacor
