#include "readers/workbook/XlsReader.h"

#include "files/DisplayName.h"
#include "files/MappedFile.h"
#include "readers/RecordBuilder.h"
#include "readers/TableError.h"
#include "readers/workbook/SheetChoice.h"
#include "readers/workbook/XlsSheetStates.h"

#include <freexl.h>

#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

namespace pellacor {
namespace {

// Closes a FreeXL handle; FreeXL wants it closed after a failed open too.
struct HandleCloser {
    void operator()(const void* handle) const noexcept { freexl_close(handle); }
};
using Handle = std::unique_ptr<const void, HandleCloser>;

std::string cellText(const FreeXL_CellValue& cell) {
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return std::to_string(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return XlsReader::numberText(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? cell.value.text_value : "";
    default:
        return {};
    }
}

} // namespace

std::string XlsReader::message(const std::filesystem::path& file, const std::string& reason) {
    return "Cannot read the Excel 97-2003 workbook " + DisplayName::quoted(file) + ": " + reason;
}

std::string XlsReader::numberText(double value) {
    if (!std::isfinite(value))
        return {};
    char digits[32];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, written.ptr);
}

WorkbookReport XlsReader::read(const std::filesystem::path& file, const RecordSink& sink,
                               const WorkbookOptions& options) {
    // FreeXL opens the file by its name; it is first mapped here, so that a missing or
    // unreadable file, or one that is no regular file, says so as every other table does.
    const MappedFile mapped(file);
    const void* opened = nullptr;
    const int status = freexl_open(file.c_str(), &opened);
    const Handle handle(opened);
    if (status == FREEXL_INSUFFICIENT_MEMORY)
        throw TableError(message(file, "There is not enough memory to read it."));
    if (status != FREEXL_OK)
        throw TableError(message(file, damagedReason));
    unsigned int info = 0;
    // Cells of an encrypted workbook come out as noise: it is refused before any is read.
    if (freexl_get_info(opened, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        throw TableError(message(file, passwordReason));

    WorkbookReport report;
    std::vector<WorkbookDelegate::Sheet> sheets;
    unsigned int count = 0;
    if (freexl_get_info(opened, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        throw TableError(message(file, damagedReason));
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(opened, static_cast<unsigned short>(i), &name) != FREEXL_OK)
            throw TableError(message(file, damagedReason));
        report.sheets.push_back(name ? name : "");
    }
    const std::vector<bool> hidden = XlsSheetStates::hidden(mapped.bytes(), report.sheets);
    for (std::size_t i = 0; i < report.sheets.size(); ++i)
        sheets.push_back({report.sheets[i], std::nullopt, hidden[i]});
    if (sheets.empty() && !options.sheet)
        throw TableError(message(file, noDataReason));
    const std::size_t chosen = SheetChoice::position(sheets, options.sheet);
    report.sheet = sheets[chosen].name;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(opened, static_cast<unsigned short>(chosen)) != FREEXL_OK ||
        freexl_worksheet_dimensions(opened, &rows, &columns) != FREEXL_OK)
        throw TableError(message(file, damagedReason));

    RecordBuilder builder(RecordBuilder::worksheetStyle, options.columns);
    const RecordSink counted = [&](const RecordView& record) {
        ++report.records;
        sink(record);
    };
    std::vector<std::string> texts(columns);
    std::vector<std::string_view> fields(columns);
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell{};
            if (freexl_get_cell_value(opened, row, column, &cell) != FREEXL_OK)
                throw TableError(message(file, damagedReason));
            texts[column] = cellText(cell);
            fields[column] = texts[column];
        }
        builder.addRow(fields, std::uint64_t(row) + 1, true, counted);
    }
    builder.finish(counted);
    report.layout = builder.layout();
    report.findings = builder.findings();
    if (report.records == 0)
        throw TableError(message(file, noDataReason));
    return report;
}

} // namespace pellacor
