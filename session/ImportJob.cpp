#include "session/ImportJob.h"

#include "conversion/TableFormat.h"
#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "files/EncodedText.h"
#include "readers/ReadCancelled.h"
#include "readers/TableError.h"
#include "readers/delimited/ParserError.h"

#include <filesystem>
#include <new>
#include <string_view>
#include <utility>

namespace pellacor {
namespace {

ImportOutcome failed(const char* message) {
    ImportOutcome outcome;
    outcome.failure = QString::fromUtf8(message);
    return outcome;
}

// The converter's way out of a failure a choice mends is an option; here it is the menus
// shown with the error.
std::string withMenus(std::string message) {
    constexpr std::pair<std::string_view, std::string_view> ways[] = {
        {"Choose the columns with --id-column and --sequence-column.",
         "Choose the columns in the menus or the table's headers."},
        {"If it does: --sequence-column ",
         "If it does, choose it as the sequence and the row number as the identifier."}};
    for (const auto& [option, menu] : ways)
        if (const std::size_t at = message.find(option); at != std::string::npos)
            message.replace(at, std::string::npos, menu);
    return message;
}

// A reader's failure, with the table's layout where a choice of columns may mend it.
ImportOutcome failedTable(const TableError& error) {
    if (!error.layout())
        return failed(error.what());
    ImportOutcome outcome = failed(withMenus(error.what()).c_str());
    outcome.mendable = *error.layout();
    return outcome;
}

} // namespace

ImportOutcome ImportJob::run(ConversionRequest request) {
    try {
        ImportOutcome outcome;
        // A delimited table's text is known not to outgrow this, so it is never moved while it
        // grows; a workbook's grows as it must.
        std::error_code unknown;
        // UTF-8 chosen back is read as no encoding at all, and stays in view as chosen.
        std::string encoding;
        if (request.encoding) {
            encoding = *request.encoding;
            if (EncodedText::isUtf8(encoding))
                request.encoding.reset();
        }
        const std::uintmax_t tableBytes = std::filesystem::file_size(request.input, unknown);
        if (!unknown && !TableFormat::of(request.input.string()).isWorkbook())
            outcome.entries.reserve(FastaConverter::tableSizeBound(tableBytes, LineWidth()));
        // Each record's text is counted for the trace right after it is written, while it is
        // still in the cache: counted after the last, hundreds of megabytes come from memory.
        ConversionTrace::FastaCounter counter;
        outcome.summary =
            Conversion::run(request, [&entries = outcome.entries, &counter](const RecordView& r) {
                const auto start = static_cast<std::size_t>(entries.fasta().size());
                entries.append(r);
                const QByteArray& fasta = entries.fasta();
                counter.add(std::string_view(fasta.constData() + start,
                                             static_cast<std::size_t>(fasta.size()) - start));
            });
        outcome.summary.encoding = encoding;
        outcome.fastaTrace = counter.lines();
        return outcome;
    } catch (const ReadCancelled&) {
        ImportOutcome outcome;
        outcome.isCancelled = true;
        return outcome;
    } catch (const ParserError& e) {
        if (e.kind() != ParserError::Case::invalidEncoding)
            return failedTable(e);
        // The converter's way out is an option; here it is the alert's button.
        std::string message = e.what();
        constexpr std::string_view option = "read it with --encoding windows-1252.";
        if (message.ends_with(option))
            message.replace(message.size() - option.size(), option.size(),
                            "read it as Windows-1252.");
        ImportOutcome outcome = failed(message.c_str());
        outcome.isNotUtf8 = true;
        return outcome;
    } catch (const TableError& e) {
        return failedTable(e);
    } catch (const std::bad_alloc&) {
        return failed("There is not enough memory to read this file.");
    } catch (const std::exception& e) {
        return failed(e.what());
    }
}

} // namespace pellacor
