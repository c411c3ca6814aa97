#pragma once

#include "core/HugePages.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// What a careful reader notices about a table while it makes records, and tells the user
/// without changing a byte of the output: rows that gave nothing, a sequence column that holds
/// no sequences, identifiers used twice.
class TableFindings {
public:
    /// Row numbers named in the message about skipped rows.
    static constexpr std::size_t namedRows = 5;
    /// Values of the sequence column looked at to judge it.
    static constexpr std::size_t judgedValues = 2000;
    /// Identifiers remembered in search of a repeat: the table stays within a few megabytes
    /// and in cache; repeats past that many rows go unnoticed.
    static constexpr std::size_t rememberedIdentifiers = std::size_t(1) << 17;

    /// Notes row `row` skipped for want of an identifier or a sequence.
    void skipped(std::uint64_t row);
    /// Notes the value a row holds in the sequence column, as it stands in the table.
    void sequenceValue(std::string_view value, std::uint64_t row);
    /// Notes a record's identifier.
    void identifier(std::string_view identifier, std::uint64_t row);
    /// Notes records' identifiers, with their rows, in order: as `identifier` for each.
    void identifiers(std::span<const std::pair<std::string_view, std::uint64_t>> identifiers);
    /// Names the sequence column for the warning about it.
    void setSequenceColumn(std::string name) { sequenceColumn_ = std::move(name); }

    /// How many rows were skipped.
    std::uint64_t skippedRows() const noexcept { return skippedCount_; }
    /// Repeated identifiers named in the warning about them.
    static constexpr std::size_t namedRepeats = 3;

    /// "3 rows skipped (no identifier or sequence): 5, 9, 12", with "and 2,495 more" after
    /// the rows named when there are more; or nothing.
    std::optional<std::string> skippedMessage() const;
    /// The warnings about the sequence column and repeated identifiers.
    std::vector<std::string> warnings() const;

    /// Findings for a piece of the same table read on another thread, past the rows judged:
    /// they note skipped rows only, `append` replaying the rest in order.
    TableFindings forLaterPiece() const;
    /// Adds what `later`, made by `forLaterPiece` over the rows after these, noted.
    void append(const TableFindings& later);
    /// True once as many sequence values were judged as ever will be.
    bool judgedEnough() const noexcept { return judged_ >= judgedValues; }
    /// True while identifiers are still looked at for repeats.
    bool looksForRepeats() const noexcept { return !stoppedLooking_; }

    /// True when `value`, a cell as written, cannot be residues: a number, words parted by
    /// spaces, or characters other than letters for nucleotides and amino acids, gaps and
    /// stops.
    static bool isImplausibleSequence(std::string_view value) noexcept;

private:
    void note(std::string_view identifier, std::uint64_t hash, std::uint64_t row);
    std::span<std::uint64_t> slotTable() const noexcept {
        return {reinterpret_cast<std::uint64_t*>(seen_.data()), slotCount};
    }

    std::uint64_t skippedCount_ = 0;
    std::vector<std::uint64_t> skippedRows_;
    std::string sequenceColumn_ = "column 2";
    std::size_t judged_ = 0;
    std::size_t implausible_ = 0;
    std::optional<std::pair<std::uint64_t, std::string>> implausibleExample_;
    // Identifier hashes in an open-addressed table (0 marks a free slot), made at the first,
    // of room for every identifier remembered, at most half full.
    static constexpr std::size_t slotCount = 2 * rememberedIdentifiers;
    HugePages seen_;
    std::size_t seenCount_ = 0;
    bool stoppedLooking_ = false;
    // Identifiers seen again (each counted once), and the first few with the row of their
    // first repeat.
    std::uint64_t repeatedCount_ = 0;
    std::vector<std::pair<std::string, std::uint64_t>> repeated_;
};

} // namespace pellacor
