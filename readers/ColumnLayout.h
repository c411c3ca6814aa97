#pragma once

#include "readers/ChoiceError.h"
#include "readers/ColumnChoice.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Which columns of a table give a record's parts, decided on its first row: by the user's
/// choice, or by the header when it names a sequence column elsewhere than column 2, or
/// column 1 identifier, 2 sequence, 3 description.
struct ColumnLayout {
    /// Column titles from the header row, trimmed, one per column; empty without a header.
    std::vector<std::string> names;
    /// How many columns the first row has.
    std::size_t columns = 0;
    /// Columns empty in every row before the first that holds something: not counted.
    std::size_t leadingEmpty = 0;
    /// True when the first row names the columns and gives no record.
    bool hasHeader = false;
    /// The columns used, counted from 0 after the leading empty ones. No identifier column
    /// means records are named by their row numbers.
    std::optional<std::size_t> identifier = 0;
    std::size_t sequence = 1;
    std::optional<std::size_t> description = 2;

    /// The layout for a table whose first row (leading empty columns dropped) is `firstRow`,
    /// a header when `isHeader`. Throws `ChoiceError` for a chosen column it lacks.
    static ColumnLayout decide(std::span<const std::string_view> firstRow, bool isHeader,
                               std::size_t leadingEmpty, const ColumnChoice& choice);

    /// The number the user knows column `index` by: as the table shows it, the leading empty
    /// columns counted. Every message, menu and option counts so.
    std::size_t number(std::size_t index) const noexcept { return leadingEmpty + index + 1; }
    /// Column `index` as the header names it, or "column N" as a spreadsheet counts.
    std::string title(std::size_t index) const;
    /// How a message names column `index`: its title in quotation marks, or "column N".
    std::string nameOf(std::size_t index) const;
    /// "Identifier: Entry · Sequence: Sequence · Description: Entry Name", with column numbers
    /// where there is no header.
    std::string describe() const;

    /// True when a header word list names a sequence column: "sequence", "seq", "sequences"
    /// or "seqs", and no identifier word.
    static bool isSequenceName(std::string_view title);
};

} // namespace pellacor
