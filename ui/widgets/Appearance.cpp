#include "ui/widgets/Appearance.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace pellacor {

QFont Appearance::font(TextRole role, const QFont& base) {
    QFont font = base;
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (role) {
    case TextRole::LargeTitle:
        font.setPointSizeF(size * 2.0);
        break;
    case TextRole::Headline:
        font.setPointSizeF(size * 1.08);
        font.setWeight(QFont::DemiBold);
        break;
    case TextRole::Subheadline:
        font.setPointSizeF(size * 0.95);
        break;
    case TextRole::Caption:
        font.setPointSizeF(std::max(7.5, size * 0.88));
        break;
    case TextRole::Body:
        break;
    }
    return font;
}

void Appearance::applyText(QWidget* widget, TextRole role, bool bold) {
    QFont font = Appearance::font(role, QApplication::font());
    if (bold)
        font.setBold(true);
    widget->setFont(font);
}

QColor Appearance::secondary(const QWidget* widget) {
    // Secondary text is the normal text colour, toned down, so it follows light and dark themes.
    QColor color = widget->palette().color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

void Appearance::applySecondary(QWidget* widget) {
    QPalette palette = widget->palette();
    const QColor color = secondary(widget);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor Appearance::blue() {
    return QColor(0x00, 0x7a, 0xff);
}

QColor Appearance::green() {
    return QColor(0x28, 0xa7, 0x45);
}

QColor Appearance::amber() {
    return QColor(0xb8, 0x5c, 0x00);
}

QColor Appearance::gray() {
    return QColor(0x8e, 0x8e, 0x93);
}

} // namespace pellacor
