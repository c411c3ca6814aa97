// Finding the parts of the package that are read, and whether they may be unpacked.
#include "readers/workbook/ExcelParser.h"

#include "files/FileError.h"
#include "files/MappedFile.h"
#include "readers/TableError.h"
#include "readers/workbook/ArchiveListing.h"
#include "readers/workbook/ArchivePart.h"
#include "readers/workbook/RelationshipsDelegate.h"
#include "readers/workbook/SheetChoice.h"
#include "readers/workbook/WorkDirectory.h"
#include "readers/workbook/WorkbookDelegate.h"

#include <algorithm>
#include <cstring>
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

// Reads one small part whole through `delegate`; false when it is damaged or was not unpacked
// whole, which makes it as good as missing.
bool readSmallPart(const ArchiveListing& listing, const std::filesystem::path& archive,
                   const std::string& name, const std::filesystem::path& file,
                   XmlDelegate& delegate) {
    ArchivePart part(archive, listing, name, file);
    const bool wellFormed = part.read(delegate);
    try {
        part.finish();
    } catch (const ExcelParser::ExcelError&) {
        return false;
    }
    return wellFormed;
}

} // namespace

std::string ExcelParser::sheetPart(const ArchiveListing& listing,
                                   const std::filesystem::path& archive,
                                   const std::filesystem::path& extracted,
                                   const WorkbookOptions& options, WorkbookReport& report) {
    const bool hasWorkbook =
        listing.contains(workbookPart) && listing.contains(workbookRelationshipsPart);
    WorkbookDelegate workbook;
    if (hasWorkbook) {
        Allowance allowance;
        checkParts(listing, {workbookPart, workbookRelationshipsPart}, allowance);
        readSmallPart(listing, archive, workbookPart, extracted / "workbook.xml", workbook);
    }
    for (const WorkbookDelegate::Sheet& sheet : workbook.sheets)
        report.sheets.push_back(sheet.name);
    const std::size_t chosen = SheetChoice::position(workbook.sheets, options.sheet);
    if (workbook.sheets.empty())
        return defaultSheetPart;
    const WorkbookDelegate::Sheet& sheet = workbook.sheets[chosen];
    report.sheet = sheet.name;
    // A sheet the user named must be the one read; the first may fall back on the usual part.
    const bool isFirst = chosen == 0;
    const std::string unresolved = isFirst ? defaultSheetPart : std::string();
    if (!sheet.relationship)
        return unresolved;
    RelationshipsDelegate relationships(*sheet.relationship);
    readSmallPart(listing, archive, workbookRelationshipsPart, extracted / "workbook.xml.rels",
                  relationships);
    if (!relationships.target)
        return unresolved;
    const std::optional<std::string> part = RelationshipsDelegate::partPath(*relationships.target);
    // A sheet cannot be one of the other parts read; pointing there does not resolve.
    if (!part || !listing.contains(*part) || *part == workbookPart ||
        *part == workbookRelationshipsPart || *part == sharedStringsPart)
        return unresolved;
    return *part;
}

void ExcelParser::checkParts(const ArchiveListing& listing, const std::vector<std::string>& parts,
                             Allowance& allowance) {
    for (const std::string& part : parts)
        if (listing.isEncrypted(part))
            throw TableError(passwordMessage);
    // The listed sizes are checked before anything is unpacked, so that a small archive
    // claiming huge contents cannot fill the disk. Parts unpack side by side, so all of them
    // together are held against the space that was free before the first.
    std::uint64_t total = allowance.reservedBytes;
    for (const std::string& part : parts)
        total = saturatingSum(total, listing.sizeOf(part));
    if (total > maximumExtractedBytes)
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    if (allowance.freeBytes && total > *allowance.freeBytes)
        throw TableError(WorkDirectory::notEnoughSpaceMessage());
    allowance.reservedBytes = total;
}

bool ExcelParser::isEncryptedCompoundFile(const std::filesystem::path& archive) {
    // A compound file opens with this signature; an encrypted workbook holds a stream named
    // "EncryptedPackage", its name stored in UTF-16.
    static constexpr unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    static constexpr char16_t streamName[] = u"EncryptedPackage";
    try {
        const MappedFile file(archive);
        const std::string_view bytes = file.bytes();
        if (bytes.size() < sizeof signature || std::memcmp(bytes.data(), signature, 8) != 0)
            return false;
        std::string name;
        for (const char16_t unit : std::u16string_view(streamName)) {
            name += static_cast<char>(unit & 0xFF);
            name += static_cast<char>(unit >> 8);
        }
        return bytes.find(name) != std::string_view::npos;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace pellacor
