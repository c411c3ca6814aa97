#pragma once

#include "core/SequenceEntry.h"
#include "readers/HeaderRow.h"
#include "readers/delimited/DelimiterGuess.h"
#include "readers/delimited/ParserError.h"

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads a whole comma-, semicolon- or tab-separated table into records: column 1 identifier,
/// column 2 sequence, optional column 3 description. A front for those who want the records in
/// memory; `DelimitedTable` does the reading, `DelimiterGuess` picks the delimiter. Stateless;
/// every operation is static.
class CSVParser {
public:
    CSVParser() = delete;

    /// What can go wrong with the text of a table.
    using ParserError = pellacor::ParserError;

    struct Result {
        std::vector<SequenceEntry> entries;
        bool isTabDelimited = false;
    };

    static constexpr auto headerKeywords = HeaderRow::keywords;

    /// Reads the file at `file`. Throws `ParserError` or `FileError`; never returns partly.
    static Result parse(const std::filesystem::path& file);
    /// Reads table bytes already in memory; `fileName` decides the delimiter by its extension.
    static Result parseBytes(std::string_view bytes, std::string_view fileName);

    /// The delimiter `DelimiterGuess` picks for `text`, a table named `fileName`.
    static char detectDelimiter(std::string_view fileName, std::string_view text) {
        return DelimiterGuess::of(fileName, text);
    }
    /// True when `detectDelimiter` picks the tab.
    static bool detectTabDelimiter(std::string_view fileName, std::string_view text) {
        return detectDelimiter(fileName, text) == '\t';
    }

    /// True when the first row of a table, `fields`, names its columns rather than holding data.
    static bool isHeaderRow(std::span<const std::string_view> fields) {
        return HeaderRow::test(fields);
    }
};

} // namespace pellacor
