#pragma once

#include "core/RecordView.h"
#include "core/SequenceEntry.h"
#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"
#include "readers/TableError.h"
#include "readers/TableFindings.h"
#include "readers/workbook/ArchiveListing.h"
#include "readers/workbook/ExcelError.h"
#include "readers/workbook/WorkbookDelegate.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

class WorkDirectory;

/// How to read a workbook beyond what it says.
struct WorkbookOptions {
    /// The sheet to read: its name, or its number from 1 in the order of the tabs; absent, the
    /// first sheet that is not hidden.
    std::optional<std::string> sheet;
    /// The columns to make records of.
    ColumnChoice columns;
    /// Told at each piece of the sheet read how many bytes of its parts are read, of how many;
    /// a `ReadCancelled` it throws ends the read and comes out of `read` unchanged.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

/// What reading a workbook found besides its records.
struct WorkbookReport {
    std::size_t records = 0;
    /// The names of the workbook's sheets, in the order of their tabs; empty when it lists none.
    std::vector<std::string> sheets;
    /// The name of the sheet read; empty when the workbook lists none.
    std::string sheet;
    /// The columns the records were made of.
    std::optional<ColumnLayout> layout;
    /// What was noticed about the rows.
    TableFindings findings;
};

/// Reads the first sheet of an .xlsx workbook into records: has /usr/bin/unzip unpack the parts
/// it needs into a private work directory and reads them. Stateless; operations are static.
class ExcelParser {
public:
    ExcelParser() = delete;

    /// What can go wrong with a workbook.
    using ExcelError = pellacor::ExcelError;

    /// Records of the workbook at `file`, never empty. Throws `ExcelError` (`cannotReadFile`,
    /// or `parsingFailed` wrapping any inner failure's message).
    static std::vector<SequenceEntry> parse(const std::filesystem::path& file);
    /// Hands the records of the workbook at `file` to `sink` in row order and tells what else
    /// it found; at least one record. Throws as `parse` does, and `ChoiceError` for a sheet or
    /// column chosen that the workbook lacks; the sink may then have seen records.
    static WorkbookReport read(const std::filesystem::path& file, const RecordSink& sink,
                               const WorkbookOptions& options = {});
    /// Records of a workbook given as bytes, never empty. Throws `ExcelError`
    /// (`invalidFileFormat`, `noDataFound`), `TableError` or `FileError` for file-system and
    /// launch failures.
    static std::vector<SequenceEntry> parseData(std::string_view bytes);

    /// The most a workbook may unpack to; more is refused as a likely zip bomb.
    static constexpr std::uint64_t maximumExtractedBytes = std::uint64_t(4) << 30;
    /// The part read when the workbook does not say which part holds its first sheet.
    static constexpr const char* defaultSheetPart = "xl/worksheets/sheet1.xml";

    /// How much memory sheet rows may hold while they wait for the shared strings; past it the
    /// sheet is read a second time instead. The default suits any machine; tests lower it.
    static void setRowWaitingLimit(std::size_t bytes) noexcept;

    /// What the user reads about a workbook refused for `flaw`.
    static std::string flawMessage(const ArchiveListing::Flaw& flaw);
    /// What the user reads about a workbook locked with a password.
    static constexpr const char* passwordMessage =
        "This workbook is password-protected. Remove the password in your spreadsheet program "
        "and try again.";

    /// What the parts unpacked so far take, counted against the limit and against the free
    /// space found before any of them was unpacked (absent when it could not be found).
    struct Allowance {
        std::optional<std::uint64_t> freeBytes;
        std::uint64_t reservedBytes = 0;
    };
    /// Throws unless the parts of a zip-packaged workbook can be unpacked: none encrypted,
    /// within the size limit and the free space (`allowance` counts them in).
    static void checkParts(const ArchiveListing& listing, const std::vector<std::string>& parts,
                           Allowance& allowance);
    /// True when `archive` is a workbook encrypted with a password, which spreadsheet programs
    /// store in a compound file instead of a zip archive.
    static bool isEncryptedCompoundFile(const std::filesystem::path& archive);

private:
    // Hands the records of the workbook copied to `archive` inside `work` to `sink`; at least
    // one.
    static WorkbookReport readArchive(const WorkDirectory& work,
                                      const std::filesystem::path& archive, const RecordSink& sink,
                                      const WorkbookOptions& options);
    // The archive path of the part holding the sheet chosen, read from the workbook part and
    // its relationships; the default part when they do not lead to the first one. Notes the
    // sheets in `report`.
    static std::string sheetPart(const ArchiveListing& listing,
                                 const std::filesystem::path& archive,
                                 const std::filesystem::path& extracted,
                                 const WorkbookOptions& options, WorkbookReport& report);
    // The records of `sheet`, read while it is unpacked, then resolved through the entries of
    // the shared strings (if listed) that it names.
    static void readSheet(const ArchiveListing& listing, const std::filesystem::path& archive,
                          const std::string& sheet, const std::filesystem::path& extracted,
                          const RecordSink& sink, const WorkbookOptions& options,
                          WorkbookReport& report);
};

} // namespace pellacor
