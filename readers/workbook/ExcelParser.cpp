#include "readers/workbook/ExcelParser.h"

#include "files/DisplayName.h"
#include "files/FileBytes.h"
#include "files/FileError.h"
#include "readers/ChoiceError.h"
#include "readers/ReadCancelled.h"
#include "readers/workbook/ArchiveListing.h"
#include "readers/workbook/ArchivePart.h"
#include "readers/workbook/SharedStringsDelegate.h"
#include "readers/workbook/WorkDirectory.h"
#include "readers/workbook/WorksheetDelegate.h"

#include <atomic>
#include <cerrno>
#include <new>
#include <optional>
#include <system_error>

namespace pellacor {
namespace {

const std::string sharedStringsPart = "xl/sharedStrings.xml";

std::atomic<std::size_t> rowWaitingLimit{WorksheetDelegate::defaultWaitingLimit};

// Reads the shared strings for a sheet read before them, finishing each of its waiting rows as
// soon as the entries it names have come: the records go out while unzip still inflates the
// rest of the table, not all after it.
class StringsForSheet : public XmlDelegate {
public:
    StringsForSheet(SharedStringsDelegate& strings, WorksheetDelegate& sheet)
        : strings_(strings), sheet_(sheet) {}

    void didStartElement(std::string_view name, const XmlAttributes& attributes) override {
        strings_.didStartElement(name, attributes);
    }
    void foundCharacters(std::string_view text) override { strings_.foundCharacters(text); }
    void didEndElement(std::string_view name) override { strings_.didEndElement(name); }
    bool wantsMore() const override { return strings_.wantsMore(); }
    void didReadPiece() override { sheet_.finishRowsReadyIn(strings_.table(), strings_.itemCount); }

private:
    SharedStringsDelegate& strings_;
    WorksheetDelegate& sheet_;
};

bool isOutOfSpace(const FileError& error) noexcept {
    return error.errorNumber() == ENOSPC || error.errorNumber() == EDQUOT;
}

} // namespace

std::string ExcelParser::flawMessage(const ArchiveListing::Flaw& flaw) {
    const std::string name = "\u201C" + DisplayName::escaped(flaw.name) + "\u201D";
    switch (flaw.kind) {
    case ArchiveListing::Flaw::Kind::link:
        return "The workbook holds a link, " + name +
               ", which no spreadsheet program writes; it is not read, so that nothing outside "
               "it can be reached through the link.";
    case ArchiveListing::Flaw::Kind::outside:
        return "The workbook holds an entry named " + name +
               ", which would be unpacked outside its folder; no spreadsheet program writes "
               "such names, so it is not read.";
    case ArchiveListing::Flaw::Kind::repeated:
        return "The workbook is damaged: it holds two entries named " + name +
               ". Save it again from your spreadsheet program and try again.";
    }
    return {};
}

void ExcelParser::setRowWaitingLimit(std::size_t bytes) noexcept {
    rowWaitingLimit.store(bytes);
}

std::vector<SequenceEntry> ExcelParser::parse(const std::filesystem::path& file) {
    std::vector<SequenceEntry> entries;
    read(file, [&entries](const RecordView& r) { entries.push_back(SequenceEntry::of(r)); });
    return entries;
}

WorkbookReport ExcelParser::read(const std::filesystem::path& file, const RecordSink& sink,
                                 const WorkbookOptions& options) {
    FileDescriptor source;
    try {
        source = FileBytes::openRegular(file);
    } catch (const std::exception&) {
        throw ExcelError(ExcelError::Case::cannotReadFile);
    }
    try {
        const WorkDirectory work;
        const std::filesystem::path archive = work.copyFile("temp.xlsx", source.get(), file);
        source.reset();
        return readArchive(work, archive, sink, options);
    } catch (const ChoiceError&) {
        // Not the file's fault: the user asked for something it lacks.
        throw;
    } catch (const ReadCancelled&) {
        // Nobody wants the read any more; the work directory goes as this unwinds.
        throw;
    } catch (const ExcelError& error) {
        // A sheet that gave no record carries its columns, for a choice that may mend it.
        ExcelError wrapped(ExcelError::Case::parsingFailed, error.what());
        if (error.layout())
            wrapped.setLayout(std::make_shared<const ColumnLayout>(*error.layout()));
        throw wrapped;
    } catch (const WorkDirectory::UnreadableSource&) {
        throw ExcelError(ExcelError::Case::cannotReadFile);
    } catch (const FileError& error) {
        throw ExcelError(ExcelError::Case::parsingFailed,
                         isOutOfSpace(error) ? WorkDirectory::notEnoughSpaceMessage()
                                             : error.what());
    } catch (const std::bad_alloc&) {
        throw ExcelError(ExcelError::Case::parsingFailed,
                         "There is not enough memory to read this workbook.");
    } catch (const std::exception& error) {
        throw ExcelError(ExcelError::Case::parsingFailed, error.what());
    }
}

std::vector<SequenceEntry> ExcelParser::parseData(std::string_view bytes) {
    const WorkDirectory work;
    std::vector<SequenceEntry> entries;
    readArchive(work, work.writeFile("temp.xlsx", bytes),
                [&entries](const RecordView& r) { entries.push_back(SequenceEntry::of(r)); }, {});
    return entries;
}

WorkbookReport ExcelParser::readArchive(const WorkDirectory& work,
                                        const std::filesystem::path& archive,
                                        const RecordSink& sink, const WorkbookOptions& options) {
    const std::optional<ArchiveListing> listing = ArchiveListing::read(archive);
    if (!listing) {
        if (isEncryptedCompoundFile(archive))
            throw TableError(passwordMessage);
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    }
    // No workbook holds such entries; one that does is damaged or was made to attack.
    if (const std::optional<ArchiveListing::Flaw>& flaw = listing->flaw())
        throw TableError(flawMessage(*flaw));
    const std::filesystem::path extracted = work.makeDirectory("extracted");
    WorkbookReport report;
    const std::string sheet = sheetPart(*listing, archive, extracted, options, report);
    if (!listing->contains(sheet))
        throw ExcelError(ExcelError::Case::noDataFound);
    readSheet(*listing, archive, sheet, extracted, sink, options, report);
    if (report.records == 0) {
        ExcelError error(ExcelError::Case::noDataFound);
        if (report.layout)
            error.setLayout(std::make_shared<const ColumnLayout>(*report.layout));
        throw error;
    }
    return report;
}

void ExcelParser::readSheet(const ArchiveListing& listing, const std::filesystem::path& archive,
                            const std::string& sheet, const std::filesystem::path& extracted,
                            const RecordSink& sink, const WorkbookOptions& options,
                            WorkbookReport& report) {
    const bool hasSharedStrings = listing.contains(sharedStringsPart);
    Allowance allowance;
    std::error_code unknown;
    const std::filesystem::space_info space = std::filesystem::space(extracted, unknown);
    if (!unknown)
        allowance.freeBytes = space.available;
    checkParts(listing,
               hasSharedStrings ? std::vector{sheet, sharedStringsPart} : std::vector{sheet},
               allowance);

    const RecordSink counted = [&](const RecordView& record) {
        ++report.records;
        sink(record);
    };
    const auto noteFindings = [&](WorksheetDelegate& reader) {
        reader.finish();
        report.layout = reader.layout();
        report.findings = reader.findings();
    };
    // Both parts are unpacked at once, each by its own unzip. The sheet is read first, while
    // the shared strings are still being inflated beside it: then only the entries it names
    // need be kept of them, however many the table holds.
    std::optional<ArchivePart> strings;
    if (hasSharedStrings)
        strings.emplace(archive, listing, sharedStringsPart, extracted / "sharedStrings.xml");
    ArchivePart sheetPart(archive, listing, sheet, extracted / "sheet.xml");
    // The sheet, then the shared strings read after it, as one stretch of bytes.
    const std::uint64_t totalBytes = sheetPart.listedSize() + (strings ? strings->listedSize() : 0);
    const auto progressFrom = [&](std::uint64_t start) {
        return [&options, &totalBytes, start](std::uint64_t offset) {
            if (options.progress)
                options.progress(start + offset, totalBytes);
        };
    };
    const auto readSheetInto = [&](WorksheetDelegate& worksheet) {
        worksheet.setRecordSink(counted);
        worksheet.setColumnChoice(options.columns);
        sheetPart.read(worksheet, progressFrom(0));
    };
    if (!strings) {
        WorksheetDelegate worksheet(SharedStringTable{});
        readSheetInto(worksheet);
        // What was read counts only if unzip vouches for every byte of it.
        sheetPart.finish();
        noteFindings(worksheet);
        return;
    }
    WorksheetDelegate worksheet = WorksheetDelegate::awaitingSharedStrings(rowWaitingLimit.load());
    readSheetInto(worksheet);
    sheetPart.finish();
    SharedStringsDelegate sharedStrings(worksheet.referencedNumbers());
    StringsForSheet stringsForSheet(sharedStrings, worksheet);
    strings->read(stringsForSheet, progressFrom(sheetPart.listedSize()));
    strings->finish();
    // Read whole, the part gives its space back while the rows are finished.
    strings->discard();
    SharedStringTable table = sharedStrings.takeTable();
    if (!worksheet.hasDroppedRows()) {
        worksheet.resolveSharedStrings(std::move(table));
        noteFindings(worksheet);
        return;
    }
    // Rows too many to wait for the table were dropped: the sheet is read again, resolving.
    WorksheetDelegate again(std::move(table));
    readSheetInto(again);
    noteFindings(again);
}

} // namespace pellacor
