#pragma once

#include "readers/workbook/RowAssembler.h"
#include "readers/workbook/SharedStringTable.h"
#include "readers/workbook/SheetCell.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pellacor {

/// The rows of a sheet read before its shared-string table, kept until the entries they name
/// have come, and the numbers of those entries. Rows that would hold more than a set number of
/// bytes are all dropped instead (`hasDropped`); the numbers are still gathered.
class WaitingRows {
public:
    /// Most memory that waiting rows may hold by default.
    static constexpr std::size_t defaultLimit = std::size_t(256) << 20;

    /// Rows may hold up to `limit` bytes.
    explicit WaitingRows(std::size_t limit = defaultLimit) noexcept : limit_(limit) {}

    /// Notes the shared-string number `value` names, if it is one.
    void noteReference(std::string_view value);
    /// The numbers noted, rising, without repeats.
    std::vector<std::uint64_t> referencedNumbers();

    /// Keeps a copy of `cells`, the spreadsheet's row `row`, unless rows were dropped; drops
    /// them all when the copy takes them past the limit.
    void keep(std::span<const SheetCell> cells, std::uint64_t row);
    /// True once rows were dropped at the limit: the sheet must be read again with the table.
    bool hasDropped() const noexcept { return hasDropped_; }

    /// Hands `rows` the kept rows, in order, whose cells all name entries among the first
    /// `itemsRead` of `table` (all of them when absent), resolved through it.
    void finishReady(const SharedStringTable& table, std::uint64_t itemsRead, RowAssembler& rows);
    /// Hands `rows` every kept row left, resolved through `table`, and lets go of their memory.
    void finishAll(const SharedStringTable& table, RowAssembler& rows);

    /// Resolves a cell that waited for the table through `table`.
    static void resolve(SheetCell& cell, const SharedStringTable& table);

private:
    // Lets go of the kept rows.
    void release() noexcept;

    std::size_t limit_;
    bool hasDropped_ = false;
    // Numbers named by waiting cells; sorted and rid of repeats now and then.
    std::vector<std::uint64_t> references_;
    std::size_t referencesTidied_ = 0;
    // Cells of the kept rows, row after row, and where each row ends.
    std::vector<SheetCell> cells_;
    std::vector<std::size_t> rowEnds_;
    // For each kept row, how many table entries must be there to resolve it: one past the
    // highest number it names.
    std::vector<std::uint64_t> rowNeeds_;
    std::vector<std::uint64_t> rowNumbers_;
    // Kept rows finished already, from the first.
    std::size_t finished_ = 0;
    std::size_t bytes_ = 0;
};

} // namespace pellacor
