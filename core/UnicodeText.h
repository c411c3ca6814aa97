#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellacor {

/// Character-level helpers over UTF-8 text. A "character" is a user-perceived character
/// (extended grapheme cluster); ASCII text takes a fast path that never reaches ICU.
class UnicodeText {
public:
    UnicodeText() = delete;

    /// True when every byte is below 0x80.
    static bool isAscii(std::string_view text) noexcept;
    /// True when `text` is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
    static bool isValidUtf8(std::string_view text) noexcept {
        return validUtf8Length(text) == text.size();
    }
    /// How many bytes at the start of `text` are well-formed UTF-8.
    static std::size_t validUtf8Length(std::string_view text) noexcept;

    /// Number of user-perceived characters in `text`, of any length.
    static std::size_t graphemeCount(std::string_view text);
    /// `graphemeCount`, handing ICU at most `windowBytes` at a time (exposed so that tests can
    /// place window seams where they like).
    static std::size_t graphemeCountInWindows(std::string_view text, std::size_t windowBytes);
    /// The most bytes handed to ICU at once: its UTF-8 text and strings take 32-bit lengths.
    static constexpr std::size_t icuWindowBytes = std::size_t(1) << 30;
    /// Byte length of the first `count` user-perceived characters (all of `text` if shorter).
    static std::size_t graphemePrefixBytes(std::string_view text, std::size_t count);

    /// Unicode lower-case mapping of `text`.
    static std::string toLower(std::string_view text);

    /// U+0009 or a space separator (general category Zs).
    static bool isWhiteSpace(char32_t c) noexcept;
    /// LF, VT, FF, CR, NEL, LINE SEPARATOR or PARAGRAPH SEPARATOR.
    static bool isNewline(char32_t c) noexcept;
    /// Letter or decimal digit.
    static bool isLetterOrDigit(char32_t c) noexcept;
    static bool isLowercase(char32_t c) noexcept;
    static bool isUppercase(char32_t c) noexcept;

    /// Byte length of the newline character starting at `text[pos]`, or 0 when there is none.
    static std::size_t newlineLengthAt(std::string_view text, std::size_t pos) noexcept;

    /// `text` without white-space characters (and, if asked, newline characters) at either end.
    static std::string_view trim(std::string_view text, bool alsoNewlines);

    /// Decodes the code point at `pos` (which must start one) and advances `pos` past it.
    /// Malformed bytes decode as U+FFFD one byte at a time.
    static char32_t decodeAt(std::string_view text, std::size_t& pos) noexcept;
    /// Appends the UTF-8 encoding of `c` to `out`.
    static void appendUtf8(std::string& out, char32_t c);
};

} // namespace pellacor
