// pellacor-convert against inputs and situations made to hurt it: an output that is its own
// input, locked or crafted workbooks, a closed error stream, an interrupt mid-way, odd names.
#include "tests/cli/ConvertRun.h"
#include "tests/readers/workbook/ZipBuilder.h"

#include <algorithm>
#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
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

TEST(ConvertCliHostile, text_in_utf16_or_utf32_converts_whole_from_a_file_a_gzip_file_or_a_pipe) {
    // Far past the 4,194,304 characters where UTF-16 used to end, with exit 0 and no word.
    ScratchFolder folder;
    std::string table = "Name,Sequence\n";
    for (int row = 0; table.size() < 10'000'000; ++row) {
        table += 's';
        table += std::to_string(row);
        table += ',';
        table.append(200, "ACGT"[row % 4]);
        table += '\n';
    }
    writeFile(folder / "t.csv", table);
    const std::string expected = convert((folder / "t.csv").string()).out;
    ASSERT_GT(expected.size(), table.size());
    const auto encode = [&](bool wide, bool big) {
        std::string out =
            wide ? (big ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4))
                 : (big ? "\xFE\xFF" : "\xFF\xFE");
        const std::size_t zeros = wide ? 3 : 1;
        for (const char c : table) {
            if (big)
                out.append(zeros, '\0');
            out += c;
            if (!big)
                out.append(zeros, '\0');
        }
        return out;
    };
    for (const auto& [name, wide, big] : {std::tuple{"le16.csv", false, false},
                                          {"be16.csv", false, true},
                                          {"le32.csv", true, false},
                                          {"be32.csv", true, true}}) {
        writeFile(folder / name, encode(wide, big));
        const std::string file = (folder / name).string();
        EXPECT_TRUE(convert(file).out == expected) << name;
        EXPECT_TRUE(convert("- < " + file).out == expected) << name << " on standard input";
        EXPECT_TRUE(convert("-", false, "cat " + file + " |").out == expected) << name << " piped";
        ASSERT_EQ(std::system(("gzip -k " + file).c_str()), 0);
        EXPECT_TRUE(convert(file + ".gz").out == expected) << name << ".gz";
    }
}

TEST(ConvertCliHostile, a_nul_byte_is_no_text_and_endless_zeros_end_at_once) {
    ScratchFolder folder;
    writeFile(folder / "nul.csv", std::string("id,seq\ns1,AC\ns2,A\0C\n", 20));
    const std::string message = "pellacor-convert: The file is not text: row 3 holds a NUL byte, "
                                "which no text table has. Save the table as CSV or TSV and try "
                                "again.\n";
    const Outcome file = convert((folder / "nul.csv").string());
    const Outcome pipe = convert("-", false, "cat " + (folder / "nul.csv").string() + " |");
    for (const Outcome& r : {file, pipe}) {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, message);
    }
    // The pipe's first record went out before the fault; from a file, nothing did.
    EXPECT_EQ(file.out, "");
    EXPECT_EQ(pipe.out, ">s1\nAC\n");
    const Outcome zeros = convert("- < /dev/zero");
    EXPECT_EQ(zeros.status, 1);
    EXPECT_EQ(zeros.err, "pellacor-convert: The file is not text: row 1 holds a NUL byte, which "
                         "no text table has. Save the table as CSV or TSV and try again.\n");
}

TEST(ConvertCliHostile, a_closed_standard_output_fails_as_a_write_error) {
    ScratchFolder folder;
    writeFile(folder / "t.csv", "Name,Sequence\ns1,ACGT\n");
    for (const std::string& arguments : {(folder / "t.csv").string(), std::string("-h")}) {
        const std::string command =
            std::string(PELLACOR_CONVERT) + " " + arguments + " >&- 2>" + (folder / "err").string();
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << arguments;
        EXPECT_EQ(
            slurp(folder / "err").rfind("pellacor-convert: cannot write to standard output", 0), 0u)
            << slurp(folder / "err");
    }
    // With -o, standard output is not needed.
    const std::string command = std::string(PELLACOR_CONVERT) + " -o " +
                                (folder / "out.fa").string() + " " + (folder / "t.csv").string() +
                                " >&-";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(slurp(folder / "out.fa"), ">s1\nACGT\n");
}

