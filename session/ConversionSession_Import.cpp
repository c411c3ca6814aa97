#include "session/ConversionSession.h"

#include "session/FileAccess.h"
#include "session/FileAccessGrant.h"
#include "session/ImportJob.h"
#include "session/ImportProgress.h"

#include <QFile>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>
#include <functional>
#include <utility>

namespace pellacor {
namespace {

// Progress for pass `pass` (from 0) of `passes` over the same table, into `progress`: each
// pass fills its share of the bar.
ReadProgress progressOf(std::shared_ptr<ImportProgress> progress, std::uint64_t pass,
                        std::uint64_t passes) {
    return [progress = std::move(progress), pass, passes](std::uint64_t done, std::uint64_t total) {
        progress->total.store(passes * total, std::memory_order_relaxed);
        progress->done.store(pass * total + done, std::memory_order_relaxed);
    };
}

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
    importingPath_.clear();
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
    ConversionRequest request;
    request.input = choice.localPath(0).toStdString();
    startConversion(std::move(request));
}

void ConversionSession::convertAgain(const ConversionRequest& request) {
    if (isProcessing_ || (importedPath_.isEmpty() && !mendable_))
        return;
    setIsProcessing(true);
    ConversionRequest again = request;
    if (mendable_) {
        again.input = mendablePath_.toStdString();
        if (!again.sheet)
            again.sheet = mendableSheet_;
        if (!again.encoding)
            again.encoding = mendableEncoding_;
    } else {
        again.input = importedPath_.toStdString();
    }
    startConversion(std::move(again));
}

void ConversionSession::readAsWindows1252() {
    if (isProcessing_ || !offersWindows1252())
        return;
    ConversionRequest request;
    request.input = notUtf8Path_.toStdString();
    request.encoding = "windows-1252";
    dismissError();
    setIsProcessing(true);
    startConversion(std::move(request));
}

void ConversionSession::startConversion(ConversionRequest request) {
    notUtf8Path_.clear();
    // The file system's bytes of the name, whatever they decode to.
    const QByteArray path = QByteArray::fromStdString(request.input.string());
    const QString name = QFile::decodeName(path);
    importingPath_ = path;
    importingSheet_ = request.sheet;
    importingEncoding_ = request.encoding;
    if (!access_.startAccessing(name)) {
        failImport(QStringLiteral("Could not access file"));
        return;
    }
    grant_ = std::make_unique<FileAccessGrant>(access_, name);

    // The worker writes how far it has read; this thread looks now and then.
    stop_ = std::stop_source();
    request.stop = stop_.get_token();
    progress_ = std::make_shared<ImportProgress>();
    if (!progressTimer_) {
        progressTimer_ = new QTimer(this);
        progressTimer_->setInterval(100);
        connect(progressTimer_, &QTimer::timeout, this, &ConversionSession::pollProgress);
    }
    progressTimer_->start();

    // A result already held is given up before the new one is built, so that memory never
    // holds two; but only once a check has found the new table readable, so that a table that
    // fails, or a stop while it is checked, leaves the result as it was.
    if (!parsedEntries_.empty() && ImportJob::canCheck(request)) {
        ConversionRequest check = request;
        check.progress = progressOf(progress_, 0, 2);
        request.isChecked = true;
        request.progress = progressOf(progress_, 1, 2);
        runOnWorker([check = std::move(check)] { return ImportJob::check(check); },
                    [this, path, request = std::move(request)](ImportOutcome&& outcome) {
                        if (outcome.isCancelled || outcome.failure) {
                            concludeImport(std::move(outcome), path);
                            return;
                        }
                        // The worker frees the old result, or writes the new one into its
                        // memory: freeing 210 MB of text takes this thread 7-13 ms
                        // (bench/session_import).
                        auto old = std::make_shared<EntryTable>(releaseResult());
                        runOnWorker(
                            [old, request] { return ImportJob::run(request, std::move(*old)); },
                            [this, path](ImportOutcome&& built) {
                                concludeImport(std::move(built), path);
                            });
                    });
        return;
    }
    request.progress = progressOf(progress_, 0, 1);
    runOnWorker([request = std::move(request)] { return ImportJob::run(request); },
                [this, path](ImportOutcome&& outcome) { concludeImport(std::move(outcome), path); });
}

void ConversionSession::runOnWorker(std::function<ImportOutcome()> work,
                                    std::function<void(ImportOutcome&&)> then) {
    // Reading and rendering run on a worker; every field is written back here, on the UI
    // thread, in the same order as if it had all run here.
    importWatcher_ = new QFutureWatcher<ImportOutcome>(this);
    connect(importWatcher_, &QFutureWatcherBase::finished, this, [this, then = std::move(then)] {
        QFutureWatcher<ImportOutcome>* watcher = std::exchange(importWatcher_, nullptr);
        ImportOutcome outcome = watcher->future().takeResult();
        watcher->deleteLater();
        then(std::move(outcome));
    });
    importWatcher_->setFuture(QtConcurrent::run(std::move(work)));
}

void ConversionSession::concludeImport(ImportOutcome&& outcome, const QByteArray& path) {
    progressTimer_->stop();
    if (outcome.isCancelled) {
        // As if the import had never been asked for; the reader has removed what it made.
        grant_.reset();
        finishImport();
        return;
    }
    if (outcome.failure) {
        if (outcome.isNotUtf8)
            notUtf8Path_ = path;
        failImport(*outcome.failure, std::move(outcome.mendable));
        return;
    }
    applyImportedEntries(std::move(outcome), path);
    grant_.reset();
    finishImport();
}

EntryTable ConversionSession::releaseResult() {
    // The window lets go of its share of the text on this signal.
    EntryTable released = std::exchange(parsedEntries_, EntryTable());
    summary_ = ConversionSummary();
    emit parsedEntriesChanged();
    emit detectedFileTypeChanged();
    emit conversionSummaryChanged();
    return released;
}

void ConversionSession::applyImportedEntries(ImportOutcome&& outcome, const QByteArray& path) {
    importedPath_ = path;
    EntryTable previous = std::exchange(parsedEntries_, std::move(outcome.entries));
    summary_ = std::move(outcome.summary);
    // The records and their text change together, and the window redraws both on this one
    // signal; the trace keeps its order around it.
    writeTrace(summary_.entryTrace());
    emit parsedEntriesChanged();
    emit detectedFileTypeChanged();
    writeTrace(outcome.fastaTrace);
    setMendable(std::nullopt);
    setShowOutputWindow(true);
    emit conversionSummaryChanged();
    // A previous result not given up before the build (a workbook's, a gzip table's) goes
    // here, on this thread, within the frame's time: 7-13 ms for 210 MB of text.
    previous = EntryTable();
}

void ConversionSession::cancelImport() {
    if (importWatcher_)
        stop_.request_stop();
}

void ConversionSession::pollProgress() {
    const std::uint64_t total = progress_ ? progress_->total.load(std::memory_order_relaxed) : 0;
    const std::uint64_t done = progress_ ? progress_->done.load(std::memory_order_relaxed) : 0;
    const int percent = total == 0 ? -1 : static_cast<int>(done * 100 / total);
    if (percent != importProgress_) {
        importProgress_ = percent;
        emit importProgressChanged(percent);
    }
}

void ConversionSession::finishImport() {
    if (importProgress_ != -1) {
        importProgress_ = -1;
        emit importProgressChanged(-1);
    }
    setIsProcessing(false);
    emit importFinished();
}

void ConversionSession::failImport(const QString& message, std::optional<ColumnLayout> mendable) {
    grant_.reset();
    const QByteArray path = std::exchange(importingPath_, QByteArray());
    if (mendable) {
        mendablePath_ = path;
        mendableSheet_ = importingSheet_;
        mendableEncoding_ = importingEncoding_;
    }
    raiseError(message, path);
    const bool offered = mendable.has_value();
    setMendable(std::move(mendable));
    // The columns to mend it by come with the error, where the text would be.
    if (offered)
        setShowOutputWindow(true);
    finishImport();
}

void ConversionSession::setMendable(std::optional<ColumnLayout> layout) {
    if (!layout && !mendable_)
        return;
    mendable_ = std::move(layout);
    emit mendableLayoutChanged();
}

} // namespace pellacor
