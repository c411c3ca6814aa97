// Arbitrary XML through the OpenDocument content reader: whatever the document, the records are
// clean UTF-8, a refusal is a reader's error, and feeding the document in two pieces changes
// neither the records, the tables found, nor whether it was refused.
#include "FuzzTargets.h"

#include "core/SequenceEntry.h"
#include "core/UnicodeText.h"
#include "readers/TableError.h"
#include "readers/workbook/OdsContentDelegate.h"
#include "readers/workbook/XmlParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace pellacor::fuzz {
namespace {

// Repeated rows may rightly expand to a million records; past this many a run is abandoned,
// since checking them all would take the fuzzer's time, not find more.
constexpr std::size_t mostRecordsChecked = 100'000;
struct Abandoned {};

struct Outcome {
    std::vector<SequenceEntry> records;
    std::vector<std::string> tables;
    std::string refusal;
    bool isAbandoned = false;
};

Outcome readWith(std::string_view text, std::size_t cut) {
    Outcome outcome;
    OdsContentDelegate content;
    content.setRecordSink([&](const RecordView& r) {
        if (outcome.records.size() == mostRecordsChecked)
            throw Abandoned();
        outcome.records.push_back(SequenceEntry::of(r));
    });
    try {
        XmlParser parser(content);
        if (parser.feed(text.substr(0, cut), false))
            parser.feed(text.substr(cut), true);
        content.finish();
    } catch (const TableError& error) {
        outcome.refusal = error.what();
    } catch (const Abandoned&) {
        outcome.isAbandoned = true;
    }
    for (const WorkbookDelegate::Sheet& sheet : content.sheets())
        outcome.tables.push_back(sheet.name + (sheet.isHidden ? " (hidden)" : ""));
    return outcome;
}

} // namespace

void odsContent(Input data) {
    if (data.empty())
        return;
    const std::string_view text(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
    const Outcome whole = readWith(text, text.size());
    if (whole.isAbandoned)
        return;
    for (const SequenceEntry& e : whole.records) {
        require(!e.identifier.empty() && !e.sequence.empty(), "a record with an empty field");
        require(e.sequence.find_first_of("\n\r \t") == std::string::npos,
                "a sequence keeps white space");
        require(UnicodeText::isValidUtf8(e.identifier) && UnicodeText::isValidUtf8(e.sequence) &&
                    (!e.description || UnicodeText::isValidUtf8(*e.description)),
                "a record is not UTF-8");
    }
    const Outcome pieces = readWith(text, text.empty() ? 0 : data[0] % (text.size() + 1));
    require(pieces.refusal == whole.refusal, "splitting the document changed the refusal");
    require(pieces.tables == whole.tables, "splitting the document changed the tables");
    require(pieces.records.size() == whole.records.size(),
            "splitting the document changed the records");
    for (std::size_t i = 0; i < whole.records.size(); ++i)
        require(pieces.records[i].identifier == whole.records[i].identifier &&
                    pieces.records[i].sequence == whole.records[i].sequence &&
                    pieces.records[i].description == whole.records[i].description,
                "splitting the document changed a record");
}

} // namespace pellacor::fuzz
