#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// A workbook's shared strings by their numbers: all of them, or only those that a sheet names,
/// so that a table of a hundred million entries costs memory only for the few a sheet uses.
class SharedStringTable {
public:
    /// An empty table.
    SharedStringTable() = default;
    /// Every entry: `all[i]` has number i.
    explicit SharedStringTable(std::vector<std::string> all) : texts_(std::move(all)) {}
    /// The entries `texts`, numbered by `numbers` (rising, as long as `texts`).
    SharedStringTable(std::vector<std::uint64_t> numbers, std::vector<std::string> texts);

    /// Adds the entry numbered `number`, past every number added before.
    void append(std::uint64_t number, std::string text);
    /// Makes room for `entries` entries.
    void reserve(std::size_t entries) { texts_.reserve(entries); }

    /// The entry numbered `number`, or null when the table has none.
    const std::string* find(std::uint64_t number) const noexcept;
    /// The entry numbered as the cell text `value` says ("12"; a sign may lead), or null when
    /// it is no plain decimal integer or the table has no such entry.
    const std::string* find(std::string_view value) const noexcept;

    /// How many entries the table holds.
    std::size_t size() const noexcept { return texts_.size(); }
    /// The entries' texts in the order of their numbers.
    const std::vector<std::string>& texts() const noexcept { return texts_; }

    /// The number that the cell text `value` gives, if it is a plain decimal integer from 0.
    static std::optional<std::uint64_t> numberOf(std::string_view value) noexcept;

private:
    bool listsNumbers_ = false;          // false while entry i has number i
    std::vector<std::uint64_t> numbers_; // the entries' numbers, when listed
    std::vector<std::string> texts_;
};

} // namespace pellacor
