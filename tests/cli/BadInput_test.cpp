// The converter on hostile input: one line on standard error and status 1 for what cannot be
// converted, the whole FASTA for what can, never a hang, never a partial output file.
#include "tests/readers/HostileInput.h"

#include <algorithm>
#include <sys/stat.h>

using namespace pellacor::hostile;

namespace {

const std::string converter = PELLACOR_CONVERT;

ChildOutcome convert(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment = {},
                     bool asNobody = false) {
    return runProgram(converter, arguments, environment, asNobody, 300s);
}

// Expects a failure that printed exactly `message` and nothing on standard output.
void expectFailure(const ChildOutcome& run, const std::string& message) {
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pellacor-convert: " + message + "\n");
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(BadInputConverter, randomBinaryNamedCsvFailsAsNotUtf8Text) {
    ScratchFolder folder;
    writeFile(folder / "noise.csv", randomBinary(4096));
    expectFailure(convert({(folder / "noise.csv").string()}),
                  "The file is not valid UTF-8 text. Save it as UTF-8 and try again.");
}

TEST(BadInputConverter, aZeroByteWorkbookFailsWithTheWorkbookMessage) {
    ScratchFolder folder;
    fs::create_directory(folder / "tmp");
    writeFile(folder / "empty.xlsx", "");
    expectFailure(
        convert({(folder / "empty.xlsx").string()}, {{"TMPDIR", (folder / "tmp").string()}}),
        "Failed to parse Excel file: Invalid Excel file format. The file does not "
        "appear to be a valid .xlsx file.");
    EXPECT_EQ(namesIn(folder / "tmp"), std::vector<std::string>());
}

TEST(BadInputConverter, aDirectoryFifoOrDeletedFileFailsAtOnceWithItsName) {
    ScratchFolder folder;
    fs::create_directory(folder / "dir.csv");
    expectFailure(convert({(folder / "dir.csv").string()}),
                  "Cannot read \u201Cdir.csv\u201D: Is a directory.");

    ASSERT_EQ(::mkfifo((folder / "pipe.tsv").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    expectFailure(convert({(folder / "pipe.tsv").string()}),
                  "\u201Cpipe.tsv\u201D is not a regular file. Choose a table saved on disk.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);

    writeFile(folder / "gone.csv", "s1,ACGT\n");
    fs::remove(folder / "gone.csv");
    expectFailure(convert({(folder / "gone.csv").string()}),
                  "Cannot open \u201Cgone.csv\u201D: No such file or directory.");
}

TEST(BadInputConverter, aFileWithoutReadPermissionFailsWithTheSystemsReason) {
    ScratchFolder folder;
    writeFile(folder / "locked.csv", "s1,ACGT\n");
    fs::permissions(folder / "locked.csv", fs::perms::none);
    const ChildOutcome run = convert({(folder / "locked.csv").string()}, {}, true);
    if (!run.started)
        GTEST_SKIP() << "cannot run the converter as the user nobody to take away permission";
    expectFailure(run, "Cannot open \u201Clocked.csv\u201D: Permission denied.");
}

TEST(BadInputConverter, aWorkbookWithoutAWritableTemporaryDirectoryFailsCleanly) {
    ScratchFolder folder;
    writeFile(folder / "book.xlsx", "PK\x03\x04 not really");
    openToEveryone(folder.path());
    fs::permissions(folder / "book.xlsx", fs::perms::all);
    // A temporary directory that is a file cannot hold a work directory, even for root.
    writeFile(folder / "not-a-dir", "");
    const ChildOutcome file =
        convert({(folder / "book.xlsx").string()}, {{"TMPDIR", (folder / "not-a-dir").string()}});
    EXPECT_EQ(file.status, 1);
    EXPECT_TRUE(file.err.starts_with("pellacor-convert: Failed to parse Excel file: ")) << file.err;
    EXPECT_EQ(lineCount(file.err), 1u);

    fs::create_directory(folder / "read-only");
    fs::permissions(folder / "read-only", fs::perms::owner_read | fs::perms::owner_exec |
                                              fs::perms::others_read | fs::perms::others_exec);
    const ChildOutcome readOnly = convert({(folder / "book.xlsx").string()},
                                          {{"TMPDIR", (folder / "read-only").string()}}, true);
    if (!readOnly.started)
        GTEST_SKIP() << "cannot run the converter as the user nobody to meet a read-only folder";
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_TRUE(readOnly.err.starts_with("pellacor-convert: Failed to parse Excel file: "))
        << readOnly.err;
    EXPECT_EQ(namesIn(folder / "read-only"), std::vector<std::string>());
}

TEST(BadInputConverter, aSaveTargetInAReadOnlyFolderFailsWithoutLeavingAnything) {
    ScratchFolder folder;
    writeFile(folder / "table.csv", "s1,ACGT\n");
    openToEveryone(folder.path());
    fs::permissions(folder / "table.csv", fs::perms::all);
    fs::create_directory(folder / "out");
    writeFile(folder / "out" / "output.fasta", "earlier result\n");
    fs::permissions(folder / "out", fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder / "out" / "output.fasta",
                    fs::perms::owner_read | fs::perms::others_read);

    const ChildOutcome run =
        convert({"-o", (folder / "out" / "output.fasta").string(), (folder / "table.csv").string()},
                {}, true);
    if (!run.started)
        GTEST_SKIP() << "cannot run the converter as the user nobody to meet a read-only folder";
    expectFailure(run, "Cannot write \u201Coutput.fasta\u201D: Permission denied.");
    EXPECT_EQ(namesIn(folder / "out"), std::vector<std::string>{"output.fasta"});
    std::ifstream earlier(folder / "out" / "output.fasta");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier result\n");
}

TEST(BadInputConverter, aSaveTargetInAMissingFolderFails) {
    ScratchFolder folder;
    writeFile(folder / "table.csv", "s1,ACGT\n");
    expectFailure(
        convert({"-o", (folder / "nowhere" / "x.fasta").string(), (folder / "table.csv").string()}),
        "Cannot write \u201Cx.fasta\u201D: No such file or directory.");
}

TEST(BadInputConverter, fiveMillionOneResidueRowsConvertToTenMillionLines) {
    ScratchFolder folder;
    {
        std::ofstream out(folder / "many.csv", std::ios::binary);
        std::string chunk;
        for (int i = 0; i < 5'000'000; ++i) {
            chunk.append("r").append(std::to_string(i)).append(",A\n");
            if (chunk.size() > (1 << 20)) {
                out << chunk;
                chunk.clear();
            }
        }
        out << chunk;
    }
    const ChildOutcome run = convert({(folder / "many.csv").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lineCount(run.out), 10'000'000u);
    EXPECT_TRUE(run.out.ends_with(">r4999999\nA\n"));
}

TEST(BadInputConverter, aRowFiftyMegabytesLongConvertsInBoundedTime) {
    ScratchFolder folder;
    {
        std::ofstream out(folder / "long.tsv", std::ios::binary);
        out << "s1\t" << std::string(50'000'000, 'G') << "\xC3\xA9\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome run = convert({(folder / "long.tsv").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.size(), 4 + 50'000'002 + 625'001);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 120s);
}
