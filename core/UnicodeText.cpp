#include "core/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/casemap.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace pellacor {
namespace {

constexpr std::uint64_t highBits = 0x8080808080808080ULL;

// How many bytes at the start of `text` are ASCII: 32, then 8 bytes at a time, since ordinary
// tables are almost all ASCII.
std::size_t asciiPrefixLength(std::string_view text) noexcept {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    for (std::uint64_t words[4]; i + 32 <= n; i += 32) {
        std::memcpy(words, p + i, 32);
        if ((words[0] | words[1] | words[2] | words[3]) & highBits)
            break;
    }
    for (std::uint64_t word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, 8);
        if (word & highBits)
            break;
    }
    while (i < n && !(static_cast<unsigned char>(p[i]) & 0x80))
        ++i;
    return i;
}

// One character iterator per thread: creating one costs far more than using it.
icu::BreakIterator& characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || !it)
            throw std::runtime_error("ICU could not create a character break iterator.");
        return it;
    }();
    return *iterator;
}

// Where a window of ICU text may end: at most `limit` bytes in, never inside a code point.
std::size_t windowEnd(std::string_view text, std::size_t limit) noexcept {
    if (limit >= text.size())
        return text.size();
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return end > 0 ? end : limit;
}

// Walks grapheme clusters from the start of `text` until `count` have passed: returns the byte
// length of those clusters (the whole length when `count` is past the end) and sets `counted`.
// ICU's UTF-8 text takes 32-bit offsets, so longer text goes in windows of `windowBytes`. The
// break after the last code point of a window is unknown until the next one is seen: each
// window is walked up to its last inner boundary and the next starts there, a true boundary,
// from which the rules (which look back only within a cluster, and at pairs of regional
// indicators) decide as they would have on the whole text.
std::size_t walkGraphemes(std::string_view text, std::size_t count, std::size_t& counted,
                          std::size_t windowBytes) {
    counted = 0;
    std::size_t base = 0;
    while (base < text.size() && counted < count) {
        const std::string_view rest = text.substr(base);
        const std::size_t length = windowEnd(rest, windowBytes);
        const bool isLast = length == rest.size();
        UErrorCode status = U_ZERO_ERROR;
        UText* ut = utext_openUTF8(nullptr, rest.data(), static_cast<int64_t>(length), &status);
        if (U_FAILURE(status))
            throw std::runtime_error("ICU could not open the text.");
        std::unique_ptr<UText, decltype(&utext_close)> owner(ut, &utext_close);
        icu::BreakIterator& it = characterIterator();
        it.setText(ut, status);
        if (U_FAILURE(status))
            throw std::runtime_error("ICU could not segment the text.");
        std::size_t inner = 0;
        for (int32_t next = it.next(); next != icu::BreakIterator::DONE; next = it.next()) {
            const auto boundary = static_cast<std::size_t>(next);
            if (!isLast && boundary == length)
                break;
            inner = boundary;
            if (++counted == count)
                break;
        }
        // Leave the shared iterator pointing at nothing we are about to free.
        it.setText(icu::UnicodeString());
        if (isLast || counted == count)
            return base + inner;
        // One cluster longer than a window: its end is taken as a boundary, the best there is.
        if (inner == 0) {
            inner = length;
            ++counted;
        }
        base += inner;
    }
    return base;
}

// Counts clusters in ASCII text: every byte is one, except that CR LF is one.
std::size_t asciiGraphemeCount(std::string_view text) noexcept {
    // CR is rare, so jumping from one to the next beats looking at every byte.
    std::size_t n = text.size();
    if (n == 0)
        return 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))))
        if (++p < end && *p == '\n')
            --n;
    return n;
}

} // namespace

bool UnicodeText::isAscii(std::string_view text) noexcept {
    return asciiPrefixLength(text) == text.size();
}

std::size_t UnicodeText::validUtf8Length(std::string_view text) noexcept {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while ((i += asciiPrefixLength(text.substr(i))) < n) {
        UChar32 c;
        int32_t pos = 0;
        const int32_t len = static_cast<int32_t>(std::min<std::size_t>(n - i, 4));
        U8_NEXT(s + i, pos, len, c);
        if (c < 0)
            return i;
        i += static_cast<std::size_t>(pos);
    }
    return n;
}

std::size_t UnicodeText::graphemeCount(std::string_view text) {
    return graphemeCountInWindows(text, icuWindowBytes);
}

std::size_t UnicodeText::graphemeCountInWindows(std::string_view text, std::size_t windowBytes) {
    // Between two ASCII characters there is always a boundary, but inside CR LF: an ASCII
    // character joins no mark and no other character but a preceding prefix mark, which is not
    // ASCII. So ASCII stretches are counted byte by byte, and ICU only sees each stretch of
    // other characters, from the ASCII character before it (which a mark may join) to the
    // first sure boundary after it. One Greek letter in a table of gigabytes costs nothing.
    const auto isAsciiAt = [&](std::size_t i) {
        return !(static_cast<unsigned char>(text[i]) & 0x80);
    };
    std::size_t total = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t other = pos + asciiPrefixLength(text.substr(pos));
        if (other == text.size())
            return total + asciiGraphemeCount(text.substr(pos));
        // The character before may combine with what follows, unless it is a line break.
        std::size_t start = other;
        if (other > pos && text[other - 1] != '\n' && text[other - 1] != '\r')
            --start;
        total += asciiGraphemeCount(text.substr(pos, start - pos));
        std::size_t end = other + 1;
        while (end + 1 < text.size() && !(isAsciiAt(end) && isAsciiAt(end + 1) &&
                                          !(text[end] == '\r' && text[end + 1] == '\n')))
            ++end;
        // A boundary lies between `end` and `end + 1`, or the text ends.
        end = std::min(end + 1, text.size());
        std::size_t counted = 0;
        walkGraphemes(text.substr(start, end - start), static_cast<std::size_t>(-1), counted,
                      windowBytes);
        total += counted;
        pos = end;
    }
    return total;
}

