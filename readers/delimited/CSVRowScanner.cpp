#include "readers/delimited/CSVRowScanner.h"

#include "core/UnicodeText.h"
#include "readers/delimited/FieldStopKernel.h"
#include "readers/delimited/ParserError.h"

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellacor {
namespace {

bool isNewlineLead(unsigned char b) noexcept {
    return (b >= 0x0A && b <= 0x0D) || b == 0xC2 || b == 0xE2;
}

#if defined(__SSE2__)
struct Sse2Ops {
    using Vector = __m128i;
    static constexpr std::size_t width = 16;
    static Vector splat(char c) noexcept { return _mm_set1_epi8(c); }
    static Vector load(const char* p) noexcept {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static Vector eq(Vector a, Vector b) noexcept { return _mm_cmpeq_epi8(a, b); }
    static Vector min(Vector a, Vector b) noexcept { return _mm_min_epu8(a, b); }
    static Vector orOf(Vector a, Vector b) noexcept { return _mm_or_si128(a, b); }
    static Vector andNot(Vector a, Vector b) noexcept { return _mm_andnot_si128(a, b); }
    static std::uint32_t mask(Vector a) noexcept {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(a));
    }
};
#endif

#if defined(PELLACOR_AVX2_KERNEL)
// The program itself is built for any x86-64; the wider kernel runs where the processor can.
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

// The next byte where an unquoted field may end (see `skipToFieldStop`), or the end of `text`:
// the widest kernel the processor has, then the narrower ones for the tail.
std::size_t nextStopCandidate(std::string_view text, std::size_t pos, char delimiter,
                              bool& dirty) noexcept {
    const std::size_t size = text.size();
    const char* data = text.data();
#if defined(PELLACOR_AVX2_KERNEL)
    // A stop in the last 32 bytes is found again by the narrower kernel.
    if (hasAvx2 && skipToFieldStopAvx2(data, size, pos, delimiter, dirty) && pos + 32 <= size)
        return pos;
#endif
#if defined(__SSE2__)
    if (skipToFieldStop<Sse2Ops>(data, size, pos, delimiter, dirty))
        return pos;
#endif
    for (; pos < size; ++pos) {
        const auto b = static_cast<unsigned char>(data[pos]);
        if (b == static_cast<unsigned char>(delimiter))
            return pos;
        if (b == ' ' || b == '\t')
            dirty = true;
        else if (isNewlineLead(b))
            return pos;
    }
    return size;
}

} // namespace

CSVRowScanner::CSVRowScanner(std::string_view text, char delimiter, bool isFinal, Place start)
    : text_(text), delimiter_(delimiter), isFinal_(isFinal), line_(start.line), row_(start.row) {}

bool CSVRowScanner::nextRow() {
    while (pos_ < text_.size() && skipBlankLine()) {
    }
    if (pos_ >= text_.size())
        return false;
    const std::size_t rowStart = pos_;
    const std::size_t rowLine = line_;
    const std::size_t row = row_;
    // A row that the end of a piece cuts short is taken again, whole, from the next piece.
    const auto waitForMore = [&] {
        pos_ = rowStart;
        line_ = rowLine;
        row_ = row;
        return false;
    };
    rowNumber_ = row;

    rowFields_.clear();
    buffer_.clear();
    sequenceDirty_ = false;
    for (;;) {
        std::size_t start = pos_;
        // Blanks before an opening quotation mark; a tab is a blank only when it is no delimiter.
        while (start < text_.size() &&
               (text_[start] == ' ' || (text_[start] == '\t' && delimiter_ != '\t')))
            ++start;
        bool dirty = false;
        std::size_t end;
        if (start < text_.size() && text_[start] == '"') {
            const std::size_t bufferBegin = buffer_.size();
            const std::size_t startLine = line_;
            const std::size_t afterQuote = scanQuoted(start + 1);
            if (afterQuote == std::string_view::npos) {
                if (!isFinal_)
                    return waitForMore();
                throw ParserError(ParserError::Case::unterminatedQuotedField, startLine);
            }
            // Whatever follows the closing mark up to the delimiter is kept as it stands.
            end = scanUnquoted(afterQuote, dirty);
            buffer_.append(text_.substr(afterQuote, end - afterQuote));
            rowFields_.push_back({true, bufferBegin, buffer_.size() - bufferBegin});
            if (rowFields_.size() == 2) {
                const std::string_view value(buffer_.data() + bufferBegin,
                                             buffer_.size() - bufferBegin);
                dirty = value.find_first_of(" \t\r\n") != std::string_view::npos;
            }
        } else {
            end = scanUnquoted(pos_, dirty);
            rowFields_.push_back({false, pos_, end - pos_});
        }
        if (rowFields_.size() == 2)
            sequenceDirty_ = dirty;
        pos_ = end;
        if (pos_ < text_.size() && text_[pos_] == delimiter_) {
            ++pos_;
            continue;
        }
        if (pos_ < text_.size())
            consumeNewline();
        else if (!isFinal_)
            return waitForMore();
        break;
    }

    views_.clear();
    for (const Field& f : rowFields_)
        views_.push_back(f.inBuffer ? std::string_view(buffer_).substr(f.begin, f.length)
                                    : text_.substr(f.begin, f.length));
    return true;
}

bool CSVRowScanner::skipBlankLine() {
    std::size_t p = pos_;
    if (!commentMarkers_.empty() && commentMarkers_.find(text_[p]) != std::string_view::npos) {
        // A comment runs to the end of its line, quotation marks and all.
        while (p < text_.size() && UnicodeText::newlineLengthAt(text_, p) == 0)
            ++p;
        lastComment_ = text_.substr(pos_, p - pos_);
        lastCommentRow_ = row_;
        pos_ = p;
        if (p >= text_.size())
            return false;
        consumeNewline();
        return true;
    }
    while (p < text_.size()) {
        const char c = text_[p];
        if (c == ' ' || c == '\t') {
            ++p;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x80)
            break;
        std::size_t next = p;
        if (!UnicodeText::isWhiteSpace(UnicodeText::decodeAt(text_, next)))
            break;
        p = next;
    }
    if (p >= text_.size()) {
        pos_ = p;
        return false;
    }
    if (UnicodeText::newlineLengthAt(text_, p) == 0)
        return false;
    pos_ = p;
    consumeNewline();
    return true;
}

void CSVRowScanner::consumeNewline(bool endsRow) {
    const std::size_t length = UnicodeText::newlineLengthAt(text_, pos_);
    const bool crlf = text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
    pos_ += crlf ? 2 : length;
    ++line_;
    row_ += endsRow;
}

std::size_t CSVRowScanner::scanUnquoted(std::size_t pos, bool& dirty) const {
    const std::size_t size = text_.size();
    for (;;) {
        pos = nextStopCandidate(text_, pos, delimiter_, dirty);
        if (pos >= size)
            return size;
        if (text_[pos] == delimiter_ || UnicodeText::newlineLengthAt(text_, pos))
            return pos;
        ++pos; // a lead byte of some other character
    }
}

std::size_t CSVRowScanner::scanQuoted(std::size_t pos) {
    std::size_t chunk = pos;
    while (pos < text_.size()) {
        const char c = text_[pos];
        if (c == '"') {
            buffer_.append(text_.substr(chunk, pos - chunk));
            if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
                buffer_ += '"';
                pos += 2;
                chunk = pos;
                continue;
            }
            return pos + 1;
        }
        if (isNewlineLead(static_cast<unsigned char>(c))) {
            const std::size_t length = UnicodeText::newlineLengthAt(text_, pos);
            if (length) {
                // Line breaks inside the field join its lines with one LF.
                buffer_.append(text_.substr(chunk, pos - chunk));
                buffer_ += '\n';
                const std::size_t saved = pos_;
                pos_ = pos;
                consumeNewline(false);
                pos = pos_;
                pos_ = saved;
                chunk = pos;
                continue;
            }
        }
        ++pos;
    }
    return std::string_view::npos;
}

} // namespace pellacor
