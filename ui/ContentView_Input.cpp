// Dropped files and keyboard shortcuts.
#include "ui/ContentView.h"

#include "session/ConversionSession.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QShortcut>

namespace pellacor {

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
