// Times the FASTA text view on a large text, offscreen: how long until 100 MB is ready to
// paint, how long a page of scrolling takes, and what the view holds beyond the text.
//   text_view [MEGABYTES] [accented]
#include "ui/textview/MonospacedTextView.h"

#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

// Records of 1,000 residues with a few gaps, in 80-character lines, until `bytes` is reached;
// with `accented`, every header holds a non-ASCII character and so needs shaping.
QByteArray makeFasta(std::size_t bytes, bool accented) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(bytes + 2048));
    const char residues[] = "ACGT-ACGTTGCA--ACGGTCA---TTGACCA";
    std::size_t record = 0;
    while (static_cast<std::size_t>(text.size()) < bytes) {
        text += ">seq" + QByteArray::number(qulonglong(record)) +
                (accented ? " \xce\xb1-helix sample\n" : " sample record\n");
        for (int i = 0; i < 1000; ++i) {
            text += residues[(i * 7 + record) % (sizeof residues - 1)];
            if (i % 80 == 79 || i == 999)
                text += '\n';
        }
        ++record;
    }
    return text;
}

void paintOnce(pellacor::MonospacedTextView& view, QImage& target) {
    QPainter painter(&target);
    view.viewport()->render(&painter);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    const bool accented = argc > 2 && std::string(argv[2]) == "accented";

    const QByteArray text = makeFasta(megabytes * 1024 * 1024, accented);
    pellacor::MonospacedTextView view;
    view.resize(900, 700);
    view.show();
    QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    paintOnce(view, target);

    const long before = residentKilobytes();
    const auto start = Clock::now();
    view.setText(text);
    paintOnce(view, target);
    const double ready = millisecondsSince(start);
    const long after = residentKilobytes();

    std::vector<double> pages;
    QScrollBar* bar = view.verticalScrollBar();
    for (int i = 0; i < 200; ++i) {
        const auto pageStart = Clock::now();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        paintOnce(view, target);
        pages.push_back(millisecondsSince(pageStart));
    }
    const auto jumpStart = Clock::now();
    bar->setValue(bar->maximum());
    paintOnce(view, target);
    const double jump = millisecondsSince(jumpStart);
    std::sort(pages.begin(), pages.end());

    const double textMb = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    std::printf("text: %.1f MB, %zu lines\n", textMb, view.lineCount());
    std::printf("ready to paint: %.1f ms (target < 300 ms)\n", ready);
    std::printf("page scroll + paint: median %.2f ms, 95th percentile %.2f ms, worst %.2f ms "
                "(target < 16 ms)\n",
                pages[pages.size() / 2], pages[pages.size() * 95 / 100], pages.back());
    std::printf("jump to end + paint: %.2f ms\n", jump);
    std::printf("view overhead: %.1f MB held = %.1f%% of the text; resident growth %.1f MB "
                "(target <= 10%%)\n",
                static_cast<double>(view.memoryOverhead()) / (1024.0 * 1024.0),
                100.0 * static_cast<double>(view.memoryOverhead()) /
                    static_cast<double>(text.size()),
                static_cast<double>(after - before) / 1024.0);
    return 0;
}
