// The pellacor-convert binary: FASTA on standard output or saved whole, one line on standard
// error and status 1 for what cannot be converted, status 2 for a wrong command line.
#include "tests/cli/ConvertRun.h"

#include <algorithm>
#include <fcntl.h>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include "tests/files/Gzipped.h"

using namespace pellacor::hostile;

namespace {

const std::string workbooks = std::string(PELLACOR_FIXTURES) + "/workbooks/";

using pellacor::testdata::gunzipped;

} // namespace

TEST(ConvertCli, converts_tables_and_workbooks_to_standard_output) {
    ScratchFolder folder;
    writeFile(folder / "t.csv", "Name,Sequence\ns1,\"AC GT\",E. coli\ns2,ACGTA\n");
    const Outcome r = convert((folder / "t.csv").string() + " -w 4");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1 E. coli\nACGT\n>s2\nACGT\nA\n");
    EXPECT_EQ(r.err, "");
    const Outcome csv = convert(workbooks + "table.csv");
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (const char* name : {"libreoffice.xlsx", "openpyxl.xlsx"}) {
        const Outcome book = convert(workbooks + name);
        EXPECT_EQ(book.status, 0) << name;
        EXPECT_EQ(book.out, csv.out) << name;
    }
}

TEST(ConvertCli, a_workbook_text_written_in_pieces_is_the_text_of_the_same_table) {
    // Megabytes of text, so that it goes out in several pieces, to standard output and to a file,
    // with one record larger than a piece.
    ScratchFolder folder;
    std::string csv, rows;
    for (int i = 1; i <= 3000; ++i) {
        const std::string n = std::to_string(i);
        const std::string id = "s" + n;
        const std::string residues(i == 1500 ? 3'000'000 : 700 + i % 300, "ACGT"[i % 4]);
        csv += id + "," + residues + "\n";
        rows += "<row><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>" + id + "</t></is></c><c r=\"B" +
                n + "\" t=\"inlineStr\"><is><t>" + residues + "</t></is></c></row>";
    }
    writeFile(folder / "t.csv", csv);
    fs::create_directories(folder / "book" / "xl" / "worksheets");
    writeFile(folder / "book" / "xl" / "worksheets" / "sheet1.xml",
              "<worksheet><sheetData>" + rows + "</sheetData></worksheet>");
    ASSERT_EQ(std::system(("cd " + (folder / "book").string() +
                           " && zip -q ../t.xlsx xl/worksheets/sheet1.xml")
                              .c_str()),
              0);
    const Outcome table = convert((folder / "t.csv").string());
    ASSERT_GT(table.out.size(), 2u << 20);
    EXPECT_EQ(convert((folder / "t.xlsx").string()).out, table.out);
    const std::string saved = (folder / "saved.fasta").string();
    EXPECT_EQ(convert("-o " + saved + " " + (folder / "t.xlsx").string()).status, 0);
    EXPECT_EQ(slurp(saved), table.out);
}

TEST(ConvertCli, reads_standard_input_and_writes_the_trace_to_standard_error) {
    ScratchFolder folder;
    writeFile(folder / "in.tsv", "s1\tA-C\ns2\tGG\n");
    const Outcome r = convert("--trace - <" + (folder / "in.tsv").string());
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
    const Outcome r =
        convert((folder / "empty.xlsx").string(), false, "TMPDIR=" + (folder / "tmp").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "pellacor-convert: Failed to parse Excel file: Invalid Excel file format. "
                     "The file does not appear to be a valid .xlsx file.\n");
    EXPECT_EQ(namesIn(folder / "tmp"), std::vector<std::string>());
}

TEST(ConvertCli, a_file_without_read_permission_is_refused_by_both_readers) {
    ScratchFolder folder;
    writeFile(folder / "locked.csv", "s1,ACGT\n");
    writeFile(folder / "locked.xlsx", "PK");
    writeFile(folder / "locked.ods", "PK");
    fs::permissions(folder / "locked.csv", fs::perms::none);
    fs::permissions(folder / "locked.xlsx", fs::perms::none);
    fs::permissions(folder / "locked.ods", fs::perms::none);
    EXPECT_EQ(convert((folder / "locked.csv").string(), true).err,
              "pellacor-convert: Cannot open \u201Clocked.csv\u201D: Permission denied.\n");
    EXPECT_EQ(convert((folder / "locked.xlsx").string(), true).err,
              "pellacor-convert: Cannot read Excel file. Please check file permissions.\n");
    EXPECT_EQ(convert((folder / "locked.ods").string(), true).err,
              "pellacor-convert: Cannot open \u201Clocked.ods\u201D: Permission denied.\n");
}

