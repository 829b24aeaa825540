#pragma once
// An image of a size in points: a bitmap, or a drawing handler that draws it into a canvas whenever it is
// drawn or rendered (so it stays sharp at any scale).

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "platform/graphics/geometry.h"

namespace platform {

class Canvas;

class Image {
 public:
  // The handler draws the image into `rect` = (0, 0, size) of the canvas's y-up user space and answers
  // whether it drew.
  using DrawingHandler = std::function<bool(Canvas& canvas, const Rect& rect)>;

  Image() = default;
  static Image withSize(Size size, DrawingHandler handler);
  // A bitmap; `scale` pixels make one point.
  static Image fromBitmap(const QImage& bitmap, double scale = 1.0);
  // Loads a file or a Qt resource (":/images/...."); a null image when it cannot be read.
  static Image fromFile(const QString& path);

  bool isNull() const { return !d_; }
  Size size() const { return d_ ? d_->size : Size{}; }
  bool hasDrawingHandler() const { return d_ && static_cast<bool>(d_->handler); }
  // The bitmap of a bitmap image (null for a handler image).
  const QImage& bitmap() const;
  // The image at `scale` pixels per point, transparent where nothing was drawn.
  QImage render(double scale = 1.0) const;
  // Runs the drawing handler into the canvas at (0, 0, size); bitmaps are drawn there.
  void runDrawingHandler(Canvas& canvas) const;

 private:
  struct Data {
    Size size;
    QImage bitmap;
    DrawingHandler handler;
  };
  std::shared_ptr<const Data> d_;
};

}  // namespace platform
