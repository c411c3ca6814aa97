#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace pellacor {

/// The diagnostic lines written after every successful conversion, each starting "DEBUG: ".
/// Lengths count user-perceived characters; a dash is "-".
class ConversionTrace {
public:
    ConversionTrace() = delete;

    /// How many records get a line of their own.
    static constexpr std::size_t detailedEntries = 3;

    /// What the trace tells of one record: its identifier, and its sequence's length and dashes
    /// (kept instead of the sequence, which may be gigabytes).
    struct EntryDetail {
        std::string identifier;
        std::size_t length = 0;
        std::size_t dashes = 0;

        static EntryDetail of(std::string_view identifier, std::string_view sequence);
    };

    /// The record lines: the total, then one line for each of the first three records.
    static std::string entryLines(std::size_t totalEntries,
                                  std::span<const EntryDetail> firstEntries);
    /// The output lines: length and dashes of `fasta`, then its first 200 characters.
    static std::string fastaLines(std::string_view fasta);

    /// Counts a FASTA text that passes in pieces, for the output lines. Each piece must end
    /// where a record ends, so that no character is split between two.
    class FastaCounter {
    public:
        /// Counts the next piece.
        void add(std::string_view piece);
        /// The output lines of everything added, as `fastaLines` writes them.
        std::string lines() const;

    private:
        std::size_t characters_ = 0;
        std::size_t dashes_ = 0;
        std::string excerpt_; // the first 200 characters
        std::size_t excerptCharacters_ = 0;
    };
};

} // namespace pellacor
