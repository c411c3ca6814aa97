#pragma once

#include "session/EntryTable.h"
#include "session/ImportJob.h"
#include "session/SessionDialogs.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace pellacor {

class FileAccess;
class FileAccessGrant;
struct ImportProgress;

/// What the save step reported: the path written, or the failure's description.
struct SaveOutcome {
    /// The file that was written, or on failure the one that was to be (empty when unknown).
    QString writtenPath;
    /// Why saving failed; absent on success.
    std::optional<QString> failure;

    /// A save that wrote `path`.
    static SaveOutcome written(QString path) { return {std::move(path), std::nullopt}; }
    /// A save that failed with `description`.
    static SaveOutcome failed(QString description) { return {{}, std::move(description)}; }
};

/// The state behind one main window and the flows that fill it: import a table, keep its
/// records and FASTA text, save the text, copy it. Lives on the UI thread; only the reading of
/// the table and the FASTA rendering run on a worker thread.
///
/// How a window uses it: it owns one session, implements `SessionDialogs` for it and draws
/// itself from the fifteen properties below, redrawing on their change signals. Buttons call
/// the actions: import -> `startImport`, "Export as FASTA" and "Save as File" ->
/// `startExport`, "Copy to Clipboard" -> `copyToClipboard`, the panel's close control ->
/// `closeOutputWindow`, the result block's "Show FASTA" -> `reopenOutputWindow`, the progress
/// row's "Cancel" -> `cancelImport`. Dismissing the "Error" alert calls `dismissError`, dismissing
/// the "Success" alert `dismissSuccess`; both only reset their flag. The window animates every
/// change of `showOutputWindow` and nothing else. The output panel is shown exactly while
/// `showOutputWindow` is true and `fastaContent` is not empty or `mendableLayout` is present;
/// with `mendableLayout` it offers that table's columns beside the error instead of the text. The
/// import control is disabled while `isProcessing` is true.
class ConversionSession : public QObject {
    Q_OBJECT
    /// True while the file chooser is open.
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY isImportingChanged)
    /// True while the save dialog is open.
    Q_PROPERTY(bool isExporting READ isExporting NOTIFY isExportingChanged)
    /// The records of the last successful import.
    Q_PROPERTY(pellacor::EntryTable parsedEntries READ parsedEntries NOTIFY parsedEntriesChanged)
    /// How many records `parsedEntries` holds (for "Parsed N sequence(s)").
    Q_PROPERTY(qsizetype parsedEntryCount READ parsedEntryCount NOTIFY parsedEntriesChanged)
    /// The FASTA text of the last successful import, as UTF-8: the text of `parsedEntries`.
    Q_PROPERTY(QByteArray fastaContent READ fastaContent NOTIFY parsedEntriesChanged)
    /// The message of the "Error" alert; absent until the first failure, never cleared.
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)
    /// True while the "Error" alert is shown.
    Q_PROPERTY(bool showError READ showError NOTIFY showErrorChanged)
    /// The message of the "Success" alert; absent until the first success, never cleared.
    Q_PROPERTY(
        std::optional<QString> successMessage READ successMessage NOTIFY successMessageChanged)
    /// True while the "Success" alert is shown.
    Q_PROPERTY(bool showSuccess READ showSuccess NOTIFY showSuccessChanged)
    /// True while an import runs: show the progress row, disable the import control.
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    /// How much of the table the running import has read, in percent; -1 while not known.
    Q_PROPERTY(int importProgress READ importProgress NOTIFY importProgressChanged)
    /// "CSV", "TSV", "Excel (XLSX)", "Excel (XLS)", "OpenDocument (ODS)" or "OpenDocument
    /// (FODS)" after a successful import.
    Q_PROPERTY(std::optional<QString> detectedFileType READ detectedFileType NOTIFY
                   detectedFileTypeChanged)
    /// True when the output panel is wanted (it also needs non-empty `fastaContent`).
    Q_PROPERTY(bool showOutputWindow READ showOutputWindow NOTIFY showOutputWindowChanged)
    /// What the last successful import found besides records and text: columns used, sheets,
    /// rows skipped, warnings.
    Q_PROPERTY(pellacor::ConversionSummary conversionSummary READ conversionSummary NOTIFY
                   conversionSummaryChanged)
    /// After a failed import that another choice of columns may mend: that table's columns
    /// and first rows, for `convertAgain` to choose from; absent otherwise.
    Q_PROPERTY(std::optional<pellacor::ColumnLayout> mendableLayout READ mendableLayout NOTIFY
                   mendableLayoutChanged)

