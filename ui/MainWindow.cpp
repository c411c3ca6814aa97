#include "ui/MainWindow.h"

#include "session/ConversionSession.h"
#include "ui/ContentView.h"
#include "ui/ScreenFit.h"
#include "ui/widgets/Icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace pellacor {

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), content_(new ContentView(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // No title of its own: the platform shows the application's name, and after an import the
    // table's file name before it (setWindowFilePath).
    setWindowIcon(Icons::application());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
    // Never larger than the screen: at twice the scale a 1000-pixel screen has 500 points.
    resize(QSize(560, 700).boundedTo(ScreenFit::room(this)));

    connect(new QShortcut(QKeySequence::New, this), &QShortcut::activated, this, [] { openNew(); });
    connect(new QShortcut(QKeySequence::Close, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, qApp,
            &QApplication::closeAllWindows);
}

MainWindow* MainWindow::openNew() {
    auto* window = new MainWindow;
    window->show();
    ScreenFit::keepOnScreen(window);
    return window;
}

QList<MainWindow*> MainWindow::openFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return {openNew()};
    QList<MainWindow*> windows;
    for (const QString& path : paths) {
        MainWindow* window = openNew();
        // As a dropped file: found by the bytes of its name; a failure is the window's alert.
        const QString absolute = QFileInfo(path).absoluteFilePath();
        window->content()->session().handleFileImport(
            FileChoice::fromUrls({QUrl::fromLocalFile(absolute)}));
        windows.append(window);
    }
    return windows;
}

} // namespace pellacor
