#include "SessionTestSupport.h"

#include "session/ConversionSession.h"

#include <gtest/gtest.h>

#include <string>

namespace pellacor {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApplication(); }

    /// What one import of `bytes` (saved as `name`) writes to standard output.
    std::string traceOf(const QString& name, const QByteArray& bytes) {
        const QString path = folder.write(name, bytes);
        CaptureStdout();
        test::importAndWait(session, FileChoice::chosen({path}));
        return GetCapturedStdout();
    }

    test::FakeDialogs dialogs;
    ConversionSession session{dialogs};
    test::TableFolder folder;
};

TEST_F(TraceTest, two_records_give_a_total_two_entry_lines_the_length_and_the_excerpt) {
    EXPECT_EQ(traceOf("t.csv", "s1,AC-GT\ns2,--A,desc\n"),
              "DEBUG: Total entries: 2\n"
              "DEBUG: Entry 's1' - sequence length: 5, dashes: 1\n"
              "DEBUG: Entry 's2' - sequence length: 3, dashes: 2\n"
              "DEBUG: FASTA output length: 23, total dashes: 3\n"
              "DEBUG: First 200 chars of FASTA:\n"
              ">s1\nAC-GT\n>s2 desc\n--A\n\n");
}

TEST_F(TraceTest, five_records_detail_only_the_first_three_and_cut_the_excerpt_at_200) {
    QByteArray table;
    for (int i = 1; i <= 5; ++i)
        table += "r" + QByteArray::number(i) + "," + QByteArray(100, 'A') + "-\n";
    std::string fasta;
    for (int i = 1; i <= 5; ++i)
        fasta += ">r" + std::to_string(i) + "\n" + std::string(80, 'A') + "\n" +
                 std::string(20, 'A') + "-\n";
    EXPECT_EQ(traceOf("t.csv", table), "DEBUG: Total entries: 5\n"
                                       "DEBUG: Entry 'r1' - sequence length: 101, dashes: 1\n"
                                       "DEBUG: Entry 'r2' - sequence length: 101, dashes: 1\n"
                                       "DEBUG: Entry 'r3' - sequence length: 101, dashes: 1\n"
                                       "DEBUG: FASTA output length: 535, total dashes: 5\n"
                                       "DEBUG: First 200 chars of FASTA:\n" +
                                           fasta.substr(0, 200) + "\n");
}

TEST_F(TraceTest, lengths_count_characters_not_bytes) {
    // "e" + combining acute is one character of three bytes; the id keeps its bytes as read.
    const std::string trace = traceOf("t.csv", "caf\xC3\xA9,AC\x65\xCC\x81GT\n");
    EXPECT_NE(trace.find("DEBUG: Entry 'caf\xC3\xA9' - sequence length: 5, dashes: 0\n"),
              std::string::npos)
        << trace;
    // ">café\n" is 6 characters, "ACéGT\n" another 6.
    EXPECT_NE(trace.find("DEBUG: FASTA output length: 12, total dashes: 0\n"), std::string::npos)
        << trace;
}

TEST_F(TraceTest, nothing_is_written_when_an_import_fails) {
    EXPECT_EQ(traceOf("empty.csv", ""), "");
    EXPECT_TRUE(session.showError());
}

TEST_F(TraceTest, an_empty_record_list_reports_zero_everywhere) {
    CaptureStdout();
    session.applyImportedEntries({}, QStringLiteral("TSV"));
    EXPECT_EQ(GetCapturedStdout(), "DEBUG: Total entries: 0\n"
                                   "DEBUG: FASTA output length: 0, total dashes: 0\n"
                                   "DEBUG: First 200 chars of FASTA:\n"
                                   "\n");
}

} // namespace
} // namespace pellacor
