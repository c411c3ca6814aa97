// The import flow of the session: which fields change, in what order, what the window is told,
// what is written to standard output, and that hostile files leave an earlier result alone.
#include "SessionTestSupport.h"
#include "TwoSheetWorkbook.h"

#include "readers/delimited/CSVParser.h"
#include "session/FileAccess.h"
#include "tests/readers/HostileInput.h"
#include "tests/readers/workbook/ZipBuilder.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace pellacor {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using Log = std::vector<std::string>;

// "e" + combining acute is one character of three bytes.
const QByteArray twoRecordCsv = "id,sequence,description\nseq1,AC\x65\xCC\x81GT,first\nseq2,GG-A\n";
const QByteArray twoRecordFasta = ">seq1 first\nAC\x65\xCC\x81GT\n>seq2\nGG-A\n";

/// Notes every change signal of `s` in `log`, in order, by field name.
void logChanges(ConversionSession& s, Log& log) {
    auto note = [&log](const char* name) { return [&log, name] { log.push_back(name); }; };
    QObject::connect(&s, &ConversionSession::isImportingChanged, note("isImporting"));
    QObject::connect(&s, &ConversionSession::isExportingChanged, note("isExporting"));
    QObject::connect(&s, &ConversionSession::parsedEntriesChanged, note("parsedEntries"));
    QObject::connect(&s, &ConversionSession::errorMessageChanged, note("errorMessage"));
    QObject::connect(&s, &ConversionSession::showErrorChanged, note("showError"));
    QObject::connect(&s, &ConversionSession::successMessageChanged, note("successMessage"));
    QObject::connect(&s, &ConversionSession::showSuccessChanged, note("showSuccess"));
    QObject::connect(&s, &ConversionSession::isProcessingChanged, [&log](bool on) {
        log.push_back(on ? "isProcessing=true" : "isProcessing=false");
    });
    QObject::connect(&s, &ConversionSession::detectedFileTypeChanged, note("detectedFileType"));
    QObject::connect(&s, &ConversionSession::showOutputWindowChanged, note("showOutputWindow"));
}

/// File access that can refuse and that notes each release in a shared log.
class RecordingAccess : public FileAccess {
public:
    explicit RecordingAccess(Log& log) : log_(log) {}
    bool refuse = false;
    bool startAccessing(const QString&) override { return !refuse; }
    void stopAccessing(const QString&) override { log_.push_back("access released"); }

private:
    Log& log_;
};

using ImportTest = test::SessionTest;

TEST_F(ImportTest, a_new_session_starts_empty_and_idle) {
    EXPECT_FALSE(session.isImporting());
    EXPECT_FALSE(session.isExporting());
    EXPECT_TRUE(session.parsedEntries().empty());
    EXPECT_TRUE(session.fastaContent().isEmpty());
    EXPECT_FALSE(session.errorMessage());
    EXPECT_FALSE(session.showError());
    EXPECT_FALSE(session.successMessage());
    EXPECT_FALSE(session.showSuccess());
    EXPECT_FALSE(session.isProcessing());
    EXPECT_FALSE(session.detectedFileType());
    EXPECT_FALSE(session.showOutputWindow());
    EXPECT_EQ(session.errorAlertText(), "An unknown error occurred");
    EXPECT_EQ(session.successAlertText(), "Operation completed successfully");
}

TEST_F(ImportTest, the_chooser_is_open_exactly_while_isImporting_and_its_choice_is_imported) {
    session.startImport();
    EXPECT_TRUE(session.isImporting());
    session.startImport();
    EXPECT_EQ(dialogs.opened, 1) << "a second chooser opened over the first";
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    dialogs.chooser(FileChoice::chosen({write("t.csv", twoRecordCsv)}));
    EXPECT_FALSE(session.isImporting());
    ASSERT_TRUE(finished.count() > 0 || finished.wait(30000));
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
}

