#pragma once

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

/// Turns the rows of a table into records, by the rule both readers share. Columns empty in
/// every row before the first that holds something are not counted. The first row is dropped
/// when it names the columns, and decides which columns give identifier, sequence and
/// description (`ColumnLayout`). A row without identifier or sequence gives no record, and is
/// counted; rows holding nothing at all are passed over. Records go to a sink as their rows
/// end, but for the first rows of a table whose first column is empty so far: those wait until
/// a row shows whether it is empty throughout.
class RecordBuilder {
public:
    /// Where the readers differ.
    struct Style {
        /// Delimited text trims line breaks from identifier and description as well; a sheet
        /// keeps them.
        bool trimsLineBreaks;
        /// Delimited text keeps a description that is present but empty; a sheet drops it.
        bool keepsEmptyDescription;
    };
    static constexpr Style delimitedStyle{true, true};
    static constexpr Style worksheetStyle{false, false};

    /// Most memory that rows may hold while the first column is empty in all of them; past
    /// it, the columns empty in all of those are taken to be empty throughout.
    static constexpr std::size_t defaultHoldingLimit = std::size_t(64) << 20;

    /// A builder for a table read in `style`, with the columns the user chose.
    explicit RecordBuilder(Style style, ColumnChoice choice = {},
                           std::size_t holdingLimit = defaultHoldingLimit);

    /// Takes the next row: its fields by column from column 1, and its number as a spreadsheet
    /// counts rows. Hands the records it completes to `sink`. `sequenceMayNeedCleaning` may be
    /// false when no field holds LF, CR, space or tab. Throws `ChoiceError` when the first row
    /// lacks a chosen column.
    void addRow(std::span<const std::string_view> fields, std::uint64_t row,
                bool sequenceMayNeedCleaning, const RecordSink& sink);
    /// Hands on the rows still waiting; call once, after the last row.
    void finish(const RecordSink& sink);

    /// How many records were made.
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

    // Decides the layout on `firstRow` (leading empty columns dropped).
    void decide(std::span<const std::string_view> firstRow);
    // Hands on the rows held so far, now that `leadingEmpty_` is known.
    void release(const RecordSink& sink);
    // The record of a row past the header, its leading empty columns dropped.
    void take(std::span<const std::string_view> fields, std::uint64_t row,
              bool sequenceMayNeedCleaning, const RecordSink& sink);

    Style style_;
    ColumnChoice choice_;
    std::size_t holdingLimit_;
    std::optional<ColumnLayout> layout_;
    TableFindings findings_;
    std::size_t records_ = 0;
    // Until the layout is decided: the fewest empty columns any row began with so far.
    std::optional<std::size_t> leadingEmpty_;
    std::vector<HeldRow> held_;
    std::string heldText_;
    std::vector<std::size_t> heldEnds_;
    // A cleaned sequence and a row number as identifier, kept here while the sink looks.
    std::string cleaned_;
    std::string rowName_;
};

} // namespace pellacor
