// Drives one window through its main states and saves a picture of each: initial,
// processing, a long import with its progress and Cancel, the result kept after cancelling,
// the panel sliding in and shown, the find bar with a hit, keyboard focus on "Save as File",
// the close control and Copy, a file dragged over the window, identifiers in other scripts on
// the column grid, the panel closed, warnings with the panel closed, the preview of a guessed
// layout, and a failed table's columns offered beside its error.
//   ui_screenshots <output-dir> <table-to-import>
// Run under a real display server (scripts/screenshots.sh uses Xvfb).
#include "session/ConversionSession.h"
#include "ui/ContentView.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/textview/FindBar.h"
#include "ui/textview/MonospacedTextView.h"
#include "ui/widgets/FilledActionButton.h"
#include "ui/widgets/IconButton.h"
#include "ui/widgets/Icons.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
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

// Identifiers in right-to-left script, East Asian wide characters and combining marks: each
// line's residues must still start in the same column.
QString writeScriptsTable(const QString& dir) {
    const QString path = dir + QStringLiteral("/scripts.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    // Six columns of identifier each: Latin, Arabic, two wide characters, accents as marks.
    file.write("ABCD_1,ACGT--ACGT,AC--GT|\n"
               "\xd8\xb9\xd9\x8a\xd9\x86\xd8\xa9_2,ACGT--ACGT,AC--GT|\n"
               "\xe6\xa0\xb7\xe6\x9c\xac_3,ACGT--ACGT,AC--GT|\n"
               "e\xcc\x81"
               "e\xcc\x81"
               "e\xcc\x81"
               "e\xcc\x81_4,ACGT--ACGT,AC--GT|\n");
    return path;
}

// Moves keyboard focus with Tab until `target` has it, as a person would.
bool tabTo(QWidget& window, QWidget* target) {
    for (int i = 0; i < 20 && QApplication::focusWidget() != target; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        Qt::Key_Tab);
    return QApplication::focusWidget() == target;
}

// 2,500 rows without identifier and twelve identifiers used again and again.
QString writeWarningsTable(const QString& dir) {
    const QString path = dir + QStringLiteral("/warnings.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (int row = 1; row <= 2600; ++row)
        file.write(row <= 100 ? "s" + QByteArray::number(row % 12) + ",ACGTACGT\n" : ",GG\n");
    return path;
}

QString writeTable(const QString& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
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

    // Again, with the half second before the progress shows gone, then Escape.
    auto* delay = content->findChild<QTimer*>(QStringLiteral("progressDelay"));
    const int delayMs = delay->interval();
    delay->setInterval(0);
    session.startImport();
    ok = QTest::qWaitFor([&] { return content->mainColumn()->cancelButton()->isVisible(); },
                         10000) &&
         ok;
    // Until the first stretch of the table is read and the bar has an amount to show.
    (void)QTest::qWaitFor([&] { return session.importProgress() > 0; }, 10000);
    ok = save(window, out + QStringLiteral("/2b-progress-and-cancel.png")) && ok;
    QTest::keyClick(&window, Qt::Key_Escape);
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    QTest::qWait(300);
    ok = save(window, out + QStringLiteral("/2c-cancelled-result-kept.png")) && ok;
    delay->setInterval(delayMs);

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

    // Find: Ctrl+F, a few letters, Enter for the next hit.
    pellacor::OutputPanel* panel = content->outputPanel();
    window.activateWindow();
    ok = QTest::qWaitForWindowActive(&window) && ok;
    panel->textView()->setFocus();
    QTest::keyClick(panel->textView(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(panel->findBar()->field(), QStringLiteral("gga"));
    QTest::keyClick(panel->findBar()->field(), Qt::Key_Return);
    ok = save(window, out + QStringLiteral("/5-find-bar.png")) && ok;
    QTest::keyClick(panel->findBar()->field(), Qt::Key_Escape);

    // Keyboard focus, moved with Tab.
    ok = tabTo(window, panel->saveButton()) && ok;
    ok = save(window, out + QStringLiteral("/6-focus-save.png")) && ok;
    ok = tabTo(window, panel->closeButton()) && ok;
    ok = save(window, out + QStringLiteral("/7-focus-close.png")) && ok;
    ok = tabTo(window, panel->copyButton()) && ok;
    ok = save(window, out + QStringLiteral("/7b-focus-copy.png")) && ok;

    // A file dragged over the window.
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(QString::fromLocal8Bit(argv[2]))});
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(content, &enter);
    ok = save(window, out + QStringLiteral("/8-drop-highlight.png")) && ok;
    QDragLeaveEvent leave;
    QApplication::sendEvent(content, &leave);

    dialogs.path = writeScriptsTable(work.path());
    session.startImport();
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    ok = save(window, out + QStringLiteral("/9-scripts-on-the-grid.png")) && ok;

    session.closeOutputWindow();
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/4-panel-closed.png")) && ok;

    // Rows skipped and identifiers repeated, told under the count with the panel closed.
    dialogs.path = writeWarningsTable(work.path());
    session.startImport();
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    session.closeOutputWindow();
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/10-warnings.png")) && ok;

    // A primer sheet whose layout was guessed: the preview with its roles, the note above.
    dialogs.path = writeTable(work.path(), QStringLiteral("primers.csv"),
                              "No.,Primer name,Target,sgRNA Sequence,Score\n"
                              "1,GRB2_F,GRB2,ACGTTGCAAGGT,0.91\n2,GRB2_R,GRB2,TTGGCCAAGGTA,0.45\n"
                              "3,SOS1_F,SOS1,GGATCCAATGCA,0.77\n4,SOS1_R,SOS1,CATGCATGCCAA,0.12\n");
    session.startImport();
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    session.reopenOutputWindow();
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/11-preview-guessed.png")) && ok;

    // A table no row of which gives a record: its columns beside the error, the alert gone.
    dialogs.path = writeTable(work.path(), QStringLiteral("gap.csv"), "a,,c\nx,,ACGT\ny,,GGTA\n");
    session.startImport();
    ok = QTest::qWaitFor([&] { return !session.isProcessing(); }, 60000) && ok;
    ok = QTest::qWaitFor([&] { return content->currentAlert() != nullptr; }) && ok;
    if (content->currentAlert())
        content->currentAlert()->defaultButton()->click();
    QTest::qWait(600);
    ok = save(window, out + QStringLiteral("/12-failure-to-mend.png")) && ok;
    return ok ? 0 : 1;
}
