#include "readers/workbook/RowAssembler.h"

#include <algorithm>

namespace pellacor {

void RowAssembler::finishRow(std::span<const SheetCell> cells, std::uint64_t row) {
    std::size_t width = 0;
    for (const SheetCell& cell : cells)
        width = std::max(width, cell.column);
    std::vector<std::string_view> texts(std::min(width, maximumColumns));
    // A later cell at the same place wins, as it would on screen. A cell that ends after a
    // row started inside it has no place (column 0) and must not index before the first.
    for (const SheetCell& cell : cells)
        if (cell.column >= 1 && cell.column <= texts.size())
            texts[cell.column - 1] = cell.value();
    builder_.addRow(texts, row, true, [this](const RecordView& record) { hand(record); });
}

void RowAssembler::finish() {
    builder_.finish([this](const RecordView& record) { hand(record); });
}

} // namespace pellacor
