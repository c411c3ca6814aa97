#pragma once

#include <QFont>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class QPainter;
class QPointF;

namespace pellacor {

/// One line of text that is not plain ASCII, laid out on the view's column grid: each
/// user-perceived character takes its own cells in stored order, left to right, with no
/// bidirectional reordering; East Asian wide characters take two cells, every other character
/// one (a tab or a control character included), and combining marks stay on their base's
/// cells. Offsets are UTF-8 byte offsets inside the line; malformed bytes show as U+FFFD, one
/// per byte.
class CellLine {
public:
    /// Lays out `bytes` (one line without its line feed) for `font`, whose cells are `column`
    /// wide.
    CellLine(std::string_view bytes, const QFont& font, qreal column);

    /// The line as it is drawn.
    const QString& text() const noexcept { return text_; }
    /// Width of the whole line.
    qreal width() const noexcept { return static_cast<qreal>(cellCount_) * column_; }
    /// Left edge of the character holding byte `offset` (the line's end past the last one).
    qreal xForOffset(std::size_t offset) const;
    /// The character boundary nearest to `x`.
    std::size_t offsetForX(qreal x) const;
    /// The next character boundary after `offset`, or the line's end.
    std::size_t nextBoundary(std::size_t offset) const;
    /// The character boundary before `offset`, or 0.
    std::size_t previousBoundary(std::size_t offset) const;
    /// Draws the characters that reach into [left, right) (line coordinates), cell 0 starting
    /// at `origin`'s x and the baseline at its y, in the painter's pen.
    void draw(QPainter& painter, const QPointF& origin, qreal left, qreal right) const;

private:
    struct Character {
        std::uint32_t byte;  // where it starts in the line
        std::uint32_t utf16; // where it starts in `text_`
        std::uint32_t cell;  // its first cell
        std::uint8_t cells;  // 1 or 2
        bool plainAscii;     // printable ASCII: drawn in runs with the grid's own font
    };

    std::size_t characterAt(std::size_t offset) const;
    std::size_t characterAtCell(std::size_t cell) const;
    void drawCharacter(QPainter& painter, std::size_t index, const QPointF& origin) const;

    QString text_;
    std::vector<Character> characters_;
    std::size_t byteLength_ = 0;
    std::size_t cellCount_ = 0;
    qreal column_;
    QFont gridFont_;
    // Characters beyond ASCII are shaped, so that a combining mark lands on its base.
    QFont characterFont_;
};

} // namespace pellacor