public:
    /// A session in the initial state that shows its dialogs through `dialogs`, which must
    /// outlive it. Files need no access grant.
    explicit ConversionSession(SessionDialogs& dialogs, QObject* parent = nullptr);
    /// As above, asking `access` (which must outlive the session) before reading a file.
    ConversionSession(SessionDialogs& dialogs, FileAccess& access, QObject* parent = nullptr);
    /// Waits for a running import's worker to finish; its result is dropped.
    ~ConversionSession() override;
    ConversionSession(const ConversionSession&) = delete;
    ConversionSession& operator=(const ConversionSession&) = delete;

    // Readers of the properties above, each as its property describes it.
    bool isImporting() const noexcept { return isImporting_; }
    bool isExporting() const noexcept { return isExporting_; }
    const EntryTable& parsedEntries() const noexcept { return parsedEntries_; }
    qsizetype parsedEntryCount() const noexcept {
        return static_cast<qsizetype>(parsedEntries_.size());
    }
    /// The FASTA text as UTF-8 bytes; shares its buffer, copying it is cheap.
    const QByteArray& fastaContent() const noexcept { return parsedEntries_.fasta(); }
    const std::optional<QString>& errorMessage() const noexcept { return errorMessage_; }
    bool showError() const noexcept { return showError_; }
    const std::optional<QString>& successMessage() const noexcept { return successMessage_; }
    bool showSuccess() const noexcept { return showSuccess_; }
    bool isProcessing() const noexcept { return isProcessing_; }
    int importProgress() const noexcept { return importProgress_; }
    std::optional<QString> detectedFileType() const;
    bool showOutputWindow() const noexcept { return showOutputWindow_; }
    /// True while the "Error" alert is about a table whose text is not UTF-8, which
    /// `readAsWindows1252` may read.
    bool offersWindows1252() const noexcept { return !notUtf8Path_.isEmpty() && showError_; }
    const ConversionSummary& conversionSummary() const noexcept { return summary_; }
    const std::optional<ColumnLayout>& mendableLayout() const noexcept { return mendable_; }
    /// The file of the last successful import, as the file system names it; empty before one.
    const QByteArray& importedPath() const noexcept { return importedPath_; }

    /// The text of the "Error" alert: `errorMessage`, or "An unknown error occurred".
    QString errorAlertText() const;
    /// The text of the "Success" alert: `successMessage`, or "Operation completed successfully".
    QString successAlertText() const;
    /// The name of the file the "Error" alert is about, as a message shows it; empty when it
    /// is about none.
    const QString& errorFileName() const noexcept { return errorFile_; }
    /// The name of the file the "Success" alert is about, as `errorFileName`.
    const QString& successFileName() const noexcept { return successFile_; }

    /// The file chooser's filters: tables of every kind first, then CSV, TSV, text,
    /// workbooks and "All files".
    static QStringList importNameFilters();
    /// The save dialog's filters: FASTA files, text files, gzip-compressed FASTA, then "All
    /// files".
    static QStringList exportNameFilters();
    /// The file name the save dialog proposes.
    static QString proposedExportName() { return QStringLiteral("output.fasta"); }

public slots:
    /// Opens the file chooser (`isImporting` true while it is open) and imports its choice.
    /// Does nothing while the chooser is open or an import runs.
    void startImport();
    /// Imports the first file of `choice`; failures end in the "Error" alert. The reading and
    /// rendering run on a worker; `importFinished` is emitted when the flow has ended.
    void handleFileImport(const pellacor::FileChoice& choice);
    /// Converts the last imported file again as `request` asks (other columns, another sheet;
    /// its input is replaced by that file), off the UI thread, with the flow and alerts of an
    /// import. With `mendableLayout` present it converts the table that failed instead, in the
    /// sheet and encoding it was read in unless `request` names others. Does nothing before an
    /// import or while one runs.
    void convertAgain(const pellacor::ConversionRequest& request);
    /// Stops the running import: the previous result stays as it was, no alert is raised and
    /// nothing the import made is left behind. Does nothing while no import runs.
    void cancelImport();
    /// After a table failed for text that is not UTF-8 (`offersWindows1252`): dismisses the
    /// error and reads that table again as Windows-1252, with the flow and alerts of an
    /// import. Does nothing otherwise.
    void readAsWindows1252();
    /// Hides the output panel; records and text stay.
    void closeOutputWindow();
    /// Shows the output panel again on the current text, or on the columns of a table that
    /// failed (`mendableLayout`); does nothing without either.
    void reopenOutputWindow();
    /// Opens the save dialog (`isExporting` true while it is open) proposing "output.fasta",
    /// saves the current text there and reports through `handleFileExport`. Does nothing while
    /// the save dialog is open.
    void startExport();
    /// Reports a save: success in the "Success" alert, failure in the "Error" alert.
    void handleFileExport(const pellacor::SaveOutcome& outcome);
    /// Puts the FASTA text on the clipboard as plain text and reports it in the "Success" alert.
    void copyToClipboard();
    /// The "Error" alert was dismissed: resets `showError`, nothing else.
    void dismissError();
    /// The "Success" alert was dismissed: resets `showSuccess`, nothing else.
    void dismissSuccess();

