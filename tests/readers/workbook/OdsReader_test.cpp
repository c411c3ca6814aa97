// The OpenDocument reader: spreadsheets from two writers and as a flat document, repeated rows
// and cells, hidden and chosen tables, the text a cell shows, and damaged, locked or malicious
// files, each ending in records or a message naming the file, with the work directory removed.
#include "files/FileError.h"
#include "readers/ChoiceError.h"
#include "readers/TableError.h"
#include "readers/delimited/CSVParser.h"
#include "readers/workbook/OdsReader.h"
#include "readers/workbook/WorkbookContent.h"

#include "tests/readers/workbook/WorkbookFiles.h"

using namespace pellacor;
using namespace pellacor::testing;

namespace {

const fs::path fixtures = fs::path(PELLACOR_FIXTURES) / "workbooks";

// A content part around `body` (the tables), with `styles` among the automatic styles.
std::string content(const std::string& body, const std::string& styles = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
           "<office:automatic-styles>" +
           styles + "</office:automatic-styles><office:body><office:spreadsheet>" + body +
           "</office:spreadsheet></office:body></office:document-content>";
}

std::string table(const std::string& name, const std::string& rows, const std::string& style = "") {
    return "<table:table table:name=\"" + name + "\"" +
           (style.empty() ? "" : " table:style-name=\"" + style + "\"") + ">" + rows +
           "</table:table>";
}

std::string row(const std::string& cells, std::uint64_t repeated = 1) {
    return "<table:table-row" +
           (repeated > 1 ? " table:number-rows-repeated=\"" + std::to_string(repeated) + "\""
                         : std::string()) +
           ">" + cells + "</table:table-row>";
}

std::string cell(const std::string& text, std::size_t repeated = 1) {
    return "<table:table-cell" +
           (repeated > 1 ? " table:number-columns-repeated=\"" + std::to_string(repeated) + "\""
                         : std::string()) +
           (text.empty() ? "/>" : "><text:p>" + text + "</text:p></table:table-cell>");
}

const std::string hiddenStyle = "<style:style style:name=\"ta2\" style:family=\"table\">"
                                "<style:table-properties table:display=\"false\"/></style:style>";

WorkbookOptions sheet(const std::string& name) {
    WorkbookOptions options;
    options.sheet = name;
    return options;
}

class OdsReaderTest : public WorkbookTest {
protected:
    // An .ods of `contentXml`, its type entry first as the format asks, written as `name`.
    fs::path ods(const std::string& contentXml, const std::string& name = "book.ods",
                 const std::map<std::string, std::string>& more = {}) {
        ZipBuilder builder;
        builder.addStored("mimetype", std::string(WorkbookContent::openDocumentType));
        builder.addStored("content.xml", contentXml);
        for (const auto& [part, text] : more)
            builder.addStored(part, text);
        writeFile(folder / name, builder.bytes());
        return folder / name;
    }

    // "identifier sequence[ description]" a record, or the reader's message.
    static std::string readOds(const fs::path& file, const WorkbookOptions& options = {},
                               bool flat = false) {
        std::string lines;
        try {
            const RecordSink sink = [&](const RecordView& r) {
                lines += std::string(r.identifier) + " " + std::string(r.sequence) +
                         (r.description ? " " + std::string(*r.description) : "") + "\n";
            };
            flat ? OdsReader::readFlat(file, sink, options) : OdsReader::read(file, sink, options);
            return lines;
        } catch (const TableError& e) {
            return e.what();
        }
    }
    std::string readContent(const std::string& contentXml, const WorkbookOptions& options = {}) {
        return readOds(ods(contentXml), options);
    }
};

std::string message(const std::string& reason) {
    return "Cannot read the spreadsheet \u201Cbook.ods\u201D: " + reason;
}

} // namespace

