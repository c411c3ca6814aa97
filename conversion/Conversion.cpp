#include "conversion/Conversion.h"

#include "conversion/TableFormat.h"
#include "conversion/TableInput.h"
#include "core/ConversionTrace.h"
#include "readers/RecordBuilder.h"
#include "readers/delimited/DelimitedTable.h"
#include "readers/workbook/ExcelParser.h"

namespace pellacor {

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
    return all;
}

ConversionSummary Conversion::run(const ConversionRequest& request, const RecordSink& sink) {
    ConversionSummary summary;
    const auto counted = [&](const RecordView& record) {
        if (request.isTraced && summary.firstRecords.size() < ConversionTrace::detailedEntries)
            summary.firstRecords.push_back(
                ConversionTrace::EntryDetail::of(record.identifier, record.sequence));
        ++summary.records;
        sink(record);
    };
    const TableFormat format = TableFormat::of(request.input.string());
    if (format.isWorkbook()) {
        WorkbookReport report =
            ExcelParser::read(request.input, counted, {request.sheet, request.columns});
        summary.fileType = format.label();
        summary.layout = std::move(report.layout);
        summary.findings = std::move(report.findings);
        summary.sheets = std::move(report.sheets);
        summary.sheet = std::move(report.sheet);
        return summary;
    }
    const std::unique_ptr<TextSource> source = TableInput::open(request.input, request.encoding);
    RecordBuilder builder(RecordBuilder::delimitedStyle, request.columns);
    const char delimiter = source->readVerified([&] {
        return DelimitedTable::read(*source, TableInput::ruleName(request.input), builder, counted,
                                    {request.commentMarker, !request.isChecked});
    });
    summary.fileType = format.label(delimiter);
    summary.layout = builder.layout();
    summary.findings = builder.findings();
    return summary;
}

void Conversion::check(const ConversionRequest& request) {
    const std::unique_ptr<TextSource> source = TableInput::open(request.input, request.encoding);
    source->readVerified([&] {
        DelimitedTable::check(*source, TableInput::ruleName(request.input), request.columns,
                              {request.commentMarker, true});
        return 0;
    });
}

} // namespace pellacor