TEST_F(ImportTest, a_success_commits_in_order_releases_access_and_raises_no_alert) {
    Log log;
    RecordingAccess access(log);
    ConversionSession s(dialogs, access);
    logChanges(s, log);
    // Only the first of several chosen files is read.
    CaptureStdout();
    test::importAndWait(
        s, FileChoice::chosen({write("t.csv", twoRecordCsv), write("2.csv", "b,C\n")}));
    EXPECT_NE(GetCapturedStdout().find("DEBUG: Entry 'seq1' - sequence length: 5, dashes: 0\n"),
              std::string::npos)
        << "lengths count characters, not bytes";
    // The access is given back after the commit and before the flow reports that it ended.
    EXPECT_EQ(log, (Log{"isProcessing=true", "parsedEntries", "detectedFileType",
                        "showOutputWindow", "access released", "isProcessing=false"}));
    ASSERT_EQ(s.parsedEntryCount(), 2);
    EXPECT_EQ(s.parsedEntries()[0].identifier, "seq1");
    EXPECT_EQ(s.parsedEntries()[1].sequence, "GG-A");
    EXPECT_EQ(s.fastaContent(), twoRecordFasta);
    EXPECT_EQ(s.detectedFileType(), "CSV");
    EXPECT_TRUE(s.showOutputWindow());
    EXPECT_FALSE(s.successMessage());
}

TEST_F(ImportTest, a_failure_releases_access_then_sets_message_then_flag_then_ends) {
    Log log;
    RecordingAccess access(log);
    ConversionSession s(dialogs, access);
    logChanges(s, log);
    CaptureStdout();
    test::importAndWait(s, FileChoice::chosen({write("t.csv", "")}));
    EXPECT_EQ(GetCapturedStdout(), "") << "a failed import writes no trace";
    EXPECT_EQ(log, (Log{"isProcessing=true", "access released", "errorMessage", "showError",
                        "isProcessing=false"}));
    // Refused access is a failure too, with nothing to give back.
    log.clear();
    access.refuse = true;
    test::importAndWait(s, FileChoice::chosen({write("t2.csv", twoRecordCsv)}));
    EXPECT_EQ(log, (Log{"isProcessing=true", "errorMessage", "isProcessing=false"}));
    EXPECT_EQ(s.errorMessage(), "Could not access file");
    EXPECT_TRUE(s.parsedEntries().empty());
}

TEST_F(ImportTest, a_chooser_failure_or_an_empty_choice_still_pass_through_processing) {
    Log changes;
    logChanges(session, changes);
    test::importAndWait(session, FileChoice::chosen({}));
    EXPECT_EQ(changes, (Log{"isProcessing=true", "isProcessing=false"}));
    changes.clear();
    test::importAndWait(session, FileChoice::failed(QStringLiteral("The folder went away.")));
    EXPECT_EQ(changes,
              (Log{"isProcessing=true", "errorMessage", "showError", "isProcessing=false"}));
    EXPECT_EQ(session.errorAlertText(), "The folder went away.");
}

TEST_F(ImportTest, a_reader_failure_shows_the_reader_message_unchanged) {
    using Error = CSVParser::ParserError;
    importFile(write("quote.csv", "a,ACGT\n\"b,CC\n"));
    EXPECT_EQ(session.errorMessage(),
              Error::message(Error::Case::unterminatedQuotedField, 2).c_str());
}

TEST_F(ImportTest, a_workbook_named_xls_in_any_case_is_read_as_one_and_labelled_so) {
    const QString file = path("t.Xls");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELLACOR_FIXTURES "/workbooks/openpyxl.xlsx"), file));
    importFile(file);
    EXPECT_FALSE(session.showError()) << session.errorAlertText().toStdString();
    EXPECT_EQ(session.detectedFileType(), "Excel (XLS)");
}

