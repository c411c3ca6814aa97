#pragma once

#include "core/RecordView.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pellacor {

/// Turns the rows of a table into records, by the rule both readers share: a first row that
/// names the columns is dropped; column 1 gives the identifier, column 2 the sequence without
/// LF, CR, space and tab, column 3 the description; a row without identifier or sequence
/// gives none.
class RecordBuilder {
public:
    /// Where the readers differ.
    struct Style {
        /// Delimited text trims line breaks from identifier and description as well; a sheet
        /// keeps them.
        bool trimsLineBreaks;
        /// Delimited text keeps a description that is present but empty; a sheet drops it.
        bool keepsEmptyDescription;
        /// In a sheet, rows holding no value (written for their formatting) do not use up the
        /// header test; in delimited text the first row does, whatever it holds.
        bool headerNeedsValue;
    };
    static constexpr Style delimitedStyle{true, true, false};
    static constexpr Style worksheetStyle{false, false, true};

    /// A builder for a table read in `style`.
    explicit RecordBuilder(Style style) noexcept : style_(style) {}

    /// The record of the next row, given as its fields by column from column 1, or nothing
    /// (the header, or no identifier or sequence). Its views live until the next call.
    /// `sequenceMayNeedCleaning` may be false when column 2 surely holds no LF, CR, space or
    /// tab.
    std::optional<RecordView> recordOf(std::span<const std::string_view> fields,
                                       bool sequenceMayNeedCleaning = true);

    /// True once a row has taken the header test.
    bool hasTestedHeader() const noexcept { return hasTestedHeader_; }
    /// How many records were made.
    std::size_t records() const noexcept { return records_; }

    /// `text` without LF, CR, space and tab anywhere.
    static std::string cleanSequence(std::string_view text);
    /// True when `text` holds LF, CR, space or tab.
    static bool needsCleaning(std::string_view text) noexcept;

private:
    Style style_;
    bool hasTestedHeader_ = false;
    std::size_t records_ = 0;
    // A cleaned sequence, kept here while the sink looks at it.
    std::string cleaned_;
};

} // namespace pellacor
