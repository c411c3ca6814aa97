// Finding and extracting the parts of the package that are read.
#include "readers/ExcelParser.h"

#include "readers/ArchiveListing.h"
#include "readers/RelationshipsDelegate.h"
#include "readers/TableError.h"
#include "readers/UnzipProcess.h"
#include "readers/WorkbookDelegate.h"
#include "readers/XmlParser.h"

#include <limits>
#include <system_error>

namespace pellacor {
namespace {

const std::string workbookPart = "xl/workbook.xml";
const std::string workbookRelationshipsPart = "xl/_rels/workbook.xml.rels";

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

} // namespace

std::string ExcelParser::firstSheetPart(const ArchiveListing& listing,
                                        const std::filesystem::path& archive,
                                        const std::filesystem::path& extracted,
                                        std::uint64_t& extractedBytes) {
    if (!listing.contains(workbookPart) || !listing.contains(workbookRelationshipsPart))
        return defaultSheetPart;
    const std::vector<std::string> parts = {workbookPart, workbookRelationshipsPart};
    reserveSpace(listing, parts, extracted, extractedBytes);
    if (!startExtraction(archive, parts, extracted).finish())
        throw ExcelError(ExcelError::Case::invalidFileFormat);

    WorkbookDelegate workbook;
    XmlParser::runFile(extracted / workbookPart, workbook);
    if (!workbook.firstSheetRelationship)
        return defaultSheetPart;
    RelationshipsDelegate relationships(*workbook.firstSheetRelationship);
    XmlParser::runFile(extracted / workbookRelationshipsPart, relationships);
    if (!relationships.target)
        return defaultSheetPart;
    const std::optional<std::string> part = RelationshipsDelegate::partPath(*relationships.target);
    if (!part || !listing.contains(*part))
        return defaultSheetPart;
    return *part;
}

void ExcelParser::reserveSpace(const ArchiveListing& listing, const std::vector<std::string>& parts,
                               const std::filesystem::path& extracted,
                               std::uint64_t& extractedBytes) {
    std::uint64_t needed = 0;
    for (const std::string& part : parts)
        needed = saturatingSum(needed, listing.sizeOf(part));
    // The listed sizes are checked before anything is unpacked, so that a small archive
    // claiming huge contents cannot fill the disk.
    const std::uint64_t total = saturatingSum(extractedBytes, needed);
    std::error_code unknown;
    const std::filesystem::space_info space = std::filesystem::space(extracted, unknown);
    if (total > maximumExtractedBytes || (!unknown && needed > space.available))
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    extractedBytes = total;
}

UnzipProcess ExcelParser::startExtraction(const std::filesystem::path& archive,
                                          const std::vector<std::string>& parts,
                                          const std::filesystem::path& extracted) {
    std::vector<std::string> arguments = {"-q", archive.string()};
    for (const std::string& part : parts) {
        std::error_code error;
        std::filesystem::create_directories((extracted / part).parent_path(), error);
        if (error)
            throw FileError("Cannot create", (extracted / part).parent_path(), error.value());
        arguments.push_back(part);
    }
    arguments.push_back("-d");
    arguments.push_back(extracted.string());
    return UnzipProcess(arguments, UnzipProcess::Output::toStandardError);
}

} // namespace pellacor
