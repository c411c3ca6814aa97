// The converter on OpenDocument and legacy Excel workbooks: the same FASTA as the CSV twin,
// whatever the file is named, the sheet chosen, and one line naming the file for what it cannot
// read, with the old message for a file that is no workbook at all.
#include "tests/cli/ConvertRun.h"

using namespace pellacor::hostile;

namespace {

const std::string workbooks = std::string(PELLACOR_FIXTURES) + "/workbooks/";
const std::string notAWorkbook = "pellacor-convert: Failed to parse Excel file: Invalid Excel "
                                 "file format. The file does not appear to be a valid .xlsx "
                                 "file.\n";

} // namespace

TEST(ConvertFormats, ods_fods_and_xls_workbooks_give_the_text_of_their_csv_twin_by_any_name) {
    const Outcome csv = convert(workbooks + "table.csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    ScratchFolder folder;
    fs::create_directory(folder / "tmp");
    for (const auto& [fixture, name] :
         std::vector<std::pair<std::string, std::string>>{{"odfpy.ods", "odfpy.ods"},
                                                          {"zipfile.ods", "Plate.ODS"},
                                                          {"zipfile.ods", "exported.csv"},
                                                          {"flat.fods", "flat.fods"},
                                                          {"flat.fods", "flat.xml"},
                                                          {"xlwt.xls", "xlwt.xls"},
                                                          {"xlwt.xls", "instrument.txt"},
                                                          {"xlwt.xls", "renamed.xlsx"}}) {
        fs::copy_file(workbooks + fixture, folder / name);
        const Outcome book =
            convert((folder / name).string(), false, "TMPDIR=" + (folder / "tmp").string());
        EXPECT_EQ(book.status, 0) << name << ": " << book.err;
        EXPECT_EQ(book.out, csv.out) << name;
        EXPECT_EQ(book.err, csv.err) << name;
    }
    EXPECT_EQ(namesIn(folder / "tmp"), std::vector<std::string>());
    EXPECT_EQ(convert("--sheet Notes " + workbooks + "odfpy.ods").out, ">not a sequence\nNNNN\n");
    EXPECT_EQ(convert("--sheet 1 " + workbooks + "xlwt.xls").out, ">not a sequence\nNNNN\n");
    const Outcome missing = convert("--sheet Plates " + workbooks + "xlwt.xls");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "pellacor-convert: There is no sheet \u201CPlates\u201D in this "
                           "workbook; it has 1 \u201CNotes\u201D, 2 \u201CSequences\u201D, 3 "
                           "\u201CNumbers\u201D.\n");
}

TEST(ConvertFormats,
     a_locked_or_damaged_workbook_is_named_and_a_file_of_no_format_keeps_the_old_message) {
    const Outcome locked = convert(workbooks + "password.xls");
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.out, "");
    EXPECT_EQ(locked.err, "pellacor-convert: Cannot read the Excel 97-2003 workbook "
                          "\u201Cpassword.xls\u201D: It is password-protected. Remove the "
                          "password in your spreadsheet program, or save it again as .xlsx or "
                          ".ods without one, and try again.\n");
    ScratchFolder folder;
    const std::string xls = slurp(workbooks + "xlwt.xls");
    writeFile(folder / "cut.xls", xls.substr(0, 1500));
    const Outcome cut = convert((folder / "cut.xls").string());
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err,
              "pellacor-convert: Cannot read the Excel 97-2003 workbook \u201Ccut.xls\u201D: "
              "It is damaged, or of a kind that is not read here. Save it again as "
              ".xlsx or .ods and try again.\n");
    const std::string ods = slurp(workbooks + "zipfile.ods");
    writeFile(folder / "cut.ods", ods.substr(0, ods.size() / 2));
    EXPECT_EQ(convert((folder / "cut.ods").string()).err,
              "pellacor-convert: Cannot read the spreadsheet \u201Ccut.ods\u201D: It is damaged. "
              "Save it again as .xlsx or .ods and try again.\n");
    for (const char* name : {"plain.xls", "plain.ods", "plain.fods"}) {
        writeFile(folder / name, "just some words\n");
        const Outcome none = convert((folder / name).string());
        EXPECT_EQ(none.status, 1) << name;
        EXPECT_EQ(none.err, notAWorkbook) << name;
    }
}

TEST(ConvertFormats, the_help_and_the_manual_page_name_the_workbook_formats) {
    const std::string help = convert("-h").out;
    const std::string page = slurp(fs::path(PELLACOR_BINARY_DIR) / "cli/pellacor-convert.1");
    for (const char* format : {".xlsx", ".xls ", ".ods", ".fods"}) {
        EXPECT_NE(help.find(format), std::string::npos) << format;
        EXPECT_NE(page.find(format), std::string::npos) << format;
    }
}
