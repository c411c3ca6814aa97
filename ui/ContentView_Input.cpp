// Alerts, dropped files and keyboard shortcuts.
#include "ui/ContentView.h"

#include "session/ConversionSession.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>

namespace pellacor {

void ContentView::presentAlerts() {
    // One alert at a time; "Error" goes first when both are raised.
    if (alert_) {
        const bool isError = alert_->property("pellacorError").toBool();
        const bool stillWanted = isError ? session_->showError() : session_->showSuccess();
        if (stillWanted)
            return;
        // The flag was reset elsewhere: the alert has nothing left to say.
        QMessageBox* stale = alert_;
        alert_ = nullptr;
        stale->disconnect(this);
        stale->close();
        stale->deleteLater();
    }
    const bool error = session_->showError();
    if (!error && !session_->showSuccess())
        return;

    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setProperty("pellacorError", error);
    box->setIcon(error ? QMessageBox::Critical : QMessageBox::Information);
    box->setWindowTitle(error ? tr("Error") : tr("Success"));
    // Messages carry file names and system text; they must never be read as markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(error ? session_->errorAlertText() : session_->successAlertText());
    QPushButton* ok = box->addButton(tr("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->setWindowModality(Qt::WindowModal);
    alert_ = box;
    connect(box, &QMessageBox::finished, this, [this, box, error] {
        if (alert_ == box)
            alert_ = nullptr;
        if (error)
            session_->dismissError();
        else
            session_->dismissSuccess();
        presentAlerts();
    });
    box->open();
}

QString ContentView::droppedFile(const QMimeData* data) const {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    // A drop imports like the import button does, so it is refused whenever the button is off.
    if (!session_->isProcessing() && !session_->isImporting() &&
        !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ContentView::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty() || session_->isProcessing() || session_->isImporting())
        return;
    event->acceptProposedAction();
    session_->handleFileImport(FileChoice::chosen({path}));
}

void ContentView::installShortcuts() {
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, [this] {
        if (!session_->isProcessing())
            session_->startImport();
    });
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, [this] {
        if (!session_->fastaContent().isEmpty())
            session_->startExport();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, [this] {
        if (session_->showOutputWindow())
            session_->closeOutputWindow();
    });
}

} // namespace pellacor
