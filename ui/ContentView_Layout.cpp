// Where the column and the panel stand, how wide they are and how the panel slides.
#include "ui/ContentView.h"

#include "session/ConversionSession.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/ScreenFit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLayout>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace pellacor {

namespace {

// The widths the window is designed for; a narrower screen gets less, the panel giving way
// first down to what its own parts need.
constexpr int columnWidth = 400;
constexpr int panelWidth = 500;

} // namespace

QSize ContentView::room() const {
    // The window around this view may add margins of its own. Its size and this view's are no
    // guide: while the panel comes or goes, one of them has changed and the other not yet.
    QSize margins;
    if (const QLayout* around = window() != this ? window()->layout() : nullptr) {
        const QMargins m = around->contentsMargins();
        margins = QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    return ScreenFit::room(window()) - margins;
}

int ContentView::columnBarWidth() const {
    // While the column scrolls, its scroll bar comes on top of the column's own width.
    const QScrollBar* bar = columnArea_->verticalScrollBar();
    return bar->isVisible() ? bar->width() : 0;
}

int ContentView::panelMinimumWidth() const {
    const int parts = std::min(panelWidth, panel_->minimumSizeHint().width());
    return std::clamp(room().width() - columnWidth - columnBarWidth() - 1, parts, panelWidth);
}

int ContentView::heldColumnWidth() const {
    const int bar = columnBarWidth();
    const int column = std::min(columnWidth, room().width() - 1 - panelMinimumWidth() - bar);
    return std::max(0, column) + bar;
}

bool ContentView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == columnArea_->verticalScrollBar() &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        setPanelReveal(reveal_);
    return QWidget::eventFilter(watched, event);
}

void ContentView::refreshPanel(bool animated) {
    const bool wanted = session_->showOutputWindow() &&
                        (!session_->fastaContent().isEmpty() || session_->mendableLayout());
    const qreal target = wanted ? 1.0 : 0.0;
    const bool sliding = animation_->state() == QAbstractAnimation::Running;
    if (!animated || !isVisible()) {
        animation_->stop();
        setPanelReveal(target);
        return;
    }
    if (!sliding && reveal_ == target) {
        setPanelReveal(target);
        return;
    }
    if (sliding && animation_->endValue().toReal() == target)
        return;
    // The panel slides in to fill what the held column leaves (the window grows, as far as the
    // screen allows, if that is too narrow), and out from whatever width it has; the column
    // takes the rest meanwhile.
    slidePanelWidth_ = wanted ? std::max(panelMinimumWidth(), width() - heldColumnWidth() - 1)
                              : std::max(1, panel_->width());
    panel_->setSlideWidth(slidePanelWidth_);
    animation_->stop();
    animation_->setStartValue(reveal_);
    animation_->setEndValue(target);
    animation_->start();
}

void ContentView::setPanelReveal(qreal reveal) {
    reveal_ = std::clamp(reveal, 0.0, 1.0);
    const bool holdColumn = session_->showOutputWindow();
    const bool sliding = animation_->state() == QAbstractAnimation::Running;
    const int held = heldColumnWidth();
    columnArea_->setMinimumWidth(std::min(columnWidth, room().width()) + columnBarWidth());

    if (reveal_ <= 0 || (!sliding && reveal_ < 1)) {
        panel_->hide();
        divider_->hide();
        panel_->setMinimumWidth(panelMinimumWidth());
        panel_->setMaximumWidth(QWIDGETSIZE_MAX);
        if (!sliding)
            panel_->setSlideWidth(0);
        // The first frame of a slide keeps the column wide; a column held at 400 with nothing
        // beside it stands in the middle, not at the left.
        const bool keep = holdColumn && !sliding;
        columnArea_->setMaximumWidth(keep ? std::max(held, columnArea_->minimumWidth())
                                          : QWIDGETSIZE_MAX);
        layout()->setAlignment(columnArea_, keep ? Qt::AlignHCenter : Qt::Alignment());
        return;
    }
    layout()->setAlignment(columnArea_, Qt::Alignment());
    panel_->show();
    divider_->show();
    if (reveal_ >= 1) {
        panel_->setMinimumWidth(panelMinimumWidth());
        panel_->setMaximumWidth(QWIDGETSIZE_MAX);
        if (!sliding)
            panel_->setSlideWidth(0);
        if (holdColumn)
            columnArea_->setMinimumWidth(held);
        columnArea_->setMaximumWidth(holdColumn ? held : QWIDGETSIZE_MAX);
    } else {
        const int width = static_cast<int>(std::lround(reveal_ * slidePanelWidth_));
        panel_->setMinimumWidth(width);
        panel_->setMaximumWidth(width);
        columnArea_->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    keepWindowOnScreen();
}

void ContentView::keepWindowOnScreen() {
    QWidget* top = window();
    if (!top->isVisible())
        return;
    // The panel's minimum widths grow the window once the layouts have run, one widget up at a
    // time; run them now, so that a window grown past the screen's edge is moved back at once.
    for (QWidget* widget = this; widget; widget = widget->parentWidget())
        QCoreApplication::sendPostedEvents(widget, QEvent::LayoutRequest);
    ScreenFit::keepOnScreen(top);
}

} // namespace pellacor
