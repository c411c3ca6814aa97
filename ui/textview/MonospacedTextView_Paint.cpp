// Painting: only the lines in sight, and of plain lines only the columns in sight.
#include "ui/textview/MonospacedTextView.h"

#include "ui/textview/CellLine.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace pellacor {

void MonospacedTextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette& colors = palette();
    painter.fillRect(event->rect(), colors.brush(QPalette::Base));
    painter.setFont(font());

    const qreal scrollX = horizontalScrollBar()->value();
    const qreal left = scrollX - margin_;
    const qreal right = left + viewport()->width();
    const std::size_t first = firstVisibleLine();
    const int bottom = event->rect().bottom();
    for (std::size_t line = first; line < index_.lineCount(); ++line) {
        const int top = margin_ + static_cast<int>(line - first) * lineHeight_;
        if (top > bottom)
            break;
        if (top + lineHeight_ < event->rect().top())
            continue;
        if (hasSelection())
            paintSelection(painter, line, top, scrollX);
        paintLine(painter, line, top, left, right);
    }

    if (hasFocus() && !hasSelection()) {
        const std::size_t line = index_.lineAt(cursor_);
        if (line >= first) {
            const int top = margin_ + static_cast<int>(line - first) * lineHeight_;
            const qreal x = margin_ + xInLine(line, cursor_) - scrollX;
            painter.fillRect(QRectF(std::floor(x), top, 1, lineHeight_),
                             colors.brush(QPalette::Text));
        }
    }
}

void MonospacedTextView::paintLine(QPainter& painter, std::size_t line, int top, qreal left,
                                   qreal right) const {
    const std::string_view bytes = lineBytes(line);
    if (bytes.empty())
        return;
    const std::size_t lineStart = index_.lineStart(line);
    const std::size_t selStart = selectionStart();
    const std::size_t selEnd = selectionEnd();
    const bool selected =
        hasSelection() && selStart < lineStart + bytes.size() && selEnd > lineStart;

    const auto drawIn = [&](const QColor& color, const QRectF& clip, auto&& draw) {
        painter.save();
        painter.setPen(color);
        painter.setClipRect(clip, Qt::IntersectClip);
        draw();
        painter.restore();
    };
    const QColor textColor = palette().color(QPalette::Text);
    const QColor selectedColor = palette().color(QPalette::HighlightedText);
    const qreal scrollX = left + margin_;
    QRectF whole(0, top, viewport()->width(), lineHeight_);
    QRectF selectedRect;
    if (selected) {
        const qreal x0 = margin_ + xInLine(line, std::max(selStart, lineStart)) - scrollX;
        const qreal x1 =
            margin_ + xInLine(line, std::min(selEnd, lineStart + bytes.size())) - scrollX;
        selectedRect = QRectF(x0, top, x1 - x0, lineHeight_);
    }

    if (!index_.isPlainLine(line)) {
        const CellLine& cellLine = cells(line);
        const QPointF origin(margin_ - scrollX, top + ascent_);
        drawIn(textColor, whole, [&] { cellLine.draw(painter, origin, left, right); });
        if (selected)
            drawIn(selectedColor, selectedRect,
                   [&] { cellLine.draw(painter, origin, left, right); });
        return;
    }

    // Only the columns in sight become a string; a line of megabytes costs a screen's width.
    const auto firstColumn =
        static_cast<std::size_t>(std::max<qreal>(0, std::floor(left / advance_)));
    if (firstColumn >= bytes.size())
        return;
    const auto lastColumn =
        std::min(bytes.size(),
                 static_cast<std::size_t>(std::max<qreal>(0, std::ceil(right / advance_))) + 1);
    const QString visible = QString::fromLatin1(bytes.data() + firstColumn,
                                                static_cast<qsizetype>(lastColumn - firstColumn));
    const QPointF baseline(margin_ + static_cast<qreal>(firstColumn) * advance_ - scrollX,
                           top + ascent_);
    drawIn(textColor, whole, [&] { painter.drawText(baseline, visible); });
    if (selected)
        drawIn(selectedColor, selectedRect, [&] { painter.drawText(baseline, visible); });
}

void MonospacedTextView::paintSelection(QPainter& painter, std::size_t line, int top,
                                        qreal scrollX) const {
    const std::size_t start = index_.lineStart(line);
    const std::size_t end = index_.lineEnd(line);
    const std::size_t selStart = selectionStart();
    const std::size_t selEnd = selectionEnd();
    // A selection covering the line feed shows one column past the line's end.
    const bool coversLineFeed = selStart <= end && selEnd > end;
    if (selEnd <= start && !coversLineFeed)
        return;
    if (selStart > end)
        return;
    const qreal x0 = margin_ + xInLine(line, std::max(selStart, start)) - scrollX;
    qreal x1 = margin_ + xInLine(line, std::min(selEnd, end)) - scrollX;
    if (coversLineFeed)
        x1 += advance_;
    if (x1 <= x0)
        return;
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    painter.fillRect(QRectF(x0, top, x1 - x0, lineHeight_),
                     palette().brush(group, QPalette::Highlight));
}

} // namespace pellacor
