#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// A column of a table as the user names it: its number from 1, the name in its header, or
/// none at all.
struct ColumnRef {
    enum class Kind { number, name, none };

    Kind kind = Kind::number;
    std::size_t number = 0; ///< from 1, with `Kind::number`
    std::string name;       ///< with `Kind::name`

    /// "3" is column 3, "none" is none, anything else a header name.
    static ColumnRef parse(std::string_view text);
    static ColumnRef column(std::size_t number) { return {Kind::number, number, {}}; }
    static ColumnRef nothing() { return {Kind::none, 0, {}}; }

    bool operator==(const ColumnRef&) const = default;
};

/// The columns the user chose for a record's parts. With none chosen, the table's header and
/// content decide; with any chosen, a part left out takes identifier column 1, sequence column
/// 2 and no description.
struct ColumnChoice {
    std::optional<ColumnRef> identifier;
    std::optional<ColumnRef> sequence;
    std::optional<ColumnRef> description;
    /// Sequence columns after the first: each row gives a record for each.
    std::vector<ColumnRef> moreSequences;
    /// Whether the first row names the columns; absent, the table tells.
    std::optional<bool> header;

    /// Sets the sequence columns from "3", "Forward,Reverse" or "3,4".
    void chooseSequences(std::string_view text);

    /// True when the user chose any column.
    bool isExplicit() const noexcept { return identifier || sequence || description; }

    bool operator==(const ColumnChoice&) const = default;
};

} // namespace pellacor
