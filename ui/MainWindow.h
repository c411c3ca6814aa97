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

private:
    ContentView* content_;
};

} // namespace pellacor