TEST(ConvertCli, usage_errors_exit_with_two) {
    for (const char* arguments : {"", "-w abc x.csv", "-w -1 x.csv", "--bogus x.csv", "x.csv -o"})
        EXPECT_EQ(convert(arguments).status, 2) << arguments;
    const Outcome help = convert("-h");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pellacor-convert"), std::string::npos);
}

namespace {

/// Every option named by `pattern`'s first group anywhere in `text`, in order, once each.
std::vector<std::string> optionsIn(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> options;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        std::string option = (*it)[1];
        for (std::size_t at; (at = option.find("\\-")) != std::string::npos;)
            option.erase(at, 1);
        if (std::find(options.begin(), options.end(), option) == options.end())
            options.push_back(option);
    }
    return options;
}

} // namespace

TEST(ConvertCli, the_manual_page_and_the_completion_offer_every_option_the_help_lists) {
    // In the help, options start the lines of the option list: "  -o FILE", "  -h, --help".
    const std::vector<std::string> help =
        optionsIn(convert("-h").out, std::regex(R"((?:\n  |, )(-{1,2}[a-z][-a-z]*))"));
    ASSERT_GE(help.size(), 10u);
    // In the manual page, each option's entry is a .TP whose next line names it in bold.
    const std::string page = slurp(fs::path(PELLACOR_BINARY_DIR) / "cli/pellacor-convert.1");
    std::vector<std::string> manual;
    const std::regex entry(R"(\.TP\n\.B[IR]? ([^\n]*))");
    for (std::sregex_iterator it(page.begin(), page.end(), entry), end; it != end; ++it) {
        const std::string names = (*it)[1];
        for (const std::string& option :
             optionsIn(names, std::regex(R"((\\-(?:\\-)?[a-z][-a-z\\]*))")))
            manual.push_back(option);
    }
    EXPECT_EQ(manual, help);
    // The completion's word list, in any order.
    const std::string script =
        slurp(fs::path(PELLACOR_SOURCE_DIR) / "cli/pellacor-convert.bash-completion");
    const std::size_t words = script.find("compgen -W '-");
    ASSERT_NE(words, std::string::npos);
    std::vector<std::string> completed =
        optionsIn(script.substr(words, script.find('\'', words + 12) - words),
                  std::regex(R"([\s'](-{1,2}[a-z][-a-z]*))"));
    std::vector<std::string> sortedHelp = help;
    std::sort(sortedHelp.begin(), sortedHelp.end());
    std::sort(completed.begin(), completed.end());
    EXPECT_EQ(completed, sortedHelp);
}

TEST(ConvertCli, the_output_file_is_replaced_whole_or_not_at_all) {
    ScratchFolder folder;
    const std::string target = (folder / "result.fasta").string();
    const std::string ok = (folder / "ok.csv").string();
    writeFile(target, "previous result\n");
    writeFile(folder / "bad.csv", "Name,Sequence\n");
    writeFile(ok, "s1,AC\n");
    EXPECT_EQ(convert("-o " + target + " " + (folder / "bad.csv").string()).status, 1);
    EXPECT_EQ(slurp(target), "previous result\n");
    const Outcome good = convert("-o " + target + " " + ok);
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "");
    EXPECT_EQ(slurp(target), ">s1\nAC\n");
    std::vector<std::string> names = namesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.csv", "ok.csv", "result.fasta"}));

    EXPECT_EQ(convert("-o " + (folder / "nowhere" / "x.fasta").string() + " " + ok).err,
              "pellacor-convert: Cannot write \u201Cx.fasta\u201D: the folder \u201C" +
                  (folder / "nowhere").string() + "\u201D does not exist.\n");
    // A read-only folder: the earlier result stays and nothing is added beside it.
    fs::permissions(ok, fs::perms::all);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(target, fs::perms::owner_read | fs::perms::others_read);
    const Outcome denied = convert("-o " + target + " " + ok, true);
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.out, "");
    EXPECT_EQ(denied.err,
              "pellacor-convert: Cannot write \u201Cresult.fasta\u201D: Permission denied.\n");
    EXPECT_EQ(namesIn(folder.path()).size(), 3u);
    EXPECT_EQ(slurp(target), ">s1\nAC\n");
}

