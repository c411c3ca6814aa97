// Drives a conversion session headlessly through one import of a large table and reports how
// long it took, the longest stretch in which the UI thread's event loop did not run, and the
// peak resident memory.
// Usage: session_import TABLE [RUNS]   (the conversion trace goes to standard output)
#include "bench/SessionBench.h"
#include "files/TruncationGuard.h"
#include "session/ConversionSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <unistd.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace pellacor;
using namespace pellacor::bench;

namespace {

struct Run {
    double importMs = 0;
    double commitMs = 0;
    double longestStallMs = 0;
};

Run importOnce(ConversionSession& session, const QString& path) {
    Run run;
    QElapsedTimer clock;
    StallMeter meter;
    QElapsedTimer commitClock;
    // Both connections end with the loop, when this run returns.
    QEventLoop loop;
    QObject::connect(&session, &ConversionSession::parsedEntriesChanged, &loop,
                     [&] { commitClock.start(); });
    QObject::connect(&session, &ConversionSession::importFinished, &loop, [&] {
        run.importMs = clock.nsecsElapsed() / 1e6;
        if (commitClock.isValid())
            run.commitMs = commitClock.nsecsElapsed() / 1e6;
        loop.quit();
    });
    clock.start();
    session.handleFileImport(FileChoice::chosen({path}));
    // The call itself runs on the UI thread before the loop gets a turn.
    meter.tick();
    if (session.isProcessing())
        loop.exec();
    meter.tick();
    run.longestStallMs = meter.longestMs();
    return run;
}

// The memory resident now, with the last result held and the previous ones given back.
double residentMb() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

double peakRssMb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0 * 1.048576;
}

} // namespace

int main(int argc, char** argv) {
    // As the app does: files are mapped, not read into memory.
    TruncationGuard::installHandler();
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: session_import TABLE [RUNS]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const double inputMb = QFileInfo(path).size() / 1e6;

    // One session imports the table again and again, as a user re-importing in one window:
    // from the second run on, the commit also replaces a result of the same size.
    NoDialogs dialogs;
    ConversionSession session(dialogs);
    std::vector<Run> results;
    double firstPeakMb = 0;
    for (int i = 0; i < runs; ++i) {
        results.push_back(importOnce(session, path));
        if (session.showError()) {
            std::fprintf(stderr, "import failed: %s\n", qPrintable(session.errorAlertText()));
            return 1;
        }
        if (i == 0)
            firstPeakMb = peakRssMb();
        std::fprintf(stderr, "run %d: %.1f ms, %lld records, %.1f MB of FASTA, stall %.1f ms\n",
                     i + 1, results.back().importMs,
                     static_cast<long long>(session.parsedEntryCount()),
                     session.fastaContent().size() / 1e6, results.back().longestStallMs);
    }
    double worstStall = 0;
    for (const Run& r : results)
        worstStall = std::max(worstStall, r.longestStallMs);
    std::vector<Run> sorted = results;
    std::sort(sorted.begin(), sorted.end(),
              [](const Run& a, const Run& b) { return a.importMs < b.importMs; });

    std::fprintf(stderr,
                 "input %.1f MB, %d run(s)\n"
                 "import (handleFileImport to end of commit): median %.1f ms, fastest %.1f ms\n"
                 "commit on the UI thread: first %.2f ms, last %.2f ms\n"
                 "longest UI-thread stall: %.1f ms\n"
                 "peak RSS after the first import: %.1f MB (%.2fx input)\n"
                 "peak RSS overall: %.1f MB (%.2fx input)\n"
                 "resident after the last import: %.1f MB\n",
                 inputMb, runs, sorted[sorted.size() / 2].importMs, sorted.front().importMs,
                 results.front().commitMs, results.back().commitMs, worstStall, firstPeakMb,
                 firstPeakMb / inputMb, peakRssMb(), peakRssMb() / inputMb, residentMb());
    return 0;
}
