#include "readers/delimited/ParserError.h"

namespace pellacor {

ParserError::ParserError(Case kind, std::size_t line, int byte)
    : TableError(message(kind, line, byte)), kind_(kind), line_(line) {}

ParserError::ParserError(Case kind, std::size_t line, const std::string& detail)
    : TableError(detail.empty() ? message(kind, line) : message(kind, line) + " " + detail),
      kind_(kind), line_(line) {}

std::string ParserError::message(Case kind, std::size_t line, int byte) {
    switch (kind) {
    case Case::invalidFileFormat:
        return "Invalid file format. File must contain at least 2 columns (identifier and "
               "sequence).";
    case Case::missingRequiredColumns:
        return "Missing required columns. File must have at least identifier and sequence "
               "columns.";
    case Case::emptyFile:
        return "The file is empty or contains no valid data.";
    case Case::unterminatedQuotedField:
        return "Unterminated quoted field starting on line " + std::to_string(line) + ".";
    case Case::invalidEncoding: {
        // Most such files are Windows exports of text with one accented letter or symbol.
        if (byte < 0 || line == 0)
            return "The file is not valid UTF-8 text. Save it as UTF-8, or read it with "
                   "--encoding windows-1252.";
        static constexpr char hex[] = "0123456789ABCDEF";
        const std::string value = {'0', 'x', hex[(byte >> 4) & 0xF], hex[byte & 0xF]};
        return "The file is not valid UTF-8 text. Row " + std::to_string(line) +
               " holds the byte " + value +
               ", which UTF-8 does not allow there. Save it as UTF-8, or read it with "
               "--encoding windows-1252.";
    }
    case Case::nulByte:
        return "The file is not text: row " + std::to_string(line) +
               " holds a NUL byte, which no text table has. Save the table as CSV or TSV and "
               "try again.";
    }
    return {};
}

} // namespace pellacor