TEST_F(OdsReaderTest, spreadsheets_from_two_writers_and_a_flat_one_read_like_their_csv_twin) {
    std::string expected;
    for (const SequenceEntry& e : CSVParser::parse(fixtures / "table.csv").entries)
        expected += e.identifier + " " + e.sequence +
                    (e.description && !e.description->empty() ? " " + *e.description : "") + "\n";
    // odfpy's puts a hidden table first; the LibreOffice layout pads rows and columns to the
    // sheet's end with repeat counts, which must end the table, not be expanded.
    EXPECT_EQ(readOds(fixtures / "odfpy.ods"), expected);
    EXPECT_EQ(readOds(fixtures / "zipfile.ods"), expected);
    EXPECT_EQ(readOds(fixtures / "flat.fods", {}, true), expected);
    WorkbookReport report = OdsReader::read(fixtures / "odfpy.ods", [](const RecordView&) {});
    EXPECT_EQ(report.sheets, (std::vector<std::string>{"Notes", "Sequences"}));
    EXPECT_EQ(report.sheet, "Sequences");
    EXPECT_EQ(report.records, 5u);
    EXPECT_EQ(report.findings.skippedMessage(), "1 row skipped (no identifier or sequence): 6");
}

TEST_F(OdsReaderTest, repeated_cells_and_rows_are_expanded_and_counted_as_the_sheet_numbers_them) {
    const std::string rows = row(cell("s1") + cell("AC", 2)) + row(cell("s2") + cell("GG"), 3) +
                             row(cell("", 5), 1000) + row(cell("") + cell("x") + cell("", 9)) +
                             row(cell("s3") + cell("") + cell("late"), 1) +
                             row(cell("", 16384), 1048000);
    EXPECT_EQ(readContent(content(table("T", rows))), "s1 AC AC\ns2 GG\ns2 GG\ns2 GG\n");
    WorkbookReport report =
        OdsReader::read(ods(content(table("T", rows))), [](const RecordView&) {});
    // Four rows, a thousand empty ones, then one without an identifier and one without a
    // sequence.
    EXPECT_EQ(report.findings.skippedMessage(),
              "2 rows skipped (no identifier or sequence): 1005, 1006");
    // A cell past the widest sheet is not placed, however far it is repeated.
    EXPECT_EQ(readContent(content(
                  table("T", row(cell("s1") + cell("GG") + cell("", 16382) + cell("far", 5))))),
              "s1 GG\n");
}

TEST_F(OdsReaderTest, a_row_of_values_repeated_past_the_sheet_or_the_size_limit_is_refused) {
    EXPECT_EQ(readContent(content(table("T", row(cell("s1") + cell("ACGT"), 2'000'000)))),
              message("This spreadsheet repeats a row of values 2,000,000 times, past row "
                      "1,048,576, the last a sheet can hold; it is damaged or was made to "
                      "attack, so it is not read."));
    // Within the rows, but gigabytes of text once expanded.
    const std::string wide(5000, 'A');
    EXPECT_EQ(readContent(content(table("T", row(cell("s1") + cell(wide), 1'000'000)))),
              message("This spreadsheet repeats a row of values 1,000,000 times, which would "
                      "make more text than an unpacked workbook may hold; it is damaged or was "
                      "made to attack, so it is not read."));
    // Spaces asked for by count, past what any cell holds.
    EXPECT_EQ(readContent(content(table(
                  "T", row(cell("s1") + "<table:table-cell><text:p>A<text:s text:c=\"999999999\"/>"
                                        "</text:p></table:table-cell>")))),
              message("A cell of this spreadsheet holds more text than any sheet can; it is "
                      "damaged or was made to attack, so it is not read."));
}

TEST_F(OdsReaderTest, the_first_table_shown_is_read_unless_another_is_chosen) {
    const std::string tables = table("Notes", row(cell("n1") + cell("NN")), "ta2") +
                               table("Plate 1", row(cell("p1") + cell("AC"))) +
                               table("5", row(cell("q1") + cell("GG")));
    const std::string book = content(tables, hiddenStyle);
    EXPECT_EQ(readContent(book), "p1 AC\n");
    EXPECT_EQ(readContent(book, sheet("notes")), "n1 NN\n");
    EXPECT_EQ(readContent(book, sheet(" PLATE 1 ")), "p1 AC\n");
    EXPECT_EQ(readContent(book, sheet("1")), "n1 NN\n");
    // A number past the tables names one by its name, known only at the end.
    EXPECT_EQ(readContent(book, sheet("5")), "q1 GG\n");
    // With every table hidden, the first is read all the same.
    EXPECT_EQ(readContent(content(table("A", row(cell("a1") + cell("AA")), "ta2") +
                                      table("B", row(cell("b1") + cell("CC")), "ta2"),
                                  hiddenStyle)),
              "a1 AA\n");
    EXPECT_THROW(OdsReader::read(
                     ods(book), [](const RecordView&) {}, sheet("Plate 2")),
                 ChoiceError);
    EXPECT_EQ(readContent(book, sheet("Plate 2")),
              "There is no sheet \u201CPlate 2\u201D in this workbook; it has 1 \u201CNotes\u201D, "
              "2 \u201CPlate 1\u201D, 3 \u201C5\u201D.");
}