TEST(ConvertCli, an_output_named_gz_is_gzip_data_of_the_plain_text_and_whole_or_not_at_all) {
    ScratchFolder folder;
    std::string table = "ID,Sequence,Note\n";
    for (int i = 0; i < 30000; ++i)
        table.append("s")
            .append(std::to_string(i))
            .append(",")
            .append(90 + i % 50, "ACGT"[i % 4])
            .append(",n\n");
    writeFile(folder / "t.csv", table);
    writeFile(folder / "u.tsv", "s1\tGG\n");
    const std::string inputs = (folder / "t.csv").string() + " " + (folder / "u.tsv").string();
    const Outcome plain = convert(inputs);
    ASSERT_EQ(plain.status, 0) << plain.err;
    // Read from gzip files, to standard output too, the text is the same.
    ASSERT_EQ(std::system(("gzip -k " + inputs).c_str()), 0);
    const Outcome fromGzip =
        convert((folder / "t.csv.gz").string() + " - < " + (folder / "u.tsv.gz").string());
    EXPECT_EQ(fromGzip.status, 0) << fromGzip.err;
    EXPECT_TRUE(fromGzip.out == plain.out);
    for (const char* name : {"t.csv.gz", "u.tsv.gz"})
        fs::remove(folder / name);
    for (const char* name : {"out.fasta.gz", "OUT.FA.GZ"}) {
        const Outcome r = convert("-o " + (folder / name).string() + " " + inputs);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string data = slurp(folder / name);
        EXPECT_EQ(data.substr(0, 2), "\x1F\x8B") << name;
        EXPECT_TRUE(gunzipped(data) == plain.out) << name;
        EXPECT_LT(data.size(), plain.out.size() / 3) << name;
    }
    // A failure after the first input leaves no file, and nothing beside where it would be.
    writeFile(folder / "bad.csv", "Name,Sequence\n");
    const Outcome failed = convert("-o " + (folder / "new.fa.gz").string() + " " + inputs + " " +
                                   (folder / "bad.csv").string());
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(fs::exists(folder / "new.fa.gz"));
    EXPECT_EQ(namesIn(folder.path()).size(), 5u);
}

TEST(ConvertCli, text_in_a_named_encoding_converts_to_utf8_and_a_wrong_guess_says_the_way_out) {
    ScratchFolder folder;
    // "5 µl at 37°C", "Café" in Windows-1252; "Café", "Ñandú" in Mac Roman.
    writeFile(folder / "w.csv", "ID,Sequence,Note\ns1,ACGT,5 \xB5l at 37\xB0"
                                "C\ns2,GG,Caf\xE9\n");
    writeFile(folder / "m.tsv", "s1\tAC\tCaf\x8E\ns2\tTT\t\x84"
                                "and\x9C\n");
    const Outcome windows = convert("--encoding windows-1252 " + (folder / "w.csv").string());
    EXPECT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.out, ">s1 5 \u00B5l at 37\u00B0C\nACGT\n>s2 Caf\u00E9\nGG\n");
    const Outcome mac = convert("--encoding macintosh - < " + (folder / "m.tsv").string());
    EXPECT_EQ(mac.status, 0) << mac.err;
    EXPECT_EQ(mac.out, ">s1 Caf\u00E9\nAC\n>s2 \u00D1and\u00FA\nTT\n");
    // Gzip-compressed and piped, the encoding still applies.
    ASSERT_EQ(std::system(("gzip -k " + (folder / "w.csv").string()).c_str()), 0);
    EXPECT_EQ(convert("--encoding cp1252 - < " + (folder / "w.csv.gz").string()).out, windows.out);
    // Without it: the row and the byte, and the option that reads it.
    const Outcome refused = convert((folder / "w.csv").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "pellacor-convert: The file is not valid UTF-8 text. Row 2 holds the "
                           "byte 0xB5, which UTF-8 does not allow there. Save it as UTF-8, or "
                           "read it with --encoding windows-1252.\n");
    EXPECT_EQ(convert("--encoding UTF-8 " + (folder / "w.csv").string()).err, refused.err);
    // A name no converter has is a usage error that names it.
    const Outcome unknown = convert("--encoding latin-9000 " + (folder / "w.csv").string());
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown encoding 'latin-9000'"), std::string::npos) << unknown.err;
    EXPECT_EQ(convert("--encoding '' " + (folder / "w.csv").string()).status, 2);
}