signals:
    void isImportingChanged(bool isImporting);
    void isExportingChanged(bool isExporting);
    void parsedEntriesChanged();
    void errorMessageChanged();
    void showErrorChanged(bool showError);
    void successMessageChanged();
    void showSuccessChanged(bool showSuccess);
    void isProcessingChanged(bool isProcessing);
    void importProgressChanged(int percent);
    void detectedFileTypeChanged();
    void showOutputWindowChanged(bool showOutputWindow);
    void conversionSummaryChanged();
    void mendableLayoutChanged();
    /// An import flow has ended (success, failure or empty choice); `isProcessing` is false.
    void importFinished();

private:
    /// Sets `flag` and, when it changed, emits `changed` with the new value.
    void setFlag(bool& flag, bool value, void (ConversionSession::*changed)(bool));
    void setIsImporting(bool value);
    void setIsExporting(bool value);
    void setIsProcessing(bool value);
    void setShowError(bool value);
    void setShowSuccess(bool value);
    void setShowOutputWindow(bool value);
    // `file` is the file system's name of the file the alert is about, or empty.
    void raiseError(const QString& message, const QByteArray& file = {});
    void raiseSuccess(const QString& message, const QByteArray& file = {});

    // Commits a successful import of `path`: records, type label, trace, FASTA text, panel
    // shown.
    void applyImportedEntries(ImportOutcome&& outcome, const QByteArray& path);
    // Converts `request` on a worker, then commits or fails; `isProcessing` is set. A result
    // held is given up once the new table is checked, before it is built.
    void startConversion(ConversionRequest request);
    // Runs `work` on a worker, then `then` with its outcome on this thread.
    void runOnWorker(std::function<ImportOutcome()> work,
                     std::function<void(ImportOutcome&&)> then);
    // Ends the import of `path` with `outcome`: commits, fails or, stopped, ends quietly.
    void concludeImport(ImportOutcome&& outcome, const QByteArray& path);
    // Gives up the records and text held and tells the window, which lets go of its share:
    // what is returned is then their last holder.
    EntryTable releaseResult();
    void finishImport();
    void pollProgress();
    // Raises the error; `mendable` is the failed table's layout where a choice may mend it.
    void failImport(const QString& message, std::optional<ColumnLayout> mendable = {});
    void setMendable(std::optional<ColumnLayout> layout);

    SessionDialogs& dialogs_;
    std::unique_ptr<FileAccess> ownAccess_;
    FileAccess& access_;
    std::unique_ptr<FileAccessGrant> grant_;
    QFutureWatcher<ImportOutcome>* importWatcher_ = nullptr;
    // The running import's stop, and how far it has read (written by its worker).
    std::stop_source stop_;
    std::shared_ptr<ImportProgress> progress_;
    QTimer* progressTimer_ = nullptr;

    bool isImporting_ = false;
    bool isExporting_ = false;
    EntryTable parsedEntries_;
    std::optional<QString> errorMessage_;
    bool showError_ = false;
    std::optional<QString> successMessage_;
    bool showSuccess_ = false;
    bool isProcessing_ = false;
    int importProgress_ = -1;
    bool showOutputWindow_ = false;
    ConversionSummary summary_;
    QByteArray importedPath_;
    // The file the running import reads.
    QByteArray importingPath_;
    QString errorFile_;
    QString successFile_;
    QByteArray notUtf8Path_; // the table that last failed for not being UTF-8
    std::optional<ColumnLayout> mendable_;
    // The table `mendable_` is about, and the sheet and encoding it was read in.
    QByteArray mendablePath_;
    std::optional<std::string> mendableSheet_;
    std::optional<std::string> mendableEncoding_;
    // The sheet and encoding the running import reads.
    std::optional<std::string> importingSheet_;
    std::optional<std::string> importingEncoding_;
};

} // namespace pellacor
