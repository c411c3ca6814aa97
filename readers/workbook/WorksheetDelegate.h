#pragma once

#include "core/RecordView.h"
#include "core/SequenceEntry.h"
#include "readers/RecordBuilder.h"
#include "readers/workbook/SharedStringTable.h"
#include "readers/workbook/XmlDelegate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads one worksheet part row by row into records: column 1 identifier, column 2 sequence,
/// optional column 3 description. A cell's column comes from its reference ("C7" is column 3);
/// shared-string cells are resolved through the table given at construction, or through one
/// that comes later, so that the sheet can be read while the table is still being read.
class WorksheetDelegate : public XmlDelegate {
public:
    /// One cell of the row being read, placed by its column (1 for A).
    struct Cell {
        std::size_t column;
        std::string ownText;                 ///< the value, unless it is a shared string
        const std::string* shared = nullptr; ///< the shared-string entry it refers to, if any
        /// True for a shared-string cell read before the table came: `ownText` is its index
        /// text, undecoded.
        bool awaitsTable = false;
        /// The cell's value.
        std::string_view value() const noexcept { return shared ? *shared : ownText; }
    };

    /// The widest sheet a spreadsheet can hold (column XFD); cells placed further are ignored.
    static constexpr std::size_t maximumColumns = 16384;
    /// Most memory that rows may hold while they wait for the shared-string table.
    static constexpr std::size_t defaultWaitingLimit = std::size_t(256) << 20;

    /// A reader that resolves shared-string cells through `sharedStrings`.
    explicit WorksheetDelegate(std::vector<std::string> sharedStrings);
    /// A reader that resolves shared-string cells through `table`.
    explicit WorksheetDelegate(SharedStringTable table);
    /// A reader whose table comes later, through `resolveSharedStrings`: the sheet is read
    /// first, so that only the entries it names need be kept of the table. Until then the rows
    /// ended wait as they are, since the header test needs their resolved values. Rows that
    /// would hold more than `waitingLimit` bytes are dropped instead (`hasDroppedRows`): the
    /// numbers they name are still gathered, and the sheet must then be read again.
    static WorksheetDelegate awaitingSharedStrings(std::size_t waitingLimit = defaultWaitingLimit);

    /// Hands each record to `sink` as it is made, instead of appending it to `entries`.
    void setRecordSink(RecordSink sink) { sink_ = std::move(sink); }
    /// Reads the record's parts from the columns the user chose; before the first row.
    void setColumnChoice(ColumnChoice choice) {
        builder_ = RecordBuilder(RecordBuilder::worksheetStyle, std::move(choice));
    }
    /// Hands on the rows still waiting to see whether the first column is empty throughout;
    /// done by itself when the sheet's root element ends and no table is awaited.
    void finish();
    /// The columns the records were made of, once the first row has decided them.
    const std::optional<ColumnLayout>& layout() const noexcept { return builder_.layout(); }
    /// What was noticed about the rows.
    const TableFindings& findings() const noexcept { return builder_.findings(); }

    /// Takes the table of a reader made by `awaitingSharedStrings`, between any two events:
    /// the rows kept so far become records, and the rest of the sheet resolves as it is read.
    void resolveSharedStrings(SharedStringTable table);
    void resolveSharedStrings(std::vector<std::string> table) {
        resolveSharedStrings(SharedStringTable(std::move(table)));
    }
    /// Finishes the waiting rows, in order, whose shared-string cells all name entries among the
    /// first `itemsRead` of a table still being read, resolved through `table` as it stands: the
    /// rows go out while the rest of the table is unpacked.
    void finishRowsReadyIn(const SharedStringTable& table, std::uint64_t itemsRead);
    /// The shared-string numbers that the cells read while awaiting the table name, rising,
    /// without repeats.
    std::vector<std::uint64_t> referencedNumbers();
    /// True when waiting rows were dropped at the limit: the sheet must be read again with the
    /// table, by a fresh reader.
    bool hasDroppedRows() const noexcept { return hasDroppedRows_; }

    /// The records read so far, in row order.
    std::vector<SequenceEntry> entries;
    /// Resolved cells of the row being read, in document order.
    std::vector<Cell> currentRow;
    /// Text collected for the current cell from <v>.
    std::string currentValue;
    /// The <t> texts of the current cell's inline string (<is>), which is its value if it has
    /// one, whatever its <v> says.
    std::string inlineValue;
    /// True once the current cell has an inline string.
    bool hasInlineString = false;
    /// The current cell's "t" attribute; absent when it has none.
    std::optional<std::string> currentCellType;
    /// Column of the cell last placed in this row; 0 before the first.
    std::size_t previousColumn = 0;
    /// True inside a <v> element.
    bool isInValue = false;
    /// True inside an inline string (<is>).
    bool isInInlineString = false;
    /// True inside a <t> element of an inline string.
    bool isInText = false;
    /// How many phonetic runs (<rPh>) enclose the current position.
    int phoneticDepth = 0;
    /// Number of rows ended so far.
    std::int64_t rowIndex = 0;
    /// The spreadsheet's number of the row being read: its "r", or one past the last.
    std::uint64_t rowNumber = 0;

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view text) override;
    void didEndElement(std::string_view localName) override;

    /// Makes the record of one row, given as its cells by column (index 0 is column 1): the
    /// header test on the first row holding a value, then identifier, cleaned sequence and
    /// description, or nothing when the identifier or the sequence is empty. The record goes
    /// to the sink, or to `entries`.
    void processRow(std::span<const std::string_view> cells, std::uint64_t row = 0);

    /// The column of a cell reference such as "C7" (3), or 0 when it starts with no letters.
    /// Columns past `maximumColumns` come back as `maximumColumns + 1`.
    static std::size_t columnOf(std::string_view reference) noexcept;

private:
    void endCell();
    void endRow();
    // The header test and the record of `currentRow`, its cells resolved, row number `row`.
    void finishRow(std::uint64_t row);
    // Resolves a cell that waited for the table through `table`.
    static void resolve(Cell& cell, const SharedStringTable& table);
    // Finishes waiting row `row`, its cells resolved through `table`.
    void finishWaitingRow(std::size_t row, const SharedStringTable& table);
    // Where records go: the sink, or `entries`.
    void hand(const RecordView& record);
    // Cells of `currentRow` as texts by column, at most `limit` of them.
    std::vector<std::string_view> columns(std::size_t limit) const;

    // Notes the number a waiting shared-string cell names.
    void noteReference(std::string_view value);

    SharedStringTable sharedStrings_;
    RecordSink sink_;
    RecordBuilder builder_{RecordBuilder::worksheetStyle};
    bool isAwaitingTable_ = false;
    std::size_t waitingLimit_ = defaultWaitingLimit;
    bool hasDroppedRows_ = false;
    // Numbers named by waiting cells; sorted and rid of repeats now and then.
    std::vector<std::uint64_t> references_;
    std::size_t referencesTidied_ = 0;
    // Elements open, and whether the root has ended: then no cell can follow.
    std::size_t depth_ = 0;
    bool hasEnded_ = false;
    // Cells of the rows ended before the table came, row after row, and where each row ends.
    std::vector<Cell> waitingCells_;
    std::vector<std::size_t> waitingRowEnds_;
    // For each waiting row, how many table entries must be there to resolve it: one past the
    // highest number it names.
    std::vector<std::uint64_t> waitingRowNeeds_;
    std::vector<std::uint64_t> waitingRowNumbers_;
    // Waiting rows finished already, from the first.
    std::size_t finishedRows_ = 0;
    std::size_t waitingBytes_ = 0;
};

} // namespace pellacor
