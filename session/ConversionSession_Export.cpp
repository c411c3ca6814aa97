#include "session/ConversionSession.h"

#include "files/FileError.h"
#include "session/FastaDocument.h"
#include "session/TextSliceMimeData.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>

namespace pellacor {

void ConversionSession::startExport() {
    if (isExporting_)
        return;
    setIsExporting(true);
    // The document holds the text current when the dialog opens; it shares the session's buffer.
    QPointer<ConversionSession> self(this);
    dialogs_.chooseSaveTarget(
        proposedExportName(), exportNameFilters(),
        [self, document = FastaDocument::fromUtf8(fastaContent())](std::optional<QString> path) {
            if (!self)
                return;
            self->setIsExporting(false);
            if (!path)
                return;
            try {
                document.save(*path);
            } catch (const FileError& e) {
                SaveOutcome failed = SaveOutcome::failed(QString::fromUtf8(e.what()));
                // Not written, but the alert still names the file meant.
                failed.writtenPath = *path;
                self->handleFileExport(failed);
                return;
            }
            self->handleFileExport(SaveOutcome::written(*path));
        });
}

void ConversionSession::handleFileExport(const SaveOutcome& outcome) {
    if (outcome.failure)
        raiseError(*outcome.failure, QFile::encodeName(outcome.writtenPath));
    else
        raiseSuccess(QStringLiteral("FASTA file saved successfully!"),
                     QFile::encodeName(outcome.writtenPath));
}

void ConversionSession::copyToClipboard() {
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (!clipboard) {
        // Claiming a copy that never happened would leave the user pasting stale text.
        raiseError(QStringLiteral("The clipboard is not available."));
        return;
    }
    clipboard->clear();
    // The clipboard shares the text's buffer and hands it out only when a program pastes, so
    // neither copying nor pasting converts hundreds of megabytes on the UI thread.
    clipboard->setMimeData(
        new TextSliceMimeData(fastaContent(), 0, static_cast<std::size_t>(fastaContent().size())));
    raiseSuccess(QStringLiteral("FASTA content copied to clipboard!"), importedPath_);
}

} // namespace pellacor
