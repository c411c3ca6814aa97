#include "session/ConversionSession.h"

#include "session/FastaDocument.h"
#include "session/FileAccess.h"
#include "session/FileAccessGrant.h"
#include "session/ImportJob.h"

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
        importWatcher_->waitForFinished();
    }
    grant_.reset();
}

QString ConversionSession::errorAlertText() const {
    return errorMessage_.value_or(QStringLiteral("An unknown error occurred"));
}

QString ConversionSession::successAlertText() const {
    return successMessage_.value_or(QStringLiteral("Operation completed successfully"));
}

QStringList ConversionSession::importNameFilters() {
    return {QStringLiteral("Sequence tables (*.csv *.tsv *.tab *.txt *.text *.xlsx *.xls)"),
            QStringLiteral("CSV files (*.csv)"),
            QStringLiteral("TSV files (*.tsv *.tab)"),
            QStringLiteral("Text files (*.txt *.text)"),
            QStringLiteral("Excel workbooks (*.xlsx *.xls)"),
            QStringLiteral("All files (*)")};
}

QStringList ConversionSession::exportNameFilters() {
    return FastaDocument::nameFilters() << QStringLiteral("All files (*)");
}

void ConversionSession::closeOutputWindow() {
    setShowOutputWindow(false);
}

void ConversionSession::dismissError() {
    setShowError(false);
}

void ConversionSession::dismissSuccess() {
    setShowSuccess(false);
}

void ConversionSession::setIsImporting(bool value) {
    if (isImporting_ != value) {
        isImporting_ = value;
        emit isImportingChanged(value);
    }
}

void ConversionSession::setIsExporting(bool value) {
    if (isExporting_ != value) {
        isExporting_ = value;
        emit isExportingChanged(value);
    }
}

void ConversionSession::setIsProcessing(bool value) {
    if (isProcessing_ != value) {
        isProcessing_ = value;
        emit isProcessingChanged(value);
    }
}

void ConversionSession::setShowError(bool value) {
    if (showError_ != value) {
        showError_ = value;
        emit showErrorChanged(value);
    }
}

void ConversionSession::setShowSuccess(bool value) {
    if (showSuccess_ != value) {
        showSuccess_ = value;
        emit showSuccessChanged(value);
    }
}

void ConversionSession::setShowOutputWindow(bool value) {
    if (showOutputWindow_ != value) {
        showOutputWindow_ = value;
        emit showOutputWindowChanged(value);
    }
}

void ConversionSession::raiseError(const QString& message) {
    errorMessage_ = message;
    emit errorMessageChanged();
    setShowError(true);
}

void ConversionSession::raiseSuccess(const QString& message) {
    successMessage_ = message;
    emit successMessageChanged();
    setShowSuccess(true);
}

} // namespace pellacor