TEST(ConvertCli, an_output_that_is_a_pipe_or_a_link_stays_what_it_was) {
    ScratchFolder folder;
    const std::string ok = (folder / "ok.csv").string();
    writeFile(ok, "s1,AC\n");
    // A pipe (as /dev/null is a device) is written into, not replaced by a plain file.
    const fs::path pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = slurp(pipe); });
    const Outcome piped = convert("-o " + pipe.string() + " " + ok);
    // Should the converter never have opened the pipe, the reader must not wait forever.
    if (const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0)
        ::close(writer);
    reader.join();
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(received, ">s1\nAC\n");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));
    // A link: the file it points to is replaced and keeps its private permissions.
    fs::create_directory(folder / "real");
    const fs::path real = folder / "real" / "result.fasta";
    writeFile(real, "old\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(real, folder / "link.fasta");
    EXPECT_EQ(convert("-o " + (folder / "link.fasta").string() + " " + ok).status, 0);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.fasta")));
    EXPECT_EQ(slurp(real), ">s1\nAC\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(namesIn(folder / "real"), std::vector<std::string>{"result.fasta"});
    EXPECT_EQ(convert("-o " + (folder / "real").string() + " " + ok).err,
              "pellacor-convert: Cannot write \u201Creal\u201D: Is a directory.\n");
}

TEST(ConvertCli, several_inputs_give_their_text_in_order_and_a_failure_names_its_file) {
    ScratchFolder folder;
    writeFile(folder / "a.csv", "s1,AC\n");
    writeFile(folder / "b.tsv", "s2\tGG\td\n");
    writeFile(folder / "bad.csv", "Name,Sequence\n");
    const std::string a = (folder / "a.csv").string();
    const std::string b = (folder / "b.tsv").string();
    const std::string bad = (folder / "bad.csv").string();
    const Outcome both = convert(b + " " + a + " " + workbooks + "openpyxl.xlsx");
    EXPECT_EQ(both.status, 0);
    EXPECT_EQ(both.out, ">s2 d\nGG\n>s1\nAC\n" + convert(workbooks + "openpyxl.xlsx").out);
    // A failure in the second: nothing on standard output, nothing in the output file.
    const Outcome failed = convert(a + " " + bad);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "pellacor-convert: " + bad +
                              ": Missing required columns. File must have at least identifier "
                              "and sequence columns. Its only row names the columns.\n");
    const std::string target = (folder / "out.fasta").string();
    writeFile(target, "earlier\n");
    EXPECT_EQ(convert("-o " + target + " " + a + " " + bad).status, 1);
    EXPECT_EQ(slurp(target), "earlier\n");
    EXPECT_EQ(convert("-o " + target + " " + a + " " + b).status, 0);
    EXPECT_EQ(slurp(target), ">s1\nAC\n>s2 d\nGG\n");
    // --trace traces each.
    const Outcome traced = convert("--trace " + a + " " + b);
    std::size_t traces = 0;
    for (std::size_t at = 0;
         (at = traced.err.find("DEBUG: Total entries", at)) != std::string::npos; ++at)
        ++traces;
    EXPECT_EQ(traces, 2u) << traced.err;
}

