#include "readers/workbook/ExcelError.h"

namespace pellacor {

ExcelError::ExcelError(Case kind, std::string detail)
    : TableError(message(kind, detail)), kind_(kind), detail_(std::move(detail)) {}

std::string ExcelError::message(Case kind, const std::string& detail) {
    switch (kind) {
    case Case::parsingFailed:
        return "Failed to parse Excel file: " + detail;
    case Case::invalidFileFormat:
        return "Invalid Excel file format. The file does not appear to be a valid .xlsx file.";
    case Case::cannotReadFile:
        return "Cannot read Excel file. Please check file permissions.";
    case Case::noDataFound:
        return "No data found in Excel file or the first sheet is empty.";
    }
    return {};
}

} // namespace pellacor
