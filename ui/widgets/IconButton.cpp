#include "ui/widgets/IconButton.h"

#include "ui/widgets/Appearance.h"

#include <QEvent>
#include <QPainter>

namespace pellacor {

namespace {

// Room around the icon for the focus ring.
constexpr int ringMargin = 3;

} // namespace

IconButton::IconButton(Icons::Name name, int size, const QString& label, QWidget* parent)
    : QAbstractButton(parent), name_(name), size_(size) {
    setToolTip(label);
    setAccessibleName(label);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize IconButton::sizeHint() const {
    return {size_ + 2 * ringMargin, size_ + 2 * ringMargin};
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = area.height() / 2;
    if (isDown() || underMouse()) {
        QColor backdrop = palette().color(QPalette::WindowText);
        backdrop.setAlphaF(isDown() ? 0.16f : 0.08f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(backdrop);
        painter.drawRoundedRect(area, radius, radius);
    }
    if (icon_.isNull() || icon_.devicePixelRatio() != devicePixelRatioF())
        icon_ = Icons::pixmap(name_, Appearance::secondary(this), size_, devicePixelRatioF());
    painter.drawPixmap(QPoint((width() - size_) / 2, (height() - size_) / 2), icon_);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area, radius, radius);
    }
}

void IconButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        icon_ = QPixmap();
        update();
    }
}

} // namespace pellacor
