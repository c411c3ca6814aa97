// Arbitrary XML through the two workbook readers: whatever the document, the collected texts
// are UTF-8, the records are clean, and feeding the document in two pieces, or the shared strings
// arriving between them, changes nothing.
#include "FuzzTargets.h"

#include "core/SequenceEntry.h"
#include "core/UnicodeText.h"
#include "readers/workbook/SharedStringsDelegate.h"
#include "readers/workbook/WorksheetDelegate.h"
#include "readers/workbook/XmlParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace pellacor::fuzz {
namespace {

struct Document {
    std::size_t cut; // where the document is split for the second run
    std::string_view text;
};

Document documentOf(Input data) {
    const std::string_view text(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
    return {text.empty() ? 0 : data[0] % (text.size() + 1), text};
}

// Has `sheet` hand its records to `entries`, which must outlive it.
void collectInto(WorksheetDelegate& sheet, std::vector<SequenceEntry>& entries) {
    sheet.setRecordSink(
        [&entries](const RecordView& r) { entries.push_back(SequenceEntry::of(r)); });
}

template <typename Delegate> void runWhole(Delegate& delegate, std::string_view text) {
    XmlParser::run(text, delegate);
}

template <typename Delegate> void runInTwoPieces(Delegate& delegate, const Document& document) {
    XmlParser parser(delegate);
    if (parser.feed(document.text.substr(0, document.cut), false))
        parser.feed(document.text.substr(document.cut), true);
}

} // namespace

void sharedStrings(Input data) {
    if (data.empty())
        return;
    const Document document = documentOf(data);
    SharedStringsDelegate whole;
    runWhole(whole, document.text);
    for (const std::string& s : whole.strings())
        require(UnicodeText::isValidUtf8(s), "a shared string is not UTF-8");
    SharedStringsDelegate pieces;
    runInTwoPieces(pieces, document);
    require(pieces.strings() == whole.strings(), "splitting the document changed the strings");
}

void worksheet(Input data) {
    if (data.empty())
        return;
    const Document document = documentOf(data);
    // A small table, so that shared-string cells resolve (or fall back) both ways.
    const std::vector<std::string> table = {"ID", "Sequence", "s1", "AC GT\n", "_x000D_"};
    std::vector<SequenceEntry> wholeEntries, piecesEntries, lateEntries;
    WorksheetDelegate whole(table);
    collectInto(whole, wholeEntries);
    runWhole(whole, document.text);
    for (const SequenceEntry& e : wholeEntries) {
        require(!e.identifier.empty() && !e.sequence.empty(), "a record with an empty field");
        require(e.sequence.find_first_of("\n\r \t") == std::string::npos,
                "a sequence keeps white space");
        require(!e.description || !e.description->empty(), "an empty description is present");
        require(UnicodeText::isValidUtf8(e.identifier) && UnicodeText::isValidUtf8(e.sequence) &&
                    (!e.description || UnicodeText::isValidUtf8(*e.description)),
                "a record is not UTF-8");
    }
    const auto requireSame = [&](const std::vector<SequenceEntry>& other, const std::string& what) {
        require(other.size() == wholeEntries.size(), what + " changed the records");
        for (std::size_t i = 0; i < wholeEntries.size(); ++i)
            require(other[i].identifier == wholeEntries[i].identifier &&
                        other[i].sequence == wholeEntries[i].sequence &&
                        other[i].description == wholeEntries[i].description,
                    what + " changed a record");
    };
    WorksheetDelegate pieces(table);
    collectInto(pieces, piecesEntries);
    runInTwoPieces(pieces, document);
    requireSame(piecesEntries, "splitting the document");
    // The table arriving where the document is split, as it does for a sheet read beside it.
    WorksheetDelegate late = WorksheetDelegate::awaitingSharedStrings();
    collectInto(late, lateEntries);
    XmlParser parser(late);
    const bool wellFormed = parser.feed(document.text.substr(0, document.cut), false);
    late.resolveSharedStrings(table);
    if (wellFormed)
        parser.feed(document.text.substr(document.cut), true);
    requireSame(lateEntries, "a table arriving late");
}

} // namespace pellacor::fuzz
