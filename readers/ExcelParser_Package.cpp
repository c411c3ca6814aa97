// Finding and extracting the parts of the package that are read.
#include "readers/ExcelParser.h"

#include "readers/ArchiveListing.h"
#include "readers/RelationshipsDelegate.h"
#include "files/FileError.h"
#include "readers/TableError.h"
#include "readers/UnzipProcess.h"
#include "readers/WorkbookDelegate.h"
#include "readers/XmlParser.h"

#include <algorithm>
#include <cerrno>
#include <limits>

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

std::vector<std::string> ExcelParser::workbookParts(const ArchiveListing& listing) {
    if (!listing.contains(workbookPart) || !listing.contains(workbookRelationshipsPart))
        return {};
    return {workbookPart, workbookRelationshipsPart};
}

std::string ExcelParser::firstSheetPart(const ArchiveListing& listing,
                                        const std::filesystem::path& extracted,
                                        std::optional<UnzipProcess> workbookWriter) {
    if (!workbookWriter)
        return defaultSheetPart;
    if (!workbookWriter->finish())
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

bool ExcelParser::reserveSpace(const ArchiveListing& listing, const std::vector<std::string>& parts,
                               Allowance& allowance) {
    // The listed sizes are checked before anything is unpacked, so that a small archive
    // claiming huge contents cannot fill the disk. Parts unpack side by side, so all of them
    // together are held against the space that was free before the first.
    std::uint64_t total = allowance.reservedBytes;
    for (const std::string& part : parts)
        total = saturatingSum(total, listing.sizeOf(part));
    if (total > maximumExtractedBytes || (allowance.freeBytes && total > *allowance.freeBytes))
        return false;
    allowance.reservedBytes = total;
    return true;
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
