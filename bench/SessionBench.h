#pragma once
// What the programs that drive a session without a window share: dialogs nobody answers and a
// meter of how long the UI thread's event loop went without a turn.
#include "session/SessionDialogs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace pellacor::bench {

class NoDialogs : public SessionDialogs {
public:
    void chooseInputFile(const QStringList&, std::function<void(FileChoice)> done) override {
        done(FileChoice::chosen({}));
    }
    void chooseSaveTarget(const QString&, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        done(std::nullopt);
    }
};

/// Records the longest gap between turns of the event loop while it lives (a 2 ms timer).
class StallMeter {
public:
    StallMeter() {
        ticker_.setTimerType(Qt::PreciseTimer);
        ticker_.setInterval(2);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
        ticker_.start();
        sinceTick_.start();
    }
    /// Counts the stretch since the last tick, for work that ran before the loop got a turn.
    void tick() {
        longestMs_ = std::max(longestMs_, sinceTick_.nsecsElapsed() / 1e6);
        sinceTick_.restart();
    }
    double longestMs() const { return longestMs_; }

private:
    QTimer ticker_;
    QElapsedTimer sinceTick_;
    double longestMs_ = 0;
};

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace pellacor::bench
