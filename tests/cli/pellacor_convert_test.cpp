// The pellacor-convert binary: FASTA on standard output or saved whole, one line on standard
// error and status 1 for what cannot be converted, status 2 for a wrong command line.
#include "tests/readers/HostileInput.h"

using namespace pellacor::hostile;

namespace {

ChildOutcome convert(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment = {},
                     bool asNobody = false) {
    return runProgram(PELLACOR_CONVERT, arguments, environment, asNobody);
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string workbooks = std::string(PELLACOR_FIXTURES) + "/workbooks/";

} // namespace

TEST(ConvertCli, converts_tables_and_workbooks_to_standard_output) {
    ScratchFolder folder;
    writeFile(folder / "t.csv", "Name,Sequence\ns1,\"AC GT\",E. coli\ns2,ACGTA\n");
    const ChildOutcome r = convert({(folder / "t.csv").string(), "-w", "4"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1 E. coli\nACGT\n>s2\nACGT\nA\n");
    EXPECT_EQ(r.err, "");
    const ChildOutcome csv = convert({workbooks + "table.csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (const char* name : {"libreoffice.xlsx", "openpyxl.xlsx"}) {
        const ChildOutcome book = convert({workbooks + name});
        EXPECT_EQ(book.status, 0) << name;
        EXPECT_EQ(book.out, csv.out) << name;
    }
}

TEST(ConvertCli, reads_standard_input_and_writes_the_trace_to_standard_error) {
    ScratchFolder folder;
    writeFile(folder / "in.tsv", "s1\tA-C\ns2\tGG\n");
    const ChildOutcome r =
        runProgram("/bin/sh", {"-c", std::string(PELLACOR_CONVERT) + " --trace - <" +
                                         (folder / "in.tsv").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1\nA-C\n>s2\nGG\n");
    EXPECT_EQ(r.err, "DEBUG: Total entries: 2\n"
                     "DEBUG: Entry 's1' - sequence length: 3, dashes: 1\n"
                     "DEBUG: Entry 's2' - sequence length: 2, dashes: 0\n"
                     "DEBUG: FASTA output length: 15, total dashes: 1\n"
                     "DEBUG: First 200 chars of FASTA:\n>s1\nA-C\n>s2\nGG\n\n");
}

TEST(ConvertCli, a_failure_prints_the_readers_message_alone_and_leaves_no_work_directory) {
    ScratchFolder folder;
    fs::create_directory(folder / "tmp");
    writeFile(folder / "empty.xlsx", "");
    const ChildOutcome r =
        convert({(folder / "empty.xlsx").string()}, {{"TMPDIR", (folder / "tmp").string()}});
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "pellacor-convert: Failed to parse Excel file: Invalid Excel file format. "
                     "The file does not appear to be a valid .xlsx file.\n");
    EXPECT_EQ(namesIn(folder / "tmp"), std::vector<std::string>());
}

TEST(ConvertCli, usage_errors_exit_with_two) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"-w", "0", "x.csv"},
                                               {"-w", "abc", "x.csv"},
                                               {"--bogus", "x.csv"},
                                               {"a.csv", "b.csv"}})
        EXPECT_EQ(convert(arguments).status, 2) << arguments.size();
    const ChildOutcome help = convert({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pellacor-convert"), std::string::npos);
}

TEST(ConvertCli, the_output_file_is_replaced_whole_or_not_at_all) {
    ScratchFolder folder;
    const fs::path target = folder / "result.fasta";
    writeFile(target, "previous result\n");
    writeFile(folder / "bad.csv", "Name,Sequence\n");
    writeFile(folder / "ok.csv", "s1,AC\n");
    EXPECT_EQ(convert({"-o", target.string(), (folder / "bad.csv").string()}).status, 1);
    EXPECT_EQ(slurp(target), "previous result\n");
    const ChildOutcome good = convert({"-o", target.string(), (folder / "ok.csv").string()});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "");
    EXPECT_EQ(slurp(target), ">s1\nAC\n");
    std::vector<std::string> names = namesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.csv", "ok.csv", "result.fasta"}));

    const ChildOutcome noFolder =
        convert({"-o", (folder / "nowhere" / "x.fasta").string(), (folder / "ok.csv").string()});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err,
              "pellacor-convert: Cannot write \u201Cx.fasta\u201D: No such file or directory.\n");

    // A read-only folder: the earlier result stays and nothing is added beside it.
    fs::permissions(folder / "ok.csv", fs::perms::all);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(target, fs::perms::owner_read | fs::perms::others_read);
    const ChildOutcome denied =
        convert({"-o", target.string(), (folder / "ok.csv").string()}, {}, true);
    if (!denied.started)
        GTEST_SKIP() << "cannot run the converter as the user nobody to meet a read-only folder";
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.out, "");
    EXPECT_EQ(denied.err,
              "pellacor-convert: Cannot write \u201Cresult.fasta\u201D: Permission denied.\n");
    EXPECT_EQ(namesIn(folder.path()).size(), 3u);
    EXPECT_EQ(slurp(target), ">s1\nAC\n");
}
