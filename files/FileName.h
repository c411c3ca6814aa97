#pragma once

#include <string>
#include <string_view>

namespace pellacor {

/// What a file's name tells about it: its extension, the one rule by which both the app and
/// the converter choose a table's reader and its delimiter.
class FileName {
public:
    FileName() = delete;

    /// The text after the last dot of the last component of `path`, lower-cased; empty when
    /// there is none, and for a name that only starts with a dot (".xlsx" is a hidden file,
    /// not a workbook).
    static std::string lowerExtension(std::string_view path);
    /// `path` without a last ".gz" (in any case): the name that tells what kind of table a
    /// gzip-compressed file holds.
    static std::string_view withoutGzipSuffix(std::string_view path) noexcept;
};

} // namespace pellacor
