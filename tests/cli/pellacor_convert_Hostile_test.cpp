// pellacor-convert against inputs and situations made to hurt it: an output that is its own
// input, locked or crafted workbooks, a closed error stream, an interrupt mid-way, odd names.
#include "tests/cli/ConvertRun.h"
#include "tests/readers/ZipBuilder.h"

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pellacor::hostile;

namespace {

const std::string passwordMessage =
    "pellacor-convert: Failed to parse Excel file: This workbook is password-protected. Remove "
    "the password in your spreadsheet program and try again.\n";

const std::string oneRowSheet =
    "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>s1</t></is></c>"
    "<c t=\"inlineStr\"><is><t>ACGT</t></is></c></row></sheetData></worksheet>";

// A workbook of `rows` rows of 1,000 residues: big enough to take a while.
std::string largeWorkbook(std::uint64_t rows) {
    ZipBuilder zip;
    zip.addRepeated("xl/worksheets/sheet1.xml", "<worksheet><sheetData>",
                    "<row><c t=\"inlineStr\"><is><t>s</t></is></c><c t=\"inlineStr\"><is><t>" +
                        std::string(1000, 'A') + "</t></is></c></row>",
                    rows, "</sheetData></worksheet>");
    return zip.bytes();
}

// True when a running process has `text` in its command line.
bool someProcessNames(const std::string& text) {
    std::error_code none;
    for (const auto& entry : fs::directory_iterator("/proc", none)) {
        std::string commandLine = slurp(entry.path() / "cmdline");
        if (commandLine.find(text) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

TEST(ConvertCliHostile, an_output_that_is_the_input_is_refused_and_the_input_kept) {
    ScratchFolder folder;
    const std::string table = "Name,Sequence\ns1,ACGT\n";
    writeFile(folder / "t.csv", table);
    fs::create_symlink(folder / "t.csv", folder / "link.csv");
    fs::create_hard_link(folder / "t.csv", folder / "hard.csv");
    ZipBuilder book;
    book.addStored("xl/worksheets/sheet1.xml", oneRowSheet);
    writeFile(folder / "t.xlsx", book.bytes());
    const std::string dir = folder.path().string();
    for (const auto& [input, output] : {std::pair{dir + "/t.csv", dir + "/t.csv"},
                                        {dir + "/t.csv", dir + "/./t.csv"},
                                        {dir + "/t.csv", dir + "/link.csv"},
                                        {dir + "/link.csv", dir + "/hard.csv"},
                                        {dir + "/t.xlsx", dir + "/t.xlsx"}}) {
        const Outcome r = convert(input + " -o " + output);
        EXPECT_EQ(r.status, 2) << input << " " << output;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("is the input table itself"), std::string::npos) << r.err;
    }
    EXPECT_EQ(slurp(folder / "t.csv"), table);
    EXPECT_EQ(slurp(folder / "t.xlsx"), book.bytes());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.csv")));
}

TEST(ConvertCliHostile, a_password_protected_workbook_is_named_so_and_never_waits_for_a_password) {
    ScratchFolder folder;
    fs::create_directories(folder / "book/xl/worksheets");
    writeFile(folder / "book/xl/worksheets/sheet1.xml", oneRowSheet);
    const std::string book = (folder / "locked.xlsx").string();
    ASSERT_EQ(std::system(("cd '" + (folder / "book").string() + "' && zip -q -e -P secret '" +
                           book + "' xl/worksheets/sheet1.xml")
                              .c_str()),
              0);
    // Only the message: nothing of unzip's own, no private temporary path.
    const Outcome r = convert(book);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, passwordMessage);
    // Started from a terminal, unzip would ask for the password there and wait forever.
    const std::string command = "timeout 60 script -qec \"" + std::string(PELLACOR_CONVERT) + " " +
                                book + "\" /dev/null >" + (folder / "tty").string();
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(slurp(folder / "tty").find("password-protected"), std::string::npos);
    // A spreadsheet program's own encryption stores the workbook in a compound file.
    std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound += std::string(1000, '\0');
    for (const char c : std::string("EncryptedPackage"))
        compound += std::string{c, '\0'};
    compound += std::string(3000, '\0');
    writeFile(folder / "office.xlsx", compound);
    EXPECT_EQ(convert((folder / "office.xlsx").string()).err, passwordMessage);
}

TEST(ConvertCliHostile, workbooks_convert_with_standard_error_closed) {
    ScratchFolder folder;
    ZipBuilder book;
    book.addStored("xl/worksheets/sheet1.xml", oneRowSheet);
    writeFile(folder / "t.xlsx", book.bytes());
    const std::string command = std::string(PELLACOR_CONVERT) + " " + (folder / "t.xlsx").string() +
                                " >" + (folder / "out").string() + " 2>&-";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    EXPECT_EQ(slurp(folder / "out"), ">s1\nACGT\n");
}

TEST(ConvertCliHostile, an_interrupt_mid_workbook_removes_the_work_directory_and_ends_unzip) {
    ScratchFolder folder;
    const fs::path temporary = folder / "tmp";
    fs::create_directory(temporary);
    writeFile(folder / "big.xlsx", largeWorkbook(400'000));
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("TMPDIR", temporary.c_str(), 1);
            if (!std::freopen("/dev/null", "w", stdout))
                ::_exit(127);
            ::execl(PELLACOR_CONVERT, PELLACOR_CONVERT, (folder / "big.xlsx").c_str(), nullptr);
            ::_exit(127);
        }
        // Interrupted once the sheet is being unpacked.
        bool unpacking = false;
        for (int i = 0; i < 20'000 && !unpacking; ++i) {
            std::error_code none;
            for (const auto& entry : fs::directory_iterator(temporary, none))
                unpacking |= fs::exists(entry.path() / "extracted" / "sheet.xml", none);
            if (!unpacking)
                ::usleep(500);
        }
        ASSERT_TRUE(unpacking);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(namesIn(temporary), std::vector<std::string>());
        // No unzip still unpacking into the place that is gone.
        EXPECT_FALSE(someProcessNames(temporary.string()));
    }
}

TEST(ConvertCliHostile, a_name_with_control_characters_stays_on_one_line) {
    ScratchFolder folder;
    const Outcome r =
        convert("\"$(printf '%s/no\\nsuch\\033.csv' " + folder.path().string() + ")\"");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "pellacor-convert: Cannot open \u201Cno\\nsuch\\x1B.csv\u201D: No such file or "
              "directory.\n");
}

TEST(ConvertCliHostile, one_enormous_xml_item_fails_at_once) {
    // 512 MiB in one attribute: parsed in pieces, each would scan the item again from its start.
    ScratchFolder folder;
    ZipBuilder zip;
    zip.addRepeated("xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c r=\"A1\" x=\"",
                    std::string(1 << 20, 'a'), 512, "\"/></row></sheetData></worksheet>");
    writeFile(folder / "token.xlsx", zip.bytes());
    const Outcome r = convert((folder / "token.xlsx").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "pellacor-convert: Failed to parse Excel file: The workbook holds a single XML "
              "item of more than 64 MiB, larger than any cell can be. The file is damaged "
              "or was not written by a spreadsheet program.\n");
}

TEST(ConvertCliHostile, a_full_temporary_folder_is_told_as_such_naming_it) {
    ScratchFolder folder;
    const fs::path small = folder / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const std::string expected =
        "pellacor-convert: Failed to parse Excel file: There is not enough free space in the "
        "temporary folder \u201C" +
        small.string() +
        "\u201D to unpack this workbook. Free some space there, or set TMPDIR to a folder with "
        "more, and try again.\n";
    // Parts that would not fit, and a workbook that does not fit itself.
    writeFile(folder / "parts.xlsx", largeWorkbook(300));
    std::string noise = randomBinary(400'000);
    ZipBuilder big;
    big.addStored("xl/media/noise.bin", noise);
    big.addStored("xl/worksheets/sheet1.xml", oneRowSheet);
    writeFile(folder / "big.xlsx", big.bytes());
    for (const char* book : {"parts.xlsx", "big.xlsx"}) {
        const Outcome r = convert((folder / book).string(), false, "TMPDIR=" + small.string());
        EXPECT_EQ(r.status, 1) << book;
        EXPECT_EQ(r.err, expected) << book;
    }
    EXPECT_EQ(namesIn(small), std::vector<std::string>());
    ::umount2(small.c_str(), MNT_DETACH);
}
