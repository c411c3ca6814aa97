#include "conversion/TableFormat.h"

#include "files/FileName.h"
#include "readers/workbook/WorkbookContent.h"

#include <string>

namespace pellacor {

TableFormat TableFormat::of(std::string_view path) {
    // A gzip-compressed table is the kind its name says without ".gz"; "-" has no extension.
    TableFormat format;
    format.extension_ = FileName::lowerExtension(FileName::withoutGzipSuffix(path));
    const std::string& extension = format.extension_;
    const bool namedOpenDocument = extension == "ods" || extension == "fods";
    const bool namedWorkbook = extension == "xlsx" || extension == "xls" || namedOpenDocument;
    using Kind = WorkbookContent::Kind;
    const Kind kind = path == "-" ? Kind::none : WorkbookContent::of(std::string(path));
    switch (kind) {
    case Kind::openDocument:
        format.reader_ = Reader::openDocument;
        break;
    case Kind::flatOpenDocument:
        format.reader_ = Reader::flatOpenDocument;
        break;
    case Kind::compoundFile:
        format.reader_ = Reader::legacyExcel;
        break;
    case Kind::officeOpenXml:
        format.reader_ = Reader::officeOpenXml;
        break;
    case Kind::zip:
    case Kind::unreadable:
        // A zip archive of no kind told by its first entry is what its name says it is; so is a
        // file that cannot be opened, whose reader then says why.
        format.reader_ = namedOpenDocument ? Reader::openDocument
                         : namedWorkbook   ? Reader::officeOpenXml
                                           : Reader::delimited;
        break;
    case Kind::none:
        // Named as a workbook but none: the .xlsx reader says that it is not a valid one.
        format.reader_ = namedWorkbook ? Reader::officeOpenXml : Reader::delimited;
        break;
    }
    return format;
}

std::string TableFormat::label(char delimiter) const {
    switch (reader_) {
    case Reader::officeOpenXml:
        return extension_ == "xls" ? "Excel (XLS)" : "Excel (XLSX)";
    case Reader::legacyExcel:
        return "Excel (XLS)";
    case Reader::openDocument:
        return "OpenDocument (ODS)";
    case Reader::flatOpenDocument:
        return "OpenDocument (FODS)";
    case Reader::delimited:
        break;
    }
    return delimiter == '\t' ? "TSV" : "CSV";
}

} // namespace pellacor
