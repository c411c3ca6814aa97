#include "session/ImportJob.h"

#include "conversion/Conversion.h"
#include "conversion/TableFormat.h"
#include "core/ConversionTrace.h"
#include "files/EncodedText.h"
#include "readers/delimited/CSVParser.h"

#include <filesystem>
#include <new>
#include <string_view>

namespace pellacor {
namespace {

ImportOutcome failed(const char* message) {
    ImportOutcome outcome;
    outcome.failure = QString::fromUtf8(message);
    return outcome;
}

} // namespace

ImportOutcome ImportJob::run(const QByteArray& path, const ImportChoice& choice) {
    try {
        const std::filesystem::path file = path.toStdString();
        ImportOutcome outcome;
        EntryTable entries;
        // A delimited table's text is known not to outgrow this, so it is never moved while it
        // grows; a workbook's grows as it must.
        std::error_code unknown;
        const std::uintmax_t tableBytes = std::filesystem::file_size(file, unknown);
        if (!unknown && !TableFormat::of(file.string()).isWorkbook())
            entries.reserve(CSVParser::fastaSizeBound(tableBytes, LineWidth()));
        ConversionRequest request;
        request.input = file;
        request.columns = choice.columns;
        if (choice.sheet)
            request.sheet = choice.sheet->toStdString();
        if (choice.encoding && !EncodedText::isUtf8(choice.encoding->toStdString()))
            request.encoding = choice.encoding->toStdString();
        const ConversionSummary summary =
            Conversion::run(request, [&entries](const RecordView& r) { entries.append(r); });
        outcome.details.layout = summary.layout;
        for (const std::string& sheet : summary.sheets)
            outcome.details.sheets << QString::fromStdString(sheet);
        outcome.details.sheet = QString::fromStdString(summary.sheet);
        for (const std::string& warning : summary.warnings())
            outcome.details.warnings << QString::fromStdString(warning);
        if (choice.encoding)
            outcome.details.encoding = *choice.encoding;
        outcome.fileType = QString::fromStdString(summary.fileType);
        outcome.entryTrace = summary.entryTrace();
        outcome.fastaTrace = ConversionTrace::fastaLines(std::string_view(
            entries.fasta().constData(), static_cast<std::size_t>(entries.fasta().size())));
        outcome.entries = std::move(entries);
        return outcome;
    } catch (const CSVParser::ParserError& e) {
        if (e.kind() != CSVParser::ParserError::Case::invalidEncoding)
            return failed(e.what());
        // The converter's way out is an option; here it is the alert's button.
        std::string message = e.what();
        constexpr std::string_view option = "read it with --encoding windows-1252.";
        if (message.ends_with(option))
            message.replace(message.size() - option.size(), option.size(),
                            "read it as Windows-1252.");
        ImportOutcome outcome = failed(message.c_str());
        outcome.isNotUtf8 = true;
        return outcome;
    } catch (const std::bad_alloc&) {
        return failed("There is not enough memory to read this file.");
    } catch (const std::exception& e) {
        return failed(e.what());
    }
}

} // namespace pellacor
