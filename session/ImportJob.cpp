#include "session/ImportJob.h"

#include "conversion/TableFormat.h"
#include "conversion/TableInput.h"
#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "files/EncodedText.h"
#include "readers/ReadCancelled.h"
#include "readers/TableError.h"
#include "readers/delimited/DelimitedTable.h"
#include "readers/delimited/ParserError.h"
#include "session/PagesAhead.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
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

// Runs `job`, which returns the outcome of a success; a failure comes back as the outcome's
// message, a stop as `isCancelled`.
template <typename Job> ImportOutcome guarded(Job job) {
    try {
        return job();
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

// UTF-8 chosen back is read as no encoding at all; the name chosen is returned, to stay in view.
std::string takeEncoding(ConversionRequest& request) {
    std::string encoding;
    if (request.encoding) {
        encoding = *request.encoding;
        if (EncodedText::isUtf8(encoding))
            request.encoding.reset();
    }
    return encoding;
}

} // namespace

bool ImportJob::canCheck(const ConversionRequest& request) {
    // A workbook is vouched for only once unpacked, and gzip text would be inflated twice.
    return !TableFormat::of(request.input.string()).isWorkbook() &&
           TableInput::isRegularFile(request.input) && !TableInput::isGzipFile(request.input);
}

ImportOutcome ImportJob::check(ConversionRequest request) {
    return guarded([&] {
        takeEncoding(request);
        // The check only looks: it runs on every core, in pieces of the file.
        const PieceWork pieces = PieceWork::onThisMachine();
        Conversion::check(request, pieces.pieceBytes > 0 ? &pieces : nullptr);
        return ImportOutcome();
    });
}

ImportOutcome ImportJob::run(ConversionRequest request, EntryTable previous,
                             const PieceWork& cores) {
    return guarded([&] {
        ImportOutcome outcome;
        const std::string encoding = takeEncoding(request);
        // A delimited table's text is known not to outgrow this, so it is never moved while it
        // grows; a workbook's grows as it must.
        std::error_code unknown;
        const std::uintmax_t tableBytes = std::filesystem::file_size(request.input, unknown);
        // What the previous text held, where its pages are still in memory.
        std::size_t previousBytes = 0;
        if (!unknown && !TableFormat::of(request.input.string()).isWorkbook()) {
            const std::size_t bound = FastaConverter::tableSizeBound(tableBytes, LineWidth());
            // Writing into the previous text's pages spares clearing as many fresh ones (a
            // third of a re-import's time), unless it held more than this one may fill.
            if (static_cast<std::size_t>(previous.fasta().size()) <= bound) {
                outcome.entries = std::move(previous);
                previousBytes = outcome.entries.clear();
            }
            outcome.entries.reserve(bound);
        }
        previous = EntryTable();
        // Each record's text is counted for the trace right after it is written, while it is
        // still in the cache: counted after the last, hundreds of megabytes come from memory.
        ConversionTrace::FastaCounter counter;
        // The text's pages are faulted in on the other core, ahead of the writer, past those
        // the previous text left in memory.
        const QByteArray& text = outcome.entries.fasta();
        const auto room = static_cast<std::size_t>(text.capacity());
        const std::size_t aheadFrom = std::min(previousBytes, room);
        std::optional<PagesAhead> ahead;
        if (room > aheadFrom)
            ahead.emplace(text.constData() + aheadFrom, room - aheadFrom);
        const char* aheadOf = text.constData();
        // After each write: the pages ahead of the text's new end.
        const auto wrote = [&] {
            if (!ahead)
                return;
            // Text that outgrew the room made for it (inflated, or re-encoded into more bytes)
            // has moved: the pages behind the old place are no longer its own.
            if (text.constData() != aheadOf) {
                ahead->abandon();
                ahead.reset();
                return;
            }
            if (const auto end = static_cast<std::size_t>(text.size()); end > aheadFrom)
                ahead->reached(end - aheadFrom);
        };
        // Past its first rows, a large file's records are rendered on every core, and their
        // text copied in order.
        PieceWork pieces = cores;
        pieces.sizeBound = [width = outcome.entries.width()](const RecordView& r) {
            return FastaConverter::recordSizeBound(r, width);
        };
        pieces.render = [width = outcome.entries.width()](const RecordView& r, char* out,
                                                          std::string& notes) {
            return EntryTable::render(r, out, width, notes);
        };
        // Text added from `start` on: counted, and the pages ahead moved on.
        const auto added = [&](std::size_t start) {
            counter.add(std::string_view(text.constData() + start,
                                         static_cast<std::size_t>(text.size()) - start));
            wrote();
        };
        pieces.deliver = [&](std::string_view bytes, std::size_t, std::string_view notes) {
            const auto start = static_cast<std::size_t>(text.size());
            outcome.entries.appendRendered(bytes, notes);
            added(start);
        };
        outcome.summary = Conversion::run(
            request,
            [&](const RecordView& r) {
                const auto start = static_cast<std::size_t>(text.size());
                outcome.entries.append(r);
                added(start);
            },
            pieces.pieceBytes > 0 ? &pieces : nullptr);
        ahead.reset();
        // What the previous text left past the end of this one holds nothing now.
        if (text.constData() == aheadOf && previousBytes > static_cast<std::size_t>(text.size()))
            PagesAhead::giveBack(text.constData(), static_cast<std::size_t>(text.size()),
                                 previousBytes);
        outcome.summary.encoding = encoding;
        outcome.fastaTrace = counter.lines();
        return outcome;
    });
}

} // namespace pellacor
