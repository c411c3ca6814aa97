#pragma once

// A small workbook for the tests of choices made after an import.

#include "tests/readers/workbook/ZipBuilder.h"

#include <QByteArray>

#include <string>

namespace pellacor::test {

/// A workbook of two sheets, "First" and "Second", each of one record "<sheet> ACGT..." in
/// columns A and B, and a third column C.
inline QByteArray twoSheetWorkbook() {
    const auto sheet = [](const std::string& name, const std::string& residues) {
        return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<sheetData><row r=\"1\"><c r=\"A1\" t=\"str\"><v>" +
               name + "</v></c><c r=\"B1\" t=\"str\"><v>" + residues +
               "</v></c><c r=\"C1\" t=\"str\"><v>note</v></c></row></sheetData></worksheet>";
    };
    const std::string relationship =
        "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "worksheet\" Target=\"worksheets/";
    hostile::ZipBuilder book;
    book.addStored("xl/workbook.xml",
                   "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships\"><sheets><sheet name=\"First\" sheetId=\"1\" r:id=\"r1\"/>"
                   "<sheet name=\"Second\" sheetId=\"2\" r:id=\"r2\"/></sheets></workbook>");
    book.addStored("xl/_rels/workbook.xml.rels",
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                   "relationships\"><Relationship Id=\"r1" +
                       relationship + "sheet1.xml\"/><Relationship Id=\"r2" + relationship +
                       "sheet2.xml\"/></Relationships>");
    book.addStored("xl/worksheets/sheet1.xml", sheet("First", "AAAA"));
    book.addStored("xl/worksheets/sheet2.xml", sheet("Second", "CCCC"));
    return QByteArray::fromStdString(book.bytes());
}

} // namespace pellacor::test
