// Drives one window through its main states and saves a picture of each:
//   ui_screenshots <output-dir> <table-to-import>
// Run under a real display server (scripts/screenshots.sh uses Xvfb).
#include "session/ConversionSession.h"
#include "ui/ContentView.h"
#include "ui/Icons.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// Stands in for the person at the file chooser: always picks the same file.
class ScriptedDialogs : public pellacor::SessionDialogs {
public:
    void chooseInputFile(const QStringList&,
                         std::function<void(pellacor::FileChoice)> done) override {
        done(pellacor::FileChoice::chosen({path}));
    }
    void chooseSaveTarget(const QString&, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        done(std::nullopt);
    }
    QString path;
};

bool save(QWidget& window, const QString& file) {
    QApplication::processEvents();
    const bool saved = window.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}

QString writeLargeTable(const QString& dir) {
    const QString path = dir + QStringLiteral("/large.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QByteArray residues(2000, 'A');
    for (int row = 0; row < 60000; ++row)
        file.write("seq" + QByteArray::number(row) + "," + residues + ",record\n");
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellacor"));
    QApplication::setWindowIcon(pellacor::Icons::application());
    if (argc < 3) {
        std::fprintf(stderr, "usage: ui_screenshots OUTPUT-DIR TABLE\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir work;

    ScriptedDialogs dialogs;
    QWidget window;
    window.setWindowTitle(QApplication::applicationName());
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new pellacor::ContentView(dialogs, &window);
    layout->addWidget(content);
    window.resize(560, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    pellacor::ConversionSession& session = content->session();
    bool ok = save(window, out + QStringLiteral("/1-initial.png"));

    // A large table keeps the reader busy long enough to see the progress row.
    dialogs.path = writeLargeTable(work.path());
    session.startImport();
    ok = save(window, out + QStringLiteral("/2-processing.png")) && ok;
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;

    // Start the next picture from a closed panel so that it slides in again.
    session.closeOutputWindow();
    QTest::qWait(400);
    dialogs.path = QString::fromLocal8Bit(argv[2]);
    session.startImport();
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    QTest::qWait(110);
    ok = save(window, out + QStringLiteral("/3a-panel-sliding-in.png")) && ok;
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/3-result-panel.png")) && ok;

    session.closeOutputWindow();
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/4-panel-closed.png")) && ok;
    return ok ? 0 : 1;
}
