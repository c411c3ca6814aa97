#include "readers/workbook/WorksheetDelegate.h"

#include "readers/workbook/SharedStringsDelegate.h"

namespace pellacor {

WorksheetDelegate::WorksheetDelegate(std::vector<std::string> sharedStrings)
    : sharedStrings_(std::move(sharedStrings)) {}

WorksheetDelegate::WorksheetDelegate(SharedStringTable table) : sharedStrings_(std::move(table)) {}

WorksheetDelegate WorksheetDelegate::awaitingSharedStrings(std::size_t waitingLimit) {
    WorksheetDelegate delegate(SharedStringTable{});
    delegate.isAwaitingTable_ = true;
    delegate.waiting_ = WaitingRows(waitingLimit);
    return delegate;
}

void WorksheetDelegate::finishRowsReadyIn(const SharedStringTable& table, std::uint64_t itemsRead) {
    if (isAwaitingTable_)
        waiting_.finishReady(table, itemsRead, rows_);
}

void WorksheetDelegate::resolveSharedStrings(SharedStringTable table) {
    if (!isAwaitingTable_)
        return;
    sharedStrings_ = std::move(table);
    waiting_.finishAll(sharedStrings_, rows_);
    isAwaitingTable_ = false;
    for (SheetCell& cell : rows_.cells())
        WaitingRows::resolve(cell, sharedStrings_);
    if (hasEnded_)
        finish();
}

void WorksheetDelegate::didStartElement(std::string_view localName,
                                        const XmlAttributes& attributes) {
    ++depth_;
    if (localName == "c") {
        const char* type = attributes.find("t");
        cellType_ = type ? std::optional<std::string>(type) : std::nullopt;
        value_.clear();
        inlineValue_.clear();
        hasInlineString_ = false;
        const char* reference = attributes.find("r");
        const std::size_t column = reference ? columnOf(reference) : 0;
        // A cell without a usable reference follows the one before it.
        column_ = column > 0 ? column : column_ + 1;
    } else if (localName == "v") {
        isInValue_ = true;
    } else if (localName == "row") {
        rows_.startRow();
        column_ = 0;
        const char* number = attributes.find("r");
        const auto given = number ? SharedStringTable::numberOf(number) : std::nullopt;
        rowNumber_ = given && *given > 0 ? *given : rowNumber_ + 1;
    } else if (localName == "is") {
        isInInlineString_ = true;
        hasInlineString_ = true;
    } else if (localName == "t") {
        isInText_ = isInInlineString_;
    } else if (localName == "rPh") {
        ++phoneticDepth_;
    }
}

void WorksheetDelegate::foundCharacters(std::string_view text) {
    if (isInValue_)
        value_.append(text);
    else if (isInText_ && phoneticDepth_ == 0)
        inlineValue_.append(text);
}

void WorksheetDelegate::didEndElement(std::string_view localName) {
    if (depth_ > 0 && --depth_ == 0) {
        hasEnded_ = true;
        if (!isAwaitingTable_)
            finish();
    }
    if (localName == "v") {
        isInValue_ = false;
    } else if (localName == "c") {
        endCell();
    } else if (localName == "row") {
        endRow();
    } else if (localName == "t") {
        isInText_ = false;
    } else if (localName == "is") {
        isInInlineString_ = false;
        isInText_ = false;
    } else if (localName == "rPh") {
        if (phoneticDepth_ > 0)
            --phoneticDepth_;
    }
}

void WorksheetDelegate::endCell() {
    if (column_ > maximumColumns)
        return;
    // An inline string is the cell's value, whatever its <v> holds beside it.
    if (hasInlineString_)
        value_ = std::move(inlineValue_);
    const bool isShared = cellType_ == "s" && !value_.empty();
    if (isShared && isAwaitingTable_) {
        waiting_.noteReference(value_);
        if (!waiting_.hasDropped())
            rows_.addCell({column_, std::move(value_), nullptr, true});
        return;
    }
    const std::string* shared = isShared ? sharedStrings_.find(value_) : nullptr;
    // Shared strings were decoded when the table was read; decoding twice would turn a
    // literal "_x0041_" (stored escaped) into "A".
    if (shared)
        rows_.addCell({column_, {}, shared});
    else if (value_.find("_x") == std::string::npos)
        rows_.addCell({column_, std::move(value_), nullptr});
    else
        rows_.addCell({column_, SharedStringsDelegate::decodeEscapes(value_), nullptr});
}

void WorksheetDelegate::endRow() {
    if (!isAwaitingTable_)
        rows_.endRow(rowNumber_);
    else
        // Copied, not moved: cells met before the next <row> starts still join this row, as
        // they would without the wait.
        waiting_.keep(rows_.cells(), rowNumber_);
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
