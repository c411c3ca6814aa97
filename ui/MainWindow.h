#pragma once

#include <QWidget>

namespace pellacor {

class ContentView;

/// One top-level window of the app, titled with the application's name and, once a table is
/// imported, its file name, holding its own `ContentView` and so its own session. Ctrl+N
/// opens another, independent one.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    /// A window with a fresh session; it deletes itself when closed.
    explicit MainWindow(QWidget* parent = nullptr);

    /// The window's content.
    ContentView* content() const noexcept { return content_; }

    /// Opens and shows another window with a fresh session.
    static MainWindow* openNew();
    /// Opens one window per file of `paths` (as given on a command line, relative to the
    /// current folder) and imports the file into it; none opens one empty window.
    static QList<MainWindow*> openFiles(const QStringList& paths);

private:
    ContentView* content_;
};

} // namespace pellacor
