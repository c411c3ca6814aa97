#include "SessionTestSupport.h"

#include "readers/CSVParser.h"
#include "readers/ExcelParser.h"
#include "session/ConversionSession.h"
#include "session/FileAccess.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellacor {
namespace {

using test::FakeDialogs;
using test::TableFolder;

const QByteArray twoRecordCsv = "id,sequence,description\nseq1,ACGT,first\nseq2,GG-A\n";
const QByteArray twoRecordFasta = ">seq1 first\nACGT\n>seq2\nGG-A\n";

/// Notes every change signal of `session`, in order, by field name.
class ChangeLog {
public:
    explicit ChangeLog(ConversionSession& s) {
        auto note = [this](const char* name) { return [this, name] { names.push_back(name); }; };
        QObject::connect(&s, &ConversionSession::isImportingChanged, note("isImporting"));
        QObject::connect(&s, &ConversionSession::isExportingChanged, note("isExporting"));
        QObject::connect(&s, &ConversionSession::parsedEntriesChanged, note("parsedEntries"));
        QObject::connect(&s, &ConversionSession::fastaContentChanged, note("fastaContent"));
        QObject::connect(&s, &ConversionSession::errorMessageChanged, note("errorMessage"));
        QObject::connect(&s, &ConversionSession::showErrorChanged, note("showError"));
        QObject::connect(&s, &ConversionSession::successMessageChanged, note("successMessage"));
        QObject::connect(&s, &ConversionSession::showSuccessChanged, note("showSuccess"));
        QObject::connect(&s, &ConversionSession::isProcessingChanged, [this](bool on) {
            names.push_back(on ? "isProcessing=true" : "isProcessing=false");
        });
        QObject::connect(&s, &ConversionSession::detectedFileTypeChanged, note("detectedFileType"));
        QObject::connect(&s, &ConversionSession::showOutputWindowChanged, note("showOutputWindow"));
    }
    std::vector<std::string> names;
};

/// File access that can refuse and that notes grants and releases in a shared log.
class RecordingAccess : public FileAccess {
public:
    explicit RecordingAccess(std::vector<std::string>& log) : log_(log) {}
    bool refuse = false;
    int granted = 0;
    int released = 0;
    bool startAccessing(const QString&) override {
        if (refuse)
            return false;
        ++granted;
        return true;
    }
    void stopAccessing(const QString&) override {
        ++released;
        log_.push_back("access released");
    }

private:
    std::vector<std::string>& log_;
};

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApplication(); }

    void importFile(const QString& path) {
        test::importAndWait(session, FileChoice::chosen({path}));
    }
    QString importError(const QString& name, const QByteArray& bytes) {
        importFile(folder.write(name, bytes));
        EXPECT_TRUE(session.showError());
        return session.errorMessage().value_or(QStringLiteral("<no message>"));
    }

    FakeDialogs dialogs;
    ConversionSession session{dialogs};
    TableFolder folder;
};

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
    dialogs.deferAnswers = true;
    dialogs.nextChoice = FileChoice::chosen({folder.write("t.csv", twoRecordCsv)});
    session.startImport();
    EXPECT_TRUE(session.isImporting());
    session.startImport();
    EXPECT_EQ(dialogs.chooserOpened, 1) << "a second chooser opened over the first";

    QSignalSpy finished(&session, &ConversionSession::importFinished);
    dialogs.closePending();
    EXPECT_FALSE(session.isImporting());
    ASSERT_TRUE(finished.count() > 0 || finished.wait(30000));
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
}

TEST_F(ImportTest, the_chooser_offers_tables_text_workbooks_and_all_files) {
    session.startImport();
    const QStringList filters = dialogs.lastImportFilters;
    ASSERT_FALSE(filters.isEmpty());
    for (const char* pattern : {"*.csv", "*.tsv", "*.txt", "*.xlsx", "*.xls"})
        EXPECT_TRUE(filters.first().contains(QLatin1String(pattern))) << pattern;
    EXPECT_EQ(filters.last(), "All files (*)");
}

TEST_F(ImportTest, a_comma_separated_file_commits_records_text_and_label_without_an_alert) {
    importFile(folder.write("table.csv", twoRecordCsv));
    ASSERT_EQ(session.parsedEntries().size(), 2u);
    EXPECT_EQ(session.parsedEntryCount(), 2);
    EXPECT_EQ(session.parsedEntries()[0].identifier, "seq1");
    EXPECT_EQ(session.parsedEntries()[1].sequence, "GG-A");
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
    EXPECT_EQ(session.detectedFileType(), "CSV");
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_FALSE(session.isProcessing());
    EXPECT_FALSE(session.showError());
    EXPECT_FALSE(session.showSuccess());
    EXPECT_FALSE(session.successMessage());
}

