// The desktop app: one window with its own session; Ctrl+N opens more.
#include "session/HeapTuning.h"
#include "ui/Icons.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    pellacor::HeapTuning::applyAtStartup(); // before any thread exists
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellacor"));
    // Window titles then read "example.csv — Pellacor".
    QApplication::setApplicationDisplayName(QStringLiteral("Pellacor"));
    QApplication::setApplicationVersion(QStringLiteral(PELLACOR_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Pellacor"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pellacor"));
    QApplication::setWindowIcon(pellacor::Icons::application());
    pellacor::MainWindow::openNew();
    return QApplication::exec();
}
