#pragma once

#include <string>
#include <string_view>

namespace pellacor {

/// Which reader a table goes to, as its file name tells: "xlsx" and "xls" go to the workbook
/// reader, everything else, standard input included, to the delimited-text reader.
class TableFormat {
public:
    /// The format of the table at `path`; "-" is standard input.
    static TableFormat of(std::string_view path);

    bool isWorkbook() const noexcept { return extension_ == "xlsx" || extension_ == "xls"; }
    /// The label the user sees for the table: "Excel (XLSX)" or "Excel (XLS)" for a workbook;
    /// for delimited text, "TSV" when it was read as tab-separated (`delimiter`), else "CSV".
    std::string label(char delimiter = ',') const;

private:
    std::string extension_; // lower-cased, without the dot
};

} // namespace pellacor
