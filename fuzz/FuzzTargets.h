#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace pellacor::fuzz {

/// A reader or the writer broke a promise about its output; `what()` says which.
class InvariantViolation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

using Input = std::span<const std::uint8_t>;

/// Runs the delimited reader on `data`; the first byte picks the file name (.csv, .tsv, .txt).
/// Throws `InvariantViolation` when a record or an error is not what the reader promises.
void delimitedReader(Input data);
/// Renders records cut from `data` (first byte: line width) and checks the FASTA text.
void fastaWriter(Input data);
/// Runs the shared-strings reader on the XML after the first byte (which says where the
/// document is split for a second, piecewise run) and checks the strings.
void sharedStrings(Input data);
/// Runs the worksheet reader on XML as `sharedStrings` does and checks the records.
void worksheet(Input data);
/// Runs the OpenDocument content reader on XML as `sharedStrings` does and checks the records,
/// the tables and any refusal.
void odsContent(Input data);
/// Reads `data` as workbook bytes; checks the records or the error, and the cleanup.
void workbookReader(Input data);

/// Throws `InvariantViolation` with `what` unless `condition` holds.
inline void require(bool condition, const std::string& what) {
    if (!condition)
        throw InvariantViolation(what);
}

} // namespace pellacor::fuzz
