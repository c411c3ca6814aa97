#include "ui/ScreenFit.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pellacor {

namespace {

// Room left for a title bar and borders while the frame is not known.
constexpr QSize assumedFrame(16, 48);

} // namespace

QRect ScreenFit::available(const QWidget* window) {
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
}

QSize ScreenFit::frameExtra(const QWidget* window) {
    const QSize extra = window->frameGeometry().size() - window->size();
    return window->isVisible() && !extra.isEmpty() ? extra : assumedFrame;
}

QSize ScreenFit::room(const QWidget* window) {
    return available(window).size() - frameExtra(window);
}

void ScreenFit::keepOnScreen(QWidget* window) {
    const QRect area = available(window);
    const QSize fits = room(window).boundedTo(window->size());
    if (fits != window->size())
        window->resize(fits.expandedTo(window->minimumSize()));
    const QRect frame = window->frameGeometry();
    // The right and bottom edges give way first, so the title bar stays on the screen.
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    if (x != frame.left() || y != frame.top())
        window->move(x, y);
}

} // namespace pellacor
