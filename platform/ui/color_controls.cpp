#include "platform/ui/color_controls.h"

#include <QPainter>
#include <algorithm>

namespace platform {

QImage applyColorControls(const QImage& image, const ColorControls& controls) {
    // Worked on unpremultiplied colour, so that a half-transparent pixel changes as an opaque one would.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const auto adjust = [&](double c, double grey) {
        c = grey + (c - grey) * controls.saturation;
        c += controls.brightness;
        c = (c - 0.5) * controls.contrast + 0.5;
        return std::clamp(c, 0.0, 1.0);
    };
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            const double r = qRed(p) / 255.0, g = qGreen(p) / 255.0, b = qBlue(p) / 255.0;
            const double grey = 0.2125 * r + 0.7154 * g + 0.0721 * b;
            const auto byte = [](double c) { return static_cast<int>(c * 255.0 + 0.5); };
            line[x] = qRgba(byte(adjust(r, grey)), byte(adjust(g, grey)), byte(adjust(b, grey)), qAlpha(p));
        }
    }
    return out;
}

ColorControlsEffect::ColorControlsEffect(ColorControls controls, QObject* parent)
    : QGraphicsEffect(parent), controls_(controls) {}

void ColorControlsEffect::setControls(const ColorControls& controls) {
    controls_ = controls;
    update();
}

void ColorControlsEffect::draw(QPainter* painter) {
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
    if (source.isNull()) return;
    const QImage filtered = applyColorControls(source.toImage(), controls_);
    // The pixmap is in device coordinates: drawn there, unaffected by the painter's own transform.
    const QTransform saved = painter->worldTransform();
    painter->setWorldTransform(QTransform());
    painter->drawImage(offset, filtered);
    painter->setWorldTransform(saved);
}

}  // namespace platform
