#include "ui/textview/CellLine.h"

#include "core/UnicodeText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>

namespace pellacor {

namespace {

int cellsFor(char32_t c) {
    const auto width =
        static_cast<UEastAsianWidth>(u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH));
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

char32_t codePointAt(const QString& text, qsizetype index) {
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    return c.unicode();
}

} // namespace

CellLine::CellLine(std::string_view bytes, const QFont& font, qreal column)
    : byteLength_(bytes.size()), column_(column), gridFont_(font), characterFont_(font) {
    characterFont_.setStyleStrategy(
        QFont::StyleStrategy(font.styleStrategy() & ~QFont::PreferNoShaping));

    // Decoding here rather than with QString::fromUtf8 keeps the byte-to-character map exact,
    // malformed bytes included.
    text_.reserve(static_cast<qsizetype>(bytes.size()));
    std::vector<std::uint32_t> byteOfUtf16;
    byteOfUtf16.reserve(bytes.size() + 1);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto start = static_cast<std::uint32_t>(pos);
        const char32_t c = UnicodeText::decodeAt(bytes, pos);
        const char32_t codePoint[1] = {c};
        text_.append(QString::fromUcs4(codePoint, 1));
        byteOfUtf16.resize(static_cast<std::size_t>(text_.size()), start);
    }
    byteOfUtf16.push_back(static_cast<std::uint32_t>(bytes.size()));

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text_);
    qsizetype from = 0;
    std::uint32_t cell = 0;
    while (from < text_.size()) {
        qsizetype to = graphemes.toNextBoundary();
        if (to <= from)
            to = text_.size();
        const char32_t first = codePointAt(text_, from);
        const auto cells = static_cast<std::uint8_t>(cellsFor(first));
        const bool plainAscii = to - from == 1 && first >= 0x20 && first < 0x7F;
        characters_.push_back({byteOfUtf16[static_cast<std::size_t>(from)],
                               static_cast<std::uint32_t>(from), cell, cells, plainAscii});
        cell += cells;
        from = to;
    }
    cellCount_ = cell;
}

std::size_t CellLine::characterAt(std::size_t offset) const {
    // The last character starting at or before `offset`.
    const auto after =
        std::upper_bound(characters_.begin(), characters_.end(), offset,
                         [](std::size_t value, const Character& c) { return value < c.byte; });
    return after == characters_.begin() ? 0
                                        : static_cast<std::size_t>(after - characters_.begin()) - 1;
}

std::size_t CellLine::characterAtCell(std::size_t cell) const {
    const auto after =
        std::upper_bound(characters_.begin(), characters_.end(), cell,
                         [](std::size_t value, const Character& c) { return value < c.cell; });
    return after == characters_.begin() ? 0
                                        : static_cast<std::size_t>(after - characters_.begin()) - 1;
}

qreal CellLine::xForOffset(std::size_t offset) const {
    if (offset >= byteLength_ || characters_.empty())
        return width();
    return static_cast<qreal>(characters_[characterAt(offset)].cell) * column_;
}

std::size_t CellLine::offsetForX(qreal x) const {
    if (characters_.empty() || x <= 0)
        return 0;
    const auto cell = static_cast<std::size_t>(x / column_);
    if (cell >= cellCount_)
        return byteLength_;
    const std::size_t index = characterAtCell(cell);
    const Character& c = characters_[index];
    // Past the middle of a character, the boundary after it is the nearer one.
    const qreal middle = (c.cell + c.cells / 2.0) * column_;
    if (x < middle)
        return c.byte;
    return index + 1 < characters_.size() ? characters_[index + 1].byte : byteLength_;
}

std::size_t CellLine::nextBoundary(std::size_t offset) const {
    if (offset >= byteLength_ || characters_.empty())
        return byteLength_;
    const std::size_t index = characterAt(offset);
    return index + 1 < characters_.size() ? characters_[index + 1].byte : byteLength_;
}

std::size_t CellLine::previousBoundary(std::size_t offset) const {
    if (offset == 0 || characters_.empty())
        return 0;
    if (offset > byteLength_)
        return characters_.back().byte;
    const std::size_t index = characterAt(offset - 1);
    return characters_[index].byte;
}

void CellLine::draw(QPainter& painter, const QPointF& origin, qreal left, qreal right) const {
    if (characters_.empty() || right <= 0)
        return;
    std::size_t index =
        characterAtCell(static_cast<std::size_t>(std::max<qreal>(0, left) / column_));
    // Printable ASCII goes out in runs, as plain lines do; each other character on its own, so
    // that no run can be reordered or shaped across its neighbours.
    while (index < characters_.size() && characters_[index].cell * column_ < right) {
        const Character& c = characters_[index];
        if (!c.plainAscii) {
            drawCharacter(painter, index, origin);
            ++index;
            continue;
        }
        std::size_t end = index + 1;
        while (end < characters_.size() && characters_[end].plainAscii &&
               characters_[end].cell * column_ < right)
            ++end;
        const qsizetype length = static_cast<qsizetype>(characters_[end - 1].utf16) + 1 - c.utf16;
        painter.setFont(gridFont_);
        painter.drawText(QPointF(origin.x() + c.cell * column_, origin.y()),
                         text_.mid(c.utf16, length));
        index = end;
    }
}

void CellLine::drawCharacter(QPainter& painter, std::size_t index, const QPointF& origin) const {
    const Character& c = characters_[index];
    const char32_t first = codePointAt(text_, c.utf16);
    // Tabs and other control characters hold their cell but have nothing to show.
    if (first < 0x20 || (first >= 0x7F && first < 0xA0))
        return;
    const auto end = index + 1 < characters_.size() ? characters_[index + 1].utf16
                                                    : static_cast<std::uint32_t>(text_.size());
    const QString glyphs = text_.mid(c.utf16, end - c.utf16);
    painter.setFont(characterFont_);
    const qreal advance = QFontMetricsF(characterFont_).horizontalAdvance(glyphs);
    const qreal slot = c.cells * column_;
    const qreal x = origin.x() + c.cell * column_;
    if (advance <= slot) {
        // Centred in its cells: a wide glyph from a fallback font is rarely exactly two wide.
        painter.drawText(QPointF(x + (slot - advance) / 2, origin.y()), glyphs);
        return;
    }
    // A glyph wider than its cells is narrowed to them rather than pushing into its neighbours.
    painter.save();
    painter.translate(x, origin.y());
    painter.scale(slot / advance, 1);
    painter.drawText(QPointF(0, 0), glyphs);
    painter.restore();
}

} // namespace pellacor
