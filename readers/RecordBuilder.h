#pragma once

#include "core/PieceBuffer.h"
#include "core/RecordView.h"
#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"
#include "readers/TableFindings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Turns the rows of a table into records, by the rule both readers share. The first rows (a
/// bounded sample, `TableProfile`) wait while they decide which columns give identifier,
/// sequence and description (`ColumnLayout`), and whether the first row names the columns
/// and is dropped. Columns empty in every row of the sample before the first that holds
/// something are not counted. A row without identifier or sequence gives no record, and is
/// counted; rows holding nothing at all are passed over.
class RecordBuilder {
public:
    /// Where the readers differ.
    struct Style {
        /// Delimited text trims line breaks from identifier and description as well; a sheet
        /// keeps them.
        bool trimsLineBreaks;
        /// Delimited text keeps a description that is present but empty; a sheet drops it.
        bool keepsEmptyDescription;
        /// A sheet's columns may be chosen by their letters.
        bool namesColumnsByLetter;
    };
    static constexpr Style delimitedStyle{true, true, false};
    static constexpr Style worksheetStyle{false, false, true};

    /// How fields are cut further than the reader cuts them.
    enum class Split {
        asRead,
        /// As the sample shows: where every row is a name, a run of tabs and a sequence, empty
        /// fields are dropped (with `tabRuns`); where every row is one field of the same number
        /// of words, runs of blanks part them.
        guessed,
        /// Every run of spaces and tabs parts fields.
        whitespace,
    };
    /// Most memory that rows may hold while the first column is empty in all of them; past
    /// it, the columns empty in all of those are taken to be empty throughout.
    static constexpr std::size_t defaultHoldingLimit = std::size_t(64) << 20;

    /// A builder for a table read in `style`, with the columns the user chose.
    explicit RecordBuilder(Style style, ColumnChoice choice = {},
                           std::size_t holdingLimit = defaultHoldingLimit);

    /// Takes the next row: its fields by column from column 1, and its number as a spreadsheet
    /// counts rows. Hands the records it completes to `sink`. `sequenceMayNeedCleaning` may be
    /// false when no field holds LF, CR, space or tab. Throws `ChoiceError` when the sample
    /// lacks a chosen column.
    void addRow(std::span<const std::string_view> fields, std::uint64_t row,
                bool sequenceMayNeedCleaning, const RecordSink& sink);
    /// Hands on the rows still waiting; call once, after the last row.
    void finish(const RecordSink& sink);
    /// Notes a line written as a comment, cut into `fields`, at row `row`: directly above the
    /// first row and as wide, it names the columns.
    void comment(std::span<const std::string_view> fields, std::uint64_t row);
    /// Sets how fields are cut further, `tabRuns` where tabs delimit; before the first row.
    void setSplit(Split split, bool tabRuns = false) noexcept {
        split_ = split;
        guessesTabRuns_ = tabRuns;
    }

    /// How many records were made.
    /// A builder for a later piece of the same table, read on another thread: the layout
    /// decided here, no records yet, findings as `TableFindings::forLaterPiece`. Only once
    /// `isSettled`.
    RecordBuilder continued() const;
    /// True once the layout is decided and no row waits: the rows to come can be read in
    /// pieces, each by a builder `continued` from this one.
    bool isSettled() const noexcept { return layout_.has_value() && held_.empty(); }
    /// Takes in what `piece`, continued from this builder over the rows right after these,
    /// made and found; `identifiers` are its records' identifiers with their rows, in order,
    /// for the repeats this builder's findings still look for.
    void absorb(const RecordBuilder& piece,
                std::span<const std::pair<std::string_view, std::uint64_t>> identifiers);

    std::size_t records() const noexcept { return records_; }
    /// The columns used, once the first row has decided them.
    const std::optional<ColumnLayout>& layout() const noexcept { return layout_; }
    /// What was noticed about the rows.
    const TableFindings& findings() const noexcept { return findings_; }

    /// `text` without LF, CR, space and tab anywhere.
    static std::string cleanSequence(std::string_view text);
    /// True when `text` holds LF, CR, space or tab.
    static bool needsCleaning(std::string_view text) noexcept;

private:
    // A row waiting for the leading empty columns to be known: its fields in `heldText_`.
    struct HeldRow {
        std::size_t firstField; // into `heldEnds_`
        std::size_t fields;
        std::uint64_t row;
        bool mayNeedCleaning;
    };

    // A row as addRow takes it.
    struct Row {
        std::span<const std::string_view> fields;
        std::uint64_t row;
        bool mayNeedCleaning;
    };
    // Decides the layout on the rows held and `last`, and hands them on.
    void settle(const Row* last, const RecordSink& sink);
    // Decides the layout on the sample `rows` (leading empty columns dropped).
    void decide(const std::vector<std::vector<std::string_view>>& rows,
                const std::vector<std::uint64_t>& numbers);
    // The records of a row past the header, its leading empty columns dropped.
    void take(std::span<const std::string_view> fields, std::uint64_t row,
              bool sequenceMayNeedCleaning, const RecordSink& sink);
    // `fields` cut as `split_` says, in `scratch`.
    std::span<const std::string_view> cut(std::span<const std::string_view> fields,
                                          std::vector<std::string_view>& scratch) const;

    Style style_;
    ColumnChoice choice_;
    std::size_t holdingLimit_;
    std::optional<ColumnLayout> layout_;
    TableFindings findings_;
    std::size_t records_ = 0;
    // Until the layout is decided: the fewest empty columns any row began with so far.
    std::optional<std::size_t> leadingEmpty_;
    Split split_ = Split::asRead;
    bool guessesTabRuns_ = false;
    bool dropsEmptyFields_ = false;
    std::vector<std::string_view> cutFields_;
    // The last comment line before the first row, and its row.
    std::vector<std::string> commentNames_;
    std::uint64_t commentRow_ = 0;
    std::vector<HeldRow> held_;
    PieceBuffer heldText_;
    std::vector<std::size_t> heldEnds_;
    // A cleaned sequence and a made identifier, kept here while the sink looks.
    std::string cleaned_;
    std::string rowName_;
    std::string madeName_;
};

} // namespace pellacor
