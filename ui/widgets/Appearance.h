#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace pellacor {

/// The window's shared looks: text roles scaled from the desktop's font, the named colours and
/// the standard gaps, so every part of the window draws from one place.
class Appearance {
public:
    Appearance() = delete;

    /// Semantic text roles.
    enum class TextRole { LargeTitle, Headline, Subheadline, Caption, Body };

    /// Standard margin around an element.
    static constexpr int defaultPadding = 16;
    /// Standard gap between neighbouring elements.
    static constexpr int defaultSpacing = 8;

    /// The font of `role`, derived from `base`.
    static QFont font(TextRole role, const QFont& base);
    /// Gives `widget` the font of `role`, bold if asked.
    static void applyText(QWidget* widget, TextRole role, bool bold = false);
    /// Draws `widget`'s text in the secondary foreground colour.
    static void applySecondary(QWidget* widget);
    /// The secondary foreground colour for text drawn on `widget`.
    static QColor secondary(const QWidget* widget);

    /// The blue of the import button.
    static QColor blue();
    /// The green of the check mark and the export button.
    static QColor green();
    /// The colour of warnings: an amber dark enough for text on a light window.
    static QColor amber();
    /// The gray of outlines.
    static QColor gray();
};

} // namespace pellacor
