#pragma once

#include "core/RecordView.h"
#include "readers/workbook/ExcelParser.h"

#include <filesystem>
#include <string>

namespace pellacor {

/// Reads a legacy Excel workbook (.xls, BIFF 5 to 8 in a compound file) into records through
/// FreeXL: the sheet the user chose, else the first that is not hidden. Cells read as the sheet
/// shows them: text as it is, whole numbers without a decimal point, other numbers in the fewest
/// digits that give the same number back, dates and times as FreeXL writes them out. Stateless.
class XlsReader {
public:
    XlsReader() = delete;

    /// Hands the records of the workbook at `file` to `sink` in row order and tells what else
    /// it found; at least one record. Throws `TableError` with a message naming the file (a
    /// damaged or password-protected one too), `FileError` for a file that cannot be opened,
    /// and `ChoiceError` for a sheet or column chosen that the workbook lacks.
    static WorkbookReport read(const std::filesystem::path& file, const RecordSink& sink,
                               const WorkbookOptions& options = {});

    /// The text of a number stored as a double, as the sheet shows it in its general format.
    static std::string numberText(double value);

    /// What the user reads when the workbook at `file` cannot be read for `reason`.
    static std::string message(const std::filesystem::path& file, const std::string& reason);
    /// The reason given for a damaged file, or one of a kind FreeXL does not read.
    static constexpr const char* damagedReason =
        "It is damaged, or of a kind that is not read here. Save it again as .xlsx or .ods and "
        "try again.";
    /// The reason given for a file locked with a password.
    static constexpr const char* passwordReason =
        "It is password-protected. Remove the password in your spreadsheet program, or save it "
        "again as .xlsx or .ods without one, and try again.";
    /// The reason given for a sheet without records.
    static constexpr const char* noDataReason = "No data found in it, or the sheet read is empty.";
};

} // namespace pellacor
