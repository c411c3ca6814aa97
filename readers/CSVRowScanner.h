#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Splits delimited text into rows of fields, one non-blank line (or quoted run of lines) at a
/// time. A field whose first character other than space or tab is a quotation mark is quoted:
/// delimiters and line breaks inside belong to it and a doubled mark stands for one. The text
/// may be a piece of a longer table, cut after a line break: a row that runs past its end then
/// waits for the next piece (`needsMoreText`).
class CSVRowScanner {
public:
    /// `text` must be valid UTF-8 and outlive the scanner. Unless `isFinal`, more of the table
    /// follows it; `firstLine` is the number of its first line.
    CSVRowScanner(std::string_view text, char delimiter, bool isFinal = true,
                  std::size_t firstLine = 1);

    /// Moves to the next non-blank row; false at the end of the text, or at a row that runs
    /// past the end of a piece. Throws `CSVParser::ParserError` for a quoted field that never
    /// closes.
    bool nextRow();
    /// True when `nextRow` stopped at a row that the next piece must complete: it starts at
    /// `position()` on line `line()`.
    bool needsMoreText() const noexcept { return needsMore_; }
    /// Where the text not yet taken into rows starts.
    std::size_t position() const noexcept { return pos_; }
    /// The number of the line at `position()`.
    std::size_t line() const noexcept { return line_; }
    /// The fields of the current row; valid until the next call of `nextRow`.
    std::span<const std::string_view> fields() const noexcept { return views_; }
    /// True when field 2 of the current row may hold LF, CR, space or tab.
    bool sequenceNeedsCleaning() const noexcept { return sequenceDirty_; }

private:
    struct Field {
        bool inBuffer;
        std::size_t begin;
        std::size_t length;
    };

    bool skipBlankLine();
    void consumeNewline();
    std::size_t scanUnquoted(std::size_t pos, bool& dirty) const;
    // Past the closing quotation mark, or npos when the text ends first.
    std::size_t scanQuoted(std::size_t pos);

    std::string_view text_;
    char delimiter_;
    bool isFinal_;
    bool needsMore_ = false;
    std::size_t pos_ = 0;
    std::size_t line_;
    std::vector<Field> rowFields_;
    std::vector<std::string_view> views_;
    std::string buffer_;
    bool sequenceDirty_ = false;
};

} // namespace pellacor
