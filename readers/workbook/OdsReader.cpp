#include "readers/workbook/OdsReader.h"

#include "files/DisplayName.h"
#include "files/FileBytes.h"
#include "files/FileError.h"
#include "readers/ChoiceError.h"
#include "readers/TableError.h"
#include "readers/workbook/ArchiveListing.h"
#include "readers/workbook/ArchivePart.h"
#include "readers/workbook/OdsContentDelegate.h"
#include "readers/workbook/SheetChoice.h"
#include "readers/workbook/WorkDirectory.h"
#include "readers/workbook/XmlParser.h"

#include <cerrno>
#include <new>
#include <unistd.h>

namespace pellacor {
namespace {

const std::string contentPart = "content.xml";
const std::string manifestPart = "META-INF/manifest.xml";

// Notes whether the manifest lists encryption data: an encrypted document keeps its zip
// entries plain, its content unreadable without the password.
class ManifestDelegate : public XmlDelegate {
public:
    bool isEncrypted = false;

    void didStartElement(std::string_view localName, const XmlAttributes&) override {
        if (localName == "encryption-data")
            isEncrypted = true;
    }
    void foundCharacters(std::string_view) override {}
    void didEndElement(std::string_view) override {}
    bool wantsMore() const override { return !isEncrypted; }
};

bool isEncryptedPackage(const ArchiveListing& listing, const std::filesystem::path& archive,
                        const std::filesystem::path& extracted) {
    if (!listing.contains(manifestPart))
        return false;
    ExcelParser::Allowance allowance;
    ExcelParser::checkParts(listing, {manifestPart}, allowance);
    ArchivePart part(archive, listing, manifestPart, extracted / "manifest.xml");
    ManifestDelegate manifest;
    part.read(manifest);
    return manifest.isEncrypted;
}

void readInto(OdsContentDelegate& delegate, const WorkbookOptions& options,
              const RecordSink& sink) {
    delegate.setRecordSink(sink);
    delegate.setColumnChoice(options.columns);
}

} // namespace

std::string OdsReader::message(const std::filesystem::path& file, const std::string& reason) {
    return "Cannot read the spreadsheet " + DisplayName::quoted(file) + ": " + reason;
}

template <typename RunOver>
WorkbookReport OdsReader::readContent(const RunOver& runOver, const RecordSink& sink,
                                      const WorkbookOptions& options) {
    WorkbookReport report;
    const RecordSink counted = [&](const RecordView& record) {
        ++report.records;
        sink(record);
    };
    OdsContentDelegate content(options.sheet);
    readInto(content, options, counted);
    runOver(content);
    content.finish();
    for (const WorkbookDelegate::Sheet& sheet : content.sheets())
        report.sheets.push_back(sheet.name);
    if (content.sheets().empty() && !options.sheet)
        throw TableError(noDataReason);
    const std::size_t chosen = SheetChoice::position(content.sheets(), options.sheet);
    report.sheet = content.sheets()[chosen].name;
    if (content.tableRead() == chosen) {
        report.layout = content.layout();
        report.findings = content.findings();
    } else {
        // Every table was hidden, or a number beyond them named one by its name: the table
        // is known only now, and nothing of another went out.
        OdsContentDelegate again = OdsContentDelegate::forTableAt(chosen);
        readInto(again, options, counted);
        runOver(again);
        again.finish();
        report.layout = again.layout();
        report.findings = again.findings();
    }
    if (report.records == 0)
        throw TableError(noDataReason);
    return report;
}

template <typename Read>
WorkbookReport OdsReader::reporting(const std::filesystem::path& file, const Read& read) {
    try {
        return read();
    } catch (const ChoiceError&) {
        // Not the file's fault: the user asked for something it lacks.
        throw;
    } catch (const WorkDirectory::UnreadableSource& error) {
        throw TableError(error.what());
    } catch (const ExcelParser::ExcelError&) {
        // An entry that did not unpack whole, or one listed larger than any sheet unpacks to.
        throw TableError(message(file, damagedReason));
    } catch (const TableError& error) {
        throw TableError(message(file, error.what()));
    } catch (const FileError& error) {
        const bool full = error.errorNumber() == ENOSPC || error.errorNumber() == EDQUOT;
        throw TableError(message(file, full ? WorkDirectory::notEnoughSpaceMessage() : error.what()));
    } catch (const std::bad_alloc&) {
        throw TableError(message(file, "There is not enough memory to read it."));
    }
}

WorkbookReport OdsReader::read(const std::filesystem::path& file, const RecordSink& sink,
                               const WorkbookOptions& options) {
    FileDescriptor source = FileBytes::openRegular(file);
    return reporting(file, [&] {
        const WorkDirectory work;
        const std::filesystem::path archive = work.copyFile("temp.ods", source.get(), file);
        source.reset();
        const std::optional<ArchiveListing> listing = ArchiveListing::read(archive);
        if (!listing || !listing->contains(contentPart))
            throw TableError(damagedReason);
        // No spreadsheet holds such entries; one that does is damaged or was made to attack.
        if (const std::optional<ArchiveListing::Flaw>& flaw = listing->flaw())
            throw TableError(ExcelParser::flawMessage(*flaw));
        const std::filesystem::path extracted = work.makeDirectory("extracted");
        ExcelParser::Allowance allowance;
        std::error_code unknown;
        const std::filesystem::space_info space = std::filesystem::space(extracted, unknown);
        if (!unknown)
            allowance.freeBytes = space.available;
        ExcelParser::checkParts(*listing, {contentPart}, allowance);
        ArchivePart content(archive, *listing, contentPart, extracted / "content.xml");
        bool isUnpacked = false;
        return readContent(
            [&](OdsContentDelegate& delegate) {
                const bool wellFormed = content.read(delegate);
                // What was read counts only if unzip vouches for every byte of it.
                if (!isUnpacked)
                    content.finish();
                isUnpacked = true;
                if (wellFormed)
                    return;
                if (isEncryptedPackage(*listing, archive, extracted))
                    throw TableError(passwordReason);
                throw TableError(damagedReason);
            },
            sink, options);
    });
}

WorkbookReport OdsReader::readFlat(const std::filesystem::path& file, const RecordSink& sink,
                                   const WorkbookOptions& options) {
    const FileDescriptor source = FileBytes::openRegular(file);
    return reporting(file, [&] {
        return readContent(
            [&](OdsContentDelegate& delegate) {
                if (::lseek(source.get(), 0, SEEK_SET) != 0)
                    throw FileError("Cannot read", file.string(), errno);
                XmlParser parser(delegate);
                if (!parser.feedDescriptor(source.get(), file.string()))
                    throw TableError(damagedReason);
            },
            sink, options);
    });
}

} // namespace pellacor