TEST_F(ImportTest, a_failure_does_not_reopen_a_closed_panel_and_its_message_outlives_dismissal) {
    importFile(write("good.csv", twoRecordCsv));
    session.closeOutputWindow();
    EXPECT_FALSE(session.showOutputWindow());
    EXPECT_EQ(session.fastaContent(), twoRecordFasta) << "closing the panel dropped the text";
    importFile(write("bad.csv", ""));
    EXPECT_FALSE(session.showOutputWindow());
    const auto message = session.errorMessage();
    Log changes;
    logChanges(session, changes);
    session.dismissError();
    EXPECT_EQ(changes, (Log{"showError"}));
    importFile(write("other.tsv", "x\tTT\n"));
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_EQ(session.fastaContent(), ">x\nTT\n");
    EXPECT_EQ(session.errorMessage(), message);
    EXPECT_FALSE(session.showError());
}

TEST_F(ImportTest, the_import_runs_off_the_ui_thread_ignores_a_second_and_survives_destruction) {
    session.handleFileImport(FileChoice::chosen({write("a.csv", "a,AAAA\n")}));
    EXPECT_TRUE(session.isProcessing());
    EXPECT_TRUE(session.parsedEntries().empty());
    session.handleFileImport(FileChoice::chosen({write("b.csv", "b,CCCC\n")}));
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    ASSERT_TRUE(finished.wait(30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(session.fastaContent(), ">a\nAAAA\n");
    // A session destroyed while its import runs leaves nothing behind to crash on.
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "seq" + QByteArray::number(i) + "," + QByteArray(500, 'A') + "\n";
    const QString file = write("big.csv", big);
    {
        ConversionSession s(dialogs);
        s.handleFileImport(FileChoice::chosen({file}));
    }
    QCoreApplication::processEvents();
}

// ---- The trace on standard output ----

TEST_F(ImportTest, the_trace_details_the_first_three_records_and_the_first_200_characters) {
    QByteArray table;
    std::string fasta, expected = "DEBUG: Total entries: 5\n";
    for (int i = 1; i <= 5; ++i) {
        table += "r" + QByteArray::number(i) + "," + QByteArray(100, 'A') + "-\n";
        fasta += ">r" + std::to_string(i) + "\n" + std::string(80, 'A') + "\n" +
                 std::string(20, 'A') + "-\n";
        if (i <= 3)
            expected +=
                "DEBUG: Entry 'r" + std::to_string(i) + "' - sequence length: 101, dashes: 1\n";
    }
    CaptureStdout();
    importFile(write("t.csv", table));
    EXPECT_EQ(GetCapturedStdout(), expected +
                                       "DEBUG: FASTA output length: 535, total dashes: 5\n"
                                       "DEBUG: First 200 chars of FASTA:\n" +
                                       fasta.substr(0, 200) + "\n");
}

// ---- Hostile files chosen after a good import ----

class HostileImport : public test::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        importFile(write("good.csv", twoRecordCsv));
        ASSERT_EQ(session.fastaContent(), twoRecordFasta);
    }

    // Imports `file` and expects an error in bounded time that leaves the earlier result alone.
    void expectRefusedKeepingResult(const QString& file) {
        session.dismissError();
        importFile(file);
        EXPECT_TRUE(session.showError()) << file.toStdString();
        EXPECT_FALSE(session.errorMessage().value_or(QString()).isEmpty());
        EXPECT_EQ(session.parsedEntries().size(), 2u);
        EXPECT_EQ(session.fastaContent(), twoRecordFasta);
        EXPECT_EQ(session.detectedFileType(), "CSV");
        EXPECT_TRUE(session.showOutputWindow());
    }
};

TEST_F(HostileImport, broken_tables_and_odd_paths_leave_the_earlier_result) {
    expectRefusedKeepingResult(
        write("noise.csv", QByteArray::fromStdString(hostile::randomBinary(8192))));
    QDir(dir.path()).mkdir("dir.csv");
    expectRefusedKeepingResult(path("dir.csv"));
    ASSERT_EQ(::mkfifo(path("pipe.tsv").toLocal8Bit().constData(), 0600), 0);
    expectRefusedKeepingResult(path("pipe.tsv"));
    expectRefusedKeepingResult(path("gone.csv"));
}

