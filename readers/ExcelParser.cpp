#include "readers/ExcelParser.h"

namespace pellacor {

// Placeholder until the workbook reader lands: every workbook is refused with a clear message.
ExcelParser::ExcelError::ExcelError(Case kind, std::string detail)
    : TableError(message(kind, detail)), kind_(kind), detail_(std::move(detail)) {}

std::string ExcelParser::ExcelError::message(Case kind, const std::string& detail) {
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

std::vector<SequenceEntry> ExcelParser::parse(const std::filesystem::path&) {
    throw ExcelError(ExcelError::Case::parsingFailed, "workbooks are not supported yet.");
}

std::vector<SequenceEntry> ExcelParser::parseData(std::string_view) {
    throw ExcelError(ExcelError::Case::noDataFound);
}

} // namespace pellacor
