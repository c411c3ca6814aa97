#include "ui/textview/RoundedTextFrame.h"

#include "ui/textview/MonospacedTextAccessible.h"
#include "ui/textview/MonospacedTextView.h"
#include "ui/widgets/Appearance.h"

#include <QEvent>
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
    // A screen reader reads the FASTA text through the view's accessible text.
    MonospacedTextAccessible::install();
    view_->setFrameShape(QFrame::NoFrame);
    view_->installEventFilter(this);
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
    if (view_->hasFocus()) {
        // Inside the inset, so the view's square corners never cover it.
        QPainterPath ring;
        const QRectF inner = QRectF(rect()).adjusted(1, 1, -1, -1);
        ring.addRoundedRect(inner, radius - 0.5, radius - 0.5);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawPath(ring);
        return;
    }
    QColor outline = Appearance::gray();
    outline.setAlphaF(0.2f);
    QPen pen(outline, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(shape);
}

bool RoundedTextFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QWidget::eventFilter(watched, event);
}

} // namespace pellacor
