#pragma once
// A view that shows an image, centred, scaled by one of the usual rules. Used for live-view frames and still
// pictures as well as for icons. Layer-backed, so that a thumbnail can be turned by its layer's transform.
//
// A bitmap larger than where it is drawn (a 24-megapixel picture in a window) is scaled down once for that size,
// smoothly, and painted from that copy until the image or the size changes; a bitmap drawn at its size or larger,
// and images with a drawing handler (icons), are drawn straight, which costs no more than the copy would.

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

namespace platform {

enum class ImageScaling {
    ProportionallyDown,      // shrinks to fit, keeping the aspect ratio, never grows (the default)
    AxesIndependently,       // fills the bounds, each axis stretched on its own
    None,                    // the image's own size, centred (it may overhang the bounds)
    ProportionallyUpOrDown,  // the largest size that fits, keeping the aspect ratio
};

// The rectangle an image of `imageSize` takes in `bounds` under `scaling`, centred in the bounds; a zero
// rectangle for an empty image size.
Rect imageRectFor(Size imageSize, const Rect& bounds, ImageScaling scaling);

class ImageView : public View {
public:
    explicit ImageView(QWidget* parent = nullptr);

    const Image& image() const { return image_; }
    void setImage(const Image& image);
    ImageScaling imageScaling() const { return scaling_; }
    void setImageScaling(ImageScaling scaling);
    // Where the image is drawn, in the view's bounds (y-up); a zero rectangle without an image.
    Rect imageRect() const;
    // The scaled copy painted last (null when the image is drawn straight); for tests and measurements.
    const QImage& scaledCopy() const { return scaled_; }

protected:
    void drawRect(Canvas& canvas, const Rect& bounds) override;
    bool drawsContent() const override { return !image_.isNull(); }

private:
    // The copy for a size in device pixels at a device pixel ratio, made when either or the image changed.
    const QImage& scaledFor(QSize pixels, double ratio);

    Image image_;
    ImageScaling scaling_ = ImageScaling::ProportionallyDown;
    QImage scaled_;
};

}  // namespace platform