std::size_t UnicodeText::graphemePrefixBytes(std::string_view text, std::size_t count) {
    // No character is shorter than a byte: asked for as many, the text is all of them.
    if (count >= text.size())
        return text.size();
    // `count` ASCII characters take at most 2 * count bytes; one byte more shows that nothing
    // combines with the last of them. So only that window decides, however long the text.
    const std::size_t window = count > (text.size() - 1) / 2 ? text.size() : 2 * count + 1;
    if (isAscii(text.substr(0, window))) {
        // Only CR LF, one character of two bytes, makes ASCII bytes and characters differ.
        if (!std::memchr(text.data(), '\r', count))
            return count;
        std::size_t bytes = 0;
        for (std::size_t seen = 0; seen < count && bytes < text.size(); ++seen)
            bytes +=
                (text[bytes] == '\r' && bytes + 1 < text.size() && text[bytes + 1] == '\n') ? 2 : 1;
        return bytes;
    }
    std::size_t counted = 0;
    const std::size_t bytes = walkGraphemes(text, count, counted, icuWindowBytes);
    return counted < count ? text.size() : bytes;
}

std::string UnicodeText::toLower(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        for (char& ch : out)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        return out;
    }
    std::string out;
    // ICU strings hold at most 2^31 units; longer text is lowered a window at a time.
    while (!text.empty()) {
        const std::size_t length = windowEnd(text, icuWindowBytes);
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(length)))
            .toLower(icu::Locale::getRoot())
            .toUTF8String(out);
        text.remove_prefix(length);
    }
    return out;
}

bool UnicodeText::isWhiteSpace(char32_t c) noexcept {
    return c == U'\t' || (c >= 0x20 && u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR);
}

bool UnicodeText::isNewline(char32_t c) noexcept {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool UnicodeText::isLetterOrDigit(char32_t c) noexcept {
    if (c < 0x80)
        return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    return u_isalpha(static_cast<UChar32>(c)) || u_isdigit(static_cast<UChar32>(c));
}

bool UnicodeText::isLowercase(char32_t c) noexcept {
    return c < 0x80 ? (c >= 'a' && c <= 'z') : u_islower(static_cast<UChar32>(c));
}

bool UnicodeText::isUppercase(char32_t c) noexcept {
    return c < 0x80 ? (c >= 'A' && c <= 'Z') : u_isupper(static_cast<UChar32>(c));
}

std::size_t UnicodeText::newlineLengthAt(std::string_view text, std::size_t pos) noexcept {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b >= 0x0A && b <= 0x0D)
        return 1;
    if (b == 0xC2 && pos + 1 < text.size() && static_cast<unsigned char>(text[pos + 1]) == 0x85)
        return 2;
    if (b == 0xE2 && pos + 2 < text.size() && static_cast<unsigned char>(text[pos + 1]) == 0x80) {
        const auto third = static_cast<unsigned char>(text[pos + 2]);
        if (third == 0xA8 || third == 0xA9)
            return 3;
    }
    return 0;
}

std::string_view UnicodeText::trim(std::string_view text, bool alsoNewlines) {
    auto strip = [alsoNewlines](char32_t c) {
        return isWhiteSpace(c) || (alsoNewlines && isNewline(c));
    };
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t next = begin;
        if (!strip(decodeAt(text, next)))
            break;
        begin = next;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Step back to the first byte of the last code point.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 &&
               end - start < 4)
            --start;
        std::size_t probe = start;
        if (!strip(decodeAt(text, probe)) || probe != end)
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

char32_t UnicodeText::decodeAt(std::string_view text, std::size_t& pos) noexcept {
    const auto first = static_cast<unsigned char>(text[pos]);
    if (first < 0x80) {
        ++pos;
        return first;
    }
    UChar32 c;
    int32_t i = 0;
    const int32_t len = static_cast<int32_t>(std::min<std::size_t>(text.size() - pos, 4));
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data() + pos), i, len, c);
    pos += static_cast<std::size_t>(i);
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

void UnicodeText::appendUtf8(std::string& out, char32_t c) {
    char buffer[4];
    int32_t len = 0;
    UBool error = false;
    U8_APPEND(reinterpret_cast<uint8_t*>(buffer), len, 4, static_cast<UChar32>(c), error);
    if (error) {
        out += "\xEF\xBF\xBD";
        return;
    }
    out.append(buffer, static_cast<std::size_t>(len));
}

} // namespace pellacor
