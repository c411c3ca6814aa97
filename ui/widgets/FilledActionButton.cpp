#include "ui/widgets/FilledActionButton.h"

#include "ui/widgets/Appearance.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace pellacor {

namespace {

constexpr int iconTextGap = Appearance::defaultSpacing;

int glyphSize(const QFont& font) {
    return QFontMetrics(font).height();
}

} // namespace

FilledActionButton::FilledActionButton(Icons::Name icon, const QString& text, const QColor& fill,
                                       QWidget* parent)
    : QAbstractButton(parent), iconName_(icon), fill_(fill), paddingX_(Appearance::defaultPadding),
      paddingY_(Appearance::defaultPadding) {
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FilledActionButton::setFill(const QColor& fill) {
    fill_ = fill;
    update();
}

void FilledActionButton::setPadding(int horizontal, int vertical) {
    paddingX_ = horizontal;
    paddingY_ = vertical;
    updateGeometry();
    update();
}

void FilledActionButton::setRadius(qreal radius) {
    radius_ = radius;
    update();
}

void FilledActionButton::setContentWidth(int width) {
    contentWidth_ = width;
    updateGeometry();
    update();
}

QSize FilledActionButton::contentSize() const {
    const QFontMetrics metrics(font());
    const int natural = glyphSize(font()) + iconTextGap + metrics.horizontalAdvance(text());
    const int width = contentWidth_ > 0 ? std::max(contentWidth_, natural) : natural;
    return {width, std::max(metrics.height(), glyphSize(font()))};
}

QSize FilledActionButton::sizeHint() const {
    const QSize content = contentSize();
    return {content.width() + 2 * paddingX_, content.height() + 2 * paddingY_};
}

QSize FilledActionButton::minimumSizeHint() const {
    return sizeHint();
}

void FilledActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(area, radius_, radius_);

    QColor fill = fill_;
    if (!isEnabled())
        fill.setAlphaF(0.4f);
    else if (isDown())
        fill = fill.darker(125);
    else if (hovered_)
        fill = fill.lighter(110);
    painter.fillPath(shape, fill);

    QColor ink = Qt::white;
    if (!isEnabled())
        ink.setAlphaF(0.75f);
    const int icon = glyphSize(font());
    const QFontMetrics metrics(font());
    const int natural = icon + iconTextGap + metrics.horizontalAdvance(text());
    const int left = (width() - natural) / 2;
    const int middle = height() / 2;
    painter.drawPixmap(QPoint(left, middle - icon / 2),
                       Icons::pixmap(iconName_, ink, icon, devicePixelRatioF()));
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(left + icon + iconTextGap, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());

    // Like the stock buttons, the focus ring shows only once the keyboard moved focus. It is
    // drawn in the ink on the fill, the one colour sure to stand out from any fill.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(ink, 2));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = 3;
        painter.drawRoundedRect(area.adjusted(inset, inset, -inset, -inset),
                                std::max<qreal>(0, radius_ - inset),
                                std::max<qreal>(0, radius_ - inset));
    }
}

void FilledActionButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateGeometry();
}

void FilledActionButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void FilledActionButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace pellacor
