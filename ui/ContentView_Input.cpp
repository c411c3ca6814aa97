// Dropped files and keyboard shortcuts.
#include "ui/ContentView.h"

#include "session/ConversionSession.h"
#include "ui/OutputPanel.h"
#include "ui/textview/FindBar.h"
#include "ui/widgets/DropHighlight.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollArea>
#include <QShortcut>

#include <filesystem>

namespace pellacor {

std::optional<FileChoice> ContentView::droppedFile(const QMimeData* data) const {
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    // The file is looked up by the bytes of its name: one that is not UTF-8 is found too.
    FileChoice choice = FileChoice::fromUrls(urls);
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(choice.localPath(0).toStdString(), unknown))
        return std::nullopt;
    return choice;
}

void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    // A drop imports like the import button does, so it is refused whenever the button is off.
    if (!session_->isProcessing() && !session_->isImporting() && droppedFile(event->mimeData())) {
        event->acceptProposedAction();
        // Over the main column, clear of the divider and the panel's text.
        dropHighlight_->setNoteArea(columnArea_->geometry());
        dropHighlight_->raise();
        dropHighlight_->show();
    }
}

void ContentView::dragLeaveEvent(QDragLeaveEvent* event) {
    dropHighlight_->hide();
    QWidget::dragLeaveEvent(event);
}

void ContentView::dropEvent(QDropEvent* event) {
    dropHighlight_->hide();
    const std::optional<FileChoice> choice = droppedFile(event->mimeData());
    if (!choice || session_->isProcessing() || session_->isImporting())
        return;
    event->acceptProposedAction();
    session_->handleFileImport(*choice);
}

void ContentView::installShortcuts() {
    const auto add = [this](const QKeySequence& keys, auto&& action) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
    };
    add(QKeySequence::Open, [this] {
        if (!session_->isProcessing())
            session_->startImport();
    });
    add(QKeySequence::Save, [this] {
        if (!session_->fastaContent().isEmpty())
            session_->startExport();
    });
    // Escape stops what runs, else closes the innermost thing open: the find bar, the panel.
    add(QKeySequence(Qt::Key_Escape), [this] {
        if (session_->isProcessing())
            session_->cancelImport();
        else if (panel_->isVisible() && panel_->findBar()->isVisible())
            panel_->findBar()->dismiss();
        else if (session_->showOutputWindow())
            session_->closeOutputWindow();
    });
    add(QKeySequence::Find, [this] {
        // A closed panel comes back on the current text, ready to search it.
        if (!session_->showOutputWindow())
            session_->reopenOutputWindow();
        // While it offers a failed table's columns, it shows no text to search.
        if (session_->showOutputWindow() && !session_->fastaContent().isEmpty() &&
            !session_->mendableLayout())
            panel_->findBar()->open();
    });
    const auto findAgain = [this](bool forward) {
        if (!panel_->isVisible() || session_->mendableLayout())
            return;
        FindBar* bar = panel_->findBar();
        if (!bar->isVisible())
            bar->open();
        if (forward)
            bar->findNext();
        else
            bar->findPrevious();
    };
    add(QKeySequence::FindNext, [findAgain] { findAgain(true); });
    add(QKeySequence::FindPrevious, [findAgain] { findAgain(false); });
}

void ContentView::keyPressEvent(QKeyEvent* event) {
    // Buttons take Space; a focused one takes Enter too, as it does in a dialog. The key only
    // gets here when the focused widget had no use for it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && button && button->isEnabled() &&
        isAncestorOf(button)) {
        button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace pellacor
