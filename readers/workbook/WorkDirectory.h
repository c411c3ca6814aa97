#pragma once

#include "files/FileDescriptor.h"
#include "files/FileError.h"
#include "files/InterruptCleanup.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pellacor {

/// A private directory T/U for one workbook import, T the temporary directory and U a fresh
/// random UUID; removed with everything in it when the owner goes away, or when the program is
/// interrupted.
class WorkDirectory {
public:
    /// Creates T/U, readable by this user only. Throws `FileError`, naming T when it is missing
    /// or no folder.
    WorkDirectory();
    /// Removes the directory and its contents; a failure to remove is ignored.
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;
    /// Takes over `other`'s directory; `other` then owns nothing.
    WorkDirectory(WorkDirectory&& other) noexcept;
    WorkDirectory& operator=(WorkDirectory&& other) noexcept;

    /// The directory's full path.
    const std::filesystem::path& path() const noexcept { return path_; }
    /// A failure to read the file being copied in, as opposed to writing the copy.
    class UnreadableSource : public FileError {
    public:
        using FileError::FileError;
    };

    /// Writes `bytes` to a new file `name` in the directory and returns its path. Throws
    /// `FileError`.
    std::filesystem::path writeFile(const std::string& name, std::string_view bytes) const;
    /// Copies what is left to read of the open file `source` (named `sourceName`) to a new file
    /// `name` in the directory and returns its path. Throws `UnreadableSource` when `source`
    /// cannot be read, else `FileError`.
    std::filesystem::path copyFile(const std::string& name, int source,
                                   const std::filesystem::path& sourceName) const;
    /// Creates the subdirectory `name` and returns its path. Throws `FileError`.
    std::filesystem::path makeDirectory(const std::string& name) const;
    /// Opens a new file at `file` for writing, never through an existing name or link.
    /// Throws `FileError`.
    static FileDescriptor createFile(const std::filesystem::path& file);

    /// T: $TMPDIR when set and not empty, else /tmp.
    static std::filesystem::path temporaryRoot();
    /// What the user reads when T has no room to unpack a workbook.
    static std::string notEnoughSpaceMessage();
    /// A random (version 4) UUID as 36 upper-case characters, 8-4-4-4-12.
    static std::string newIdentifier();

private:
    // Closes `fd`, the finished file `file`, reporting what the file system reports then.
    static void closeWritten(FileDescriptor fd, const std::filesystem::path& file);

    std::filesystem::path path_;
    InterruptCleanup::Registration registration_;
};

} // namespace pellacor
