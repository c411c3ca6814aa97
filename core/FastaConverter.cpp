#include "core/FastaConverter.h"

#include "core/HugePages.h"
#include "core/UnicodeText.h"

#include <cstring>

namespace pellacor {

std::string FastaConverter::convert(const std::vector<SequenceEntry>& entries, int lineWidth) {
    std::size_t estimate = 0;
    for (const SequenceEntry& e : entries)
        estimate += asciiRecordSize(e.identifier.size(), e.sequence.size(),
                                    e.description ? e.description->size() : 0, lineWidth);
    std::string out;
    HugePages::reserve(out, estimate);
    for (const SequenceEntry& e : entries)
        appendRecord(out, e.identifier, e.sequence,
                     e.description ? std::optional<std::string_view>(*e.description)
                                   : std::nullopt,
                     lineWidth);
    return out;
}

std::size_t FastaConverter::asciiRecordSize(std::size_t identifierBytes,
                                            std::size_t sequenceBytes,
                                            std::size_t descriptionBytes, int lineWidth) noexcept {
    const auto width = static_cast<std::size_t>(lineWidth);
    const std::size_t lines = (sequenceBytes + width - 1) / width;
    return 2 + identifierBytes + (descriptionBytes ? descriptionBytes + 1 : 0) + sequenceBytes +
           lines;
}

void FastaConverter::appendRecord(std::string& out, std::string_view identifier,
                                  std::string_view sequence,
                                  std::optional<std::string_view> description, int lineWidth) {
    out += '>';
    appendHeaderText(out, identifier);
    if (description && !description->empty()) {
        out += ' ';
        appendHeaderText(out, *description);
    }
    out += '\n';
    if (sequence.empty())
        return;

    const auto width = static_cast<std::size_t>(lineWidth);
    // CR LF is one character, so only CR-free ASCII may be sliced by bytes.
    if (UnicodeText::isAscii(sequence) && sequence.find('\r') == std::string_view::npos) {
        const std::size_t lines = (sequence.size() + width - 1) / width;
        const std::size_t start = out.size();
        out.resize(start + sequence.size() + lines);
        char* dst = out.data() + start;
        const char* src = sequence.data();
        std::size_t left = sequence.size();
        while (left > 0) {
            const std::size_t take = left < width ? left : width;
            std::memcpy(dst, src, take);
            dst[take] = '\n';
            dst += take + 1;
            src += take;
            left -= take;
        }
        return;
    }
    while (!sequence.empty()) {
        const std::size_t bytes = UnicodeText::graphemePrefixBytes(sequence, width);
        out.append(sequence.substr(0, bytes));
        out += '\n';
        sequence.remove_prefix(bytes);
    }
}

void FastaConverter::appendHeaderText(std::string& out, std::string_view text) {
    // A line break inside a header would turn the rest of it into sequence lines.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = UnicodeText::newlineLengthAt(text, pos);
        if (nl == 0) {
            std::size_t next = pos + 1;
            while (next < text.size() && UnicodeText::newlineLengthAt(text, next) == 0)
                ++next;
            out.append(text.substr(pos, next - pos));
            pos = next;
            continue;
        }
        out += ' ';
        pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : nl;
    }
}

} // namespace pellacor
