#include "ui/textview/MonospacedTextView.h"


#include "session/TextSliceMimeData.h"
#include "ui/textview/CellLine.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QResizeEvent>
#include <QScrollBar>

#include <climits>
#include <cmath>

namespace pellacor {

namespace {

// Measuring a complex line is exact but costs a layout; past this many lines, and for very long
// lines, the byte length (never less than the column count) bounds the width instead.
constexpr std::size_t measuredComplexLines = 2000;
constexpr std::size_t measuredLineBytes = 16 * 1024;
// Shaped lines kept around; a screenful is a few dozen.
constexpr std::size_t cellLineCacheLimit = 512;

} // namespace

MonospacedTextView::MonospacedTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // No kerning and no optional shaping: ligature-capable fonts would otherwise merge "--".
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    autoScrollTimer_.setInterval(40);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &MonospacedTextView::autoScroll);
    applyFont();
}

MonospacedTextView::~MonospacedTextView() = default;

void MonospacedTextView::setText(const QByteArray& utf8) {
    text_ = utf8;
    index_ = LineIndex(std::string_view(text_.constData(), static_cast<std::size_t>(text_.size())));
    cellLines_.clear();
    const bool hadSelection = hasSelection();
    anchor_ = cursor_ = 0;
    goalX_ = -1;
    updateContentWidth();
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

void MonospacedTextView::setText(const QString& text) {
    setText(text.toUtf8());
}

std::string_view MonospacedTextView::lineBytes(std::size_t line) const noexcept {
    const std::size_t start = index_.lineStart(line);
    return {text_.constData() + start, index_.lineEnd(line) - start};
}

QString MonospacedTextView::lineText(std::size_t line) const {
    if (line >= index_.lineCount())
        return {};
    if (!index_.isPlainLine(line))
        return cells(line).text();
    const std::string_view bytes = lineBytes(line);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

qreal MonospacedTextView::columnX(std::size_t column) const noexcept {
    return margin_ + static_cast<qreal>(column) * advance_;
}

QString MonospacedTextView::selectedText() const {
    const std::size_t start = selectionStart();
    return QString::fromUtf8(text_.constData() + start,
                             static_cast<qsizetype>(selectionEnd() - start));
}

void MonospacedTextView::setSelection(std::size_t anchor, std::size_t cursor) {
    const std::size_t oldAnchor = anchor_;
    const std::size_t oldCursor = cursor_;
    anchor_ = snapToBoundary(anchor);
    cursor_ = snapToBoundary(cursor);
    goalX_ = -1;
    viewport()->update();
    if (oldAnchor != anchor_ || oldCursor != cursor_)
        emit selectionChanged();
}

void MonospacedTextView::selectAll() {
    setSelection(0, static_cast<std::size_t>(text_.size()));
}

void MonospacedTextView::copy() const {
    if (hasSelection())
        QApplication::clipboard()->setMimeData(
            new TextSliceMimeData(text_, selectionStart(), selectionEnd()));
}

void MonospacedTextView::offerSelection() const {
    // As Qt's own text widgets do on X11: what the person selects can be pasted with the middle
    // button. Where there is no such clipboard, nothing happens.
    QClipboard* clipboard = QApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(new TextSliceMimeData(text_, selectionStart(), selectionEnd()),
                               QClipboard::Selection);
}

std::size_t MonospacedTextView::memoryOverhead() const noexcept {
    return index_.memoryUsage() + sizeof(*this);
}

// ---- Geometry ----

void MonospacedTextView::applyFont() {
    const QFontMetricsF metrics(font());
    advance_ = metrics.horizontalAdvance(QLatin1Char('M'));
    if (advance_ <= 0)
        advance_ = metrics.averageCharWidth();
    ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
    // Lines are set without the font's leading.
    lineHeight_ = std::max(1, ascent_ + static_cast<int>(std::ceil(metrics.descent())));
    cellLines_.clear();
    updateContentWidth();
    updateScrollBars();
    viewport()->update();
}

void MonospacedTextView::updateContentWidth() {
    qreal widest = static_cast<qreal>(index_.longestPlainLine()) * advance_;
    if (index_.complexLineCount() > measuredComplexLines) {
        widest = std::max(widest, static_cast<qreal>(index_.longestComplexLine()) * advance_);
    } else if (index_.complexLineCount() > 0) {
        std::size_t found = 0;
        for (std::size_t line = 0; line < index_.lineCount() && found < index_.complexLineCount();
             ++line) {
            if (index_.isPlainLine(line))
                continue;
            ++found;
            const std::string_view bytes = lineBytes(line);
            const qreal width = bytes.size() > measuredLineBytes
                                    ? static_cast<qreal>(bytes.size()) * advance_
                                    : CellLine(bytes, font(), advance_).width();
            widest = std::max(widest, width);
        }
    }
    // Room for the caret after the longest line.
    contentWidth_ = widest + 2 * margin_ + 1;
}

int MonospacedTextView::visibleLineCount() const noexcept {
    return std::max(1, (viewport()->height() - margin_) / lineHeight_);
}

std::size_t MonospacedTextView::firstVisibleLine() const noexcept {
    return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

void MonospacedTextView::updateScrollBars() {
    // The vertical bar counts lines, not pixels, so even billions of pixels of text fit its range.
    const int visible = visibleLineCount();
    const auto lines = static_cast<long long>(index_.lineCount());
    const long long lastFirst = std::max(0LL, lines - visible);
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<long long>(lastFirst, INT_MAX)));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);

    const int width = viewport()->width();
    const int overflow = static_cast<int>(
        std::min<qreal>(std::ceil(contentWidth_) - width, static_cast<qreal>(INT_MAX)));
    horizontalScrollBar()->setRange(0, std::max(0, overflow));
    horizontalScrollBar()->setPageStep(std::max(1, width));
    horizontalScrollBar()->setSingleStep(std::max(1, static_cast<int>(advance_ * 4)));
}

