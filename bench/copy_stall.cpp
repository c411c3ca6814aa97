// Times "Copy to Clipboard" on a large result as the window's user feels it: the longest stretch
// in which the UI thread's event loop did not run (a 2 ms timer records the gaps), first while
// the copy is made, then while another program pastes the whole text (xclip, when installed
// and the platform is X11), and checks that the pasted bytes equal the FASTA text.
// Usage: copy_stall TABLE [RUNS]   (run under a display: xvfb-run or DISPLAY=...)
#include "bench/SessionBench.h"
#include "session/ConversionSession.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace pellacor;
using namespace pellacor::bench;

namespace {

void runLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Run {
    double copyStallMs = 0;
    double pasteStallMs = -1;
    double pasteMs = -1;
    bool pastedExactly = false;
};

Run copyOnce(ConversionSession& session, const QString& xclip, const QByteArray& expectedHash) {
    Run run;
    {
        StallMeter meter;
        session.copyToClipboard();
        meter.tick();
        runLoopFor(300);
        run.copyStallMs = meter.longestMs();
    }
    session.dismissSuccess();
    if (xclip.isEmpty())
        return run;

    // Another program pastes: the text has to travel to it while this window stays responsive.
    StallMeter meter;
    QProcess paste;
    QElapsedTimer clock;
    QEventLoop loop;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QObject::connect(&paste, &QProcess::readyReadStandardOutput,
                     [&] { hash.addData(paste.readAllStandardOutput()); });
    QObject::connect(&paste, &QProcess::finished, &loop, &QEventLoop::quit);
    clock.start();
    paste.start(xclip,
                {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    loop.exec();
    hash.addData(paste.readAllStandardOutput());
    run.pasteMs = clock.nsecsElapsed() / 1e6;
    run.pasteStallMs = meter.longestMs();
    run.pastedExactly = paste.exitCode() == 0 && hash.result() == expectedHash;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: copy_stall TABLE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    NoDialogs dialogs;
    ConversionSession session(dialogs);
    QEventLoop loop;
    QObject::connect(&session, &ConversionSession::importFinished, &loop, &QEventLoop::quit);
    session.handleFileImport(FileChoice::chosen({QString::fromLocal8Bit(argv[1])}));
    if (session.isProcessing())
        loop.exec();
    if (session.showError()) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(session.errorAlertText()));
        return 1;
    }
    const QByteArray expected =
        QCryptographicHash::hash(session.fastaContent(), QCryptographicHash::Sha256);
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const QString xclip = x11 ? QStandardPaths::findExecutable(QStringLiteral("xclip")) : QString();
    std::fprintf(stderr, "platform %s, %.1f MB of FASTA%s\n", qPrintable(app.platformName()),
                 session.fastaContent().size() / 1e6,
                 xclip.isEmpty() ? ", no paste (needs X11 and xclip)" : "");

    std::vector<double> copyStalls;
    std::vector<double> pasteStalls;
    std::vector<double> pasteTimes;
    bool allExact = true;
    for (int i = 0; i < runs; ++i) {
        const Run run = copyOnce(session, xclip, expected);
        copyStalls.push_back(run.copyStallMs);
        std::fprintf(stderr, "run %d: copy stall %.1f ms", i + 1, run.copyStallMs);
        if (run.pasteMs >= 0) {
            pasteStalls.push_back(run.pasteStallMs);
            pasteTimes.push_back(run.pasteMs);
            allExact = allExact && run.pastedExactly;
            std::fprintf(stderr, ", paste %.0f ms with stall %.1f ms, %s", run.pasteMs,
                         run.pasteStallMs, run.pastedExactly ? "bytes equal" : "BYTES DIFFER");
        }
        std::fprintf(stderr, "\n");
    }
    std::fprintf(stderr, "longest UI-thread stall while copying: median %.1f ms (target < 100)\n",
                 median(copyStalls));
    if (!pasteStalls.empty())
        std::fprintf(stderr,
                     "while another program pastes it: median stall %.1f ms, paste %.0f ms\n",
                     median(pasteStalls), median(pasteTimes));
    return allExact ? 0 : 1;
}
