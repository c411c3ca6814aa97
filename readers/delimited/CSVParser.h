#pragma once

#include "core/LineWidth.h"
#include "core/RecordView.h"
#include "core/SequenceEntry.h"
#include "files/FileError.h"
#include "readers/HeaderRow.h"
#include "readers/TableError.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads comma-, semicolon- or tab-separated tables: column 1 identifier, column 2 sequence,
/// optional column 3 description. Stateless; every operation is static.
class CSVParser {
public:
    CSVParser() = delete;

    /// What can go wrong with the text of a table, each with the message the user reads.
    class ParserError : public TableError {
    public:
        enum class Case {
            invalidFileFormat,
            missingRequiredColumns,
            emptyFile,
            unterminatedQuotedField,
            invalidEncoding,
            nulByte,
        };
        /// `line` is the 1-based line where an unterminated quoted field starts, or the row
        /// (as a spreadsheet counts) that holds a NUL byte or, with `byte`, the first byte
        /// that is not UTF-8.
        explicit ParserError(Case kind, std::size_t line = 0, int byte = -1);
        Case kind() const noexcept { return kind_; }
        std::size_t line() const noexcept { return line_; }
        bool operator==(const ParserError& other) const noexcept { return kind_ == other.kind_; }
        /// The user-facing message of `kind`; `byte` (0 to 255) for `invalidEncoding` when
        /// known, with its row in `line`.
        static std::string message(Case kind, std::size_t line = 0, int byte = -1);

    private:
        Case kind_;
        std::size_t line_;
    };

    struct Result {
        std::vector<SequenceEntry> entries;
        bool isTabDelimited = false;
    };

    static constexpr auto headerKeywords = HeaderRow::keywords;

    /// Reads the file at `file`. Throws `ParserError` or `FileError`; never returns partly.
    static Result parse(const std::filesystem::path& file);
    /// Reads table bytes already in memory; `fileName` decides the delimiter by its extension.
    static Result parseBytes(std::string_view bytes, std::string_view fileName);

    /// The delimiter: by extension (tsv/tab: tab, csv: comma), else by counting tabs, commas
    /// and semicolons in the first 5 lines of `text`.
    static char detectDelimiter(std::string_view fileName, std::string_view text);
    /// True when `detectDelimiter` picks the tab.
    static bool detectTabDelimiter(std::string_view fileName, std::string_view text);

    /// True when the first row of a table, `fields`, names its columns rather than holding data.
    static bool isHeaderRow(std::span<const std::string_view> fields) {
        return HeaderRow::test(fields);
    }

    /// The most bytes of FASTA text, at `width`, that the records of a table of `tableBytes`
    /// can render to. A record's text outgrows its row only by the line breaks of its
    /// sequence, and a row takes at least four bytes. Reserving this much costs address space,
    /// not memory: pages count only once written.
    static std::size_t fastaSizeBound(std::size_t tableBytes, LineWidth width) noexcept;
};

} // namespace pellacor
