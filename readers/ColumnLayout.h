#pragma once

#include "readers/ChoiceError.h"
#include "readers/ColumnChoice.h"
#include "readers/TableProfile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// What the first rows of a table show, on which its layout is decided.
struct TableShape {
    /// The first row, leading empty columns dropped, and its number as a spreadsheet counts.
    std::span<const std::string_view> firstRow;
    std::uint64_t firstRowNumber = 1;
    /// Names from a "#" line directly above the first row with as many fields, "#" dropped.
    std::vector<std::string> commentNames;
    /// The most columns any row of the sample reaches.
    std::size_t columns = 0;
    std::size_t leadingEmpty = 0;
    /// The rows of the sample below the first, and all of them.
    const TableProfile* below = nullptr;
    const TableProfile* all = nullptr;
    /// True for a worksheet, whose columns may be named by letters ("C").
    bool acceptsLetters = false;
};

/// Which columns of a table give a record's parts, decided on its first rows: by the user's
/// choice; else by the header where it names a sequence column elsewhere than column 2; else
/// column 1 identifier, 2 sequence, 3 description, unless the rows show that column 2 holds
/// no sequences or column 1 only running numbers.
struct ColumnLayout {
    /// Column titles from the header row, trimmed, one per column; empty without a header.
    std::vector<std::string> names;
    /// How many columns the first rows reach.
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
    /// Further sequence columns: each row gives a record for each, after the one of `sequence`,
    /// its identifier followed by "_" and the column's title.
    std::vector<std::size_t> moreSequences;
    /// Every column whose values are mostly sequences, left to right: where there are several,
    /// a record for each may be what the user wants.
    std::vector<std::size_t> sequenceColumns;
    /// What was guessed from the table's content, in one line, when the layout is not the
    /// plain one (identifier column 1, sequence 2, description 3, header by its title words).
    std::string note;
    /// Guesses that remain unsure, each naming the option that settles it.
    std::vector<std::string> doubts;
    /// The first rows of the table as read (the header row among them), leading empty columns
    /// dropped, each cell cut to `previewCellBytes`: what a preview of the table shows.
    std::vector<std::vector<std::string>> preview;
    static constexpr std::size_t previewRows = 8;
    static constexpr std::size_t previewCellBytes = 200;

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
    /// The columns as a message lists them: “Entry”, “Sequence”; the first ten, and how many
    /// more.
    std::string list() const;

    /// True when a header word list names a sequence column: "sequence", "seq", "sequences"
    /// or "seqs", and no identifier word.
    static bool isSequenceName(std::string_view title);
    /// True when a title names an identifier: "id", "name", "accession" and the like.
    static bool isIdentifierName(std::string_view title);
    /// True when a title names a column of identifiers in a wider sense: also "oligo",
    /// "primer", "sample", "entry", "probe", "guide", "label".
    static bool isIdentifierLikeName(std::string_view title);
    /// True when a title names a description.
    static bool isDescriptionName(std::string_view title);
};

} // namespace pellacor
