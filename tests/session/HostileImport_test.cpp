// Hostile files chosen after a good import: each ends the import with an error alert in
// bounded time, and the result already in the window stays exactly as it was.
#include "SessionTestSupport.h"

#include "tests/readers/HostileInput.h"
#include "tests/readers/ZipBuilder.h"

#include "session/ConversionSession.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pellacor {
namespace {

using test::FakeDialogs;
using test::TableFolder;

const QByteArray goodCsv = "id,sequence\nseq1,ACGT\nseq2,GG-A\n";
const QByteArray goodFasta = ">seq1\nACGT\n>seq2\nGG-A\n";

class HostileImport : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApplication();
        test::importAndWait(session, FileChoice::chosen({folder.write("good.csv", goodCsv)}));
        ASSERT_EQ(session.fastaContent(), goodFasta);
    }

    // Imports `path` and expects an error that leaves the earlier result alone.
    void expectRefusedKeepingResult(const QString& path) {
        session.dismissError();
        const auto start = std::chrono::steady_clock::now();
        test::importAndWait(session, FileChoice::chosen({path}));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
        EXPECT_TRUE(session.showError()) << path.toStdString();
        EXPECT_FALSE(session.errorMessage().value_or(QString()).isEmpty());
        EXPECT_FALSE(session.isProcessing());
        EXPECT_EQ(session.parsedEntries().size(), 2u);
        EXPECT_EQ(session.fastaContent(), goodFasta);
        EXPECT_EQ(session.detectedFileType(), "CSV");
        EXPECT_TRUE(session.showOutputWindow());
    }

    FakeDialogs dialogs;
    ConversionSession session{dialogs};
    TableFolder folder;
};

} // namespace

TEST_F(HostileImport, brokenTablesAndOddPathsLeaveTheEarlierResult) {
    expectRefusedKeepingResult(
        folder.write("noise.csv", QByteArray::fromStdString(hostile::randomBinary(8192))));
    QDir(folder.path("")).mkdir("dir.csv");
    expectRefusedKeepingResult(folder.path("dir.csv"));
    ASSERT_EQ(::mkfifo(folder.path("pipe.tsv").toLocal8Bit().constData(), 0600), 0);
    expectRefusedKeepingResult(folder.path("pipe.tsv"));
    expectRefusedKeepingResult(folder.path("gone.csv"));
}

TEST_F(HostileImport, hostileWorkbooksLeaveTheEarlierResult) {
    expectRefusedKeepingResult(folder.write("empty.xlsx", ""));
    hostile::ZipBuilder bomb;
    bomb.addZeros("xl/worksheets/sheet1.xml", 4200);
    expectRefusedKeepingResult(folder.write("bomb.xlsx", QByteArray::fromStdString(bomb.bytes())));
    hostile::ZipBuilder liar;
    liar.addZeros("xl/worksheets/sheet1.xml", 64, 1000);
    expectRefusedKeepingResult(folder.write("liar.xlsx", QByteArray::fromStdString(liar.bytes())));
}

} // namespace pellacor
