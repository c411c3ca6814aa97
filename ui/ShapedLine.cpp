#include "ui/ShapedLine.h"

#include "core/UnicodeText.h"

#include <QFont>
#include <QPainter>
#include <QTextLine>
#include <QTextOption>

#include <algorithm>
#include <limits>

namespace pellacor {

ShapedLine::ShapedLine(std::string_view bytes, const QFont& font, qreal column) {
    // Decoding here rather than with QString::fromUtf8 keeps the byte-to-character map exact,
    // malformed bytes included.
    text_.reserve(static_cast<qsizetype>(bytes.size()));
    utf16OfByte_.assign(bytes.size() + 1, 0);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        const char32_t c = UnicodeText::decodeAt(bytes, pos);
        const auto index = static_cast<std::int32_t>(text_.size());
        for (std::size_t b = start; b < pos; ++b)
            utf16OfByte_[b] = index;
        const char32_t codePoint[1] = {c};
        text_.append(QString::fromUcs4(codePoint, 1));
        while (byteOfUtf16_.size() < static_cast<std::size_t>(text_.size()))
            byteOfUtf16_.push_back(static_cast<std::uint32_t>(start));
    }
    utf16OfByte_[bytes.size()] = static_cast<std::int32_t>(text_.size());
    byteOfUtf16_.push_back(static_cast<std::uint32_t>(bytes.size()));

    layout_ = std::make_unique<QTextLayout>(text_, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(column);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    if (line.isValid()) {
        line.setLineWidth(std::numeric_limits<int>::max() / 4);
        line.setPosition(QPointF(0, 0));
    }
    layout_->endLayout();
}

ShapedLine::~ShapedLine() = default;

int ShapedLine::utf16At(std::size_t offset) const {
    return utf16OfByte_[std::min(offset, utf16OfByte_.size() - 1)];
}

qreal ShapedLine::width() const {
    return layout_->lineCount() > 0 ? layout_->lineAt(0).naturalTextWidth() : 0;
}

qreal ShapedLine::xForOffset(std::size_t offset) const {
    if (layout_->lineCount() == 0)
        return 0;
    return layout_->lineAt(0).cursorToX(utf16At(offset));
}

std::size_t ShapedLine::offsetForX(qreal x) const {
    if (layout_->lineCount() == 0)
        return 0;
    const int index = layout_->lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
    return byteOfUtf16_[static_cast<std::size_t>(std::clamp(index, 0, int(text_.size())))];
}

std::size_t ShapedLine::nextBoundary(std::size_t offset) const {
    const int next = layout_->nextCursorPosition(utf16At(offset), QTextLayout::SkipCharacters);
    return byteOfUtf16_[static_cast<std::size_t>(std::clamp(next, 0, int(text_.size())))];
}

std::size_t ShapedLine::previousBoundary(std::size_t offset) const {
    const int previous =
        layout_->previousCursorPosition(utf16At(offset), QTextLayout::SkipCharacters);
    return byteOfUtf16_[static_cast<std::size_t>(std::clamp(previous, 0, int(text_.size())))];
}

void ShapedLine::draw(QPainter& painter, const QPointF& topLeft) const {
    layout_->draw(&painter, topLeft);
}

} // namespace pellacor
