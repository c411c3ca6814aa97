// Arbitrary records through the FASTA writer: every line ends in LF, a header is one line, no
// sequence line is wider than asked, and no residue is lost, added or reordered.
#include "FuzzTargets.h"

#include "core/FastaConverter.h"
#include "core/UnicodeText.h"

#include <string_view>
#include <vector>

namespace pellacor::fuzz {
namespace {

// Records come from readers as UTF-8; malformed bytes become U+FFFD as a decoder would.
std::string asUtf8(std::string_view bytes) {
    std::string out;
    std::size_t pos = 0;
    while (pos < bytes.size())
        UnicodeText::appendUtf8(out, UnicodeText::decodeAt(bytes, pos));
    return out;
}

bool containsNewline(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos)
        if (UnicodeText::newlineLengthAt(text, pos))
            return true;
    return false;
}

// The header may turn each line break into a space, and must change nothing else.
std::string withoutBreaksAndSpaces(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        if (const std::size_t nl = UnicodeText::newlineLengthAt(text, pos)) {
            pos += nl;
        } else if (text[pos] == ' ') {
            ++pos;
        } else {
            out += text[pos++];
        }
    }
    return out;
}

std::string withoutLf(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '\n')
            out += c;
    return out;
}

// Fields are separated by byte 0x1F, records by 0x1E; a missing third field means no description.
std::vector<SequenceEntry> recordsOf(std::string_view bytes) {
    std::vector<SequenceEntry> entries;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\x1E', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::vector<std::string> fields;
        std::string_view record = bytes.substr(start, end - start);
        for (std::size_t f = 0; f <= record.size();) {
            std::size_t cut = record.find('\x1F', f);
            if (cut == std::string_view::npos)
                cut = record.size();
            fields.push_back(asUtf8(record.substr(f, cut - f)));
            f = cut + 1;
        }
        fields.resize(std::max<std::size_t>(fields.size(), 2));
        entries.push_back(
            {fields[0], fields[1],
             fields.size() > 2 ? std::optional<std::string>(fields[2]) : std::nullopt});
        start = end + 1;
    }
    return entries;
}

void checkRecordText(std::string_view text, const SequenceEntry& e, int lineWidth) {
    require(text.starts_with('>') && text.ends_with('\n'),
            "record does not start with > or end with LF");
    const std::size_t headerEnd = text.find('\n');
    const std::string_view header = text.substr(1, headerEnd - 1);
    require(!containsNewline(header), "header holds a line break");
    std::string written = e.identifier;
    if (e.description && !e.description->empty())
        written += " " + *e.description;
    require(withoutBreaksAndSpaces(header) == withoutBreaksAndSpaces(written),
            "header changed more than its line breaks");

    const std::string_view body = text.substr(headerEnd + 1);
    require(withoutLf(body) == withoutLf(e.sequence), "sequence lines do not hold the sequence");
    std::size_t lineStart = 0;
    while (lineStart < body.size()) {
        const std::size_t lineEnd = body.find('\n', lineStart);
        const std::string_view line = body.substr(lineStart, lineEnd - lineStart);
        require(UnicodeText::graphemeCount(line) <= static_cast<std::size_t>(lineWidth),
                "a sequence line is wider than the line width");
        lineStart = lineEnd + 1;
    }
}

} // namespace

void fastaWriter(Input data) {
    if (data.empty())
        return;
    const int lineWidth = 1 + data[0] % 100;
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
    const std::vector<SequenceEntry> entries = recordsOf(bytes);

    const std::string fasta = FastaConverter::convert(entries, lineWidth);
    require(UnicodeText::isValidUtf8(fasta), "output is not UTF-8");
    std::size_t offset = 0;
    for (const SequenceEntry& e : entries) {
        const RecordView record = FastaConverter::viewOf(e);
        const LineWidth width(static_cast<std::size_t>(lineWidth));
        std::string one;
        FastaConverter::appendRecord(one, record, width);
        require(std::string_view(fasta).substr(offset, one.size()) == one,
                "convert differs from appendRecord");
        // Exactly the promised room: a write past it is a heap overflow the sanitizer sees.
        std::vector<char> room(FastaConverter::recordSizeBound(record, width));
        const auto layout = FastaConverter::writeRecord(room.data(), record, width);
        require(layout.end <= room.size() && std::string_view(room.data(), layout.end) == one,
                "writing in place differs from appending");
        checkRecordText(one, e, lineWidth);
        offset += one.size();
    }
    require(offset == fasta.size(), "convert wrote more than its records");
}

} // namespace pellacor::fuzz
