// Finding and extracting the parts of the package that are read.
#include "readers/ExcelParser.h"

#include "readers/ArchiveListing.h"
#include "readers/RelationshipsDelegate.h"
#include "readers/TableError.h"
#include "readers/UnzipProcess.h"
#include "readers/WorkbookDelegate.h"
#include "readers/XmlParser.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

namespace pellacor {
namespace {

const std::string workbookPart = "xl/workbook.xml";
const std::string workbookRelationshipsPart = "xl/_rels/workbook.xml.rels";
const std::string sharedStringsPart = "xl/sharedStrings.xml";

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
    if (!startExtraction(listing, archive, parts, extracted).finish())
        throw ExcelError(ExcelError::Case::invalidFileFormat);

    WorkbookDelegate workbook;
    std::optional<RelationshipsDelegate> relationships;
    try {
        XmlParser::runFile(extracted / workbookPart, workbook);
        if (!workbook.firstSheetRelationship)
            return defaultSheetPart;
        relationships.emplace(*workbook.firstSheetRelationship);
        XmlParser::runFile(extracted / workbookRelationshipsPart, *relationships);
    } catch (const FileError& error) {
        // unzip skips entries it will not write (volume labels, links) yet succeeds: such a
        // part is as good as missing.
        if (isUnwrittenPart(error))
            return defaultSheetPart;
        throw;
    }
    if (!relationships->target)
        return defaultSheetPart;
    const std::optional<std::string> part =
        RelationshipsDelegate::partPath(*relationships->target);
    // A sheet cannot be one of the other parts read; pointing there does not resolve.
    if (!part || !listing.contains(*part) || *part == workbookPart ||
        *part == workbookRelationshipsPart || *part == sharedStringsPart)
        return defaultSheetPart;
    return *part;
}

bool ExcelParser::isUnwrittenPart(const FileError& error) noexcept {
    const int e = error.errorNumber();
    return e == ENOENT || e == ELOOP || e == EISDIR || e == EINVAL || e == ENOTDIR;
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

UnzipProcess ExcelParser::startExtraction(const ArchiveListing& listing,
                                          const std::filesystem::path& archive,
                                          const std::vector<std::string>& parts,
                                          const std::filesystem::path& extracted) {
    std::vector<std::string> arguments = {"-q", archive.string()};
    std::uint64_t largestPart = 0;
    for (const std::string& part : parts) {
        largestPart = std::max(largestPart, listing.sizeOf(part));
        std::error_code error;
        std::filesystem::create_directories((extracted / part).parent_path(), error);
        if (error)
            throw FileError("Cannot create", (extracted / part).parent_path(), error.value());
        arguments.push_back(part);
    }
    arguments.push_back("-d");
    arguments.push_back(extracted.string());
    UnzipProcess process(arguments, UnzipProcess::Output::toStandardError);
    // unzip trusts the sizes an archive claims only for its listing: a part that inflates past
    // its listed size would otherwise fill the disk behind the space check.
    process.limitFileSize(largestPart);
    return process;
}

} // namespace pellacor