const CellLine& MonospacedTextView::cells(std::size_t line) const {
    auto found = cellLines_.find(line);
    if (found != cellLines_.end())
        return *found->second;
    if (cellLines_.size() >= cellLineCacheLimit)
        cellLines_.clear();
    auto made = std::make_unique<CellLine>(lineBytes(line), font(), advance_);
    return *cellLines_.emplace(line, std::move(made)).first->second;
}

qreal MonospacedTextView::xInLine(std::size_t line, std::size_t offset) const {
    const std::size_t inLine = offset - index_.lineStart(line);
    if (index_.isPlainLine(line))
        return static_cast<qreal>(inLine) * advance_;
    return cells(line).xForOffset(inLine);
}

std::size_t MonospacedTextView::offsetInLine(std::size_t line, qreal x) const {
    const std::size_t start = index_.lineStart(line);
    const std::size_t length = index_.lineEnd(line) - start;
    if (!index_.isPlainLine(line))
        return start + cells(line).offsetForX(x);
    if (x <= 0)
        return start;
    const auto column = static_cast<std::size_t>(std::lround(x / advance_));
    return start + std::min(column, length);
}

std::size_t MonospacedTextView::offsetAt(const QPoint& point) const {
    const long long row = point.y() < margin_ ? -1 : (point.y() - margin_) / lineHeight_;
    const long long line = std::clamp<long long>(static_cast<long long>(firstVisibleLine()) + row,
                                                 0, static_cast<long long>(index_.lineCount()) - 1);
    const qreal x = point.x() + horizontalScrollBar()->value() - margin_;
    return offsetInLine(static_cast<std::size_t>(line), x);
}

void MonospacedTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void MonospacedTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyFont();
    else if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}

void MonospacedTextView::scrollContentsBy(int, int) {
    viewport()->update();
}

} // namespace pellacor
