// The desktop app: one window with its own session, or one for each file named on the command
// line; Ctrl+N opens more.
#include "app/StartupMessages.h"
#include "files/InterruptCleanup.h"
#include "files/TruncationGuard.h"
#include "ui/MainWindow.h"
#include "ui/widgets/Icons.h"

#include <QApplication>

#include <optional>

int main(int argc, char** argv) {
    // Before any thread exists: each of these settles something every thread inherits.
    pellacor::TruncationGuard::installHandler();
    pellacor::InterruptCleanup::install();
    // Without a display Qt would abort with wrong advice; this says what is missing instead.
    std::optional<pellacor::StartupMessages> startup(std::in_place);
    QApplication app(argc, argv);
    startup.reset();
    QApplication::setApplicationName(QStringLiteral("Pellacor"));
    // Window titles then read "example.csv — Pellacor".
    QApplication::setApplicationDisplayName(QStringLiteral("Pellacor"));
    QApplication::setApplicationVersion(QStringLiteral(PELLACOR_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Pellacor"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("pellacor"));
    QApplication::setWindowIcon(pellacor::Icons::application());
    // "pellacor FILE..." (as "Open with" starts it): a window for each file.
    QStringList files = QApplication::arguments();
    files.removeFirst();
    pellacor::MainWindow::openFiles(files);
    return QApplication::exec();
}
