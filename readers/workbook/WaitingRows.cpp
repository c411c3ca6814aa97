#include "readers/workbook/WaitingRows.h"

#include "readers/workbook/SharedStringsDelegate.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace pellacor {

void WaitingRows::noteReference(std::string_view value) {
    const std::optional<std::uint64_t> number = SharedStringTable::numberOf(value);
    if (!number)
        return;
    references_.push_back(*number);
    // A sheet names the same few entries over and over: repeats are dropped as the list
    // doubles, so it stays as long as the entries named.
    if (references_.size() >= 2 * referencesTidied_ + 4096) {
        std::sort(references_.begin(), references_.end());
        references_.erase(std::unique(references_.begin(), references_.end()), references_.end());
        referencesTidied_ = references_.size();
    }
}

std::vector<std::uint64_t> WaitingRows::referencedNumbers() {
    std::sort(references_.begin(), references_.end());
    references_.erase(std::unique(references_.begin(), references_.end()), references_.end());
    referencesTidied_ = references_.size();
    return references_;
}

void WaitingRows::keep(std::span<const SheetCell> cells, std::uint64_t row) {
    if (hasDropped_)
        return;
    std::uint64_t needs = 0;
    for (const SheetCell& cell : cells) {
        bytes_ += sizeof(SheetCell) + cell.ownText.capacity();
        cells_.push_back(cell);
        if (cell.awaitsTable)
            if (const auto number = SharedStringTable::numberOf(cell.ownText))
                needs = std::max(needs, *number + 1);
    }
    rowEnds_.push_back(cells_.size());
    rowNeeds_.push_back(needs);
    rowNumbers_.push_back(row);
    bytes_ += sizeof(std::size_t) + 2 * sizeof(std::uint64_t);
    if (bytes_ > limit_) {
        hasDropped_ = true;
        release();
    }
}

void WaitingRows::finishReady(const SharedStringTable& table, std::uint64_t itemsRead,
                              RowAssembler& rows) {
    if (hasDropped_)
        return;
    std::vector<SheetCell> row;
    for (; finished_ < rowEnds_.size() && rowNeeds_[finished_] <= itemsRead; ++finished_) {
        const std::size_t start = finished_ == 0 ? 0 : rowEnds_[finished_ - 1];
        const std::size_t end = rowEnds_[finished_];
        row.assign(std::make_move_iterator(cells_.begin() + std::ptrdiff_t(start)),
                   std::make_move_iterator(cells_.begin() + std::ptrdiff_t(end)));
        for (SheetCell& cell : row)
            resolve(cell, table);
        rows.finishRow(row, rowNumbers_[finished_]);
    }
}

void WaitingRows::finishAll(const SharedStringTable& table, RowAssembler& rows) {
    finishReady(table, std::numeric_limits<std::uint64_t>::max(), rows);
    release();
}

void WaitingRows::release() noexcept {
    cells_ = {};
    rowEnds_ = {};
    rowNeeds_ = {};
    rowNumbers_ = {};
    finished_ = 0;
    bytes_ = 0;
}

void WaitingRows::resolve(SheetCell& cell, const SharedStringTable& table) {
    if (!cell.awaitsTable)
        return;
    cell.awaitsTable = false;
    cell.shared = table.find(cell.ownText);
    if (cell.shared)
        cell.ownText = {};
    else if (cell.ownText.find("_x") != std::string::npos)
        cell.ownText = SharedStringsDelegate::decodeEscapes(cell.ownText);
}

} // namespace pellacor
