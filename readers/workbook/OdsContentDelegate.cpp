#include "readers/workbook/OdsContentDelegate.h"

#include "readers/TableError.h"
#include "readers/workbook/SharedStringTable.h"
#include "readers/workbook/SheetChoice.h"
#include "readers/workbook/XmlParser.h"

#include <algorithm>
#include <limits>

namespace pellacor {
namespace {

// The count an attribute such as table:number-rows-repeated gives: 1 when absent or unusable.
std::uint64_t countOf(const XmlAttributes& attributes, std::string_view name) {
    const char* text = attributes.find(name);
    const std::optional<std::uint64_t> count =
        text ? SharedStringTable::numberOf(text) : std::nullopt;
    return count && *count > 0 ? *count : 1;
}

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

std::string thousands(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

} // namespace

OdsContentDelegate::OdsContentDelegate(std::optional<std::string> wanted)
    : wanted_(std::move(wanted)) {}

OdsContentDelegate OdsContentDelegate::forTableAt(std::size_t index) {
    OdsContentDelegate delegate;
    delegate.wantedIndex_ = index;
    return delegate;
}

void OdsContentDelegate::didStartElement(std::string_view localName,
                                         const XmlAttributes& attributes) {
    if (localName == "table") {
        if (tableDepth_++ == 0)
            startTable(attributes);
        return;
    }
    if (tableDepth_ == 0) {
        // Automatic styles come before the body: a table style may hide its table.
        if (localName == "style") {
            const char* family = attributes.find("family");
            const char* name = attributes.find("name");
            tableStyle_ = family && name && std::string_view(family) == "table"
                              ? std::optional<std::string>(name)
                              : std::nullopt;
        } else if (localName == "table-properties" && tableStyle_) {
            const char* display = attributes.find("display");
            if (display && std::string_view(display) == "false")
                hiddenStyles_.insert(*tableStyle_);
        }
        return;
    }
    if (!isReading_ || tableDepth_ != 1)
        return;
    if (isInCell_) {
        if (localName == "annotation") {
            ++annotationDepth_;
        } else if (annotationDepth_ > 0) {
            // A comment's text is not what the cell shows.
        } else if (localName == "p" || localName == "h") {
            if (paragraphDepth_++ == 0 && paragraphs_++ > 0)
                addText("\n");
        } else if (paragraphDepth_ > 0 && localName == "s") {
            addSpaces(countOf(attributes, "c"));
        } else if (paragraphDepth_ > 0 && localName == "tab") {
            addText("\t");
        } else if (paragraphDepth_ > 0 && localName == "line-break") {
            addText("\n");
        }
        return;
    }
    if (localName == "table-row") {
        rowRepeat_ = countOf(attributes, "number-rows-repeated");
        column_ = 0;
        cells_.clear();
    } else if (localName == "table-cell" || localName == "covered-table-cell") {
        startCell(localName, attributes);
    }
}

void OdsContentDelegate::startTable(const XmlAttributes& attributes) {
    const char* name = attributes.find("name");
    const char* style = attributes.find("style-name");
    WorkbookDelegate::Sheet sheet;
    sheet.name = name ? name : "";
    sheet.isHidden = style && hiddenStyles_.count(style) != 0;
    const std::size_t index = sheets_.size();
    sheets_.push_back(sheet);
    if (tableRead_)
        return;
    if (wantedIndex_)
        isReading_ = index == *wantedIndex_;
    else if (wanted_)
        isReading_ = SheetChoice::isNamed(index, sheet.name, *wanted_);
    else
        isReading_ = !sheet.isHidden;
    if (isReading_)
        tableRead_ = index;
    rowNumber_ = 0;
}

void OdsContentDelegate::startCell(std::string_view localName, const XmlAttributes& attributes) {
    isInCell_ = true;
    // A cell hidden under a merged one is empty on screen, whatever it still holds.
    isCovered_ = localName == "covered-table-cell";
    cellRepeat_ = static_cast<std::size_t>(
        std::min<std::uint64_t>(countOf(attributes, "number-columns-repeated"), maximumColumns));
    cellText_.clear();
    cellValue_.clear();
    paragraphs_ = 0;
    paragraphDepth_ = 0;
    annotationDepth_ = 0;
    // What a cell stores besides the text it shows, by its type.
    for (const char* attribute :
         {"value", "date-value", "time-value", "boolean-value", "string-value"})
        if (const char* value = attributes.find(attribute)) {
            cellValue_ = value;
            break;
        }
}

void OdsContentDelegate::makeRoom(std::uint64_t bytes) const {
    // No cell holds this much; a document that makes one is an attack on memory.
    if (bytes > XmlParser::maximumItemBytes - cellText_.size())
        throw TableError("A cell of this spreadsheet holds more text than any sheet can; it is "
                         "damaged or was made to attack, so it is not read.");
}

void OdsContentDelegate::addText(std::string_view text) {
    makeRoom(text.size());
    cellText_.append(text);
}

void OdsContentDelegate::addSpaces(std::uint64_t count) {
    makeRoom(count);
    cellText_.append(static_cast<std::size_t>(count), ' ');
}

void OdsContentDelegate::foundCharacters(std::string_view text) {
    if (isInCell_ && paragraphDepth_ > 0 && annotationDepth_ == 0)
        addText(text);
}

void OdsContentDelegate::didEndElement(std::string_view localName) {
    if (localName == "table") {
        if (tableDepth_ > 0 && --tableDepth_ == 0 && isReading_)
            endTable();
        return;
    }
    if (tableDepth_ == 0) {
        if (localName == "style")
            tableStyle_.reset();
        return;
    }
    if (!isReading_ || tableDepth_ != 1)
        return;
    if (isInCell_) {
        if (localName == "annotation") {
            if (annotationDepth_ > 0)
                --annotationDepth_;
        } else if (annotationDepth_ == 0 && (localName == "p" || localName == "h")) {
            if (paragraphDepth_ > 0)
                --paragraphDepth_;
        } else if (localName == "table-cell" || localName == "covered-table-cell") {
            endCell();
        }
        return;
    }
    if (localName == "table-row")
        endRow();
}

void OdsContentDelegate::endCell() {
    isInCell_ = false;
    // The text a cell shows is what the user sees, a number formatted as in the sheet; the
    // stored value stands in only for a cell that shows none.
    std::string& value = paragraphs_ > 0 && !cellText_.empty() ? cellText_ : cellValue_;
    if (!value.empty() && !isCovered_ && column_ < maximumColumns)
        cells_.push_back(
            {column_ + 1, std::min(cellRepeat_, maximumColumns - column_), std::move(value)});
    column_ = std::min(column_ + cellRepeat_, maximumColumns);
}

void OdsContentDelegate::endRow() {
    // Rows of nothing only move the row number on: a sheet's last row is often repeated to
    // its end, and so are the empty rows between tables.
    if (cells_.empty()) {
        rowNumber_ = saturatingSum(rowNumber_, rowRepeat_);
        return;
    }
    std::size_t width = 0;
    std::uint64_t rowBytes = 0;
    for (const Cell& cell : cells_) {
        width = std::max(width, cell.column + cell.count - 1);
        rowBytes += std::uint64_t(cell.text.size()) * cell.count;
    }
    if (saturatingSum(rowNumber_, rowRepeat_) > maximumRows)
        throw TableError("This spreadsheet repeats a row of values " + thousands(rowRepeat_) +
                         " times, past row " + thousands(maximumRows) +
                         ", the last a sheet can hold; it is damaged or was made to attack, so "
                         "it is not read.");
    if (rowRepeat_ > 1 && (rowBytes > maximumExpandedBytes / rowRepeat_ ||
                           expandedBytes_ + rowBytes * rowRepeat_ > maximumExpandedBytes))
        throw TableError("This spreadsheet repeats a row of values " + thousands(rowRepeat_) +
                         " times, which would make more text than an unpacked workbook may "
                         "hold; it is damaged or was made to attack, so it is not read.");
    expandedBytes_ += rowBytes * rowRepeat_;
    std::vector<std::string_view> texts(width);
    for (const Cell& cell : cells_)
        std::fill_n(texts.begin() + std::ptrdiff_t(cell.column - 1), cell.count,
                    std::string_view(cell.text));
    const RecordSink& sink = sink_;
    for (std::uint64_t i = 0; i < rowRepeat_; ++i)
        builder_.addRow(texts, ++rowNumber_, true, sink);
}

void OdsContentDelegate::finish() {
    if (isReading_)
        endTable();
}

void OdsContentDelegate::endTable() {
    isReading_ = false;
    builder_.finish(sink_);
}

} // namespace pellacor
