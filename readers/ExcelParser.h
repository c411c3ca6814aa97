#pragma once

#include "core/SequenceEntry.h"
#include "files/FileError.h"
#include "readers/TableError.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

class ArchiveListing;
class UnzipProcess;
class WorkDirectory;

/// Reads the first sheet of an .xlsx workbook into records: extracts the parts it needs with
/// /usr/bin/unzip into a private work directory and reads them. Stateless; operations are static.
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

    /// The most a workbook may unpack to; more is refused as a likely zip bomb.
    static constexpr std::uint64_t maximumExtractedBytes = std::uint64_t(4) << 30;
    /// The part read when the workbook does not say which part holds its first sheet.
    static constexpr const char* defaultSheetPart = "xl/worksheets/sheet1.xml";

private:
    // What the parts unpacked so far take, counted against the limit and against the free
    // space found before any of them was unpacked (absent when it could not be found).
    struct Allowance {
        std::optional<std::uint64_t> freeBytes;
        std::uint64_t reservedBytes = 0;
    };

    // The records of the workbook copied to `archive` inside `work`.
    static std::vector<SequenceEntry> readArchive(const WorkDirectory& work,
                                                  const std::filesystem::path& archive);
    // The workbook part and its relationships, which say where the first sheet is, when both
    // are listed; else none.
    static std::vector<std::string> workbookParts(const ArchiveListing& listing);
    // The archive path of the part holding the first tab, read from what `workbookWriter`
    // extracts; the default part when there is none.
    static std::string firstSheetPart(const ArchiveListing& listing,
                                      const std::filesystem::path& extracted,
                                      std::optional<UnzipProcess> workbookWriter);
    // True when `error` says a part is missing or no regular file after unzip reported success.
    static bool isUnwrittenPart(const FileError& error) noexcept;
    // Counts `parts` in, or returns false when their listed sizes would pass the limits.
    static bool reserveSpace(const ArchiveListing& listing, const std::vector<std::string>& parts,
                             Allowance& allowance);
    // Starts unzip on `parts`, their folders made beforehand so that parallel runs never race
    // to create them. No file it writes may grow past the size `listing` gives its part.
    static UnzipProcess startExtraction(const ArchiveListing& listing,
                                        const std::filesystem::path& archive,
                                        const std::vector<std::string>& parts,
                                        const std::filesystem::path& extracted);
    // The records of `sheet`, each part parsed while its own unzip run is still writing it; the
    // shared strings, if any, come from `stringsWriter`.
    static std::vector<SequenceEntry> readParts(const ArchiveListing& listing,
                                                const std::filesystem::path& archive,
                                                const std::string& sheet,
                                                const std::filesystem::path& extracted,
                                                std::optional<UnzipProcess> stringsWriter);
};

} // namespace pellacor
