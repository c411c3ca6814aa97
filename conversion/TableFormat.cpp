#include "conversion/TableFormat.h"

#include "files/FileName.h"

#include <algorithm>

namespace pellacor {

TableFormat TableFormat::of(std::string_view path) {
    TableFormat format;
    if (path == "-")
        return format;
    // A gzip-compressed table is the kind its name says without ".gz".
    format.extension_ = FileName::lowerExtension(FileName::withoutGzipSuffix(path));
    if (format.extension_ == "xlsx" || format.extension_ == "xls")
        format.kind_ = Kind::workbook;
    return format;
}

std::string TableFormat::label(char delimiter) const {
    if (kind_ == Kind::workbook) {
        std::string upper = extension_;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
        return "Excel (" + upper + ")";
    }
    return delimiter == '\t' ? "TSV" : "CSV";
}

} // namespace pellacor
