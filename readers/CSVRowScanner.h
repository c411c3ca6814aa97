#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Splits delimited text into rows of fields, one non-blank line (or quoted run of lines) at a
/// time. A field whose first character other than space or tab is a quotation mark is quoted:
/// delimiters and line breaks inside belong to it and a doubled mark stands for one.
class CSVRowScanner {
public:
    /// `text` must be valid UTF-8 and outlive the scanner.
    CSVRowScanner(std::string_view text, char delimiter);

    /// Moves to the next non-blank row; false at the end of the text. Throws
    /// `CSVParser::ParserError` for a quoted field that never closes.
    bool nextRow();
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
    std::size_t scanQuoted(std::size_t pos);

    std::string_view text_;
    char delimiter_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::vector<Field> rowFields_;
    std::vector<std::string_view> views_;
    std::string buffer_;
    bool sequenceDirty_ = false;
};

} // namespace pellacor