TEST_F(HostileImport, hostile_workbooks_leave_the_earlier_result) {
    expectRefusedKeepingResult(write("empty.xlsx", ""));
    hostile::ZipBuilder bomb;
    bomb.addZeros("xl/worksheets/sheet1.xml", 4200);
    expectRefusedKeepingResult(write("bomb.xlsx", QByteArray::fromStdString(bomb.bytes())));
    hostile::ZipBuilder liar;
    liar.addZeros("xl/worksheets/sheet1.xml", 64, 1000);
    expectRefusedKeepingResult(write("liar.xlsx", QByteArray::fromStdString(liar.bytes())));
}

TEST_F(ImportTest, other_columns_chosen_after_an_import_convert_the_same_file_again) {
    CaptureStdout();
    importFile(write("t.csv", "Name,Score,DNA sequence\nx1,0.9,ACGT\n,0.1,GG\nx3,0.5,TT\n"));
    GetCapturedStdout();
    ASSERT_EQ(session.fastaContent(), ">x1\nACGT\n>x3\nTT\n");
    const ConversionSummary& found = session.conversionSummary();
    ASSERT_TRUE(found.layout);
    EXPECT_EQ(found.layout->sequence, 2u);
    EXPECT_EQ(found.warnings(),
              std::vector<std::string>{"1 row skipped (no identifier or sequence): 3"});
    // Row numbers for names, and the score as description.
    ConversionRequest choice;
    choice.columns.identifier = ColumnRef::nothing();
    choice.columns.sequence = ColumnRef::column(3);
    choice.columns.description = ColumnRef::column(2);
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    CaptureStdout();
    session.convertAgain(choice);
    EXPECT_TRUE(session.isProcessing());
    ASSERT_TRUE(finished.wait(10000));
    GetCapturedStdout();
    EXPECT_EQ(session.fastaContent(), ">2 0.9\nACGT\n>3 0.1\nGG\n>4 0.5\nTT\n");
    EXPECT_TRUE(session.conversionSummary().warnings().empty());
    EXPECT_EQ(session.importedPath(), path("t.csv").toUtf8());
    // A choice the table lacks fails as an import fails: the result stays.
    choice.columns.sequence = ColumnRef::column(9);
    session.convertAgain(choice);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(session.showError());
    EXPECT_EQ(session.fastaContent(), ">2 0.9\nACGT\n>3 0.1\nGG\n>4 0.5\nTT\n");
}

TEST_F(ImportTest, every_choice_made_after_an_import_reaches_the_reader) {
    CaptureStdout();
    importFile(write("book.xlsx", test::twoSheetWorkbook()));
    const std::string trace = GetCapturedStdout();
    ASSERT_EQ(session.fastaContent(), ">First note\nAAAA\n") << trace;
    EXPECT_EQ(session.conversionSummary().sheets, (std::vector<std::string>{"First", "Second"}));
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    const auto convert = [&](const ConversionRequest& request) {
        CaptureStdout();
        session.convertAgain(request);
        EXPECT_TRUE(finished.wait(10000));
        GetCapturedStdout();
        EXPECT_FALSE(session.showError()) << session.errorAlertText().toStdString();
        return session.fastaContent();
    };
    // By number, as the window asks, and by name.
    ConversionRequest request;
    request.sheet = "2";
    EXPECT_EQ(convert(request), ">Second note\nCCCC\n");
    EXPECT_EQ(session.conversionSummary().sheet, "Second");
    request.sheet = "First";
    EXPECT_EQ(convert(request), ">First note\nAAAA\n");
    // Each column choice on its own: every one of them changes the text.
    request.sheet = "2";
    request.columns.description = ColumnRef::nothing();
    EXPECT_EQ(convert(request), ">Second\nCCCC\n");
    request.columns = {};
    request.columns.identifier = ColumnRef::column(2);
    request.columns.sequence = ColumnRef::column(3);
    EXPECT_EQ(convert(request), ">CCCC\nnote\n");
    request.columns = {};
    request.columns.identifier = ColumnRef::nothing();
    EXPECT_EQ(convert(request), ">1\nCCCC\n");
}

