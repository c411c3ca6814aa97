#pragma once

#include "ui/textview/LineIndex.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace pellacor {

class CellLine;

/// A read-only, selectable view of UTF-8 text in the system's fixed-width font: one stored line
/// per shown line, never wrapped, every character drawn as stored. It indexes line starts and
/// paints only the lines in sight, so texts of hundreds of megabytes show at once.
class MonospacedTextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    /// An empty view.
    explicit MonospacedTextView(QWidget* parent = nullptr);
    ~MonospacedTextView() override;

    /// Shows `utf8` in place of everything shown before (always, even when it is the same text);
    /// shares the bytes rather than copying them, clears the selection and scrolls to the top.
    void setText(const QByteArray& utf8);
    /// Shows `text` in place of everything shown before.
    void setText(const QString& text);
    /// The text shown, as UTF-8.
    const QByteArray& text() const noexcept { return text_; }

    /// Number of lines shown: the line feeds plus one.
    std::size_t lineCount() const noexcept { return index_.lineCount(); }
    /// Line `line` as shown, without its line feed; empty past the last line.
    QString lineText(std::size_t line) const;
    /// Left edge of column `column` in viewport coordinates when scrolled to the left.
    qreal columnX(std::size_t column) const noexcept;
    /// Top of the first line in sight, in viewport coordinates.
    int lineTop() const noexcept { return margin_; }
    /// Height of one line: the font's ascent and descent, without leading.
    int lineHeight() const noexcept { return lineHeight_; }
    /// Width of one column.
    qreal columnWidth() const noexcept { return advance_; }

    /// True when some text is selected.
    bool hasSelection() const noexcept { return anchor_ != cursor_; }
    /// The selected text, empty when nothing is selected.
    QString selectedText() const;
    /// Byte offset where the selection starts.
    std::size_t selectionStart() const noexcept { return std::min(anchor_, cursor_); }
    /// Byte offset where the selection ends.
    std::size_t selectionEnd() const noexcept { return std::max(anchor_, cursor_); }
    /// Selects from byte `anchor` to byte `cursor`, each moved back to a character boundary.
    void setSelection(std::size_t anchor, std::size_t cursor);
    /// Scrolls the selection into sight: its first line centred unless it is in sight already,
    /// and as much of it sideways as fits, its start first.
    void revealSelection();
    /// The text position under `point` (viewport coordinates), as a byte offset.
    std::size_t offsetAt(const QPoint& point) const;

    /// Bytes the view holds beyond the text itself.
    std::size_t memoryOverhead() const noexcept;

public slots:
    /// Selects the whole text.
    void selectAll();
    /// Puts the selected text on the clipboard; does nothing without a selection.
    void copy() const;

signals:
    /// The selection changed; `hasSelection` tells whether anything is selected now.
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Geometry.
    void applyFont();
    void updateContentWidth();
    void updateScrollBars();
    int visibleLineCount() const noexcept;
    std::size_t firstVisibleLine() const noexcept;
    qreal xInLine(std::size_t line, std::size_t offset) const;
    std::size_t offsetInLine(std::size_t line, qreal x) const;
    const CellLine& cells(std::size_t line) const;
    std::string_view lineBytes(std::size_t line) const noexcept;

    // Selection and caret movement.
    void offerSelection() const;
    void moveCursor(std::size_t offset, bool extend, bool keepGoalX = false);
    std::size_t nextCharacter(std::size_t offset) const;
    std::size_t previousCharacter(std::size_t offset) const;
    std::size_t verticalMove(std::size_t offset, long long lines);
    std::size_t snapToBoundary(std::size_t offset) const;
    void ensureCursorVisible();
    void selectWordAt(std::size_t offset);
    void autoScroll();

    // Painting.
    void paintLine(QPainter& painter, std::size_t line, int top, qreal left, qreal right) const;
    void paintSelection(QPainter& painter, std::size_t line, int top, qreal scrollX) const;

    QByteArray text_;
    LineIndex index_;
    qreal advance_ = 8;
    int lineHeight_ = 16;
    int ascent_ = 12;
    int margin_ = 4;
    qreal contentWidth_ = 0;

    std::size_t anchor_ = 0;
    std::size_t cursor_ = 0;
    qreal goalX_ = -1;
    bool selecting_ = false;
    QPoint lastMousePos_;
    QTimer autoScrollTimer_;

    // Lines that need shaping are laid out on demand and kept while they may be painted again.
    mutable std::unordered_map<std::size_t, std::unique_ptr<CellLine>> cellLines_;
};

} // namespace pellacor
