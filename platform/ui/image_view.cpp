#include "platform/ui/image_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/graphics/canvas.h"
#include "platform/ui/view_geometry.h"

namespace platform {

Rect imageRectFor(Size imageSize, const Rect& bounds, ImageScaling scaling) {
    if (imageSize.width <= 0 || imageSize.height <= 0) return {};
    double w = imageSize.width, h = imageSize.height;
    switch (scaling) {
        case ImageScaling::AxesIndependently: return bounds;
        case ImageScaling::None: break;
        case ImageScaling::ProportionallyDown:
        case ImageScaling::ProportionallyUpOrDown: {
            double factor = std::min(bounds.width() / w, bounds.height() / h);
            if (scaling == ImageScaling::ProportionallyDown) factor = std::min(factor, 1.0);
            w *= factor;
            h *= factor;
            break;
        }
    }
    return {bounds.x() + (bounds.width() - w) / 2, bounds.y() + (bounds.height() - h) / 2, w, h};
}

ImageView::ImageView(QWidget* parent) : View(parent) {}

void ImageView::setImage(const Image& image) {
    // The same bitmap again (a frame handed on twice) keeps its copy.
    const bool same = !image.isNull() && !image_.isNull() && !image.hasDrawingHandler() && !image_.hasDrawingHandler() &&
                      image.bitmap().cacheKey() == image_.bitmap().cacheKey();
    image_ = image;
    if (!same) scaled_ = QImage();
    update();
}

void ImageView::setImageScaling(ImageScaling scaling) {
    scaling_ = scaling;
    update();
}

Rect ImageView::imageRect() const { return imageRectFor(image_.size(), boundsOf(this), scaling_); }

const QImage& ImageView::scaledFor(QSize pixels, double ratio) {
    if (scaled_.size() != pixels || scaled_.devicePixelRatio() != ratio) {
        const QImage& bitmap = image_.bitmap();
        // Opaque pictures stay opaque, so that painting the copy is a plain copy of pixels.
        const QImage::Format format =
            bitmap.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        scaled_ = bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(format);
        scaled_.setDevicePixelRatio(ratio);
    }
    return scaled_;
}

void ImageView::drawRect(Canvas& canvas, const Rect& bounds) {
    if (image_.isNull()) return;
    const Rect rect = imageRectFor(image_.size(), bounds, scaling_);
    if (image_.hasDrawingHandler() || rect.isEmpty()) {
        canvas.drawImage(image_, rect);
        return;
    }
    // The rectangle in device pixels: scale of each axis, whatever turns the view.
    QPainter& painter = canvas.painter();
    const QTransform t = painter.deviceTransform();
    const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
    const QSize pixels(std::max(1, int(std::lround(rect.width() * sx))), std::max(1, int(std::lround(rect.height() * sy))));
    const QSize full = image_.bitmap().size();
    if (pixels.width() >= full.width() && pixels.height() >= full.height()) {
        scaled_ = QImage();
        canvas.drawImage(image_, rect);
        return;
    }
    // Unturned and upright on the device (the canvas flips y): the copy goes onto the device pixel for pixel, at
    // the device's pixel ratio.
    const double ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const bool plain = t.type() <= QTransform::TxScale && t.m11() > 0 && t.m22() < 0;
    const QImage& copy = scaledFor(pixels, plain ? ratio : 1.0);
    if (!plain) {
        canvas.drawImage(copy, rect);
        return;
    }
    // Where the rectangle lies once the painter's own transform is reset: its combined transform, which leaves out
    // the offset of a view painted inside its window (a redirection that resetting keeps), rounded to device pixels.
    const QRectF logical = painter.combinedTransform().mapRect(QRectF(rect.x(), rect.y(), rect.width(), rect.height()));
    painter.save();
    painter.setOpacity(painter.opacity() * canvas.alpha());
    painter.resetTransform();
    painter.drawImage(QPointF(std::round(logical.x() * ratio) / ratio, std::round(logical.y() * ratio) / ratio), copy);
    painter.restore();
}

}  // namespace platform
