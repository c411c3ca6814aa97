#pragma once

#include "files/TextSource.h"

#include <filesystem>
#include <memory>

namespace pellacor {

/// Opens the bytes of a delimited table as a text source: a regular file (standard input too,
/// when it is one) is mapped whole; a pipe is read a piece at a time.
class TableInput {
public:
    TableInput() = delete;

    /// The source for the table at `path` ("-" for standard input). Throws `FileError`.
    static std::unique_ptr<TextSource> open(const std::filesystem::path& path);
    /// True when the table at `path` is a regular file, whose whole bytes can be checked
    /// before any record goes out; false for a pipe or terminal.
    static bool isRegularFile(const std::filesystem::path& path) noexcept;
    /// True when `path` names standard input.
    static bool isStandardInput(const std::filesystem::path& path) noexcept { return path == "-"; }
};

} // namespace pellacor
