#include "core/FastaConverter.h"

#include "core/HugePages.h"
#include "core/UnicodeText.h"

#include <cstring>

namespace pellacor {
namespace {

// Appends to a string that grows as needed (the converter's output).
class StringOutput {
public:
    explicit StringOutput(std::string& out) : out_(out), start_(out.size()) {}
    void put(char c) { out_ += c; }
    void put(std::string_view text) { out_.append(text); }
    // Room for `bytes` more, to be filled through the pointer.
    char* extend(std::size_t bytes) {
        const std::size_t at = out_.size();
        out_.resize(at + bytes);
        return out_.data() + at;
    }
    std::size_t written() const noexcept { return out_.size() - start_; }

private:
    std::string& out_;
    const std::size_t start_;
};

// Writes into memory the caller has made room in.
class PointerOutput {
public:
    explicit PointerOutput(char* out) : start_(out), at_(out) {}
    void put(char c) { *at_++ = c; }
    void put(std::string_view text) {
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    char* extend(std::size_t bytes) {
        char* const at = at_;
        at_ += bytes;
        return at;
    }
    std::size_t written() const noexcept { return static_cast<std::size_t>(at_ - start_); }

private:
    char* const start_;
    char* at_;
};

// A line break inside a header would turn the rest of it into sequence lines: each becomes a
// space. Returns false when one was replaced.
template <class Output> bool writeHeaderText(Output& out, std::string_view text) {
    bool verbatim = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = UnicodeText::newlineLengthAt(text, pos);
        if (nl == 0) {
            std::size_t next = pos + 1;
            while (next < text.size() && UnicodeText::newlineLengthAt(text, next) == 0)
                ++next;
            out.put(text.substr(pos, next - pos));
            pos = next;
            continue;
        }
        verbatim = false;
        out.put(' ');
        pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : nl;
    }
    return verbatim;
}

template <class Output>
FastaConverter::RecordLayout
writeRecordTo(Output& out, std::string_view identifier, std::string_view sequence,
              std::optional<std::string_view> description, int lineWidth) {
    FastaConverter::RecordLayout layout;
    out.put('>');
    layout.headerVerbatim = writeHeaderText(out, identifier);
    if (description && !description->empty()) {
        out.put(' ');
        layout.headerVerbatim &= writeHeaderText(out, *description);
    }
    out.put('\n');
    layout.sequenceStart = out.written();
    // An LF of the sequence's own could not be told from the ones that end its lines.
    layout.sequenceVerbatim =
        sequence.empty() || !std::memchr(sequence.data(), '\n', sequence.size());

    const auto width = static_cast<std::size_t>(lineWidth);
    // CR LF is one character, so only CR-free ASCII may be sliced by bytes.
    if (UnicodeText::isAscii(sequence) && sequence.find('\r') == std::string_view::npos) {
        const std::size_t lines = (sequence.size() + width - 1) / width;
        char* dst = out.extend(sequence.size() + lines);
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
    } else {
        while (!sequence.empty()) {
            const std::size_t bytes = UnicodeText::graphemePrefixBytes(sequence, width);
            out.put(sequence.substr(0, bytes));
            out.put('\n');
            sequence.remove_prefix(bytes);
        }
    }
    layout.end = out.written();
    return layout;
}

} // namespace

std::string FastaConverter::convert(const std::vector<SequenceEntry>& entries, int lineWidth) {
    std::size_t estimate = 0;
    for (const SequenceEntry& e : entries)
        estimate += recordSizeBound(e.identifier.size(), e.sequence.size(),
                                    e.description ? e.description->size() : 0, lineWidth);
    std::string out;
    HugePages::reserve(out, estimate);
    for (const SequenceEntry& e : entries)
        appendRecord(out, e.identifier, e.sequence, e.descriptionView(), lineWidth);
    return out;
}

std::size_t FastaConverter::recordSizeBound(std::size_t identifierBytes, std::size_t sequenceBytes,
                                            std::size_t descriptionBytes, int lineWidth) noexcept {
    const auto width = static_cast<std::size_t>(lineWidth);
    const std::size_t lines = (sequenceBytes + width - 1) / width;
    return 2 + identifierBytes + (descriptionBytes ? descriptionBytes + 1 : 0) + sequenceBytes +
           lines;
}

FastaConverter::RecordLayout
FastaConverter::appendRecord(std::string& out, std::string_view identifier,
                             std::string_view sequence, std::optional<std::string_view> description,
                             int lineWidth) {
    StringOutput output(out);
    return writeRecordTo(output, identifier, sequence, description, lineWidth);
}

FastaConverter::RecordLayout
FastaConverter::writeRecord(char* out, std::string_view identifier, std::string_view sequence,
                            std::optional<std::string_view> description, int lineWidth) {
    PointerOutput output(out);
    return writeRecordTo(output, identifier, sequence, description, lineWidth);
}

} // namespace pellacor
