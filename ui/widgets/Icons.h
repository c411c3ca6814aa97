#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace pellacor {

/// The app's own icons, drawn as SVG in the resources so they look the same on every desktop.
/// Monochrome icons are drawn black with white cut-outs and take any colour when rendered.
class Icons {
public:
    Icons() = delete;

    /// The monochrome icons.
    enum class Name {
        Import,
        Export,
        Check,
        Close,
        Copy,
        Step1,
        Step2,
        Step3,
        Step4,
        Previous,
        Next,
        Warning
    };

    /// The application icon in its own colours, at every size.
    static QIcon application();
    /// The application icon at `size` device-independent pixels for a screen of `pixelRatio`.
    static QPixmap applicationPixmap(int size, qreal pixelRatio);
    /// Icon `name` in `color` at `size` device-independent pixels for a screen of `pixelRatio`.
    static QPixmap pixmap(Name name, const QColor& color, int size, qreal pixelRatio);
    /// Icon `name` in `color` for a button of icon size `size`.
    static QIcon icon(Name name, const QColor& color, int size, qreal pixelRatio);
};

} // namespace pellacor
