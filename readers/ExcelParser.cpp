#include "readers/ExcelParser.h"

#include "readers/ArchiveListing.h"
#include "readers/FileBytes.h"
#include "readers/SharedStringsDelegate.h"
#include "readers/WorkDirectory.h"
#include "readers/WorksheetDelegate.h"
#include "readers/XmlParser.h"

#include <new>

namespace pellacor {
namespace {

const std::string sharedStringsPart = "xl/sharedStrings.xml";

} // namespace

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

std::vector<SequenceEntry> ExcelParser::parse(const std::filesystem::path& file) {
    std::string bytes;
    try {
        bytes = FileBytes::read(file);
    } catch (const std::exception&) {
        throw ExcelError(ExcelError::Case::cannotReadFile);
    }
    try {
        return parseData(bytes);
    } catch (const std::bad_alloc&) {
        throw ExcelError(ExcelError::Case::parsingFailed,
                         "There is not enough memory to read this workbook.");
    } catch (const std::exception& error) {
        throw ExcelError(ExcelError::Case::parsingFailed, error.what());
    }
}

std::vector<SequenceEntry> ExcelParser::parseData(std::string_view bytes) {
    const WorkDirectory work;
    const std::filesystem::path archive = work.writeFile("temp.xlsx", bytes);
    const std::filesystem::path extracted = work.makeDirectory("extracted");

    const std::optional<ArchiveListing> listing = ArchiveListing::read(archive);
    if (!listing)
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    std::uint64_t extractedBytes = 0;

    const std::string sheet = firstSheetPart(*listing, archive, extracted, extractedBytes);
    if (!listing->contains(sheet))
        throw ExcelError(ExcelError::Case::noDataFound);
    std::vector<std::string> parts = {sheet};
    if (listing->contains(sharedStringsPart))
        parts.push_back(sharedStringsPart);
    extract(*listing, archive, parts, extracted, extractedBytes);

    SharedStringsDelegate sharedStrings;
    if (listing->contains(sharedStringsPart))
        XmlParser::runFile(extracted / sharedStringsPart, sharedStrings);
    WorksheetDelegate worksheet(std::move(sharedStrings.strings));
    XmlParser::runFile(extracted / sheet, worksheet);
    if (worksheet.entries.empty())
        throw ExcelError(ExcelError::Case::noDataFound);
    return std::move(worksheet.entries);
}

} // namespace pellacor
