#include "platform/ui/image_view.h"

#include <QPainter>
#include <algorithm>

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
    image_ = image;
    update();
}

void ImageView::setImageScaling(ImageScaling scaling) {
    scaling_ = scaling;
    update();
}

Rect ImageView::imageRect() const { return imageRectFor(image_.size(), boundsOf(this), scaling_); }

void ImageView::drawRect(Canvas& canvas, const Rect& bounds) {
    if (image_.isNull()) return;
    canvas.drawImage(image_, imageRectFor(image_.size(), bounds, scaling_));
}

}  // namespace platform
