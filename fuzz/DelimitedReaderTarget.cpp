// Arbitrary bytes through the delimited reader: it either returns clean records or throws its
// own error with a message, and quoting any record it returned reads back the same record.
#include "FuzzTargets.h"

#include "core/UnicodeText.h"
#include "readers/delimited/CSVParser.h"

#include <array>
#include <string_view>

namespace pellacor::fuzz {
namespace {

bool hasCleaningCharacter(std::string_view text) {
    return text.find_first_of("\n\r \t") != std::string_view::npos;
}

bool isTrimmed(std::string_view text) {
    return UnicodeText::trim(text, true).size() == text.size();
}

void checkRecord(const SequenceEntry& e) {
    require(!e.identifier.empty(), "empty identifier");
    require(!e.sequence.empty(), "empty sequence");
    require(isTrimmed(e.identifier), "identifier not trimmed");
    require(!hasCleaningCharacter(e.sequence), "sequence keeps white space");
    require(!e.description || isTrimmed(*e.description), "description not trimmed");
    require(UnicodeText::isValidUtf8(e.identifier) && UnicodeText::isValidUtf8(e.sequence) &&
                (!e.description || UnicodeText::isValidUtf8(*e.description)),
            "record is not UTF-8");
}

// A quoted field keeps every character but joins its lines with one LF.
std::string withLineBreaksAsLf(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = UnicodeText::newlineLengthAt(text, pos);
        if (nl == 0) {
            out += text[pos++];
            continue;
        }
        out += '\n';
        pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : nl;
    }
    return out;
}

void appendQuoted(std::string& out, std::string_view value) {
    out += '"';
    for (char c : value) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

// Writes the records as a quoted tab-separated table under a header and reads it back.
void checkQuotedRoundTrip(const std::vector<SequenceEntry>& entries) {
    std::string table = "ID\tSequence\tDescription\n";
    for (const SequenceEntry& e : entries) {
        appendQuoted(table, e.identifier);
        table += '\t';
        appendQuoted(table, e.sequence);
        if (e.description) {
            table += '\t';
            appendQuoted(table, *e.description);
        }
        table += '\n';
    }
    const CSVParser::Result again = CSVParser::parseBytes(table, "again.tsv");
    require(again.isTabDelimited, "a .tsv table was not read as tab-separated");
    require(again.entries.size() == entries.size(), "quoted round trip changed the record count");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SequenceEntry& a = entries[i];
        const SequenceEntry& b = again.entries[i];
        require(b.identifier == withLineBreaksAsLf(a.identifier),
                "round trip changed an identifier");
        require(b.sequence == a.sequence, "round trip changed a sequence");
        require(a.description.has_value() == b.description.has_value() &&
                    (!a.description || *b.description == withLineBreaksAsLf(*a.description)),
                "round trip changed a description");
    }
}

} // namespace

void delimitedReader(Input data) {
    static constexpr std::array<std::string_view, 3> names = {"table.csv", "table.tsv",
                                                              "table.txt"};
    if (data.empty())
        return;
    const std::string_view fileName = names[data[0] % names.size()];
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
    std::string_view body = bytes;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);

    CSVParser::Result result;
    try {
        result = CSVParser::parseBytes(bytes, fileName);
    } catch (const CSVParser::ParserError& e) {
        require(std::string_view(e.what()).size() > 10, "error without a message");
        return;
    }
    require(!result.entries.empty(), "success without records");
    require(result.isTabDelimited == (CSVParser::detectDelimiter(fileName, body) == '\t'),
            "tab flag disagrees with the delimiter");
    for (const SequenceEntry& e : result.entries)
        checkRecord(e);
    checkQuotedRoundTrip(result.entries);
}

} // namespace pellacor::fuzz
