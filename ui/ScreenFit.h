#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace pellacor {

/// Keeps windows on their screen: how much room a window has there, and putting it back
/// inside when it grew past an edge.
class ScreenFit {
public:
    ScreenFit() = delete;

    /// The area windows may take on `window`'s screen: the screen less panels and docks.
    static QRect available(const QWidget* window);
    /// What the window manager's frame adds to `window`'s size; before the window is shown it
    /// is not known yet, and a title bar's worth is assumed.
    static QSize frameExtra(const QWidget* window);
    /// The largest size `window` (a top-level widget, without its frame) may take on its
    /// screen.
    static QSize room(const QWidget* window);
    /// Moves `window` (a top-level widget) and, where it must, shrinks it so that it lies,
    /// frame and all, inside the available area of its screen.
    static void keepOnScreen(QWidget* window);
};

} // namespace pellacor
