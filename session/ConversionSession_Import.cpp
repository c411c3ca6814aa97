#include "session/ConversionSession.h"

#include "session/FileAccess.h"
#include "session/FileAccessGrant.h"
#include "session/ImportJob.h"

#include <QFile>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <utility>

namespace pellacor {
namespace {

void writeTrace(const std::string& lines) {
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::fflush(stdout);
}

} // namespace

void ConversionSession::startImport() {
    if (isImporting_ || isProcessing_)
        return;
    setIsImporting(true);
    QPointer<ConversionSession> self(this);
    dialogs_.chooseInputFile(importNameFilters(), [self](FileChoice choice) {
        if (!self)
            return;
        self->setIsImporting(false);
        self->handleFileImport(choice);
    });
}

void ConversionSession::handleFileImport(const FileChoice& choice) {
    // A second flow would race the first for the same fields; the window's disabled import
    // control normally prevents it, this makes sure.
    if (isProcessing_)
        return;
    setIsProcessing(true);
    notUtf8Path_.clear();
    if (choice.failure) {
        failImport(*choice.failure);
        return;
    }
    if (choice.paths.isEmpty()) {
        finishImport();
        return;
    }
    // A new table is read as its header says, and its first sheet.
    startConversion(choice.localPath(0), ImportChoice{});
}

void ConversionSession::convertAgain(const ImportChoice& choice) {
    if (isProcessing_ || importedPath_.isEmpty())
        return;
    setIsProcessing(true);
    startConversion(importedPath_, choice);
}

void ConversionSession::readAsWindows1252() {
    if (isProcessing_ || !offersWindows1252())
        return;
    const QByteArray path = notUtf8Path_;
    dismissError();
    setIsProcessing(true);
    ImportChoice choice;
    choice.encoding = QStringLiteral("windows-1252");
    startConversion(path, choice);
}

void ConversionSession::startConversion(const QByteArray& path, const ImportChoice& choice) {
    notUtf8Path_.clear();
    const QString name = QFile::decodeName(path);
    if (!access_.startAccessing(name)) {
        failImport(QStringLiteral("Could not access file"));
        return;
    }
    grant_ = std::make_unique<FileAccessGrant>(access_, name);

    // Reading and rendering run on a worker; every field is written back here, on the UI
    // thread, in the same order as if it had all run here.
    importWatcher_ = new QFutureWatcher<ImportOutcome>(this);
    connect(importWatcher_, &QFutureWatcherBase::finished, this, [this, path] {
        QFutureWatcher<ImportOutcome>* watcher = std::exchange(importWatcher_, nullptr);
        ImportOutcome outcome = watcher->future().takeResult();
        watcher->deleteLater();
        if (outcome.failure) {
            if (outcome.isNotUtf8)
                notUtf8Path_ = path;
            failImport(*outcome.failure);
            return;
        }
        applyImportedEntries(std::move(outcome), path);
        grant_.reset();
        finishImport();
    });
    importWatcher_->setFuture(QtConcurrent::run(&ImportJob::run, path, choice));
}

void ConversionSession::applyImportedEntries(ImportOutcome&& outcome, const QByteArray& path) {
    importedPath_ = path;
    EntryTable previous = std::exchange(parsedEntries_, std::move(outcome.entries));
    emit parsedEntriesChanged();
    detectedFileType_ = std::move(outcome.fileType);
    emit detectedFileTypeChanged();
    writeTrace(outcome.entryTrace);
    QByteArray previousText = std::exchange(fastaContent_, parsedEntries_.fasta());
    emit fastaContentChanged();
    writeTrace(outcome.fastaTrace);
    setShowOutputWindow(true);
    details_ = std::move(outcome.details);
    emit conversionDetailsChanged();
    // Handing hundreds of megabytes back to the system takes tens of milliseconds: not on
    // this thread. The view has let go of the old text by now, unless it still shows it.
    if (previousText.size() > (qsizetype(1) << 20))
        QThreadPool::globalInstance()->start(
            [discarded = std::move(previous), text = std::move(previousText)]() mutable {
                discarded = EntryTable();
                text = QByteArray();
#if defined(__GLIBC__)
                ::malloc_trim(0);
#endif
            });
}

void ConversionSession::finishImport() {
    setIsProcessing(false);
    emit importFinished();
}

void ConversionSession::failImport(const QString& message) {
    grant_.reset();
    raiseError(message);
    finishImport();
}

} // namespace pellacor