TEST(ConvertCliHostile, an_interrupt_leaves_no_partial_output_beside_the_target) {
    ScratchFolder folder;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        int feed[2];
        ASSERT_EQ(::pipe(feed), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(feed[0], STDIN_FILENO);
            ::close(feed[0]);
            ::close(feed[1]);
            ::execl(PELLACOR_CONVERT, PELLACOR_CONVERT, "-o", (folder / "o.fa").c_str(), "-",
                    nullptr);
            ::_exit(127);
        }
        ::close(feed[0]);
        const std::string rows = "s1,ACGT\ns2,GGCC\n";
        ASSERT_EQ(::write(feed[1], rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
        // The temporary beside the target exists once the records are being written.
        bool writing = false;
        for (int i = 0; i < 20'000 && !writing; ++i) {
            writing = namesIn(folder.path()).size() == 1;
            if (!writing)
                ::usleep(500);
        }
        ASSERT_TRUE(writing);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(feed[1]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>()) << signal;
    }
}

TEST(ConvertCliHostile, cell_text_and_option_values_reach_the_terminal_as_one_harmless_line) {
    ScratchFolder folder;
    // A repeated identifier that would retitle the terminal, a value over two lines.
    writeFile(folder / "t.csv", "id,seq\n\x1B]0;owned\x07,AC\n\x1B]0;owned\x07,GG\n\"12\n34\",5\n"
                                "x,6\ny,7\n");
    const Outcome r = convert((folder / "t.csv").string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\u201C\\x1B]0;owned\\x07\u201D appears more than once"),
              std::string::npos)
        << r.err;
    writeFile(folder / "n.csv", "id,seq\ns1,\"12\n34\"\ns2,5\n");
    const Outcome numbers = convert((folder / "n.csv").string());
    EXPECT_EQ(std::count(numbers.err.begin(), numbers.err.end(), '\n'), 1) << numbers.err;
    EXPECT_NE(numbers.err.find("such as \u201C12 34\u201D in row 2"), std::string::npos)
        << numbers.err;
    for (const std::string option : {"--id-column", "--sheet"}) {
        const std::string table = option == "--sheet" ? PELLACOR_SOURCE_DIR "/examples/example.xlsx"
                                                      : (folder / "t.csv").string();
        const Outcome wrong = convert(option + " \"$(printf '\\033[2J')\" " + table);
        EXPECT_EQ(wrong.status, 2) << option;
        EXPECT_EQ(wrong.err.find('\x1B'), std::string::npos) << wrong.err;
        EXPECT_NE(wrong.err.find("\u201C\\x1B[2J\u201D"), std::string::npos) << wrong.err;
    }
}

TEST(ConvertCliHostile, messages_about_the_command_line_say_what_is_wrong_in_a_line) {
    ScratchFolder folder;
    std::string header = "id,seq";
    std::string row = "s1,ACGT";
    for (int i = 3; i <= 100'000; ++i) {
        header += ",c" + std::to_string(i);
        row += ",0";
    }
    writeFile(folder / "wide.csv", header + "\n" + row + "\n");
    const Outcome wide = convert("--sequence-column nothing " + (folder / "wide.csv").string());
    EXPECT_EQ(wide.status, 2);
    EXPECT_EQ(wide.err, "pellacor-convert: There is no column named \u201Cnothing\u201D for the "
                        "sequence in this table; it has \u201Cid\u201D, \u201Cseq\u201D, "
                        "\u201Cc3\u201D, \u201Cc4\u201D, \u201Cc5\u201D, \u201Cc6\u201D, "
                        "\u201Cc7\u201D, \u201Cc8\u201D, \u201Cc9\u201D, \u201Cc10\u201D and "
                        "99990 more.\n");
    writeFile(folder / "t.csv", "id,x,x\ns1,AC,GG\n");
    const std::string table = (folder / "t.csv").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--sequence-column x " + table, "Columns 2 and 3 are both named \u201Cx\u201D; choose "
                                         "the sequence by its number."},
        {"--id-column 2 --sequence-column 2 " + table,
         "Column 2 cannot be the sequence and the identifier both; choose another column for one "
         "of them."},
        {"--description-column 3 --sequence-column 3 " + table,
         "Column 3 cannot be the sequence and the description both; choose another column for "
         "one of them."},
        {"- - < " + table, "standard input (-) can be given once only"},
        {"-o " + (folder / "nodir/x.fa").string() + " " + table,
         "Cannot write \u201Cx.fa\u201D: the folder \u201C" + (folder / "nodir").string() +
             "\u201D does not exist."}};
    for (const auto& [arguments, message] : cases) {
        const Outcome r = convert(arguments);
        EXPECT_EQ(r.err.rfind("pellacor-convert: " + message, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.status, 0);
    }
}

TEST(ConvertCliHostile, a_gzip_pipe_whose_reader_leaves_ends_the_converter_while_input_waits) {
    ScratchFolder folder;
    std::string table;
    for (int i = 0; i < 200000; ++i)
        table.append("s").append(std::to_string(i % 10)).append(",ACGTTGCAAC\n");
    writeFile(folder / "t.csv", table);
    ASSERT_EQ(std::system(("gzip -k " + (folder / "t.csv").string()).c_str()), 0);
    const std::string data = slurp(folder / "t.csv.gz");
    ASSERT_LT(data.size(), 60'000u); // fits the pipe: writing it never waits
    int feed[2], drain[2];
    ASSERT_EQ(::pipe(feed), 0);
    ASSERT_EQ(::pipe(drain), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(feed[0], STDIN_FILENO);
        ::dup2(drain[1], STDOUT_FILENO);
        for (const int fd : {feed[0], feed[1], drain[0], drain[1]})
            ::close(fd);
        ::execl(PELLACOR_CONVERT, PELLACOR_CONVERT, "-", nullptr);
        ::_exit(127);
    }
    ::close(feed[0]);
    ::close(drain[1]);
    ASSERT_EQ(::write(feed[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
    // The first records come; then the reader leaves, the input still open and silent.
    char first[100];
    ASSERT_GT(::read(drain[0], first, sizeof first), 0);
    ::close(drain[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child); // a hang fails at the test's time-out
    ::close(feed[1]);
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 1)) << status;
}
