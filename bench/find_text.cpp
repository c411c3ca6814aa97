// Times Find in the output panel on a large FASTA text, offscreen: from the request (Enter in
// the find bar) until the hit is selected, scrolled into sight and painted, for hits near the
// start, in the middle and at the end, round the end, and for text that is nowhere.
//   find_text [FASTA-FILE | MEGABYTES] [RUNS]
// Without a file, a FASTA text of random residues (80 a line, 1,000 a record) is made.
#include "bench/SessionBench.h"
#include "ui/textview/FindBar.h"
#include "ui/textview/MonospacedTextView.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QByteArray makeFasta(std::size_t bytes) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(bytes + 2048));
    std::mt19937 random(42);
    std::size_t record = 0;
    while (static_cast<std::size_t>(text.size()) < bytes) {
        text += ">seq" + QByteArray::number(qulonglong(record++)) + " sample record\n";
        for (int i = 0; i < 1000; ++i) {
            text += "ACGT"[random() & 3];
            if (i % 80 == 79 || i == 999)
                text += '\n';
        }
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("200");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QByteArray text;
    bool isNumber = false;
    const qulonglong megabytes = source.toULongLong(&isNumber);
    if (isNumber) {
        text = makeFasta(megabytes * 1000 * 1000);
    } else {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(source));
            return 2;
        }
        text = file.readAll();
    }

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new pellacor::MonospacedTextView(&window);
    auto* bar = new pellacor::FindBar(view, &window);
    layout->addWidget(bar);
    layout->addWidget(view);
    window.resize(900, 700);
    window.show();
    view->setText(text);
    bar->open();
    QImage target(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&] {
        QPainter painter(&target);
        view->viewport()->render(&painter);
    };
    paint();

    // Each needle is searched from the top of the text: the time is that of reaching its hit.
    const std::size_t size = static_cast<std::size_t>(text.size());
    const auto snippetAt = [&](std::size_t fraction) {
        std::size_t at = size / 100 * fraction;
        while (at < size && text[static_cast<qsizetype>(at)] != '\n')
            ++at;
        return text.mid(static_cast<qsizetype>(at + 1), 24);
    };
    struct Case {
        const char* what;
        QByteArray needle;
        std::size_t from;
    };
    const std::vector<Case> cases = {
        {"hit near the start (1%)", snippetAt(1), 0},
        {"hit in the middle (50%)", snippetAt(50), 0},
        {"hit near the end (99%)", snippetAt(99), 0},
        {"round the end to 1%", snippetAt(1), size - 1},
        {"nowhere (whole text)", QByteArray("GATTACAGATTACAXGATTACA"), 0},
    };
    std::printf("text: %.1f MB\n", static_cast<double>(size) / 1e6);
    for (const Case& c : cases) {
        std::vector<double> times;
        bool found = false;
        for (int run = 0; run < runs; ++run) {
            bar->reset();
            bar->field()->blockSignals(true);
            bar->field()->setText(QString::fromUtf8(c.needle));
            bar->field()->blockSignals(false);
            view->setSelection(c.from, c.from);
            const auto start = Clock::now();
            found = bar->findNext();
            paint();
            times.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::printf("%-26s %s  median %6.1f ms, worst %6.1f ms  (target < 100 ms)\n", c.what,
                    found ? "found    " : "not found", pellacor::bench::median(times),
                    *std::max_element(times.begin(), times.end()));
    }
    return 0;
}