TEST_F(ImportTest, a_file_whose_name_is_not_utf8_is_found_by_its_bytes) {
    const QByteArray folder = QFile::encodeName(dir.path()) + "/f\xFE";
    const QByteArray name = folder + "/b\xFF"
                                     "d.csv";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    {
        std::ofstream out(name.toStdString(), std::ios::binary);
        out << "s1,ACGT\n";
    }
    // A drop hands over the name's bytes; a file dialog only the decoded name.
    const std::vector<FileChoice> choices = {
        FileChoice::fromUrls({QUrl::fromEncoded("file://" + name.toPercentEncoding("/"))}),
        FileChoice::chosen({QFile::decodeName(name)})};
    for (const FileChoice& choice : choices) {
        CaptureStdout();
        test::importAndWait(session, choice);
        GetCapturedStdout();
        EXPECT_FALSE(session.showError()) << session.errorAlertText().toStdString();
        EXPECT_EQ(session.fastaContent(), ">s1\nACGT\n");
        EXPECT_EQ(session.importedPath(), name);
    }
}

TEST_F(ImportTest, ods_and_xls_workbooks_import_with_their_sheets_to_choose_from) {
    for (const char* filter : {"*.ods", "*.fods", "*.xls ", "*.xlsx"})
        EXPECT_TRUE(ConversionSession::importNameFilters().first().contains(filter)) << filter;
    for (const auto& [fixture, label] :
         {std::pair{"odfpy.ods", "OpenDocument (ODS)"}, {"xlwt.xls", "Excel (XLS)"}}) {
        // Named for what it is not: the bytes tell the reader.
        const QString file = path(QStringLiteral("table.dat"));
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELLACOR_FIXTURES "/workbooks/") + fixture, file));
        CaptureStdout();
        importFile(file);
        GetCapturedStdout();
        ASSERT_FALSE(session.showError()) << session.errorAlertText().toStdString();
        EXPECT_EQ(session.detectedFileType(), label);
        const ConversionSummary& found = session.conversionSummary();
        EXPECT_EQ(found.sheets.front(), "Notes") << fixture;
        EXPECT_EQ(found.sheet, "Sequences") << fixture;
        EXPECT_TRUE(session.fastaContent().startsWith(">seq_alpha Alpha gene\n")) << fixture;
        // The sheet menu converts the hidden sheet when it is chosen.
        ConversionRequest request;
        request.sheet = "1";
        QSignalSpy finished(&session, &ConversionSession::importFinished);
        CaptureStdout();
        session.convertAgain(request);
        ASSERT_TRUE(finished.wait(10000));
        GetCapturedStdout();
        EXPECT_EQ(session.fastaContent(), ">not a sequence\nNNNN\n") << fixture;
    }
}

} // namespace
} // namespace pellacor

namespace pellacor {
namespace {

// ---- Stopping an import, reopening the panel, alerts that name their file ----

TEST_F(HostileImport, a_cancelled_import_leaves_the_result_and_no_work_directory) {
    Log changes;
    logChanges(session, changes);
    QByteArray big;
    while (big.size() < (40 << 20))
        big += "s" + QByteArray::number(big.size()) + "," + QByteArray(500, 'G') + "\n";
    const QString table = write("big.csv", big);
    const QString temporary = path("tmp");
    ASSERT_TRUE(QDir().mkpath(temporary));
    const QByteArray oldTemporary = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary));
    QFile::copy(QStringLiteral(PELLACOR_FIXTURES "/workbooks/openpyxl.xlsx"), path("book.xlsx"));
    for (const QString& file : {table, path("book.xlsx")}) {
        changes.clear();
        QSignalSpy finished(&session, &ConversionSession::importFinished);
        session.handleFileImport(FileChoice::chosen({file}));
        session.cancelImport();
        ASSERT_TRUE(finished.wait(30000)) << file.toStdString();
        EXPECT_EQ(changes, (Log{"isProcessing=true", "isProcessing=false"}))
            << "a cancelled import commits nothing and raises no alert";
        EXPECT_EQ(session.fastaContent(), twoRecordFasta);
        EXPECT_EQ(session.detectedFileType(), "CSV");
        EXPECT_EQ(session.importProgress(), -1);
        EXPECT_TRUE(QDir(temporary).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            << "left behind: " << QDir(temporary).entryList().join(' ').toStdString();
    }
    oldTemporary.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTemporary);
    // Cancelling with nothing running does nothing; the next import runs as ever.
    session.cancelImport();
    CaptureStdout();
    importFile(table);
    GetCapturedStdout();
    EXPECT_EQ(session.parsedEntryCount(), big.count('\n'));
}

