#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor {

/// What a file that is no table looks like, by its first bytes: an image, a document, a
/// program, a database. Text of any kind has no signature here, nor have compressed data and
/// zip archives, which the table readers tell apart themselves.
class FileSignature {
public:
    FileSignature() = delete;

    /// How many first bytes `describe` looks at.
    static constexpr std::size_t headBytes = 16;

    /// "a PNG image", "a PDF document", ... for `head`, the first bytes of a file; nothing when
    /// they begin no known kind of file that is not text. An old Office file is named only
    /// when `isWorkbookExpected` is false: the workbook reader says more about one.
    static std::optional<std::string> describe(std::string_view head, bool isWorkbookExpected);
    /// `describe` for the first bytes of the regular file at `path`; nothing for anything
    /// else, or when it cannot be read (the reader then says why).
    static std::optional<std::string> ofFile(const std::filesystem::path& path,
                                             bool isWorkbookExpected);
};

} // namespace pellacor
