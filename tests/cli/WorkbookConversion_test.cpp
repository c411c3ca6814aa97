// The converter reads workbooks through the same reader as the app, with the same messages.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int status;
    std::string output;
};

Outcome run(const std::string& arguments) {
    const std::string command = std::string("'") + PELLACOR_CONVERT + "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return {-1, {}};
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

const std::string workbooks = std::string(PELLACOR_FIXTURES) + "/workbooks/";

} // namespace

TEST(WorkbookConversion, a_workbook_converts_to_the_fasta_of_its_csv_twin) {
    const Outcome csv = run("'" + workbooks + "table.csv'");
    ASSERT_EQ(csv.status, 0) << csv.output;
    for (const char* name : {"libreoffice.xlsx", "openpyxl.xlsx"}) {
        const Outcome book = run("'" + workbooks + name + "'");
        EXPECT_EQ(book.status, 0) << name;
        EXPECT_EQ(book.output, csv.output) << name;
    }
}

TEST(WorkbookConversion, a_text_file_named_xls_fails_with_the_readers_message) {
    char name[] = "/tmp/pellacor-cli-XXXXXX.XLS";
    const int fd = ::mkstemps(name, 4);
    ASSERT_GE(fd, 0);
    const std::string text = "ID,Sequence\ns1,ACGT\n";
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    ASSERT_TRUE(written);
    const Outcome failed = run(std::string("'") + name + "'");
    std::remove(name);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.output, "pellacor-convert: Failed to parse Excel file: Invalid Excel file "
                             "format. The file does not appear to be a valid .xlsx file.\n");
}
