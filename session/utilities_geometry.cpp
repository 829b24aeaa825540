// Fitting an image into a view and mapping points between the view and the image (y-up, points).
#include <QLabel>
#include <cmath>

#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/utilities.h"

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

Size imageSizeOf(const QLabel* imageView) {
  if (imageView == nullptr) return {};
  const QPixmap pixmap = imageView->pixmap();
  if (pixmap.isNull()) return {};
  const QSizeF size = pixmap.deviceIndependentSize();
  return {size.width(), size.height()};
}

}  // namespace

Rect Utilities::rectThatFitsImageSize(Size imageSize, const Rect& bounds) {
  const double w = imageSize.width, h = imageSize.height;
  const double W = bounds.width(), H = bounds.height();
  if (w == 0 || W == 0) return {};
  double s = W / w;
  // An image without height fits by its width alone.
  if (h != 0) {
    const double byHeight = H / h;
    if (std::isnan(s) || byHeight < s) s = byHeight;
  }
  return {(W - w * s) / 2, (H - h * s) / 2, w * s, h * s};
}

Rect Utilities::rectThatFitsImageSize(Size imageSize, const QWidget* view) {
  if (view == nullptr) return {};
  const Rect fitted = rectThatFitsImageSize(imageSize, platform::boundsOf(view));
  const Point origin = platform::frameOf(view).origin;
  return fitted.offsetBy(origin.x, origin.y);
}

Rect Utilities::calculateClientRectOfImage(Size imageSize, const Rect& viewFrame) {
  if (imageSize.width == 0) return {};  // no image occupies nothing, wherever the view is
  const Rect fitted = rectThatFitsImageSize(imageSize, Rect(Point{}, viewFrame.size));
  return fitted.offsetBy(viewFrame.x(), viewFrame.y());
}

Rect Utilities::calculateClientRectOfImageInImageView(const QLabel* imageView) {
  const Rect frame = imageView != nullptr ? platform::frameOf(imageView) : Rect();
  return calculateClientRectOfImage(imageSizeOf(imageView), frame);
}

Rect Utilities::calculateClientRectOfImageInImageView(const platform::ImageView* imageView) {
  if (imageView == nullptr) return {};
  const Rect shown = imageView->imageRect();  // in the view's bounds; zero without an image
  if (shown.isEmpty()) return {};
  const Point origin = platform::frameOf(imageView).origin;
  return shown.offsetBy(origin.x, origin.y);
}

Point Utilities::convertPointToImageCoordinates(Point point, const Rect& imageRect) {
  // Rect::contains takes the lower edges in and the upper ones out, and holds nothing for an empty rectangle.
  if (!imageRect.contains(point)) return {-1, -1};
  return {(point.x - imageRect.x()) / imageRect.width(), (point.y - imageRect.y()) / imageRect.height()};
}

Point Utilities::convertPoint(Point point, const QLabel* toImageCoordinatesInImageView) {
  return convertPointToImageCoordinates(point, calculateClientRectOfImageInImageView(toImageCoordinatesInImageView));
}

Point Utilities::convertPoint(Point point, const platform::ImageView* toImageCoordinatesInImageView) {
  return convertPointToImageCoordinates(point, calculateClientRectOfImageInImageView(toImageCoordinatesInImageView));
}

Point Utilities::convertPoint(Point point, const Rect& fromRect, const Rect& toRect) {
  const double x = fromRect.width() != 0 ? point.x * toRect.width() / fromRect.width() : 0;
  const double y = fromRect.height() != 0 ? point.y * toRect.height() / fromRect.height() : 0;
  return {x, y};
}
