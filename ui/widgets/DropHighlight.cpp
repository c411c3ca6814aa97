#include "ui/widgets/DropHighlight.h"

#include "ui/widgets/Appearance.h"

#include <QEvent>
#include <QPainter>

namespace pellacor {

DropHighlight::DropHighlight(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
    hide();
}

bool DropHighlight::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void DropHighlight::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    QColor tint = highlight;
    tint.setAlphaF(0.12f);
    painter.setBrush(tint);
    painter.setPen(QPen(highlight, 3));
    painter.drawRoundedRect(area, 10, 10);

    painter.setFont(Appearance::font(Appearance::TextRole::Headline, font()));
    const QRect box = noteRect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(highlight);
    painter.drawRoundedRect(box, 8, 8);
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(box, Qt::AlignCenter, note());
}

void DropHighlight::setNoteArea(const QRect& area) {
    noteArea_ = area;
    update();
}

QRect DropHighlight::noteRect() const {
    const QFontMetrics metrics(Appearance::font(Appearance::TextRole::Headline, font()));
    QRect box = metrics.boundingRect(note()).adjusted(-16, -10, 16, 10);
    box.moveCenter(noteArea_.isNull() ? rect().center() : noteArea_.intersected(rect()).center());
    return box;
}

} // namespace pellacor
