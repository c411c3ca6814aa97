#include "conversion/TableFormat.h"

#include "files/FileName.h"

namespace pellacor {

TableFormat TableFormat::of(std::string_view path) {
    // A gzip-compressed table is the kind its name says without ".gz"; "-" has no extension.
    TableFormat format;
    format.extension_ = FileName::lowerExtension(FileName::withoutGzipSuffix(path));
    return format;
}

std::string TableFormat::label(char delimiter) const {
    if (isWorkbook())
        return extension_ == "xls" ? "Excel (XLS)" : "Excel (XLSX)";
    return delimiter == '\t' ? "TSV" : "CSV";
}

} // namespace pellacor
