#pragma once

#include "core/SequenceEntry.h"
#include "readers/TableError.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads the first sheet of an .xlsx workbook into records: extracts it with /usr/bin/unzip
/// into a private work directory and reads its XML parts. Stateless; operations are static.
class ExcelParser {
public:
    ExcelParser() = delete;

    /// What can go wrong with a workbook, each with the message the user reads.
    class ExcelError : public TableError {
    public:
        enum class Case { parsingFailed, invalidFileFormat, cannotReadFile, noDataFound };
        /// `detail` is used by `parsingFailed` only.
        explicit ExcelError(Case kind, std::string detail = {});
        Case kind() const noexcept { return kind_; }
        const std::string& detail() const noexcept { return detail_; }
        /// The user-facing message of `kind` with `detail`.
        static std::string message(Case kind, const std::string& detail = {});

    private:
        Case kind_;
        std::string detail_;
    };

    /// Records of the workbook at `file`, never empty. Throws `ExcelError` (`cannotReadFile`,
    /// or `parsingFailed` wrapping any inner failure's message).
    static std::vector<SequenceEntry> parse(const std::filesystem::path& file);
    /// Records of a workbook given as bytes, never empty. Throws `ExcelError`
    /// (`invalidFileFormat`, `noDataFound`) or `FileError` for file-system and launch failures.
    static std::vector<SequenceEntry> parseData(std::string_view bytes);
};

} // namespace pellacor
