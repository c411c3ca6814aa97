#pragma once

#include "files/TextSource.h"
#include "readers/RecordBuilder.h"

#include <functional>
#include <string_view>

namespace pellacor {

/// Reads delimited text from a source in one pass, a stretch of whole lines at a time, handing
/// its rows to a record builder: the memory it needs does not grow with the table.
class DelimitedTable {
public:
    DelimitedTable() = delete;

    /// Bytes scanned at a time, cut back to the last line break.
    static constexpr std::size_t stretchBytes = std::size_t(16) << 20;

    /// Reads all of `source`, a table named `fileName` (its extension may decide the
    /// delimiter), handing the records that `builder` makes of its rows to `sink`, and returns
    /// the delimiter. Throws
    /// `CSVParser::ParserError` (`emptyFile`, `missingRequiredColumns`,
    /// `unterminatedQuotedField`, `invalidEncoding`) or `FileError`; the builder may then have
    /// handed records on.
    /// Unless `validates`, the text is taken to be UTF-8, as `check` found it.
    static char read(TextSource& source, std::string_view fileName, RecordBuilder& builder,
                     const RecordSink& sink, bool validates = true);
    /// Reads all of `source` for everything `read` could fail on (no row, no record, bytes that
    /// are not UTF-8, a quoted field that never closes), without handing records on: a file
    /// checked so before its records go out fails whole or not at all. At memory speed past
    /// the first record where the text holds no quotation mark. The line an unterminated field
    /// is said to start on may be wrong: reading the table tells it.
    static void check(TextSource& source, std::string_view fileName);

private:
    // What scanning one stretch took: the bytes (whole rows; fewer than the stretch when a
    // row runs past it) and the number of the line after them.
    struct Taken {
        std::size_t bytes;
        std::size_t nextLine;
    };
    // Scans a stretch of whole lines (`isLast` for the end of the input) from line `line`.
    using StretchScan = std::function<Taken(std::string_view text, bool isLast, std::size_t line)>;

    // The delimiter, once the first lines are in the window and a byte-order mark dropped.
    static char start(TextSource& source, std::string_view fileName);
    // Hands `scan` the whole input, a stretch of whole lines at a time, each checked to be
    // UTF-8 first when it `validates`.
    static void walk(TextSource& source, const StretchScan& scan, bool validates);
    // Where the next stretch of `window` ends: after its last line break within `limit`
    // bytes, or the first beyond; 0 when the window holds no whole line yet.
    static std::size_t stretchEnd(std::string_view window, bool isComplete,
                                  std::size_t limit) noexcept;
};

} // namespace pellacor
