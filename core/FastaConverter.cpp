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
    // Gives back the last `bytes` taken with `extend`.
    void retract(std::size_t bytes) { out_.resize(out_.size() - bytes); }
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
    void retract(std::size_t bytes) { at_ -= bytes; }
    std::size_t written() const noexcept { return static_cast<std::size_t>(at_ - start_); }

private:
    char* const start_;
    char* at_;
};

// True when none of `n` bytes is one that a byte-wise line copy would get wrong: a non-ASCII
// byte (characters span bytes and combine), a CR (CR LF is one character) or an LF (it would
// read as a line end). A branch-free loop, so that the compiler checks many bytes at a time.
bool isPlainAscii(const char* p, std::size_t n) noexcept {
    unsigned bad = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        bad |= static_cast<unsigned>(c >= 0x80) | static_cast<unsigned>(c == '\r') |
               static_cast<unsigned>(c == '\n');
    }
    return bad == 0;
}

// Copies `sequence` to `dst` in lines of `width` bytes, each ending in LF, while every byte is
// plain ASCII; false at the first line that is not (what was written is then garbage).
bool copyPlainLines(char* dst, std::string_view sequence, std::size_t width) noexcept {
    const char* src = sequence.data();
    std::size_t left = sequence.size();
    while (left > 0) {
        const std::size_t take = left < width ? left : width;
        if (!isPlainAscii(src, take))
            return false;
        std::memcpy(dst, src, take);
        dst[take] = '\n';
        dst += take + 1;
        src += take;
        left -= take;
    }
    return true;
}

// A line break inside a header would turn the rest of it into sequence lines: each becomes a
// space. Returns false when one was replaced.
template <class Output> bool writeHeaderText(Output& out, std::string_view text) {
    bool verbatim = true;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos]);
        // Only these bytes begin a line break: LF, VT, FF, CR, and the leads of NEL, LS and PS.
        const bool mayBreak = (b >= 0x0A && b <= 0x0D) || b == 0xC2 || b == 0xE2;
        const std::size_t nl = mayBreak ? UnicodeText::newlineLengthAt(text, pos) : 0;
        if (nl == 0) {
            ++pos;
            continue;
        }
        if (pos > runStart)
            out.put(text.substr(runStart, pos - runStart));
        verbatim = false;
        out.put(' ');
        pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : nl;
        runStart = pos;
    }
    if (text.size() > runStart)
        out.put(text.substr(runStart));
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
    const auto width = static_cast<std::size_t>(lineWidth);
    const std::size_t lines = (sequence.size() + width - 1) / width;
    // Most sequences are plain ASCII: each line is checked and copied while it is in cache,
    // one pass over the residues. Anything else starts over on the character-aware path.
    if (copyPlainLines(out.extend(sequence.size() + lines), sequence, width)) {
        layout.sequenceVerbatim = true;
    } else {
        out.retract(sequence.size() + lines);
        // An LF of the sequence's own could not be told from the ones that end its lines.
        layout.sequenceVerbatim = !std::memchr(sequence.data(), '\n', sequence.size());
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
        estimate += recordSizeBound(e, lineWidth);
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

std::size_t FastaConverter::recordSizeBound(const SequenceEntry& entry, int lineWidth) noexcept {
    return recordSizeBound(entry.identifier.size(), entry.sequence.size(),
                           entry.description ? entry.description->size() : 0, lineWidth);
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