TEST_F(OdsReaderTest, a_cell_reads_as_the_text_it_shows) {
    const std::string described =
        "<table:table-cell><text:p>two<text:s text:c=\"3\"/>words<text:s/>and<text:tab/>tab"
        "</text:p><text:p>second <text:span>line</text:span><text:line-break/>third</text:p>"
        "<office:annotation><text:p>a comment</text:p></office:annotation></table:table-cell>";
    const std::string rows =
        row(cell("s1") + cell("ACGT") + described) +
        // A number shows as formatted; only a cell that shows nothing gives its stored value.
        row(cell("s2") + cell("GG") +
            "<table:table-cell office:value-type=\"float\" office:value=\"0.1\"><text:p>0.10"
            "</text:p></table:table-cell>") +
        row(cell("s3") + cell("CC") +
            "<table:table-cell office:value-type=\"float\" office:value=\"42\"/>") +
        // A cell under a merged one is empty, whatever it still holds.
        row(cell("s4") + cell("TT") +
            "<table:covered-table-cell><text:p>hidden</text:p></table:covered-table-cell>" +
            cell("after"));
    EXPECT_EQ(readContent(content(table("T", rows))),
              "s1 ACGT two   words and\ttab\nsecond line\nthird\ns2 GG 0.10\ns3 CC 42\n"
              "s4 TT\n");
    // A header row and chosen columns work as for any table.
    const std::string named = row(cell("Name") + cell("Score") + cell("Sequence")) +
                              row(cell("x1") + cell("0.5") + cell("AC"));
    EXPECT_EQ(readContent(content(table("T", named))), "x1 AC\n");
    EXPECT_EQ(readContent(content(table("T", named)),
                          {std::nullopt, ColumnChoice{ColumnRef::column(2), ColumnRef::column(3),
                                                      ColumnRef::nothing(), {}, {}}, {}}),
              "0.5 AC\n");
}

TEST_F(OdsReaderTest, damaged_locked_and_empty_spreadsheets_fail_with_a_message_naming_the_file) {
    const std::string good = content(table("T", row(cell("s1") + cell("ACGT"))));
    const std::string damaged = message(OdsReader::damagedReason);
    EXPECT_EQ(readContent(good.substr(0, good.size() - 30)), damaged);
    EXPECT_EQ(readContent("not xml at all"), damaged);
    {
        ZipBuilder noContent;
        noContent.addStored("mimetype", std::string(WorkbookContent::openDocumentType));
        writeFile(folder / "book.ods", noContent.bytes());
        EXPECT_EQ(readOds(folder / "book.ods"), damaged);
    }
    writeFile(folder / "book.ods", "PK\x03\x04 cut short");
    EXPECT_EQ(readOds(folder / "book.ods"), damaged);
    // Encrypted content is noise, and the manifest says why.
    const std::map<std::string, std::string> manifest{
        {"META-INF/manifest.xml",
         "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
         "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
         "</manifest:file-entry></manifest:manifest>"}};
    EXPECT_EQ(readOds(ods(randomBinary(3000), "book.ods", manifest)),
              message(OdsReader::passwordReason));
    EXPECT_EQ(readContent(content(table("T", row(cell("Name") + cell("Sequence"))))),
              message(OdsReader::noDataReason));
    EXPECT_EQ(readContent(content("")), message(OdsReader::noDataReason));
    EXPECT_THROW(OdsReader::read(folder / "missing.ods", [](const RecordView&) {}), FileError);
}
