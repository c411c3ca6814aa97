#include "session/ImportJob.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "core/HugePages.h"
#include "readers/ExcelParser.h"
#include "readers/TableError.h"
#include "session/ConversionSession.h"
#include "session/DelimitedImport.h"

#include <QFile>

#include <cstdint>
#include <filesystem>
#include <new>
#include <string_view>

namespace pellacor {
namespace {

std::filesystem::path toFilesystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

ImportOutcome failed(const char* message) {
    ImportOutcome outcome;
    outcome.failure = QString::fromUtf8(message);
    return outcome;
}

} // namespace

QString ImportJob::lowerExtension(const QString& path) {
    // The same rule as the command-line converter: the text after the file name's last dot,
    // none for a name that only starts with one (".xlsx" is a hidden file, not a workbook).
    const std::string extension = toFilesystemPath(path).filename().extension().string();
    if (extension.size() <= 1)
        return {};
    return QFile::decodeName(QByteArray::fromStdString(extension.substr(1))).toLower();
}

bool ImportJob::isWorkbookExtension(const QString& lowerExtension) {
    return lowerExtension == QLatin1String("xlsx") || lowerExtension == QLatin1String("xls");
}

ImportOutcome ImportJob::run(const QString& path) {
    try {
        const QString extension = lowerExtension(path);
        const std::filesystem::path file = toFilesystemPath(path);
        if (isWorkbookExtension(extension))
            return render(ExcelParser::parse(file),
                          QStringLiteral("Excel (") + extension.toUpper() + QLatin1Char(')'));
        return DelimitedImport::run(file);
    } catch (const TableError& e) {
        return failed(e.what());
    } catch (const std::bad_alloc&) {
        return failed("There is not enough memory to read this file.");
    } catch (const std::exception& e) {
        return failed(e.what());
    }
}

// Filling hundreds of megabytes of fresh memory costs a page fault per 4 KiB page; huge pages
// make that a few hundred. Only a hint: the kernel may ignore it.
void ImportJob::adviseHugePages(QByteArray& buffer) {
    HugePages::advise(buffer.data(), static_cast<std::size_t>(buffer.capacity()));
}

ImportOutcome ImportJob::render(std::vector<SequenceEntry> entries, QString fileType) {
    ImportOutcome outcome;
    outcome.entryTrace = ConversionTrace::entryLines(entries.size(), entries);
    outcome.fasta = renderFasta(entries);
    outcome.fastaTrace = ConversionTrace::fastaLines(std::string_view(
        outcome.fasta.constData(), static_cast<std::size_t>(outcome.fasta.size())));
    outcome.entries = std::move(entries);
    outcome.fileType = std::move(fileType);
    return outcome;
}

QByteArray ImportJob::renderFasta(const std::vector<SequenceEntry>& entries) {
    // Rendered record by record into the shared byte array, so huge outputs never exist twice.
    constexpr int width = ConversionSession::fastaLineWidth;
    std::size_t estimate = 0;
    for (const SequenceEntry& e : entries)
        estimate +=
            FastaConverter::asciiRecordSize(e.identifier.size(), e.sequence.size(),
                                            e.description ? e.description->size() : 0, width);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(estimate));
    adviseHugePages(out);
    std::string record;
    for (const SequenceEntry& e : entries) {
        record.clear();
        FastaConverter::appendRecord(
            record, e.identifier, e.sequence,
            e.description ? std::optional<std::string_view>(*e.description) : std::nullopt, width);
        out.append(record.data(), static_cast<qsizetype>(record.size()));
    }
    return out;
}

} // namespace pellacor
