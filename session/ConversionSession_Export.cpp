#include "session/ConversionSession.h"

#include "files/FileError.h"
#include "session/FastaDocument.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace pellacor {

namespace {

// The FASTA text as the clipboard's one plain-text item. It shares the session's UTF-8 buffer
// and hands it out as it is when a program pastes, so neither copying nor pasting converts
// hundreds of megabytes on the UI thread.
class FastaMimeData : public QMimeData {
public:
    explicit FastaMimeData(QByteArray utf8) : utf8_(std::move(utf8)) {}

    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mimeType) const override {
        return mimeType == QLatin1String("text/plain");
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override {
        // Plain text in Qt is UTF-8; asked for a QString, QMimeData converts these bytes itself.
        return hasFormat(mimeType) ? QVariant(utf8_) : QVariant();
    }

private:
    QByteArray utf8_;
};

} // namespace

void ConversionSession::startExport() {
    if (isExporting_)
        return;
    setIsExporting(true);
    // The document holds the text current when the dialog opens; it shares the session's buffer.
    QPointer<ConversionSession> self(this);
    dialogs_.chooseSaveTarget(
        proposedExportName(), exportNameFilters(),
        [self, document = FastaDocument::fromUtf8(fastaContent_)](std::optional<QString> path) {
            if (!self)
                return;
            self->setIsExporting(false);
            if (!path)
                return;
            try {
                document.save(*path);
            } catch (const FileError& e) {
                self->handleFileExport(SaveOutcome::failed(QString::fromUtf8(e.what())));
                return;
            }
            self->handleFileExport(SaveOutcome::written(*path));
        });
}

void ConversionSession::handleFileExport(const SaveOutcome& outcome) {
    if (outcome.failure)
        raiseError(*outcome.failure);
    else
        raiseSuccess(QStringLiteral("FASTA file saved successfully!"));
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
    clipboard->setMimeData(new FastaMimeData(fastaContent_));
    raiseSuccess(QStringLiteral("FASTA content copied to clipboard!"));
}

} // namespace pellacor
