#include "readers/WorksheetDelegate.h"

#include "core/UnicodeText.h"
#include "readers/CSVParser.h"
#include "readers/SharedStringsDelegate.h"

#include <algorithm>
#include <charconv>

namespace pellacor {
namespace {

// True when `text` holds LF, CR, space or tab. Most sequence cells hold no byte up to the
// space at all, which one branch-free pass (vectorised by the compiler) tells; only the rest
// are searched exactly. Memory speed matters here: the cells are long and out of cache.
bool hasSpace(std::string_view text) {
    unsigned char least = 0xFF;
    for (const char c : text)
        least = std::min(least, static_cast<unsigned char>(c));
    return least <= ' ' && text.find_first_of("\n\r \t") != std::string_view::npos;
}

} // namespace

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

void WorksheetDelegate::resolveSharedStrings(SharedStringTable table) {
    if (!isAwaitingTable_)
        return;
    sharedStrings_ = std::move(table);
    isAwaitingTable_ = false;
    for (Cell& cell : waitingCells_)
        resolve(cell);
    // With the whole sheet read, an entry named by one cell only is read by nobody else: its
    // record can take it over rather than copy it.
    if (hasEnded_) {
        namings_.assign(sharedStrings_.size(), 0);
        for (const Cell& cell : waitingCells_)
            if (cell.shared) {
                std::uint8_t& count = namings_[sharedStrings_.positionOf(cell.shared)];
                count = count < 2 ? count + 1 : 2;
            }
    }
    // The kept rows are finished in order through `currentRow`; the row being read, if any,
    // steps aside meanwhile.
    std::vector<Cell> openRow = std::move(currentRow);
    entries.reserve(entries.size() + waitingRowEnds_.size());
    std::size_t start = 0;
    for (const std::size_t end : waitingRowEnds_) {
        currentRow.assign(std::make_move_iterator(waitingCells_.begin() + std::ptrdiff_t(start)),
                          std::make_move_iterator(waitingCells_.begin() + std::ptrdiff_t(end)));
        finishRow();
        start = end;
    }
    namings_ = {};
    waitingCells_ = {};
    waitingRowEnds_ = {};
    waitingBytes_ = 0;
    currentRow = std::move(openRow);
    for (Cell& cell : currentRow)
        resolve(cell);
}

void WorksheetDelegate::resolve(Cell& cell) const {
    if (!cell.awaitsTable)
        return;
    cell.awaitsTable = false;
    cell.shared = sharedStrings_.find(cell.ownText);
    if (cell.shared)
        cell.ownText = {};
    else if (cell.ownText.find("_x") != std::string::npos)
        cell.ownText = SharedStringsDelegate::decodeEscapes(cell.ownText);
}

std::string* WorksheetDelegate::soleSequenceEntry() {
    // Records handed to a sink are views: nothing needs taking over.
    if (namings_.empty() || sink_)
        return nullptr;
    const Cell* sequence = nullptr;
    for (const Cell& cell : currentRow)
        if (cell.column == 2)
            sequence = &cell;
    if (!sequence || !sequence->shared)
        return nullptr;
    const std::size_t position = sharedStrings_.positionOf(sequence->shared);
    return namings_[position] == 1 ? &sharedStrings_.entryAt(position) : nullptr;
}

void WorksheetDelegate::didStartElement(std::string_view localName,
                                        const XmlAttributes& attributes) {
    ++depth_;
    if (localName == "c") {
        const char* type = attributes.find("t");
        currentCellType = type ? std::optional<std::string>(type) : std::nullopt;
        currentValue.clear();
        const char* reference = attributes.find("r");
        const std::size_t column = reference ? columnOf(reference) : 0;
        // A cell without a usable reference follows the one before it.
        previousColumn = column > 0 ? column : previousColumn + 1;
    } else if (localName == "v") {
        isInValue = true;
    } else if (localName == "row") {
        currentRow.clear();
        previousColumn = 0;
    } else if (localName == "is") {
        isInInlineString = true;
    } else if (localName == "t") {
        isInText = isInInlineString;
    } else if (localName == "rPh") {
        ++phoneticDepth;
    }
}

void WorksheetDelegate::foundCharacters(std::string_view text) {
    if (isInValue || (isInText && phoneticDepth == 0))
        currentValue.append(text);
}

void WorksheetDelegate::didEndElement(std::string_view localName) {
    if (depth_ > 0 && --depth_ == 0)
        hasEnded_ = true;
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
        finishRow();
        return;
    }
    if (hasDroppedRows_)
        return;
    // Copied, not moved: cells met before the next <row> starts still join this row, as they
    // would without the wait.
    for (const Cell& cell : currentRow) {
        waitingBytes_ += sizeof(Cell) + cell.ownText.capacity();
        waitingCells_.push_back(cell);
    }
    waitingRowEnds_.push_back(waitingCells_.size());
    waitingBytes_ += sizeof(std::size_t);
    if (waitingBytes_ > waitingLimit_) {
        hasDroppedRows_ = true;
        waitingCells_ = {};
        waitingRowEnds_ = {};
        waitingBytes_ = 0;
    }
}

void WorksheetDelegate::finishRow() {
    bool isLeadingRow = false;
    if (!isHeaderDecided) {
        const bool hasValue = std::any_of(currentRow.begin(), currentRow.end(),
                                          [](const Cell& cell) { return !cell.value().empty(); });
        // Rows written only for their formatting do not use up the header test.
        if (hasValue) {
            isHeaderDecided = true;
            isLeadingRow = true;
            const std::vector<std::string_view> all = columns(maximumColumns);
            skipFirstRow = CSVParser::isHeaderRow(std::span<const std::string_view>(all));
        }
    }
    if (!isLeadingRow || !skipFirstRow) {
        const std::vector<std::string_view> firstThree = columns(3);
        processRow(firstThree, soleSequenceEntry());
    }
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

void WorksheetDelegate::processRow(std::span<const std::string_view> cells,
                                   std::string* sequenceSource) {
    if (cells.size() < 2)
        return;
    const std::string_view identifier = UnicodeText::trim(cells[0], false);
    // Without LF, CR, space and tab; a text with none is taken as it is.
    const bool needsCleaning = hasSpace(cells[1]);
    if (needsCleaning)
        cleanedSequence_ = CSVParser::cleanSequence(cells[1]);
    const std::string_view sequence = needsCleaning ? std::string_view(cleanedSequence_) : cells[1];
    if (identifier.empty() || sequence.empty())
        return;
    std::optional<std::string_view> description;
    if (cells.size() >= 3) {
        const std::string_view trimmed = UnicodeText::trim(cells[2], false);
        if (!trimmed.empty())
            description = trimmed;
    }
    if (sink_) {
        sink_(RecordView{identifier, sequence, description});
        return;
    }
    // A sequence that no other cell names is moved out of the table rather than copied.
    entries.push_back(
        {std::string(identifier),
         !needsCleaning && sequenceSource ? std::move(*sequenceSource) : std::string(sequence),
         description ? std::optional<std::string>(*description) : std::nullopt});
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
