#include "core/FastaConverter.h"

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

// Copies `sequence` to `dst` in lines of `width` bytes, each ending in LF, while every byte is
// plain ASCII; false at the first stretch that is not (what was written is then garbage). A
// byte that a byte-wise copy would get wrong is one past ASCII (characters span bytes and
// combine), a CR (CR LF is one character) or an LF (it would read as a line end). The bytes
// are checked a stretch of whole lines at a time, by a loop without branches that the compiler
// turns into vector steps, and the stretch copied while it is in cache.
#if defined(__GNUC__) || defined(__clang__)
[[gnu::always_inline]]
#endif
inline bool
copyPlainLinesBody(char* dst, std::string_view sequence, std::size_t width) noexcept {
    constexpr std::size_t stretchBytes = 16 << 10;
    const std::size_t linesPerStretch = width >= stretchBytes ? 1 : stretchBytes / width;
    const char* src = sequence.data();
    std::size_t left = sequence.size();
    while (left > 0) {
        const std::size_t stretch = linesPerStretch > left / width ? left : linesPerStretch * width;
        // Byte-wide flags keep the vectors as wide as they can be.
        unsigned char bad = 0;
        for (std::size_t i = 0; i < stretch; ++i) {
            const auto c = static_cast<unsigned char>(src[i]);
            bad |= static_cast<unsigned char>(c | ((c == '\r' || c == '\n') ? 0x80 : 0));
        }
        if (bad & 0x80)
            return false;
        for (std::size_t done = 0; done < stretch; done += width) {
            const std::size_t take = stretch - done < width ? stretch - done : width;
            std::memcpy(dst, src + done, take);
            dst[take] = '\n';
            dst += take + 1;
        }
        src += stretch;
        left -= stretch;
    }
    return true;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same loop 32 bytes a step where the processor has AVX2; the program is built for any
// x86-64.
__attribute__((target("avx2"))) bool copyPlainLinesAvx2(char* dst, std::string_view sequence,
                                                        std::size_t width) noexcept {
    return copyPlainLinesBody(dst, sequence, width);
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

bool copyPlainLines(char* dst, std::string_view sequence, std::size_t width) noexcept {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (hasAvx2)
        return copyPlainLinesAvx2(dst, sequence, width);
#endif
    return copyPlainLinesBody(dst, sequence, width);
}

// A line break inside a header would turn the rest of it into sequence lines: each becomes a
// space. Returns false when one was replaced.
template <class Output> bool writeHeaderText(Output& out, std::string_view text) {
    // Most headers hold none of the bytes that can begin a line break; one branch-free pass
    // tells, and they are copied whole.
    unsigned char mayBreakAnywhere = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        mayBreakAnywhere |=
            static_cast<unsigned char>((b >= 0x0A && b <= 0x0D) || b == 0xC2 || b == 0xE2);
    }
    if (!mayBreakAnywhere) {
        out.put(text);
        return true;
    }
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

// The sequence lines of a record, each ending in LF. True when removing every LF from them
// gives the sequence back.
template <class Output>
bool writeSequenceTo(Output& out, std::string_view sequence, LineWidth lineWidth) {
    bool verbatim = false;
    const std::size_t width = lineWidth.characters();
    const std::size_t lines = lineWidth.linesFor(sequence.size());
    // Most sequences are plain ASCII: each line is checked and copied while it is in cache,
    // one pass over the residues. Anything else starts over on the character-aware path.
    if (copyPlainLines(out.extend(sequence.size() + lines), sequence, width)) {
        verbatim = true;
    } else {
        out.retract(sequence.size() + lines);
        // An LF of the sequence's own could not be told from the ones that end its lines.
        verbatim = !std::memchr(sequence.data(), '\n', sequence.size());
        while (!sequence.empty()) {
            const std::size_t bytes = UnicodeText::graphemePrefixBytes(sequence, width);
            out.put(sequence.substr(0, bytes));
            out.put('\n');
            sequence.remove_prefix(bytes);
        }
    }
    return verbatim;
}

template <class Output>
FastaConverter::RecordLayout writeRecordTo(Output& out, const RecordView& record,
                                           LineWidth lineWidth) {
    FastaConverter::RecordLayout layout;
    out.put('>');
    layout.headerVerbatim = writeHeaderText(out, record.identifier);
    if (record.description && !record.description->empty()) {
        out.put(' ');
        layout.headerVerbatim &= writeHeaderText(out, *record.description);
    }
    out.put('\n');
    layout.sequenceStart = out.written();
    layout.sequenceVerbatim = writeSequenceTo(out, record.sequence, lineWidth);
    layout.end = out.written();
    return layout;
}

} // namespace

std::string FastaConverter::convert(const std::vector<SequenceEntry>& entries, int lineWidth) {
    return convert(entries, LineWidth(static_cast<std::size_t>(lineWidth)));
}

std::string FastaConverter::convert(const std::vector<SequenceEntry>& entries, LineWidth width) {
    std::size_t estimate = 0;
    for (const SequenceEntry& e : entries)
        estimate += recordSizeBound(viewOf(e), width);
    std::string out;
    out.reserve(estimate);
    for (const SequenceEntry& e : entries)
        appendRecord(out, viewOf(e), width);
    return out;
}

std::size_t FastaConverter::recordSizeBound(std::size_t identifierBytes, std::size_t sequenceBytes,
                                            std::size_t descriptionBytes,
                                            LineWidth width) noexcept {
    return 2 + identifierBytes + (descriptionBytes ? descriptionBytes + 1 : 0) + sequenceBytes +
           width.linesFor(sequenceBytes);
}

std::size_t FastaConverter::recordSizeBound(const RecordView& record, LineWidth width) noexcept {
    return recordSizeBound(record.identifier.size(), record.sequence.size(),
                           record.description ? record.description->size() : 0, width);
}

std::size_t FastaConverter::tableSizeBound(std::size_t tableBytes, LineWidth width) noexcept {
    return tableBytes + width.linesFor(tableBytes) + tableBytes / 3 + 64;
}

FastaConverter::RecordLayout
FastaConverter::appendRecord(std::string& out, const RecordView& record, LineWidth width) {
    StringOutput output(out);
    return writeRecordTo(output, record, width);
}

FastaConverter::RecordLayout FastaConverter::writeRecord(char* out, const RecordView& record,
                                                         LineWidth width) {
    PointerOutput output(out);
    return writeRecordTo(output, record, width);
}

std::size_t FastaConverter::writeSequence(char* out, std::string_view sequence, LineWidth width) {
    PointerOutput output(out);
    writeSequenceTo(output, sequence, width);
    return output.written();
}

} // namespace pellacor
