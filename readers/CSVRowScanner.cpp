#include "readers/CSVRowScanner.h"

#include "core/UnicodeText.h"
#include "readers/CSVParser.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellacor {
namespace {

bool isNewlineLead(unsigned char b) noexcept {
    return (b >= 0x0A && b <= 0x0D) || b == 0xC2 || b == 0xE2;
}

} // namespace

CSVRowScanner::CSVRowScanner(std::string_view text, char delimiter)
    : text_(text), delimiter_(delimiter) {}

bool CSVRowScanner::nextRow() {
    while (pos_ < text_.size() && skipBlankLine()) {
    }
    if (pos_ >= text_.size())
        return false;

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
            const std::size_t afterQuote = scanQuoted(start + 1);
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

void CSVRowScanner::consumeNewline() {
    const std::size_t length = UnicodeText::newlineLengthAt(text_, pos_);
    const bool crlf = text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
    pos_ += crlf ? 2 : length;
    ++line_;
}

std::size_t CSVRowScanner::scanUnquoted(std::size_t pos, bool& dirty) const {
    const std::size_t size = text_.size();
    const char* data = text_.data();
#if defined(__SSE2__)
    const __m128i delimiter = _mm_set1_epi8(delimiter_);
    const __m128i controlLimit = _mm_set1_epi8(0x0D);
    const __m128i lead2 = _mm_set1_epi8(static_cast<char>(0xC2));
    const __m128i lead3 = _mm_set1_epi8(static_cast<char>(0xE2));
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    while (pos + 16 <= size) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        // Bytes up to 0x0D cover tab, LF, VT, FF and CR; C2 and E2 may start NEL, LS or PS.
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, controlLimit), block);
        const __m128i isTab = _mm_cmpeq_epi8(block, tab);
        const __m128i stop = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(block, delimiter), _mm_andnot_si128(isTab, control)),
            _mm_or_si128(_mm_cmpeq_epi8(block, lead2), _mm_cmpeq_epi8(block, lead3)));
        const unsigned allStops = static_cast<unsigned>(_mm_movemask_epi8(stop));
        const unsigned blankMask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, space), isTab)));
        if (allStops == 0) {
            dirty |= blankMask != 0;
            pos += 16;
            continue;
        }
        const unsigned first = static_cast<unsigned>(__builtin_ctz(allStops));
        dirty |= (blankMask & ((1u << first) - 1u)) != 0;
        pos += first;
        const auto b = static_cast<unsigned char>(data[pos]);
        if (b == static_cast<unsigned char>(delimiter_) || UnicodeText::newlineLengthAt(text_, pos))
            return pos;
        ++pos; // a lead byte of some other character
    }
#endif
    while (pos < size) {
        const auto b = static_cast<unsigned char>(data[pos]);
        if (b == static_cast<unsigned char>(delimiter_))
            return pos;
        if (b == ' ' || b == '\t') {
            dirty = true;
        } else if (isNewlineLead(b) && UnicodeText::newlineLengthAt(text_, pos)) {
            return pos;
        }
        ++pos;
    }
    return pos;
}

std::size_t CSVRowScanner::scanQuoted(std::size_t pos) {
    const std::size_t startLine = line_;
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
                consumeNewline();
                pos = pos_;
                pos_ = saved;
                chunk = pos;
                continue;
            }
        }
        ++pos;
    }
    throw CSVParser::ParserError(CSVParser::ParserError::Case::unterminatedQuotedField, startLine);
}

} // namespace pellacor
