#include "readers/workbook/WorksheetDelegate.h"

#include "readers/workbook/SharedStringsDelegate.h"

#include <algorithm>

namespace pellacor {

WorksheetDelegate::WorksheetDelegate(std::vector<std::string> sharedStrings)
    : sharedStrings_(std::move(sharedStrings)) {}

WorksheetDelegate::WorksheetDelegate(SharedStringTable table) : sharedStrings_(std::move(table)) {}

WorksheetDelegate WorksheetDelegate::awaitingSharedStrings(std::size_t waitingLimit) {
    WorksheetDelegate delegate(SharedStringTable{});
    delegate.isAwaitingTable_ = true;
    delegate.waitingLimit_ = waitingLimit;
    return delegate;
}

void WorksheetDelegate::noteReference(std::string_view value) {
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

std::vector<std::uint64_t> WorksheetDelegate::referencedNumbers() {
    std::sort(references_.begin(), references_.end());
    references_.erase(std::unique(references_.begin(), references_.end()), references_.end());
    referencesTidied_ = references_.size();
    return references_;
}

void WorksheetDelegate::finishWaitingRow(std::size_t row, const SharedStringTable& table) {
    const std::size_t start = row == 0 ? 0 : waitingRowEnds_[row - 1];
    const std::size_t end = waitingRowEnds_[row];
    currentRow.assign(std::make_move_iterator(waitingCells_.begin() + std::ptrdiff_t(start)),
                      std::make_move_iterator(waitingCells_.begin() + std::ptrdiff_t(end)));
    for (Cell& cell : currentRow)
        resolve(cell, table);
    finishRow(waitingRowNumbers_[row]);
}

void WorksheetDelegate::finishRowsReadyIn(const SharedStringTable& table, std::uint64_t itemsRead) {
    if (!isAwaitingTable_ || hasDroppedRows_)
        return;
    // The rows are finished through `currentRow`; the row being read, if any, steps aside.
    std::vector<Cell> openRow = std::move(currentRow);
    for (; finishedRows_ < waitingRowEnds_.size() && waitingRowNeeds_[finishedRows_] <= itemsRead;
         ++finishedRows_)
        finishWaitingRow(finishedRows_, table);
    currentRow = std::move(openRow);
}

void WorksheetDelegate::resolveSharedStrings(SharedStringTable table) {
    if (!isAwaitingTable_)
        return;
    sharedStrings_ = std::move(table);
    std::vector<Cell> openRow = std::move(currentRow);
    for (; finishedRows_ < waitingRowEnds_.size(); ++finishedRows_)
        finishWaitingRow(finishedRows_, sharedStrings_);
    isAwaitingTable_ = false;
    waitingCells_ = {};
    waitingRowEnds_ = {};
    waitingRowNeeds_ = {};
    waitingRowNumbers_ = {};
    finishedRows_ = 0;
    waitingBytes_ = 0;
    currentRow = std::move(openRow);
    for (Cell& cell : currentRow)
        resolve(cell, sharedStrings_);
    if (hasEnded_)
        finish();
}

void WorksheetDelegate::resolve(Cell& cell, const SharedStringTable& table) {
    if (!cell.awaitsTable)
        return;
    cell.awaitsTable = false;
    cell.shared = table.find(cell.ownText);
    if (cell.shared)
        cell.ownText = {};
    else if (cell.ownText.find("_x") != std::string::npos)
        cell.ownText = SharedStringsDelegate::decodeEscapes(cell.ownText);
}

void WorksheetDelegate::didStartElement(std::string_view localName,
                                        const XmlAttributes& attributes) {
    ++depth_;
    if (localName == "c") {
        const char* type = attributes.find("t");
        currentCellType = type ? std::optional<std::string>(type) : std::nullopt;
        currentValue.clear();
        inlineValue.clear();
        hasInlineString = false;
        const char* reference = attributes.find("r");
        const std::size_t column = reference ? columnOf(reference) : 0;
        // A cell without a usable reference follows the one before it.
        previousColumn = column > 0 ? column : previousColumn + 1;
    } else if (localName == "v") {
        isInValue = true;
    } else if (localName == "row") {
        currentRow.clear();
        previousColumn = 0;
        const char* number = attributes.find("r");
        const auto given = number ? SharedStringTable::numberOf(number) : std::nullopt;
        rowNumber = given && *given > 0 ? *given : rowNumber + 1;
    } else if (localName == "is") {
        isInInlineString = true;
        hasInlineString = true;
    } else if (localName == "t") {
        isInText = isInInlineString;
    } else if (localName == "rPh") {
        ++phoneticDepth;
    }
}

void WorksheetDelegate::foundCharacters(std::string_view text) {
    if (isInValue)
        currentValue.append(text);
    else if (isInText && phoneticDepth == 0)
        inlineValue.append(text);
}

void WorksheetDelegate::didEndElement(std::string_view localName) {
    if (depth_ > 0 && --depth_ == 0) {
        hasEnded_ = true;
        if (!isAwaitingTable_)
            finish();
    }
    if (localName == "v") {
        isInValue = false;
    } else if (localName == "c") {
        endCell();
    } else if (localName == "row") {
        endRow();
    } else if (localName == "t") {
        isInText = false;
    } else if (localName == "is") {
        isInInlineString = false;
        isInText = false;
    } else if (localName == "rPh") {
        if (phoneticDepth > 0)
            --phoneticDepth;
    }
}

void WorksheetDelegate::endCell() {
    if (previousColumn > maximumColumns)
        return;
    // An inline string is the cell's value, whatever its <v> holds beside it.
    if (hasInlineString)
        currentValue = std::move(inlineValue);
    const bool isShared = currentCellType == "s" && !currentValue.empty();
    if (isShared && isAwaitingTable_) {
        noteReference(currentValue);
        if (!hasDroppedRows_)
            currentRow.push_back({previousColumn, std::move(currentValue), nullptr, true});
        return;
    }
    const std::string* shared = isShared ? sharedStrings_.find(currentValue) : nullptr;
    // Shared strings were decoded when the table was read; decoding twice would turn a
    // literal "_x0041_" (stored escaped) into "A".
    if (shared)
        currentRow.push_back({previousColumn, {}, shared});
    else if (currentValue.find("_x") == std::string::npos)
        currentRow.push_back({previousColumn, std::move(currentValue), nullptr});
    else
        currentRow.push_back(
            {previousColumn, SharedStringsDelegate::decodeEscapes(currentValue), nullptr});
}

void WorksheetDelegate::endRow() {
    if (!isAwaitingTable_) {
        finishRow(rowNumber);
        return;
    }
    if (hasDroppedRows_)
        return;
    // Copied, not moved: cells met before the next <row> starts still join this row, as they
    // would without the wait.
    std::uint64_t needs = 0;
    for (const Cell& cell : currentRow) {
        waitingBytes_ += sizeof(Cell) + cell.ownText.capacity();
        waitingCells_.push_back(cell);
        if (cell.awaitsTable)
            if (const auto number = SharedStringTable::numberOf(cell.ownText))
                needs = std::max(needs, *number + 1);
    }
    waitingRowEnds_.push_back(waitingCells_.size());
    waitingRowNeeds_.push_back(needs);
    waitingRowNumbers_.push_back(rowNumber);
    waitingBytes_ += sizeof(std::size_t) + 2 * sizeof(std::uint64_t);
    if (waitingBytes_ > waitingLimit_) {
        hasDroppedRows_ = true;
        waitingCells_ = {};
        waitingRowEnds_ = {};
        waitingRowNeeds_ = {};
        waitingRowNumbers_ = {};
        waitingBytes_ = 0;
    }
}

void WorksheetDelegate::finishRow(std::uint64_t row) {
    const std::vector<std::string_view> all = columns(maximumColumns);
    processRow(all, row);
    ++rowIndex;
}

std::vector<std::string_view> WorksheetDelegate::columns(std::size_t limit) const {
    std::size_t width = 0;
    for (const Cell& cell : currentRow)
        width = std::max(width, cell.column);
    std::vector<std::string_view> texts(std::min(width, limit));
    // A later cell at the same place wins, as it would on screen. A cell that ends after a
    // row started inside it has no place (column 0) and must not index before the first.
    for (const Cell& cell : currentRow)
        if (cell.column >= 1 && cell.column <= texts.size())
            texts[cell.column - 1] = cell.value();
    return texts;
}

void WorksheetDelegate::processRow(std::span<const std::string_view> cells, std::uint64_t row) {
    builder_.addRow(cells, row, true, [this](const RecordView& record) { hand(record); });
}

void WorksheetDelegate::finish() {
    builder_.finish([this](const RecordView& record) { hand(record); });
}

void WorksheetDelegate::hand(const RecordView& record) {
    if (sink_) {
        sink_(record);
        return;
    }
    entries.push_back(SequenceEntry::of(record));
}

std::size_t WorksheetDelegate::columnOf(std::string_view reference) noexcept {
    std::size_t column = 0;
    for (char c : reference) {
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        if (!upper && !lower)
            break;
        column = column * 26 + static_cast<std::size_t>(c - (upper ? 'A' : 'a') + 1);
        if (column > maximumColumns)
            return maximumColumns + 1;
    }
    return column;
}

} // namespace pellacor
