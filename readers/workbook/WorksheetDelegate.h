#pragma once

#include "core/RecordView.h"
#include "readers/ColumnChoice.h"
#include "readers/workbook/RowAssembler.h"
#include "readers/workbook/SharedStringTable.h"
#include "readers/workbook/WaitingRows.h"
#include "readers/workbook/XmlDelegate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Reads the XML of one worksheet part into cells and rows, which a `RowAssembler` makes into
/// records: column 1 identifier, column 2 sequence, optional column 3 description. A cell's
/// column comes from its reference ("C7" is column 3); shared-string cells are resolved
/// through the table given at construction, or through one that comes later, so that the sheet
/// can be read while the table is still being read.
class WorksheetDelegate : public XmlDelegate {
public:
    /// The widest sheet a spreadsheet can hold (column XFD); cells placed further are ignored.
    static constexpr std::size_t maximumColumns = RowAssembler::maximumColumns;
    /// Most memory that rows may hold while they wait for the shared-string table.
    static constexpr std::size_t defaultWaitingLimit = WaitingRows::defaultLimit;

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

    /// Hands each record to `sink` as it is made; without one, records are dropped.
    void setRecordSink(RecordSink sink) { rows_.setRecordSink(std::move(sink)); }
    /// Reads the record's parts from the columns the user chose; before the first row.
    void setColumnChoice(ColumnChoice choice) { rows_.setColumnChoice(std::move(choice)); }
    /// Hands on the rows still waiting to see whether the first column is empty throughout;
    /// done by itself when the sheet's root element ends and no table is awaited.
    void finish() { rows_.finish(); }
    /// The columns the records were made of, once the first row has decided them.
    const std::optional<ColumnLayout>& layout() const noexcept { return rows_.layout(); }
    /// What was noticed about the rows.
    const TableFindings& findings() const noexcept { return rows_.findings(); }

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
    std::vector<std::uint64_t> referencedNumbers() { return waiting_.referencedNumbers(); }
    /// True when waiting rows were dropped at the limit: the sheet must be read again with the
    /// table, by a fresh reader.
    bool hasDroppedRows() const noexcept { return waiting_.hasDropped(); }

    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view text) override;
    void didEndElement(std::string_view localName) override;

    /// The column of a cell reference such as "C7" (3), or 0 when it starts with no letters.
    /// Columns past `maximumColumns` come back as `maximumColumns + 1`.
    static std::size_t columnOf(std::string_view reference) noexcept;

private:
    void endCell();
    void endRow();

    SharedStringTable sharedStrings_;
    RowAssembler rows_;
    WaitingRows waiting_;
    bool isAwaitingTable_ = false;

    // Where the XML stands: text collected for the current cell from <v>, and the <t> texts of
    // its inline string (<is>), which is its value if it has one, whatever its <v> says.
    std::string value_;
    std::string inlineValue_;
    bool hasInlineString_ = false;
    // The current cell's "t" attribute; absent when it has none.
    std::optional<std::string> cellType_;
    // Column of the cell last placed in this row; 0 before the first.
    std::size_t column_ = 0;
    // The spreadsheet's number of the row being read: its "r", or one past the last.
    std::uint64_t rowNumber_ = 0;
    bool isInValue_ = false;
    bool isInInlineString_ = false;
    bool isInText_ = false; // a <t> inside an inline string
    int phoneticDepth_ = 0; // phonetic runs (<rPh>) around the current position
    std::size_t depth_ = 0; // elements open
    bool hasEnded_ = false; // the root has ended: no cell can follow
};

} // namespace pellacor
