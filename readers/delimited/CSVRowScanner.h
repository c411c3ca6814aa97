#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Where a piece of delimited text stands in its table.
struct TablePlace {
    std::size_t line = 1; ///< the number of its first line
    std::size_t row = 1;  ///< the number a spreadsheet gives the row it starts
};

/// Splits delimited text into rows of fields, one non-blank line (or quoted run of lines) at a
/// time. A field whose first character other than space or tab is a quotation mark is quoted:
/// delimiters and line breaks inside belong to it and a doubled mark stands for one. The text
/// may be a piece of a longer table, cut after a line break: a row that runs past its end then
/// waits for the next piece.
class CSVRowScanner {
public:
    using Place = TablePlace;

    /// `text` must be valid UTF-8 and outlive the scanner. Unless `isFinal`, more of the table
    /// follows it, which starts at `start`.
    CSVRowScanner(std::string_view text, char delimiter, bool isFinal = true, Place start = {});

    /// Passes over lines that begin with one of `markers` (which must outlive the scanner) as
    /// if they were blank; none when empty.
    void skipLinesStartingWith(std::string_view markers) noexcept { commentMarkers_ = markers; }

    /// Moves to the next non-blank row; false at the end of the text, or at a row that runs
    /// past the end of a piece. Throws `ParserError` for a quoted field that never
    /// closes.
    bool nextRow();
    /// Where the text not yet taken into rows starts.
    std::size_t position() const noexcept { return pos_; }
    /// Where the text at `position()` stands.
    Place place() const noexcept { return {line_, row_}; }
    /// The number a spreadsheet gives the current row: line breaks inside quoted fields do not
    /// count, blank lines do.
    std::size_t rowNumber() const noexcept { return rowNumber_; }
    /// The fields of the current row; valid until the next call of `nextRow`.
    std::span<const std::string_view> fields() const noexcept { return views_; }
    /// The last line passed over as a comment, without its line break, and the row it stood
    /// on; empty when there was none. Valid while the text is.
    std::string_view lastComment() const noexcept { return lastComment_; }
    std::size_t lastCommentRow() const noexcept { return lastCommentRow_; }
    /// True when field 2 of the current row may hold LF, CR, space or tab.
    bool sequenceNeedsCleaning() const noexcept { return sequenceDirty_; }

private:
    struct Field {
        bool inBuffer;
        std::size_t begin;
        std::size_t length;
    };

    bool skipBlankLine();
    // Passes the line break at `pos_`; `endsRow` unless it is inside a quoted field.
    void consumeNewline(bool endsRow = true);
    std::size_t scanUnquoted(std::size_t pos, bool& dirty) const;
    // Past the closing quotation mark, or npos when the text ends first.
    std::size_t scanQuoted(std::size_t pos);

    std::string_view text_;
    char delimiter_;
    bool isFinal_;
    std::size_t pos_ = 0;
    std::size_t line_;
    std::size_t row_;
    std::size_t rowNumber_ = 0;
    std::string_view commentMarkers_;
    std::string_view lastComment_;
    std::size_t lastCommentRow_ = 0;
    std::vector<Field> rowFields_;
    std::vector<std::string_view> views_;
    std::string buffer_;
    bool sequenceDirty_ = false;
};

} // namespace pellacor