TEST_F(ImportTest, the_panel_comes_back_on_the_current_text_and_only_with_text) {
    session.reopenOutputWindow();
    EXPECT_FALSE(session.showOutputWindow()) << "nothing to show yet";
    CaptureStdout();
    importFile(write("t.csv", twoRecordCsv));
    GetCapturedStdout();
    session.closeOutputWindow();
    Log changes;
    logChanges(session, changes);
    session.reopenOutputWindow();
    EXPECT_EQ(changes, (Log{"showOutputWindow"}));
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
}

TEST_F(ImportTest, an_alert_knows_the_file_it_is_about) {
    importFile(write("bad.csv", ""));
    EXPECT_EQ(session.errorFileName(), "bad.csv");
    CaptureStdout();
    importFile(write("good.csv", twoRecordCsv));
    GetCapturedStdout();
    session.handleFileExport(SaveOutcome::written(path("out.fasta")));
    EXPECT_EQ(session.successFileName(), "out.fasta");
    SaveOutcome failed = SaveOutcome::failed(QStringLiteral("Disk full"));
    failed.writtenPath = path("full.fasta");
    session.handleFileExport(failed);
    EXPECT_EQ(session.errorFileName(), "full.fasta");
    test::importAndWait(session, FileChoice::failed(QStringLiteral("The folder went away.")));
    EXPECT_EQ(session.errorFileName(), "") << "a chooser's failure is about no file";
}

} // namespace
} // namespace pellacor

namespace pellacor {
namespace {

// ---- A failure a choice of columns can mend ----

TEST_F(ImportTest, a_table_a_choice_can_mend_keeps_its_columns_and_converts_as_chosen) {
    // Column 2 is empty in every row: by default no row gives a record.
    const QString table = write("gap.csv", "a,,c\nx,,ACGT\ny,,GG\n");
    QSignalSpy mendable(&session, &ConversionSession::mendableLayoutChanged);
    CaptureStdout();
    importFile(table);
    GetCapturedStdout();
    ASSERT_TRUE(session.showError());
    ASSERT_TRUE(session.mendableLayout()) << session.errorAlertText().toStdString();
    EXPECT_EQ(mendable.count(), 1);
    // The way out is the window's, not the converter's option.
    EXPECT_TRUE(session.errorAlertText().endsWith(
        "Choose the columns in the menus or the table's headers."))
        << session.errorAlertText().toStdString();
    EXPECT_EQ(session.mendableLayout()->columns, 3u);
    EXPECT_EQ(session.mendableLayout()->preview.size(), 3u);
    // The panel is wanted for the columns although there is no text.
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_TRUE(session.fastaContent().isEmpty());

    ConversionRequest request;
    request.columns.identifier = ColumnRef::column(1);
    request.columns.sequence = ColumnRef::column(3);
    request.columns.description = ColumnRef::nothing();
    request.columns.header = false;
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    CaptureStdout();
    session.convertAgain(request);
    ASSERT_TRUE(finished.wait(10000));
    GetCapturedStdout();
    EXPECT_EQ(session.fastaContent(), ">a\nc\n>x\nACGT\n>y\nGG\n")
        << session.errorAlertText().toStdString();
    EXPECT_EQ(session.importedPath(), table.toUtf8());
    EXPECT_FALSE(session.mendableLayout());
    EXPECT_EQ(mendable.count(), 2);
}

TEST_F(ImportTest, a_failure_no_choice_can_mend_offers_no_columns_and_leaves_the_result) {
    CaptureStdout();
    importFile(write("gap.csv", "a,,c\nx,,ACGT\n"));
    GetCapturedStdout();
    ASSERT_TRUE(session.mendableLayout());
    // An empty file: no column to choose from, and the earlier offer is withdrawn.
    CaptureStdout();
    importFile(write("empty.csv", ""));
    GetCapturedStdout();
    EXPECT_TRUE(session.showError());
    EXPECT_FALSE(session.mendableLayout());
    // A good table, then a failed choice on it: its text stays, its columns are offered.
    CaptureStdout();
    importFile(write("good.csv", twoRecordCsv));
    GetCapturedStdout();
    ASSERT_EQ(session.fastaContent(), twoRecordFasta);
    ConversionRequest request;
    request.columns.sequence = ColumnRef::column(9);
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    session.convertAgain(request);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(session.showError());
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
    ASSERT_TRUE(session.mendableLayout());
    EXPECT_EQ(session.mendableLayout()->names,
              (std::vector<std::string>{"id", "sequence", "description"}));
}

} // namespace
} // namespace pellacor

