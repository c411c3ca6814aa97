// Which reader a table goes to and what it is called: by its first bytes whatever its name, by
// its name when the bytes tell nothing, and delimited text for everything else.
#include "conversion/TableFormat.h"

#include "readers/workbook/WorkbookContent.h"
#include "tests/readers/HostileInput.h"
#include "tests/readers/workbook/ZipBuilder.h"

#include <sys/stat.h>

using namespace pellacor;
using namespace pellacor::hostile;

namespace {

const fs::path workbooks = fs::path(PELLACOR_FIXTURES) / "workbooks";
using Reader = TableFormat::Reader;

std::string zipOf(const std::string& first, const std::string& bytes = "x") {
    ZipBuilder builder;
    builder.addStored(first, bytes);
    builder.addStored("other.xml", "<a/>");
    return builder.bytes();
}

} // namespace

TEST(WorkbookContent, the_first_bytes_tell_the_kind_of_workbook) {
    using Kind = WorkbookContent::Kind;
    const std::string type(WorkbookContent::openDocumentType);
    EXPECT_EQ(WorkbookContent::ofStart(zipOf("mimetype", type)), Kind::openDocument);
    EXPECT_EQ(WorkbookContent::ofStart(zipOf("mimetype", type + "-template")), Kind::openDocument);
    // A text document is no spreadsheet; nor is a type entry that is not the first.
    EXPECT_EQ(
        WorkbookContent::ofStart(zipOf("mimetype", "application/vnd.oasis.opendocument.text")),
        Kind::zip);
    EXPECT_EQ(WorkbookContent::ofStart(zipOf("content.xml")), Kind::zip);
    EXPECT_EQ(WorkbookContent::ofStart(zipOf("[Content_Types].xml")), Kind::officeOpenXml);
    EXPECT_EQ(WorkbookContent::ofStart(zipOf("xl/workbook.xml")), Kind::officeOpenXml);
    EXPECT_EQ(WorkbookContent::ofStart(std::string("PK\x03\x04", 4)), Kind::zip);
    EXPECT_EQ(WorkbookContent::ofStart(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "..."),
              Kind::compoundFile);
    EXPECT_EQ(WorkbookContent::ofStart("\xEF\xBB\xBF\n<?xml version=\"1.0\"?><office:document "
                                       "office:mimetype=\"" +
                                       type + "\">"),
              Kind::flatOpenDocument);
    EXPECT_EQ(WorkbookContent::ofStart("<html>" + type + "</html>"), Kind::none);
    EXPECT_EQ(WorkbookContent::ofStart("ID,Sequence\n"), Kind::none);
    EXPECT_EQ(WorkbookContent::ofStart(""), Kind::none);
}

TEST(TableFormat, a_workbook_is_known_by_its_bytes_whatever_its_name_and_labelled_by_them) {
    ScratchFolder folder;
    const auto as = [&](const fs::path& fixture, const std::string& name) {
        fs::copy_file(fixture, folder / name);
        return TableFormat::of((folder / name).string());
    };
    EXPECT_EQ(as(workbooks / "odfpy.ods", "a.ods").reader(), Reader::openDocument);
    EXPECT_EQ(as(workbooks / "odfpy.ods", "a.csv").reader(), Reader::openDocument);
    EXPECT_EQ(as(workbooks / "odfpy.ods", "noname").label(), "OpenDocument (ODS)");
    EXPECT_EQ(as(workbooks / "flat.fods", "b.xml").label(), "OpenDocument (FODS)");
    EXPECT_EQ(as(workbooks / "xlwt.xls", "c.xlsx").reader(), Reader::legacyExcel);
    EXPECT_EQ(as(workbooks / "xlwt.xls", "c.dat").label(), "Excel (XLS)");
    EXPECT_EQ(as(workbooks / "libreoffice.xlsx", "d.csv").label(), "Excel (XLSX)");
    // An .xlsx package named .xls keeps the label its name gives, as it always had.
    EXPECT_EQ(as(workbooks / "libreoffice.xlsx", "d.xls").label(), "Excel (XLS)");
}

TEST(TableFormat, names_decide_when_the_bytes_tell_nothing) {
    ScratchFolder folder;
    writeFile(folder / "plain.zip.csv", zipOf("table.csv"));
    writeFile(folder / "text.ods", "ID,Sequence\n");
    writeFile(folder / "zip.ods", zipOf("content.xml"));
    writeFile(folder / "zip.xls", zipOf("content.xml"));
    writeFile(folder / "t.tsv", "ID\tSequence\n");
    EXPECT_EQ(TableFormat::of((folder / "plain.zip.csv").string()).reader(), Reader::delimited);
    // A file that is no workbook but named as one fails as an .xlsx that is none does.
    EXPECT_EQ(TableFormat::of((folder / "text.ods").string()).reader(), Reader::officeOpenXml);
    EXPECT_EQ(TableFormat::of((folder / "zip.ods").string()).reader(), Reader::openDocument);
    EXPECT_EQ(TableFormat::of((folder / "zip.xls").string()).reader(), Reader::officeOpenXml);
    EXPECT_EQ(TableFormat::of((folder / "t.tsv").string()).label('\t'), "TSV");
    EXPECT_EQ(TableFormat::of("-").reader(), Reader::delimited);
    EXPECT_EQ(TableFormat::of((folder / "missing.xlsx").string()).label(), "Excel (XLSX)");
    // A named pipe is not opened for its bytes, which would wait for a writer.
    ASSERT_EQ(::mkfifo((folder / "pipe.csv").c_str(), 0600), 0);
    EXPECT_EQ(TableFormat::of((folder / "pipe.csv").string()).reader(), Reader::delimited);
}
