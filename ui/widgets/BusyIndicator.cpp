#include "ui/widgets/BusyIndicator.h"

#include <QPainter>

#include <cmath>

namespace pellacor {

namespace {

constexpr int spokes = 12;

} // namespace

BusyIndicator::BusyIndicator(int diameter, QWidget* parent) : QWidget(parent), diameter_(diameter) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % spokes;
        update();
    });
}

QSize BusyIndicator::sizeHint() const {
    return {diameter_, diameter_};
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal outer = std::min(width(), height()) / 2.0;
    const qreal inner = outer * 0.5;
    QColor ink = palette().color(QPalette::WindowText);
    QPen pen(ink, std::max(1.5, outer * 0.18), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the current step is darkest; the ones behind it fade out.
        const int age = (step_ - i + spokes) % spokes;
        ink.setAlphaF(static_cast<float>(1.0 - 0.75 * age / (spokes - 1)));
        pen.setColor(ink);
        painter.setPen(pen);
        const qreal angle = 2 * M_PI * i / spokes;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(direction * inner, direction * (outer - pen.widthF() / 2));
    }
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

} // namespace pellacor
