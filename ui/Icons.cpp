#include "ui/Icons.h"

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
    switch (name) {
    case Icons::Name::Import:
        return QStringLiteral(":/pellacor/icons/import.svg");
    case Icons::Name::Export:
        return QStringLiteral(":/pellacor/icons/export.svg");
    case Icons::Name::Check:
        return QStringLiteral(":/pellacor/icons/check.svg");
    case Icons::Name::Close:
        return QStringLiteral(":/pellacor/icons/close.svg");
    case Icons::Name::Copy:
        return QStringLiteral(":/pellacor/icons/copy.svg");
    case Icons::Name::Step1:
        return QStringLiteral(":/pellacor/icons/step1.svg");
    case Icons::Name::Step2:
        return QStringLiteral(":/pellacor/icons/step2.svg");
    case Icons::Name::Step3:
        return QStringLiteral(":/pellacor/icons/step3.svg");
    case Icons::Name::Step4:
        return QStringLiteral(":/pellacor/icons/step4.svg");
    }
    return {};
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
