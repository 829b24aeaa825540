#pragma once
// A view that shows an image, centred, scaled by one of the usual rules. Used for live-view frames and still
// pictures as well as for icons, so it draws straight from the image with no copy per paint. Layer-backed, so
// that a thumbnail can be turned by its layer's transform.

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

protected:
    void drawRect(Canvas& canvas, const Rect& bounds) override;
    bool drawsContent() const override { return !image_.isNull(); }

private:
    Image image_;
    ImageScaling scaling_ = ImageScaling::ProportionallyDown;
};

}  // namespace platform