TEST(ConvertCli, width_zero_puts_each_sequence_on_one_line) {
    ScratchFolder folder;
    writeFile(folder / "t.csv", "s1," + std::string(250, 'A') + ",d\ns2,\u00E9e\u0301C\n");
    const Outcome r = convert("-w 0 " + (folder / "t.csv").string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1 d\n" + std::string(250, 'A') + "\n>s2\n\u00E9e\u0301C\n");
}

TEST(ConvertCli, a_late_fault_in_a_file_writes_nothing_but_a_pipe_keeps_what_went_before) {
    ScratchFolder folder;
    std::string table;
    const std::string residues(100, 'A');
    for (int i = 0; i < 20000; ++i)
        table.append("s").append(std::to_string(i)).append(",").append(residues).append("\n");
    for (const std::string& fault : {std::string("bad,AC\xFF\n"), std::string("bad,\"AC\n")}) {
        writeFile(folder / "t.csv", table + fault);
        const std::string file = (folder / "t.csv").string();
        const std::string message =
            fault.find('"') != std::string::npos
                ? "pellacor-convert: Unterminated quoted field starting on line 20001.\n"
                : "pellacor-convert: The file is not valid UTF-8 text. Row 20001 holds the byte "
                  "0xFF, which UTF-8 does not allow there. Save it as UTF-8, or read it with "
                  "--encoding windows-1252.\n";
        // A file, named or on standard input, gzip-compressed or not, is read through before
        // anything goes out.
        ASSERT_EQ(std::system(("gzip -kf " + file).c_str()), 0);
        for (const std::string& arguments :
             {file, "- <" + file, file + ".gz", "- <" + file + ".gz"}) {
            const Outcome r = convert(arguments);
            EXPECT_EQ(r.status, 1) << arguments;
            EXPECT_EQ(r.out, "") << arguments;
            EXPECT_EQ(r.err, message) << arguments;
        }
        // A pipe goes out as it comes: every record before the fault, then the error.
        const Outcome piped = convert("- -w 100", false, "cat " + file + " |");
        EXPECT_EQ(piped.status, 1);
        EXPECT_EQ(piped.err, message);
        EXPECT_EQ(std::count(piped.out.begin(), piped.out.end(), '>'), 20000);
        EXPECT_TRUE(piped.out.ends_with(">s19999\n" + std::string(100, 'A') + "\n"));
    }
}

TEST(ConvertCli, warnings_state_their_counts_as_the_window_does) {
    ScratchFolder folder;
    std::string table;
    // Odd rows name one of seven identifiers, even rows have none.
    for (int i = 1; i <= 3000; ++i) {
        table.append(i % 2 == 0 ? "," : "s");
        table.append(std::to_string(i % 2 == 0 ? i : i % 7));
        table.append(i % 2 == 0 ? "\n" : ",AC\n");
    }
    writeFile(folder / "t.csv", table);
    const Outcome run = convert((folder / "t.csv").string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "pellacor-convert: warning: 1,500 rows skipped (no identifier or sequence): 2, 4, "
              "6, 8, 10 and 1,495 more\n"
              "pellacor-convert: warning: 7 identifiers repeat, such as \u201Cs1\u201D, "
              "\u201Cs3\u201D, \u201Cs5\u201D; many FASTA tools refuse repeated identifiers.\n");
}

TEST(ConvertCli, chosen_columns_and_sheets_and_warnings_take_one_line_each) {
    ScratchFolder folder;
    writeFile(folder / "t.csv", "Name,Score,Peptide sequence\nx1,0.9,MKK\n,0.1,GG\nx1,0.5,WW\n");
    const std::string table = (folder / "t.csv").string();
    const Outcome guided = convert(table);
    EXPECT_EQ(guided.status, 0);
    EXPECT_EQ(guided.out, ">x1\nMKK\n>x1\nWW\n");
    EXPECT_EQ(guided.err,
              "pellacor-convert: note: Header: row 1 \u00B7 Identifier: Name \u00B7 Sequence: "
              "Peptide sequence \u00B7 Description: none\n"
              "pellacor-convert: warning: 1 row skipped (no identifier or sequence): 3\n"
              "pellacor-convert: warning: The identifier \u201Cx1\u201D appears more "
              "than once (again in row 4); many FASTA tools refuse repeated "
              "identifiers.\n");
    EXPECT_EQ(
        convert("--id-column none --sequence-column 3 --description-column Score " + table).out,
        ">2 0.9\nMKK\n>3 0.1\nGG\n>4 0.5\nWW\n");
    // What the table lacks is a wrong command line: status 2, the columns it has.
    const Outcome missing = convert("--sequence-column Sequence " + table);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err,
              "pellacor-convert: There is no column named \u201CSequence\u201D for "
              "the sequence in this table; it has \u201CName\u201D, \u201CScore\u201D, "
              "\u201CPeptide sequence\u201D.\n");
    EXPECT_EQ(convert("--sheet Nothing " + workbooks + "openpyxl.xlsx").status, 2);
    EXPECT_EQ(convert("--sheet 1 " + workbooks + "openpyxl.xlsx").out,
              convert(workbooks + "openpyxl.xlsx").out);
    writeFile(folder / "c.csv", "ID,Sequence\ns1,AC\n;s2,GG\n");
    EXPECT_EQ(convert("--comment-char ';' " + (folder / "c.csv").string()).out, ">s1\nAC\n");
    EXPECT_EQ(convert("--comment-char ab x.csv").status, 2);
}
