#pragma once

#include "files/FileName.h"
#include "files/TextSource.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace pellacor {

/// Opens the bytes of a delimited table as a text source: a regular file (standard input too,
/// when it is one) is mapped whole; a pipe is read a piece at a time. gzip data is inflated and
/// UTF-16 or UTF-32 with a byte-order mark, or text in the encoding the user names, turned into
/// UTF-8 on the way, whatever the file is named.
class TableInput {
public:
    TableInput() = delete;

    /// The source for the table at `path` ("-" for standard input), its text in `encoding`
    /// (an ICU converter name) when one is given. Throws `FileError`, and `TableError` for
    /// data compressed in a way that is not read.
    static std::unique_ptr<TextSource> open(const std::filesystem::path& path,
                                            const std::optional<std::string>& encoding = {});
    /// True when the table at `path` is a regular file, whose whole bytes can be checked
    /// before any record goes out; false for a pipe or terminal.
    static bool isRegularFile(const std::filesystem::path& path) noexcept;
    /// The name that decides a table's reader and delimiter: without ".gz".
    static std::string ruleName(const std::filesystem::path& path) {
        return std::string(FileName::withoutGzipSuffix(path.string()));
    }
    /// True when the table at `path` (standard input too, left where it stands) is a regular
    /// file that begins as gzip data does.
    static bool isGzipFile(const std::filesystem::path& path) noexcept;
    /// True when `path` names standard input.
    static bool isStandardInput(const std::filesystem::path& path) noexcept { return path == "-"; }
};

} // namespace pellacor
