#include "ui/RoundedTextFrame.h"

#include "ui/Appearance.h"
#include "ui/MonospacedTextView.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace pellacor {

namespace {

constexpr qreal radius = 8;
// The square corners of the view stay inside the rounded outline with this much inset
// (radius * (1 - 1/sqrt 2), rounded up).
constexpr int inset = 3;

} // namespace

RoundedTextFrame::RoundedTextFrame(QWidget* parent)
    : QWidget(parent), view_(new MonospacedTextView(this)) {
    view_->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->addWidget(view_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void RoundedTextFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(area, radius, radius);
    painter.fillPath(shape, view_->palette().brush(QPalette::Base));
    QColor outline = Appearance::gray();
    outline.setAlphaF(0.2f);
    QPen pen(outline, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(shape);
}

} // namespace pellacor