namespace pellacor {
namespace {

// ---- A re-import holds one result at a time ----

TEST_F(HostileImport, a_reimport_gives_up_the_result_once_the_new_table_is_checked_not_before) {
    // The old result goes before the new one is built: each change of the records is logged
    // with the text the session and the process still hold.
    std::vector<qsizetype> counts;
    QObject::connect(&session, &ConversionSession::parsedEntriesChanged, [&] {
        counts.push_back(session.parsedEntryCount());
        EXPECT_EQ(session.fastaContent().isEmpty(), session.parsedEntryCount() == 0);
    });
    QByteArray next = "id,sequence\n";
    for (int row = 0; row < 3000; ++row)
        next += "n" + QByteArray::number(row) + ",ACGT\n";
    CaptureStdout();
    importFile(write("next.csv", next));
    const std::string trace = GetCapturedStdout();
    EXPECT_EQ(counts, (std::vector<qsizetype>{0, 3000}));
    EXPECT_FALSE(session.showError());
    EXPECT_EQ(session.detectedFileType(), "CSV");
    EXPECT_NE(trace.find("DEBUG: Total entries: 3000\n"), std::string::npos);
    EXPECT_NE(trace.find("DEBUG: FASTA output length: " +
                         std::to_string(session.fastaContent().size())),
              std::string::npos);

    // A table that fails far past its first record fails in the check: nothing was given up.
    counts.clear();
    QByteArray late = next;
    late += "bad,AC\xFF\n";
    session.dismissError();
    CaptureStdout();
    importFile(write("late.csv", late));
    GetCapturedStdout();
    EXPECT_TRUE(session.showError());
    EXPECT_TRUE(session.offersWindows1252()) << "the check's failure is told as the build's";
    EXPECT_TRUE(counts.empty());
    EXPECT_EQ(session.parsedEntryCount(), 3000);

    // So does one whose fault lies megabytes on, where the check goes in pieces: at its row.
    QByteArray far = next;
    const QByteArray filler = "f,ACGT" + QByteArray(200, 'A') + "\n";
    int rows = 3002;
    for (; far.size() < (5 << 20); ++rows)
        far += filler;
    far += "bad,AC\xFF\n";
    session.dismissError();
    importFile(write("far.csv", far));
    EXPECT_TRUE(session.errorMessage().value_or(QString()).contains(
        QStringLiteral("Row %1 holds the byte 0xFF").arg(rows)))
        << session.errorMessage().value_or(QString()).toStdString();
    EXPECT_TRUE(counts.empty());
    EXPECT_EQ(session.parsedEntryCount(), 3000);
}

} // namespace
} // namespace pellacor
