#include "ui/widgets/Icons.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

// Resources compiled into a static library register only when something asks for them.
static void initialiseResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

namespace pellacor {

namespace {

QString pathOf(Icons::Name name) {
    // In the order of Icons::Name.
    static constexpr const char* files[] = {"import", "export",     "check",        "close",
                                            "copy",   "step1",      "step2",        "step3",
                                            "step4",  "chevron-up", "chevron-down", "warning"};
    return QStringLiteral(":/pellacor/icons/%1.svg")
        .arg(QLatin1String(files[static_cast<int>(name)]));
}

QImage render(const QString& path, int size, qreal pixelRatio) {
    initialiseResources();
    const int pixels = std::max(1, static_cast<int>(std::lround(size * pixelRatio)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

} // namespace

QIcon Icons::application() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(applicationPixmap(size, 1.0));
    return icon;
}

QPixmap Icons::applicationPixmap(int size, qreal pixelRatio) {
    return QPixmap::fromImage(
        render(QStringLiteral(":/pellacor/icons/pellacor.svg"), size, pixelRatio));
}

QPixmap Icons::pixmap(Name name, const QColor& color, int size, qreal pixelRatio) {
    // Dark ink becomes `color`, white cut-outs become transparent.
    QImage image = render(pathOf(name), size, pixelRatio);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                continue;
            // Premultiplied: the unpremultiplied lightness is grey / alpha.
            const int lightness = qGray(pixel) * 255 / alpha;
            const int coverage = alpha * (255 - lightness) / 255 * color.alpha() / 255;
            line[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), coverage));
        }
    }
    return QPixmap::fromImage(image);
}

QIcon Icons::icon(Name name, const QColor& color, int size, qreal pixelRatio) {
    QIcon icon;
    icon.addPixmap(pixmap(name, color, size, pixelRatio));
    return icon;
}

} // namespace pellacor
