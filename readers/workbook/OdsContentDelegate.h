#pragma once

#include "core/RecordView.h"
#include "readers/ColumnChoice.h"
#include "readers/RecordBuilder.h"
#include "readers/workbook/WorkbookDelegate.h"
#include "readers/workbook/XmlDelegate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pellacor {

/// Reads the content of an OpenDocument spreadsheet (content.xml, or the whole of a flat
/// .fods document) in one pass: the tables' names and whether each is hidden, and the rows of
/// the one chosen as records. A cell's value is the text the sheet shows (its paragraphs on
/// lines of their own), or its stored value when it shows none. Repeated rows and cells are
/// expanded as far as a sheet can reach; past that a row of values is refused.
class OdsContentDelegate : public XmlDelegate {
public:
    /// The most rows a sheet holds; a row of values repeated past it is an attack.
    static constexpr std::uint64_t maximumRows = std::uint64_t(1) << 20;
    /// The widest sheet read (column XFD), as for .xlsx; cells further are ignored.
    static constexpr std::size_t maximumColumns = 16384;
    /// The most text that repeated rows may expand to, as much as an .xlsx may unpack to.
    static constexpr std::uint64_t maximumExpandedBytes = std::uint64_t(4) << 30;

    /// A reader of the table `wanted` names (as `SheetChoice` does), or of the first not
    /// hidden.
    explicit OdsContentDelegate(std::optional<std::string> wanted = std::nullopt);
    /// A reader of the table at `index` from 0, whatever its name.
    static OdsContentDelegate forTableAt(std::size_t index);

    /// Hands each record to `sink` as it is made.
    void setRecordSink(RecordSink sink) { sink_ = std::move(sink); }
    /// Reads the record's parts from the columns the user chose; before the first row.
    void setColumnChoice(ColumnChoice choice) {
        builder_ = RecordBuilder(RecordBuilder::worksheetStyle, std::move(choice));
    }

    /// Hands on the rows still waiting, when the document ended inside the table read; done by
    /// itself when that table ends.
    void finish();

    /// The tables met so far, in order.
    const std::vector<WorkbookDelegate::Sheet>& sheets() const noexcept { return sheets_; }
    /// The position of the table read, once it has started.
    const std::optional<std::size_t>& tableRead() const noexcept { return tableRead_; }
    /// The columns the records were made of, once the first row has decided them.
    const std::optional<ColumnLayout>& layout() const noexcept { return builder_.layout(); }
    /// What was noticed about the rows.
    const TableFindings& findings() const noexcept { return builder_.findings(); }
    /// How many records were made.
    std::size_t records() const noexcept { return builder_.records(); }

    /// Throws `TableError` for a row of values repeated past the last row of a sheet, or
    /// expanding to more text than the limit; a cell of more text than the parser takes.
    void didStartElement(std::string_view localName, const XmlAttributes& attributes) override;
    void foundCharacters(std::string_view text) override;
    void didEndElement(std::string_view localName) override;

private:
    // A value placed in `count` columns from `column` (from 1).
    struct Cell {
        std::size_t column;
        std::size_t count;
        std::string text;
    };

    void startTable(const XmlAttributes& attributes);
    void startCell(std::string_view localName, const XmlAttributes& attributes);
    void endCell();
    void endRow();
    // Adds to the cell's text; throws past the most a cell may hold.
    void makeRoom(std::uint64_t bytes) const;
    void addText(std::string_view text);
    void addSpaces(std::uint64_t count);
    // Hands on the rows waiting in the builder, once the table read has ended.
    void endTable();

    std::optional<std::string> wanted_;
    std::optional<std::size_t> wantedIndex_;
    RecordSink sink_;
    RecordBuilder builder_{RecordBuilder::worksheetStyle};
    std::vector<WorkbookDelegate::Sheet> sheets_;
    std::optional<std::size_t> tableRead_;
    // Automatic table styles that hide their table, and the one being read.
    std::unordered_set<std::string> hiddenStyles_;
    std::optional<std::string> tableStyle_;
    // Tables open (a cell may hold a table of its own), and whether the outermost is read.
    std::size_t tableDepth_ = 0;
    bool isReading_ = false;
    // The row being read: its repeat count, its number before it, and its values.
    std::uint64_t rowRepeat_ = 1;
    std::uint64_t rowNumber_ = 0;
    std::size_t column_ = 0;
    std::vector<Cell> cells_;
    std::uint64_t expandedBytes_ = 0;
    // The cell being read.
    bool isInCell_ = false;
    bool isCovered_ = false;
    std::size_t cellRepeat_ = 1;
    std::string cellText_;
    std::string cellValue_;
    std::size_t paragraphs_ = 0;
    std::size_t paragraphDepth_ = 0;
    std::size_t annotationDepth_ = 0;
};

} // namespace pellacor
