#include "session/DelimitedImport.h"

#include "readers/CSVParser.h"
#include "files/MappedFile.h"
#include "session/ConversionSession.h"

namespace pellacor {

ImportOutcome DelimitedImport::run(const std::filesystem::path& file) {
    ImportOutcome outcome;
    bool isTabDelimited = false;
    {
        const MappedFile mapped(file);
        EntryTable entries(ConversionSession::fastaLineWidth);
        entries.reserve(
            CSVParser::fastaSizeBound(mapped.bytes().size(), ConversionSession::fastaLineWidth));
        mapped.readVerified([&](std::string_view bytes) {
            isTabDelimited = CSVParser::scan(
                bytes, file.filename().string(), [&entries](const RecordView& r) {
                    entries.append(r.identifier, r.sequence, r.description);
                });
        });
        outcome.entries = std::move(entries);
    }
    outcome.fileType = isTabDelimited ? QStringLiteral("TSV") : QStringLiteral("CSV");
    ImportJob::trace(outcome);
    return outcome;
}

} // namespace pellacor
