#include "session/ImportJob.h"

#include "core/ConversionTrace.h"
#include "readers/ExcelParser.h"
#include "files/FileError.h"
#include "readers/TableError.h"
#include "session/ConversionSession.h"
#include "session/DelimitedImport.h"

#include <QFile>

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

ImportOutcome ImportJob::render(const std::vector<SequenceEntry>& entries, QString fileType) {
    ImportOutcome outcome;
    outcome.entries = EntryTable::render(entries, ConversionSession::fastaLineWidth);
    outcome.fileType = std::move(fileType);
    trace(outcome);
    return outcome;
}

void ImportJob::trace(ImportOutcome& outcome) {
    const EntryTable& entries = outcome.entries;
    outcome.entryTrace =
        ConversionTrace::entryLines(entries.size(), entries.first(ConversionTrace::detailedEntries));
    outcome.fastaTrace = ConversionTrace::fastaLines(std::string_view(
        entries.fasta().constData(), static_cast<std::size_t>(entries.fasta().size())));
}

} // namespace pellacor
