#include "session/DelimitedImport.h"

#include "readers/CSVParser.h"
#include "readers/MappedFile.h"
#include "session/ConversionSession.h"

namespace pellacor {

ImportOutcome DelimitedImport::run(const std::filesystem::path& file) {
    ImportOutcome outcome;
    bool isTabDelimited = false;
    {
        const MappedFile mapped(file);
        const std::string_view bytes = mapped.bytes();
        EntryTable entries(ConversionSession::fastaLineWidth);
        entries.reserve(CSVParser::fastaSizeBound(bytes.size(), ConversionSession::fastaLineWidth));
        isTabDelimited = CSVParser::scan(
            bytes, file.filename().string(), [&entries](const CSVParser::RecordView& r) {
                entries.append(r.identifier, r.sequence, r.description);
            });
        mapped.verifyUnchanged();
        outcome.entries = std::move(entries);
    }
    outcome.fileType = isTabDelimited ? QStringLiteral("TSV") : QStringLiteral("CSV");
    ImportJob::trace(outcome);
    return outcome;
}

} // namespace pellacor
