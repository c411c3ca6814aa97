#pragma once

#include "readers/TableError.h"

#include <cstddef>
#include <string>

namespace pellacor {

/// What can go wrong with the text of a delimited table, each with the message the user reads.
/// Also spelled `CSVParser::ParserError`.
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
    /// `line` is the 1-based line where an unterminated quoted field starts, or the row (as a
    /// spreadsheet counts) that holds a NUL byte or, with `byte`, the first byte that is not
    /// UTF-8.
    explicit ParserError(Case kind, std::size_t line = 0, int byte = -1);
    /// With `detail`, what was found, after the message of `kind`.
    ParserError(Case kind, std::size_t line, const std::string& detail);
    Case kind() const noexcept { return kind_; }
    std::size_t line() const noexcept { return line_; }
    bool operator==(const ParserError& other) const noexcept { return kind_ == other.kind_; }
    /// The user-facing message of `kind`; `byte` (0 to 255) for `invalidEncoding` when known,
    /// with its row in `line`.
    static std::string message(Case kind, std::size_t line = 0, int byte = -1);

private:
    Case kind_;
    std::size_t line_;
};

} // namespace pellacor
