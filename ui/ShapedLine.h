#pragma once

#include <QString>
#include <QTextLayout>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class QFont;
class QPainter;
class QPointF;

namespace pellacor {

/// One line of text that is not plain ASCII, laid out for drawing and hit testing. Offsets are
/// UTF-8 byte offsets inside the line; malformed bytes show as U+FFFD, one per byte, and a tab
/// takes one column so that columns stay aligned with the lines around it.
class ShapedLine {
public:
    /// Lays out `bytes` (one line without its line feed) in `font`; `column` is the font's advance.
    ShapedLine(std::string_view bytes, const QFont& font, qreal column);
    ShapedLine(const ShapedLine&) = delete;
    ShapedLine& operator=(const ShapedLine&) = delete;
    ShapedLine(ShapedLine&&) noexcept = default;
    ShapedLine& operator=(ShapedLine&&) noexcept = default;
    ~ShapedLine();

    /// The line as it is drawn.
    const QString& text() const noexcept { return text_; }
    /// Width of the whole line.
    qreal width() const;
    /// Horizontal position of the character boundary at or before byte `offset`.
    qreal xForOffset(std::size_t offset) const;
    /// The character boundary nearest to `x`.
    std::size_t offsetForX(qreal x) const;
    /// The next character boundary after `offset`, or the line's end.
    std::size_t nextBoundary(std::size_t offset) const;
    /// The character boundary before `offset`, or 0.
    std::size_t previousBoundary(std::size_t offset) const;
    /// Draws the line with its top-left corner at `topLeft`.
    void draw(QPainter& painter, const QPointF& topLeft) const;

private:
    int utf16At(std::size_t offset) const;

    QString text_;
    // For every byte offset (and the end), the UTF-16 index of the character that holds it.
    std::vector<std::int32_t> utf16OfByte_;
    // For every UTF-16 index (and the end), the byte offset where its character starts.
    std::vector<std::uint32_t> byteOfUtf16_;
    std::unique_ptr<QTextLayout> layout_;
};

} // namespace pellacor
