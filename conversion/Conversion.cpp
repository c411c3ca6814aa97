#include "conversion/Conversion.h"

#include "conversion/TableFormat.h"
#include "conversion/TableInput.h"
#include "core/ConversionTrace.h"
#include "readers/CSVParser.h"
#include "readers/DelimitedTable.h"
#include "readers/ExcelParser.h"
#include "readers/RecordBuilder.h"

namespace pellacor {
namespace {} // namespace

std::string ConversionSummary::entryTrace() const {
    return ConversionTrace::entryLines(records, firstRecords);
}

ConversionSummary Conversion::run(const ConversionRequest& request, const RecordSink& sink) {
    ConversionSummary summary;
    const auto counted = [&](const RecordView& record) {
        if (summary.firstRecords.size() < ConversionTrace::detailedEntries)
            summary.firstRecords.push_back(
                {std::string(record.identifier), std::string(record.sequence),
                 record.description ? std::optional<std::string>(*record.description)
                                    : std::nullopt});
        ++summary.records;
        sink(record);
    };
    const TableFormat format = TableFormat::of(request.input.string());
    if (format.isWorkbook()) {
        ExcelParser::read(request.input, counted);
        summary.fileType = format.label();
        return summary;
    }
    const std::unique_ptr<TextSource> source = TableInput::open(request.input);
    RecordBuilder builder(RecordBuilder::delimitedStyle);
    const char delimiter = source->readVerified([&] {
        return DelimitedTable::read(*source, request.input.string(), builder, counted,
                                    !request.isChecked);
    });
    summary.fileType = format.label(delimiter);
    return summary;
}

void Conversion::check(const ConversionRequest& request) {
    try {
        const std::unique_ptr<TextSource> source = TableInput::open(request.input);
        source->readVerified([&] {
            DelimitedTable::check(*source, request.input.string());
            return 0;
        });
    } catch (const CSVParser::ParserError& error) {
        if (error.kind() != CSVParser::ParserError::Case::unterminatedQuotedField)
            throw;
        // The check keeps no line numbers: reading the table again tells where the field
        // starts. That costs time only when the table fails anyway.
        run(request, [](const RecordView&) {});
        throw;
    }
}

} // namespace pellacor
