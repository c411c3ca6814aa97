// The desktop app: one window with its own session; Ctrl+N opens more.
#include "app/HeapTuning.h"
#include "files/InterruptCleanup.h"
#include "files/TruncationGuard.h"
#include "ui/Icons.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Before any thread exists: each of these settles something every thread inherits.
    pellacor::HeapTuning::applyAtStartup();
    pellacor::TruncationGuard::installHandler();
    pellacor::InterruptCleanup::install();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellacor"));
    QApplication::setApplicationVersion(QStringLiteral(PELLACOR_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Pellacor"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pellacor"));
    QApplication::setWindowIcon(pellacor::Icons::application());
    pellacor::MainWindow::openNew();
    return QApplication::exec();
}