TEST_F(ImportTest, delimited_files_are_labelled_by_what_the_reader_decided) {
    const QByteArray tabs = "a\tACGT\nb\tTTTT\n";
    const QByteArray commas = "a,ACGT\nb,TTTT\n";
    const struct {
        const char* name;
        QByteArray bytes;
        const char* label;
    } cases[] = {
        {"t.tsv", tabs, "TSV"},       {"t.txt", tabs, "TSV"},    {"t.txt", commas, "CSV"},
        {"noextension", tabs, "TSV"}, {"noext2", commas, "CSV"}, {"t.TSV", tabs, "TSV"},
        {"t.csv.bak", commas, "CSV"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        importFile(folder.write(QString::fromLatin1(c.name), c.bytes));
        EXPECT_FALSE(session.showError()) << session.errorAlertText().toStdString();
        EXPECT_EQ(session.detectedFileType(), QString::fromLatin1(c.label));
        EXPECT_EQ(session.fastaContent(), ">a\nACGT\n>b\nTTTT\n");
    }
}

TEST_F(ImportTest, a_success_changes_the_fields_in_the_order_the_window_expects) {
    std::vector<std::string> log;
    RecordingAccess access(log);
    ConversionSession s(dialogs, access);
    ChangeLog changes(s);
    QObject::connect(&s, &ConversionSession::isProcessingChanged,
                     [&](bool on) { log.push_back(on ? "processing" : "idle"); });
    QObject::connect(&s, &ConversionSession::showOutputWindowChanged,
                     [&] { log.push_back("panel"); });
    test::importAndWait(s, FileChoice::chosen({folder.write("t.csv", twoRecordCsv)}));

    EXPECT_EQ(changes.names,
              (std::vector<std::string>{"isProcessing=true", "parsedEntries", "detectedFileType",
                                        "fastaContent", "showOutputWindow", "isProcessing=false"}));
    // The access is given back after the commit and before the flow reports that it ended.
    EXPECT_EQ(log, (std::vector<std::string>{"processing", "panel", "access released", "idle"}));
    EXPECT_EQ(access.granted, 1);
    EXPECT_EQ(access.released, 1);
}

TEST_F(ImportTest, a_failure_releases_access_then_sets_message_then_flag_then_ends) {
    std::vector<std::string> log;
    RecordingAccess access(log);
    ConversionSession s(dialogs, access);
    QObject::connect(&s, &ConversionSession::errorMessageChanged,
                     [&] { log.push_back("errorMessage"); });
    QObject::connect(&s, &ConversionSession::showErrorChanged, [&] { log.push_back("showError"); });
    QObject::connect(&s, &ConversionSession::isProcessingChanged,
                     [&](bool on) { log.push_back(on ? "processing" : "idle"); });
    test::importAndWait(s, FileChoice::chosen({folder.write("t.csv", "")}));

    EXPECT_EQ(log, (std::vector<std::string>{"processing", "access released", "errorMessage",
                                             "showError", "idle"}));
    EXPECT_EQ(access.released, 1);
}

TEST_F(ImportTest, refused_access_shows_could_not_access_file_and_releases_nothing) {
    std::vector<std::string> log;
    RecordingAccess access(log);
    access.refuse = true;
    ConversionSession s(dialogs, access);
    test::importAndWait(s, FileChoice::chosen({folder.write("t.csv", twoRecordCsv)}));
    EXPECT_EQ(s.errorMessage(), "Could not access file");
    EXPECT_TRUE(s.showError());
    EXPECT_FALSE(s.isProcessing());
    EXPECT_EQ(access.released, 0);
    EXPECT_TRUE(s.parsedEntries().empty());
}

TEST_F(ImportTest, a_chooser_failure_still_passes_through_processing_and_shows_its_text) {
    ChangeLog changes(session);
    test::importAndWait(session, FileChoice::failed(QStringLiteral("The folder went away.")));
    EXPECT_EQ(changes.names, (std::vector<std::string>{"isProcessing=true", "errorMessage",
                                                       "showError", "isProcessing=false"}));
    EXPECT_EQ(session.errorMessage(), "The folder went away.");
    EXPECT_EQ(session.errorAlertText(), "The folder went away.");
}

TEST_F(ImportTest, an_empty_choice_changes_nothing_but_the_processing_flag) {
    ChangeLog changes(session);
    test::importAndWait(session, FileChoice::chosen({}));
    EXPECT_EQ(changes.names, (std::vector<std::string>{"isProcessing=true", "isProcessing=false"}));
    EXPECT_FALSE(session.errorMessage());
    EXPECT_FALSE(session.showError());
}

TEST_F(ImportTest, only_the_first_chosen_file_is_read) {
    const QString first = folder.write("first.csv", "a,AAAA\n");
    const QString second = folder.write("second.csv", "b,CCCC\n");
    test::importAndWait(session, FileChoice::chosen({first, second}));
    EXPECT_EQ(session.fastaContent(), ">a\nAAAA\n");
}

TEST_F(ImportTest, delimited_reader_failures_show_the_reader_message_unchanged) {
    using Case = CSVParser::ParserError::Case;
    const struct {
        const char* name;
        QByteArray bytes;
        std::string message;
    } cases[] = {
        {"empty.csv", "", CSVParser::ParserError::message(Case::emptyFile)},
        {"one-column.csv", "a\nb\n", CSVParser::ParserError::message(Case::missingRequiredColumns)},
        {"header-only.csv", "id,sequence\n",
         CSVParser::ParserError::message(Case::missingRequiredColumns)},
        {"latin1.csv", "a,AC\xE9GT\n", CSVParser::ParserError::message(Case::invalidEncoding)},
        {"quote.csv", "a,ACGT\n\"b,CC\n",
         CSVParser::ParserError::message(Case::unterminatedQuotedField, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(importError(QString::fromLatin1(c.name), c.bytes).toStdString(), c.message);
        EXPECT_FALSE(session.isProcessing());
    }
}

TEST_F(ImportTest, a_missing_file_shows_the_system_reason_naming_the_file) {
    importFile(folder.path("gone.csv"));
    const QString message = session.errorMessage().value_or(QString());
    EXPECT_TRUE(message.contains("gone.csv")) << message.toStdString();
    EXPECT_TRUE(message.contains("No such file or directory")) << message.toStdString();
}

TEST_F(ImportTest, a_failure_after_a_success_keeps_the_earlier_result_and_open_panel) {
    importFile(folder.write("good.csv", twoRecordCsv));
    ChangeLog changes(session);
    importFile(folder.write("bad.csv", "only-one-column\n"));
    EXPECT_TRUE(session.showError());
    EXPECT_EQ(session.parsedEntries().size(), 2u);
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
    EXPECT_EQ(session.detectedFileType(), "CSV");
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_EQ(changes.names, (std::vector<std::string>{"isProcessing=true", "errorMessage",
                                                       "showError", "isProcessing=false"}));
}

TEST_F(ImportTest, a_failure_does_not_reopen_a_closed_panel_but_a_success_does) {
    importFile(folder.write("good.csv", twoRecordCsv));
    session.closeOutputWindow();
    EXPECT_FALSE(session.showOutputWindow());
    EXPECT_EQ(session.fastaContent(), twoRecordFasta) << "closing the panel dropped the text";
    importFile(folder.write("bad.csv", ""));
    EXPECT_FALSE(session.showOutputWindow());
    importFile(folder.write("other.tsv", "x\tTT\n"));
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_EQ(session.fastaContent(), ">x\nTT\n");
    EXPECT_EQ(session.detectedFileType(), "TSV");
}

TEST_F(ImportTest, messages_stay_after_dismissal_and_later_successes) {
    importFile(folder.write("bad.csv", ""));
    const auto message = session.errorMessage();
    ChangeLog changes(session);
    session.dismissError();
    EXPECT_EQ(changes.names, (std::vector<std::string>{"showError"}));
    EXPECT_FALSE(session.showError());
    importFile(folder.write("good.csv", twoRecordCsv));
    EXPECT_EQ(session.errorMessage(), message);
    EXPECT_FALSE(session.showError());
}

TEST_F(ImportTest, the_import_does_not_block_the_ui_thread) {
    // The reader runs elsewhere: the call returns with the flow still in progress, and the
    // result arrives through the event loop.
    session.handleFileImport(FileChoice::chosen({folder.write("t.csv", twoRecordCsv)}));
    EXPECT_TRUE(session.isProcessing());
    EXPECT_TRUE(session.parsedEntries().empty());
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(session.fastaContent(), twoRecordFasta);
}

TEST_F(ImportTest, a_second_import_while_one_runs_is_ignored) {
    session.handleFileImport(FileChoice::chosen({folder.write("a.csv", "a,AAAA\n")}));
    session.handleFileImport(FileChoice::chosen({folder.write("b.csv", "b,CCCC\n")}));
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    ASSERT_TRUE(finished.wait(30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(session.fastaContent(), ">a\nAAAA\n");
}

TEST_F(ImportTest, destroying_a_session_during_an_import_is_safe) {
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "seq" + QByteArray::number(i) + "," + QByteArray(500, 'A') + "\n";
    const QString path = folder.write("big.csv", big);
    {
        ConversionSession s(dialogs);
        s.handleFileImport(FileChoice::chosen({path}));
    }
    QCoreApplication::processEvents();
}

TEST_F(ImportTest, an_empty_record_list_opens_no_visible_panel) {
    session.applyImportedEntries({}, QStringLiteral("CSV"));
    EXPECT_TRUE(session.fastaContent().isEmpty());
    EXPECT_TRUE(session.showOutputWindow());
    EXPECT_EQ(session.detectedFileType(), "CSV");
}

} // namespace
} // namespace pellacor
