#include "session/ConversionSession.h"

#include "files/DisplayName.h"
#include "session/FastaDocument.h"
#include "session/FileAccess.h"
#include "session/FileAccessGrant.h"
#include "session/ImportJob.h"
#include "session/ImportProgress.h"

namespace pellacor {

ConversionSession::ConversionSession(SessionDialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs), ownAccess_(std::make_unique<FileAccess>()),
      access_(*ownAccess_) {}

ConversionSession::ConversionSession(SessionDialogs& dialogs, FileAccess& access, QObject* parent)
    : QObject(parent), dialogs_(dialogs), access_(access) {}

ConversionSession::~ConversionSession() {
    // The worker holds no pointer to the session, but its result must not arrive half-way
    // through destruction, and the file access must be given back after it stopped reading.
    if (importWatcher_) {
        importWatcher_->disconnect(this);
        // Nobody wants the result: the worker may stop at its next piece.
        stop_.request_stop();
        importWatcher_->waitForFinished();
    }
    grant_.reset();
}

std::optional<QString> ConversionSession::detectedFileType() const {
    if (summary_.fileType.empty())
        return std::nullopt;
    return QString::fromStdString(summary_.fileType);
}

QString ConversionSession::errorAlertText() const {
    return errorMessage_.value_or(QStringLiteral("An unknown error occurred"));
}

QString ConversionSession::successAlertText() const {
    return successMessage_.value_or(QStringLiteral("Operation completed successfully"));
}

QStringList ConversionSession::importNameFilters() {
    return {QStringLiteral("Sequence tables (*.csv *.tsv *.tab *.txt *.text *.xlsx *.xls *.ods "
                           "*.fods *.gz)"),
            QStringLiteral("CSV files (*.csv *.csv.gz)"),
            QStringLiteral("TSV files (*.tsv *.tab *.tsv.gz *.tab.gz)"),
            QStringLiteral("Text files (*.txt *.text *.txt.gz)"),
            QStringLiteral("Excel workbooks (*.xlsx *.xls)"),
            QStringLiteral("OpenDocument spreadsheets (*.ods *.fods)"),
            QStringLiteral("All files (*)")};
}

QStringList ConversionSession::exportNameFilters() {
    return FastaDocument::nameFilters() << QStringLiteral("All files (*)");
}

void ConversionSession::closeOutputWindow() {
    setShowOutputWindow(false);
}

void ConversionSession::reopenOutputWindow() {
    if (!fastaContent().isEmpty() || mendable_)
        setShowOutputWindow(true);
}

void ConversionSession::dismissError() {
    notUtf8Path_.clear();
    setShowError(false);
}

void ConversionSession::dismissSuccess() {
    setShowSuccess(false);
}

void ConversionSession::setFlag(bool& flag, bool value, void (ConversionSession::*changed)(bool)) {
    if (flag != value) {
        flag = value;
        emit(this->*changed)(value);
    }
}

void ConversionSession::setIsImporting(bool value) {
    setFlag(isImporting_, value, &ConversionSession::isImportingChanged);
}

void ConversionSession::setIsExporting(bool value) {
    setFlag(isExporting_, value, &ConversionSession::isExportingChanged);
}

void ConversionSession::setIsProcessing(bool value) {
    setFlag(isProcessing_, value, &ConversionSession::isProcessingChanged);
}

void ConversionSession::setShowError(bool value) {
    setFlag(showError_, value, &ConversionSession::showErrorChanged);
}

void ConversionSession::setShowSuccess(bool value) {
    setFlag(showSuccess_, value, &ConversionSession::showSuccessChanged);
}

void ConversionSession::setShowOutputWindow(bool value) {
    setFlag(showOutputWindow_, value, &ConversionSession::showOutputWindowChanged);
}

namespace {

QString displayName(const QByteArray& file) {
    return file.isEmpty() ? QString() : QString::fromStdString(DisplayName::of(file.toStdString()));
}

} // namespace

void ConversionSession::raiseError(const QString& message, const QByteArray& file) {
    errorFile_ = displayName(file);
    errorMessage_ = message;
    emit errorMessageChanged();
    setShowError(true);
}

void ConversionSession::raiseSuccess(const QString& message, const QByteArray& file) {
    successFile_ = displayName(file);
    successMessage_ = message;
    emit successMessageChanged();
    setShowSuccess(true);
}

} // namespace pellacor
