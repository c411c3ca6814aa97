#include "readers/ExcelParser.h"

#include "readers/ArchiveListing.h"
#include "files/FileBytes.h"
#include "readers/SharedStringsDelegate.h"
#include "readers/UnzipProcess.h"
#include "readers/WorkDirectory.h"
#include "readers/WorksheetDelegate.h"
#include "readers/WorksheetThread.h"
#include "readers/XmlParser.h"

#include <chrono>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

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
    std::optional<FileBytes::RegularFile> source;
    try {
        source.emplace(FileBytes::openRegular(file));
    } catch (const std::exception&) {
        throw ExcelError(ExcelError::Case::cannotReadFile);
    }
    try {
        const WorkDirectory work;
        const std::filesystem::path archive = work.copyFile("temp.xlsx", source->fd.get(), file);
        source.reset();
        return readArchive(work, archive);
    } catch (const WorkDirectory::UnreadableSource&) {
        throw ExcelError(ExcelError::Case::cannotReadFile);
    } catch (const std::bad_alloc&) {
        throw ExcelError(ExcelError::Case::parsingFailed,
                         "There is not enough memory to read this workbook.");
    } catch (const std::exception& error) {
        throw ExcelError(ExcelError::Case::parsingFailed, error.what());
    }
}

std::vector<SequenceEntry> ExcelParser::parseData(std::string_view bytes) {
    const WorkDirectory work;
    return readArchive(work, work.writeFile("temp.xlsx", bytes));
}

std::vector<SequenceEntry> ExcelParser::readArchive(const WorkDirectory& work,
                                                    const std::filesystem::path& archive) {
    const std::filesystem::path extracted = work.makeDirectory("extracted");
    const std::optional<ArchiveListing> listing = ArchiveListing::read(archive);
    if (!listing)
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    Allowance allowance;
    std::error_code unknown;
    const std::filesystem::space_info space = std::filesystem::space(extracted, unknown);
    if (!unknown)
        allowance.freeBytes = space.available;

    const std::vector<std::string> workbook = workbookParts(*listing);
    if (!reserveSpace(*listing, workbook, allowance))
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    // Which part holds the shared strings does not hang on the sheet, so the longest unpacking
    // starts first, while the sheet is looked up.
    const bool hasSharedStrings = listing->contains(sharedStringsPart);
    const bool stringsFit =
        hasSharedStrings && reserveSpace(*listing, {sharedStringsPart}, allowance);
    std::optional<UnzipProcess> stringsWriter;
    if (stringsFit)
        stringsWriter.emplace(startExtraction(*listing, archive, {sharedStringsPart}, extracted));
    std::optional<UnzipProcess> workbookWriter;
    if (!workbook.empty())
        workbookWriter.emplace(startExtraction(*listing, archive, workbook, extracted));

    const std::string sheet = firstSheetPart(*listing, extracted, std::move(workbookWriter));
    if (!listing->contains(sheet))
        throw ExcelError(ExcelError::Case::noDataFound);
    // Shared strings too large are refused only now: a missing sheet is told first.
    if ((hasSharedStrings && !stringsFit) || !reserveSpace(*listing, {sheet}, allowance))
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    std::vector<SequenceEntry> entries =
        readParts(*listing, archive, sheet, extracted, std::move(stringsWriter));
    if (entries.empty())
        throw ExcelError(ExcelError::Case::noDataFound);
    return entries;
}

std::vector<SequenceEntry> ExcelParser::readParts(const ArchiveListing& listing,
                                                  const std::filesystem::path& archive,
                                                  const std::string& sheet,
                                                  const std::filesystem::path& extracted,
                                                  std::optional<UnzipProcess> stringsWriter) {
    // One unzip run per part, all going at once: while they inflate, each part is parsed as it
    // is written, the sheet on a thread of its own, ahead of the shared strings.
    UnzipProcess sheetWriter = startExtraction(listing, archive, {sheet}, extracted);
    const auto unpackedWell = [&] {
        const bool stringsWell = !stringsWriter || stringsWriter->finish();
        return sheetWriter.finish() && stringsWell;
    };

    std::vector<SequenceEntry> entries;
    // Made after the writers, so that it is stopped before they go.
    std::optional<WorksheetThread> sheetReader;
    try {
        if (stringsWriter) {
            sheetReader.emplace(extracted / sheet, [&] { return !sheetWriter.hasExited(); });
            // The sheet is read first, while the table is still being inflated: the table
            // waits in the file meanwhile, and two parses at once would take the core that the
            // unzip inflating it needs, on which the whole import waits.
            while (!sheetReader->isWaitingForTable() && !stringsWriter->hasExited())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            SharedStringsDelegate sharedStrings;
            XmlParser::runFile(extracted / sharedStringsPart, sharedStrings,
                               [&] { return !stringsWriter->hasExited(); });
            sheetReader->supplySharedStrings(std::move(sharedStrings.strings));
            // Read whole, the part gives its space back while the sheet's rows are finished.
            std::error_code ignored;
            std::filesystem::remove(extracted / sharedStringsPart, ignored);
            entries = sheetReader->finish();
        } else {
            WorksheetDelegate worksheet({});
            XmlParser::runFile(extracted / sheet, worksheet,
                               [&] { return !sheetWriter.hasExited(); });
            entries = std::move(worksheet.entries);
        }
    } catch (const FileError& error) {
        // The sheet's writer is asked below: the thread that watches it must be gone.
        if (sheetReader)
            sheetReader->stop();
        // A part that unzip could not write, or skipped, is the archive's fault, not the file
        // system's.
        if (!unpackedWell() || isUnwrittenPart(error))
            throw ExcelError(ExcelError::Case::invalidFileFormat);
        throw;
    }
    // What was parsed counts only if unzip vouches for every byte of it.
    if (!unpackedWell())
        throw ExcelError(ExcelError::Case::invalidFileFormat);
    return entries;
}

} // namespace pellacor
