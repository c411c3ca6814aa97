#pragma once

#include "files/FileDescriptor.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace pellacor {

/// Reads whole files into memory without ever blocking on something that is not a file.
class FileBytes {
public:
    FileBytes() = delete;

    /// Opens the regular file at `path` for reading. Throws `FileError` for a missing or
    /// unreadable file, a directory, a FIFO or a device, naming the file and the cause; never
    /// blocks.
    static FileDescriptor openRegular(const std::filesystem::path& path);

    /// The bytes of a file opened by `openRegular`, read through its descriptor `fd` from where
    /// it stands; `size` is what the file held when opened. Throws `FileError`.
    static std::string readOpened(int fd, std::size_t size, const std::string& name);
};

} // namespace pellacor
