// The workbook branch of the import, with workbooks zipped from XML parts by the zip program.

#include "SessionTestSupport.h"

#include "session/ConversionSession.h"

#include <gtest/gtest.h>

namespace pellacor {
namespace {

using test::TableFolder;

const QByteArray contentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
</Types>)";

const QByteArray workbook =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";

const QByteArray sharedStrings =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="5" uniqueCount="5">
<si><t>ID</t></si><si><t>Sequence</t></si><si><t>seqA</t></si><si><t>ACGT-ACGT</t></si>
<si><t>first record</t></si></sst>)";

QByteArray sheet(const QByteArray& rows) {
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
           rows + "</sheetData></worksheet>";
}

const QByteArray headerRow =
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>)";
const QByteArray dataRows =
    R"(<row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2" t="s"><v>3</v></c><c r="C2" t="s"><v>4</v></c></row>)"
    R"(<row r="3"><c r="A3" t="str"><v>seqB</v></c><c r="B3" t="str"><v>TTGG</v></c></row>)";

QString buildWorkbook(TableFolder& folder, const QString& name, const QByteArray& rows) {
    return folder.zip(name, {{"[Content_Types].xml", contentTypes},
                             {"xl/workbook.xml", workbook},
                             {"xl/sharedStrings.xml", sharedStrings},
                             {"xl/worksheets/sheet1.xml", sheet(rows)}});
}

class WorkbookImportTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApplication(); }
    void importFile(const QString& path) {
        test::importAndWait(session, FileChoice::chosen({path}));
    }

    test::FakeDialogs dialogs;
    ConversionSession session{dialogs};
    TableFolder folder;
};

TEST_F(WorkbookImportTest, workbook_extensions_in_any_case_go_to_the_workbook_reader) {
    // Text that the delimited reader would accept, so only the workbook branch can fail on it.
    for (const char* name : {"t.XLSX", "t.xlsx", "t.xls", "t.Xls"}) {
        SCOPED_TRACE(name);
        importFile(folder.write(QString::fromLatin1(name), "a,ACGT\nb,TTTT\n"));
        ASSERT_TRUE(session.showError());
        EXPECT_TRUE(session.errorMessage()->startsWith("Failed to parse Excel file: "))
            << session.errorMessage()->toStdString();
        EXPECT_FALSE(session.detectedFileType());
        session.dismissError();
    }
}

TEST_F(WorkbookImportTest, a_workbook_failure_after_a_success_keeps_the_earlier_result) {
    importFile(folder.write("good.csv", "a,ACGT\n"));
    importFile(folder.write("broken.xlsx", "not a zip archive"));
    EXPECT_TRUE(session.showError());
    EXPECT_EQ(session.fastaContent(), ">a\nACGT\n");
    EXPECT_EQ(session.detectedFileType(), "CSV");
    EXPECT_TRUE(session.showOutputWindow());
}

TEST_F(WorkbookImportTest, an_xlsx_workbook_is_labelled_excel_xlsx) {
    importFile(buildWorkbook(folder, "table.XLSX", headerRow + dataRows));
    ASSERT_FALSE(session.showError()) << session.errorAlertText().toStdString();
    EXPECT_EQ(session.detectedFileType(), "Excel (XLSX)");
    EXPECT_EQ(session.fastaContent(), ">seqA first record\nACGT-ACGT\n>seqB\nTTGG\n");
    EXPECT_TRUE(session.showOutputWindow());
}

TEST_F(WorkbookImportTest, an_xls_named_workbook_is_labelled_excel_xls) {
    importFile(buildWorkbook(folder, "table.xls", headerRow + dataRows));
    ASSERT_FALSE(session.showError()) << session.errorAlertText().toStdString();
    EXPECT_EQ(session.detectedFileType(), "Excel (XLS)");
    EXPECT_EQ(session.parsedEntryCount(), 2);
}

TEST_F(WorkbookImportTest, a_sheet_without_data_rows_reports_no_data) {
    importFile(buildWorkbook(folder, "header-only.xlsx", headerRow));
    EXPECT_EQ(session.errorMessage(),
              "Failed to parse Excel file: No data found in Excel file or the first sheet is "
              "empty.");
}

TEST_F(WorkbookImportTest, an_unreadable_workbook_asks_to_check_permissions) {
    QDir(folder.path({})).mkdir("folder.xlsx");
    importFile(folder.path("folder.xlsx"));
    EXPECT_EQ(session.errorMessage(), "Cannot read Excel file. Please check file permissions.");
}

} // namespace
} // namespace pellacor
