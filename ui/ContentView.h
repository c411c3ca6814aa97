#pragma once

#include "session/SessionDialogs.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class QFrame;
class QMessageBox;
class QMimeData;
class QPropertyAnimation;
class QScrollArea;
class QTimer;

namespace pellacor {

class ConversionSession;
class DropHighlight;
class FileDialogs;
class MainColumn;
class OutputPanel;
class SessionDialogs;

/// The content of one window: it owns that window's conversion session, draws the main
/// column and the output panel from the session's state and forwards clicks to it. It also
/// shows the session's "Error" and "Success" alerts, imports dropped files and offers the
/// shortcuts Ctrl+O (import), Ctrl+S (save), Ctrl+F (find in the text, reopening the panel
/// when it is closed), F3 and Shift+F3 (find again), Ctrl+Shift+F (show the panel again) and
/// Escape (stop a running import, else close the find bar, else the panel).
class ContentView : public QWidget {
    Q_OBJECT
    /// How far the output panel has slid in, from 0 (absent) to 1 (fully there).
    Q_PROPERTY(qreal panelReveal READ panelReveal WRITE setPanelReveal)

public:
    /// A view with a new session that asks the user through file dialogs.
    explicit ContentView(QWidget* parent = nullptr);
    /// A view with a new session that asks through `dialogs`, which must outlive the view.
    explicit ContentView(SessionDialogs& dialogs, QWidget* parent = nullptr);
    ~ContentView() override;

    /// The session this view shows.
    ConversionSession& session() const noexcept { return *session_; }
    /// The main column.
    MainColumn* mainColumn() const noexcept { return column_; }
    /// The output panel; it is visible only while the session wants it and has text.
    OutputPanel* outputPanel() const noexcept { return panel_; }
    /// The line between the main column and the panel.
    QFrame* divider() const noexcept { return divider_; }
    /// The alert on screen, if any.
    QMessageBox* currentAlert() const noexcept { return alert_; }
    /// What lies over the window while a file is dragged over it.
    QWidget* dropHighlight() const noexcept;

    /// How far the panel has slid in.
    qreal panelReveal() const noexcept { return reveal_; }
    /// Lays the panel out slid in by `reveal` (0 to 1).
    void setPanelReveal(qreal reveal);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void bindSession();
    void refreshStatus();
    void refreshPanel(bool animated);
    // The panel's columns and preview: of the last result, or of a table a choice may mend.
    void refreshColumns();
    QSize room() const;
    int columnBarWidth() const;
    int panelMinimumWidth() const;
    int heldColumnWidth() const;
    void keepWindowOnScreen();
    void presentAlerts();
    void installShortcuts();
    std::optional<FileChoice> droppedFile(const QMimeData* data) const;

    // Declared before the session, which holds a reference to them.
    std::unique_ptr<FileDialogs> ownDialogs_;
    std::unique_ptr<ConversionSession> session_;

    MainColumn* column_ = nullptr;
    QScrollArea* columnArea_ = nullptr;
    QFrame* divider_ = nullptr;
    OutputPanel* panel_ = nullptr;
    DropHighlight* dropHighlight_ = nullptr;
    QPropertyAnimation* animation_ = nullptr;
    QTimer* progressDelay_ = nullptr;
    qreal reveal_ = 0;
    int slidePanelWidth_ = 0;
    QPointer<QMessageBox> alert_;
};

} // namespace pellacor
