#include "ui/widgets/FocusRing.h"

#include <QEvent>
#include <QPainter>

namespace pellacor {
namespace {

// The ring's width, and how far it stands off the control.
constexpr int ringWidth = 2;
constexpr int outset = ringWidth + 1;

} // namespace

FocusRing* FocusRing::around(QWidget* target, QWidget* host) {
    return new FocusRing(target, host);
}

FocusRing::FocusRing(QWidget* target, QWidget* host) : QWidget(host), target_(target) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    target->installEventFilter(this);
    connect(target, &QObject::destroyed, this, &QObject::deleteLater);
    hide();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::EnabledChange:
            follow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::follow() {
    const bool shown = target_ && target_->hasFocus() && target_->isVisible() &&
                       target_->isEnabled() && target_->focusPolicy() != Qt::NoFocus;
    if (!shown) {
        hide();
        return;
    }
    const QRect place(target_->mapTo(parentWidget(), QPoint()), target_->size());
    setGeometry(place.adjusted(-outset, -outset, outset, outset));
    raise();
    show();
    update();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), ringWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = ringWidth / 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), 5, 5);
}

} // namespace pellacor
