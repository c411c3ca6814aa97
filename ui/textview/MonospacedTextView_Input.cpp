// Caret movement, keyboard and mouse selection.
#include "ui/textview/MonospacedTextView.h"

#include "ui/textview/CellLine.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <cmath>

namespace pellacor {

std::size_t MonospacedTextView::snapToBoundary(std::size_t offset) const {
    offset = std::min(offset, static_cast<std::size_t>(text_.size()));
    const std::size_t line = index_.lineAt(offset);
    if (index_.isPlainLine(line))
        return offset;
    const std::size_t start = index_.lineStart(line);
    const CellLine& cellLine = cells(line);
    const std::size_t inLine = offset - start;
    // The boundary at or before `offset`: step forward from the one before it.
    const std::size_t before = cellLine.previousBoundary(inLine);
    const std::size_t after = cellLine.nextBoundary(before);
    return start + (after <= inLine && after != before ? after : before);
}

std::size_t MonospacedTextView::nextCharacter(std::size_t offset) const {
    const std::size_t line = index_.lineAt(offset);
    const std::size_t end = index_.lineEnd(line);
    if (offset >= end)
        return line + 1 < index_.lineCount() ? index_.lineStart(line + 1) : offset;
    if (index_.isPlainLine(line))
        return offset + 1;
    const std::size_t start = index_.lineStart(line);
    return start + cells(line).nextBoundary(offset - start);
}

std::size_t MonospacedTextView::previousCharacter(std::size_t offset) const {
    const std::size_t line = index_.lineAt(offset);
    const std::size_t start = index_.lineStart(line);
    if (offset <= start)
        return line > 0 ? index_.lineEnd(line - 1) : offset;
    if (index_.isPlainLine(line))
        return offset - 1;
    return start + cells(line).previousBoundary(offset - start);
}

std::size_t MonospacedTextView::verticalMove(std::size_t offset, long long lines) {
    const std::size_t line = index_.lineAt(offset);
    if (goalX_ < 0)
        goalX_ = xInLine(line, offset);
    const long long target = std::clamp<long long>(static_cast<long long>(line) + lines, 0,
                                                   static_cast<long long>(index_.lineCount()) - 1);
    return offsetInLine(static_cast<std::size_t>(target), goalX_);
}

void MonospacedTextView::moveCursor(std::size_t offset, bool extend, bool keepGoalX) {
    const std::size_t oldAnchor = anchor_;
    const std::size_t oldCursor = cursor_;
    cursor_ = offset;
    if (!extend)
        anchor_ = offset;
    if (!keepGoalX)
        goalX_ = -1;
    ensureCursorVisible();
    viewport()->update();
    if (oldAnchor != anchor_ || oldCursor != cursor_)
        emit selectionChanged();
}

void MonospacedTextView::ensureCursorVisible() {
    const std::size_t line = index_.lineAt(cursor_);
    const auto first = static_cast<long long>(firstVisibleLine());
    const long long visible = visibleLineCount();
    auto target = static_cast<long long>(line);
    if (target < first)
        verticalScrollBar()->setValue(static_cast<int>(target));
    else if (target >= first + visible)
        verticalScrollBar()->setValue(static_cast<int>(target - visible + 1));

    const qreal x = xInLine(line, cursor_);
    const int scrollX = horizontalScrollBar()->value();
    const int width = viewport()->width() - 2 * margin_;
    if (x < scrollX)
        horizontalScrollBar()->setValue(static_cast<int>(x));
    else if (x + 1 > scrollX + width)
        horizontalScrollBar()->setValue(static_cast<int>(std::ceil(x + 1 - width)));
}

void MonospacedTextView::revealSelection() {
    const std::size_t start = selectionStart();
    const std::size_t line = index_.lineAt(start);
    const auto first = static_cast<long long>(firstVisibleLine());
    const long long visible = visibleLineCount();
    const auto target = static_cast<long long>(line);
    if (target < first || target >= first + visible)
        verticalScrollBar()->setValue(static_cast<int>(std::max(0LL, target - visible / 2)));

    const qreal x0 = xInLine(line, start);
    const qreal x1 = xInLine(line, std::min(selectionEnd(), index_.lineEnd(line)));
    const int scrollX = horizontalScrollBar()->value();
    const int width = viewport()->width() - 2 * margin_;
    // Lines are read from their start, so scroll back to it when the selection fits beside
    // it; else keep a few columns around the selection in sight, never at the cost of its start.
    const qreal context = 4 * advance_;
    qreal scrollTo = scrollX;
    if (x0 < scrollX || x1 > scrollX + width)
        scrollTo = x1 + context <= width ? 0 : std::min(x0 - context, x1 + context - width);
    horizontalScrollBar()->setValue(static_cast<int>(std::max<qreal>(0, std::floor(scrollTo))));
    viewport()->update();
}

void MonospacedTextView::selectWordAt(std::size_t offset) {
    // A "word" here is a run without spaces: an identifier, a stretch of residues.
    const auto isBreak = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const char* data = text_.constData();
    const auto size = static_cast<std::size_t>(text_.size());
    std::size_t start = offset;
    while (start > 0 && !isBreak(data[start - 1]))
        --start;
    std::size_t end = offset;
    while (end < size && !isBreak(data[end]))
        ++end;
    setSelection(start, end);
}

void MonospacedTextView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        offerSelection();
        return;
    }

    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
    };
    const auto size = static_cast<std::size_t>(text_.size());
    const std::size_t line = index_.lineAt(cursor_);
    const int page = visibleLineCount();
    const auto matches = [event](QKeySequence::StandardKey move, QKeySequence::StandardKey select,
                                 bool& extend) {
        extend = event->matches(select);
        return extend || event->matches(move);
    };

    bool extend = false;
    if (matches(QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, extend)) {
        moveCursor(!extend && hasSelection() ? selectionEnd() : nextCharacter(cursor_), extend);
    } else if (matches(QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
                       extend)) {
        moveCursor(!extend && hasSelection() ? selectionStart() : previousCharacter(cursor_),
                   extend);
    } else if (matches(QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, extend)) {
        moveCursor(verticalMove(cursor_, 1), extend, true);
    } else if (matches(QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
                       extend)) {
        moveCursor(verticalMove(cursor_, -1), extend, true);
    } else if (matches(QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, extend)) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
        moveCursor(verticalMove(cursor_, page), extend, true);
    } else if (matches(QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
                       extend)) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() - page);
        moveCursor(verticalMove(cursor_, -page), extend, true);
    } else if (matches(QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, extend)) {
        moveCursor(index_.lineStart(line), extend);
    } else if (matches(QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, extend)) {
        moveCursor(index_.lineEnd(line), extend);
    } else if (matches(QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
                       extend)) {
        moveCursor(0, extend);
    } else if (matches(QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
                       extend)) {
        moveCursor(size, extend);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (extend)
        offerSelection();
}

void MonospacedTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    selecting_ = true;
    lastMousePos_ = event->position().toPoint();
    moveCursor(offsetAt(lastMousePos_), extend);
}

void MonospacedTextView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_)
        return;
    lastMousePos_ = event->position().toPoint();
    if (viewport()->rect().contains(lastMousePos_))
        autoScrollTimer_.stop();
    else if (!autoScrollTimer_.isActive())
        autoScrollTimer_.start();
    moveCursor(offsetAt(lastMousePos_), true);
}

void MonospacedTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    selecting_ = false;
    autoScrollTimer_.stop();
    offerSelection();
}

void MonospacedTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        selectWordAt(offsetAt(event->position().toPoint()));
        offerSelection();
    }
}

void MonospacedTextView::autoScroll() {
    // While a drag selection leaves the view, keep scrolling towards the pointer.
    const QRect area = viewport()->rect();
    if (lastMousePos_.y() < area.top())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (lastMousePos_.y() > area.bottom())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (lastMousePos_.x() < area.left())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (lastMousePos_.x() > area.right())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    moveCursor(offsetAt(lastMousePos_), true);
}

void MonospacedTextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("Copy"), this, &MonospacedTextView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* selectAllAction =
        menu.addAction(tr("Select All"), this, &MonospacedTextView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}

void MonospacedTextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void MonospacedTextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace pellacor
