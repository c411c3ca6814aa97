#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pellacor {

/// What the first rows of a table hold, column by column: the evidence that decides the
/// header, the sequence and the identifier where no option and no title word does.
class TableProfile {
public:
    /// The first rows looked at: enough to judge a column, few enough to hold in memory.
    static constexpr std::size_t sampleRows = 2000;
    static constexpr std::size_t sampleBytes = std::size_t(4) << 20;
    /// Columns looked at: a row of a million empty fields is not a million columns to judge.
    static constexpr std::size_t profiledColumns = 4096;
    /// Share of a column's values that must be sequences for it to be a sequence column.
    static constexpr double sequenceShare = 0.8;

    /// One column's values below the header.
    struct Column {
        std::size_t values = 0;    ///< not empty
        std::size_t sequences = 0; ///< plausible sequences
        std::size_t nucleotides = 0; ///< sequences mostly of nucleotide letters
        std::size_t numbers = 0;
        bool isRunning = true; ///< each value a whole number one above the one before
        bool isUnique = true;
    };

    /// Notes one row of data (leading empty columns dropped). The profile keeps views of the
    /// values, to tell whether a column repeats one: they must outlive it. (Copies of a
    /// sample's sequences cost more than judging them.)
    void add(std::span<const std::string_view> row);

    std::size_t rows() const noexcept { return rows_; }
    /// Column `index`; an empty column when no row reaches it.
    const Column& column(std::size_t index) const noexcept;
    std::size_t columns() const noexcept { return columns_.size(); }
    /// True when most values of column `index` are sequences, and there are some.
    bool holdsSequences(std::size_t index) const noexcept;
    /// The share of column `index`'s values that are sequences, 0 when it has none.
    double sequenceShareOf(std::size_t index) const noexcept;
    /// True when every value of column `index` is a number, and there are some.
    bool holdsNumbers(std::size_t index) const noexcept;
    /// True when column `index` holds only running numbers or nothing.
    bool holdsRunningNumbers(std::size_t index) const noexcept;

    /// True when `value` reads as residues: at least six, all letters of nucleotides or amino
    /// acids, gaps or stops, in one case, with no blank inside; nucleotides mostly, unless it
    /// is long enough to be a peptide.
    static bool isSequence(std::string_view value) noexcept;
    /// True when `value` is a sequence mostly of the letters A, C, G, T, U and N.
    static bool isNucleotideSequence(std::string_view value) noexcept;
    /// True when column `index` holds sequences mostly of nucleotides.
    bool holdsNucleotides(std::size_t index) const noexcept;
    /// True when `value` is a number as a table writes one ("12", "-0.5", "3e4", "1,5").
    static bool isNumber(std::string_view value) noexcept;

private:
    struct Tally {
        Column column;
        std::optional<long long> last;
        std::unordered_set<std::string_view> seen;
    };
    std::vector<Tally> columns_;
    std::size_t rows_ = 0;
};

} // namespace pellacor
