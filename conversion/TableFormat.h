#pragma once

#include <string>
#include <string_view>

namespace pellacor {

/// Which reader a table goes to, as its file name and its first bytes tell. A file that opens
/// with the signature of an OpenDocument spreadsheet, a legacy Excel workbook or an .xlsx
/// package is read as one whatever it is named; "xlsx", "xls", "ods" and "fods" name a
/// workbook too (one that is none of them fails as an .xlsx does). Everything else, standard
/// input included, goes to the delimited-text reader.
class TableFormat {
public:
    /// The readers.
    enum class Reader { delimited, officeOpenXml, openDocument, flatOpenDocument, legacyExcel };

    /// The format of the table at `path`; "-" is standard input. Looks at the file's first
    /// bytes when it is a regular file.
    static TableFormat of(std::string_view path);

    /// The reader the table goes to.
    Reader reader() const noexcept { return reader_; }
    bool isWorkbook() const noexcept { return reader_ != Reader::delimited; }
    /// The label the user sees for the table: "Excel (XLSX)", "Excel (XLS)", "OpenDocument
    /// (ODS)" or "OpenDocument (FODS)" for a workbook (an .xlsx package named .xls keeps its
    /// name's label); for delimited text, "TSV" when it was read as tab-separated
    /// (`delimiter`), else "CSV".
    std::string label(char delimiter = ',') const;

private:
    std::string extension_; // lower-cased, without the dot
    Reader reader_ = Reader::delimited;
};

} // namespace pellacor
