#pragma once

#include "core/RecordView.h"
#include "readers/workbook/ExcelParser.h"

#include <filesystem>
#include <string>

namespace pellacor {

class OdsContentDelegate;

/// Reads an OpenDocument spreadsheet into records: the zip-packaged .ods through the same
/// listing, unzip runs and work directory as an .xlsx, or a flat .fods document as it is. The
/// table read is the one the user chose, else the first that is not hidden. Stateless.
class OdsReader {
public:
    OdsReader() = delete;

    /// Hands the records of the .ods at `file` to `sink` in row order and tells what else it
    /// found; at least one record. Throws `TableError` with a message naming the file, and
    /// `ChoiceError` for a sheet or column chosen that the spreadsheet lacks.
    static WorkbookReport read(const std::filesystem::path& file, const RecordSink& sink,
                               const WorkbookOptions& options = {});
    /// The same for a flat OpenDocument spreadsheet (.fods), one XML document.
    static WorkbookReport readFlat(const std::filesystem::path& file, const RecordSink& sink,
                                   const WorkbookOptions& options = {});

    /// What the user reads when the spreadsheet at `file` cannot be read for `reason`.
    static std::string message(const std::filesystem::path& file, const std::string& reason);
    /// The reason given for a damaged file, with the way out.
    static constexpr const char* damagedReason =
        "It is damaged. Save it again as .xlsx or .ods and try again.";
    /// The reason given for a file locked with a password.
    static constexpr const char* passwordReason =
        "It is password-protected. Remove the password in your spreadsheet program, or save it "
        "again as .xlsx or .ods without one, and try again.";
    /// The reason given for a sheet without records.
    static constexpr const char* noDataReason = "No data found in it, or the sheet read is empty.";

private:
    // Reads the content through `runOver`, which runs a delegate over it from its start and
    // throws unless it was well-formed; again for a table that only its end shows to be the
    // one chosen.
    template <typename RunOver>
    static WorkbookReport readContent(const RunOver& runOver, const RecordSink& sink,
                                      const WorkbookOptions& options);
    // Runs `read` with every failure but the user's choice turned into a message naming `file`.
    template <typename Read>
    static WorkbookReport reporting(const std::filesystem::path& file, const Read& read);
};

} // namespace pellacor
