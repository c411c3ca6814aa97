#pragma once

#include "core/RecordView.h"
#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"
#include "readers/RecordBuilder.h"
#include "readers/TableFindings.h"
#include "readers/workbook/SheetCell.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pellacor {

/// Puts a sheet's cells, as they come in any order, into rows by column and hands the records
/// that the worksheet rules make of each row to a sink: cells in, records out, whatever format
/// the sheet was read from.
class RowAssembler {
public:
    /// The widest sheet a spreadsheet can hold (column XFD); cells placed further are ignored.
    static constexpr std::size_t maximumColumns = 16384;

    /// Hands each record to `sink` as it is made; without one, records are dropped.
    void setRecordSink(RecordSink sink) { sink_ = std::move(sink); }
    /// Reads the record's parts from the columns the user chose; before the first row.
    void setColumnChoice(ColumnChoice choice) {
        builder_ = RecordBuilder(RecordBuilder::worksheetStyle, std::move(choice));
    }

    /// Starts a new open row, with no cells.
    void startRow() noexcept { cells_.clear(); }
    /// Adds `cell` to the open row; a later cell at the same column wins.
    void addCell(SheetCell cell) { cells_.push_back(std::move(cell)); }
    /// The open row's cells, in the order added: to copy, or to resolve in place.
    std::span<SheetCell> cells() noexcept { return cells_; }
    /// Makes the record of the open row, the spreadsheet's row `row`. The row stays open: cells
    /// added before the next `startRow` join it, and it may end again.
    void endRow(std::uint64_t row) { finishRow(cells_, row); }
    /// Makes the record of a row given whole, `cells`, apart from the open row.
    void finishRow(std::span<const SheetCell> cells, std::uint64_t row);
    /// Hands on the rows still waiting to see whether the first column is empty throughout.
    void finish();

    /// The columns the records were made of, once the first row has decided them.
    const std::optional<ColumnLayout>& layout() const noexcept { return builder_.layout(); }
    /// What was noticed about the rows.
    const TableFindings& findings() const noexcept { return builder_.findings(); }

private:
    // Where records go.
    void hand(const RecordView& record) {
        if (sink_)
            sink_(record);
    }

    std::vector<SheetCell> cells_;
    RecordBuilder builder_{RecordBuilder::worksheetStyle};
    RecordSink sink_;
};

} // namespace pellacor
