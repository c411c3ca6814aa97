// Black-box tests of the pellacor-convert binary.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ConvertCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pellacor-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }

    Outcome run(const std::string& args, const std::string& stdinText = "") {
        const fs::path in = write("stdin.txt", stdinText);
        const std::string command = std::string(PELLACOR_CONVERT) + " " + args + " <" +
                                    in.string() + " >" + (dir / "out").string() + " 2>" +
                                    (dir / "err").string();
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "out"), slurp(dir / "err")};
    }

    fs::path dir;
};

} // namespace

TEST_F(ConvertCli, converts_a_table_to_standard_output) {
    const fs::path table = write("t.csv", "Name,Sequence\ns1,\"AC GT\",E. coli\ns2,ACGTA\n");
    const Outcome r = run(table.string() + " -w 4");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1 E. coli\nACGT\n>s2\nACGT\nA\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ConvertCli, reads_standard_input_and_writes_the_trace_to_standard_error) {
    const Outcome r = run("--trace -", "s1\tA-C\ns2\tGG\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, ">s1\nA-C\n>s2\nGG\n");
    EXPECT_EQ(r.err, "DEBUG: Total entries: 2\n"
                     "DEBUG: Entry 's1' - sequence length: 3, dashes: 1\n"
                     "DEBUG: Entry 's2' - sequence length: 2, dashes: 0\n"
                     "DEBUG: FASTA output length: 15, total dashes: 1\n"
                     "DEBUG: First 200 chars of FASTA:\n>s1\nA-C\n>s2\nGG\n\n");
}

TEST_F(ConvertCli, a_failure_prints_the_apps_message_and_nothing_else) {
    const Outcome empty = run(write("e.csv", "").string());
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "pellacor-convert: The file is empty or contains no valid data.\n");

    const Outcome quote = run(write("q.csv", "s1,AC\ns2,\"GT\n").string());
    EXPECT_EQ(quote.status, 1);
    EXPECT_EQ(quote.out, "");
    EXPECT_EQ(quote.err, "pellacor-convert: Unterminated quoted field starting on line 2.\n");

    const Outcome missing = run((dir / "nope.csv").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nope.csv"), std::string::npos);
}

TEST_F(ConvertCli, usage_errors_exit_with_two) {
    EXPECT_EQ(run("").status, 2);
    EXPECT_EQ(run("-w 0 x.csv").status, 2);
    EXPECT_EQ(run("-w abc x.csv").status, 2);
    EXPECT_EQ(run("--bogus x.csv").status, 2);
    EXPECT_EQ(run("a.csv b.csv").status, 2);
    const Outcome help = run("-h");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pellacor-convert"), std::string::npos);
}

TEST_F(ConvertCli, output_file_is_replaced_whole_or_not_at_all) {
    const fs::path target = write("result.fasta", "previous result\n");
    const Outcome bad = run("-o " + target.string() + " " + write("bad.csv", "Name,Sequence\n").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(slurp(target), "previous result\n");

    const Outcome good = run("-o " + target.string() + " " + write("ok.csv", "s1,AC\n").string());
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "");
    EXPECT_EQ(slurp(target), ">s1\nAC\n");
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_FALSE(entry.path().filename().string().starts_with("result.fasta."))
            << "temporary left behind: " << entry.path();

    const Outcome noDir = run("-o " + (dir / "missing" / "x.fasta").string() + " " +
                          (dir / "ok.csv").string());
    EXPECT_EQ(noDir.status, 1);
    EXPECT_NE(noDir.err.find("x.fasta"), std::string::npos);
}
