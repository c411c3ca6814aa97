#pragma once

#include <filesystem>
#include <string_view>

namespace pellacor {

/// What kind of workbook a file's first bytes show, whatever it is named: the kinds are told
/// apart by signatures that their writers put first on purpose.
class WorkbookContent {
public:
    WorkbookContent() = delete;

    enum class Kind {
        none,             ///< no workbook signature
        unreadable,       ///< a regular file that cannot be opened
        zip,              ///< a zip archive of no kind told here
        officeOpenXml,    ///< a zip archive that opens with an .xlsx package part
        openDocument,     ///< a zip archive whose first entry names the spreadsheet type
        flatOpenDocument, ///< an OpenDocument spreadsheet as one XML document (.fods)
        compoundFile,     ///< a compound file: a legacy .xls, or an encrypted .xlsx
    };

    /// The media type an OpenDocument spreadsheet stores in its first entry, "mimetype".
    static constexpr std::string_view openDocumentType =
        "application/vnd.oasis.opendocument.spreadsheet";
    /// How many bytes `of` looks at: a flat document names its type after the namespaces of
    /// its root element, which take a few kilobytes.
    static constexpr std::size_t sniffedBytes = 64 * 1024;

    /// The kind of the regular file at `path`; `unreadable` when it cannot be opened, `none`
    /// for anything but a regular file.
    static Kind of(const std::filesystem::path& path) noexcept;
    /// The kind that a file beginning with `start` is.
    static Kind ofStart(std::string_view start) noexcept;
};

} // namespace pellacor
