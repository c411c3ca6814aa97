#include "conversion/Conversion.h"

#include "conversion/TableFormat.h"
#include "conversion/TableInput.h"
#include "conversion/WatchedSource.h"
#include "core/ConversionTrace.h"
#include "files/DisplayName.h"
#include "files/FileSignature.h"
#include "readers/RecordBuilder.h"
#include "readers/TableError.h"
#include "readers/delimited/DelimitedTable.h"
#include "readers/workbook/ExcelParser.h"
#include "readers/workbook/OdsReader.h"
#include "readers/workbook/XlsReader.h"

namespace pellacor {
namespace {

DelimitedOptions optionsOf(const ConversionRequest& request, bool validates) {
    DelimitedOptions options;
    options.commentMarker = request.commentMarker;
    options.validates = validates;
    options.skipLines = request.skipLines;
    options.delimiter = request.delimiter;
    options.partsByWhitespace = request.partsByWhitespace;
    options.section = request.section;
    return options;
}

WorkbookReport readWorkbook(TableFormat::Reader reader, const ConversionRequest& request,
                            const RecordSink& sink, const WorkbookOptions& options) {
    switch (reader) {
    case TableFormat::Reader::openDocument:
        return OdsReader::read(request.input, sink, options);
    case TableFormat::Reader::flatOpenDocument:
        return OdsReader::readFlat(request.input, sink, options);
    case TableFormat::Reader::legacyExcel:
        // An .xlsx encrypted with a password comes in a compound file too.
        if (!ExcelParser::isEncryptedCompoundFile(request.input))
            return XlsReader::read(request.input, sink, options);
        break;
    default:
        break;
    }
    return ExcelParser::read(request.input, sink, options);
}

// A picture or an archive picked by mistake is named for what it is, before a reader reports
// bytes it cannot make sense of.
void refuseWhatIsNoTable(const std::filesystem::path& input, const TableFormat& format) {
    if (TableInput::isStandardInput(input))
        return;
    if (const std::optional<std::string> kind = FileSignature::ofFile(input, format.isWorkbook()))
        throw TableError(DisplayName::quoted(input) + " looks like " + *kind +
                         ", not a table. Choose a CSV, TSV or Excel file.");
}

// What progress counts the text read against: the file's size, which inflated text outgrows;
// 0 for a pipe.
std::uint64_t watchedBytes(const ConversionRequest& request) {
    std::error_code unknown;
    const std::uintmax_t size = TableInput::isRegularFile(request.input)
                                    ? std::filesystem::file_size(request.input, unknown)
                                    : 0;
    return unknown ? 0 : size;
}

} // namespace

std::string ConversionSummary::entryTrace() const {
    std::string lines = ConversionTrace::entryLines(records, firstRecords);
    if (const std::optional<std::string> skipped = findings.skippedMessage())
        lines += "DEBUG: " + *skipped + "\n";
    return lines;
}

std::vector<std::string> ConversionSummary::warnings() const {
    std::vector<std::string> all;
    if (const std::optional<std::string> skipped = findings.skippedMessage())
        all.push_back(*skipped);
    for (std::string& warning : findings.warnings())
        all.push_back(std::move(warning));
    if (layout)
        all.insert(all.end(), layout->doubts.begin(), layout->doubts.end());
    return all;
}

ConversionSummary Conversion::run(const ConversionRequest& request, const RecordSink& sink,
                                  const PieceWork* pieces) {
    ConversionSummary summary;
    const auto counted = [&](const RecordView& record) {
        if (request.isTraced && summary.firstRecords.size() < ConversionTrace::detailedEntries)
            summary.firstRecords.push_back(
                ConversionTrace::EntryDetail::of(record.identifier, record.sequence));
        ++summary.records;
        sink(record);
    };
    const ConversionWatch watch(request.stop, request.progress);
    const TableFormat format = TableFormat::of(request.input.string());
    refuseWhatIsNoTable(request.input, format);
    if (format.isWorkbook()) {
        WorkbookReport report = readWorkbook(
            format.reader(), request, counted,
            {request.sheet, request.columns,
             [&watch](std::uint64_t done, std::uint64_t total) { watch.reached(done, total); }});
        summary.fileType = format.label();
        summary.layout = std::move(report.layout);
        summary.findings = std::move(report.findings);
        summary.sheets = std::move(report.sheets);
        summary.sheet = std::move(report.sheet);
        return summary;
    }
    const std::unique_ptr<TextSource> opened = TableInput::open(request.input, request.encoding);
    WatchedSource source(*opened, watch, watchedBytes(request));
    RecordBuilder builder(RecordBuilder::delimitedStyle, request.columns);
    // Records rendered in pieces are counted as they go on.
    std::optional<PieceWork> counting;
    if (pieces) {
        counting = *pieces;
        counting->deliver = [&summary, pieces](std::string_view bytes, std::size_t records,
                                               std::string_view notes) {
            summary.records += records;
            pieces->deliver(bytes, records, notes);
        };
    }
    const char delimiter = source.readVerified([&] {
        return DelimitedTable::read(source, TableInput::ruleName(request.input), builder, counted,
                                    optionsOf(request, !request.isChecked),
                                    counting ? &*counting : nullptr);
    });
    summary.fileType = format.label(delimiter);
    summary.layout = builder.layout();
    summary.findings = builder.findings();
    return summary;
}

void Conversion::check(const ConversionRequest& request, const PieceWork* pieces) {
    const ConversionWatch watch(request.stop, request.progress);
    refuseWhatIsNoTable(request.input, TableFormat::of(request.input.string()));
    const std::unique_ptr<TextSource> opened = TableInput::open(request.input, request.encoding);
    WatchedSource source(*opened, watch, watchedBytes(request));
    source.readVerified([&] {
        DelimitedTable::check(source, TableInput::ruleName(request.input), request.columns,
                              optionsOf(request, true), pieces);
        return 0;
    });
}

} // namespace pellacor
