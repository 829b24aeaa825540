#include "platform/graphics/image.h"

#include <cmath>

#include "platform/graphics/canvas.h"

namespace platform {

Image Image::withSize(Size size, DrawingHandler handler) {
  Image img;
  img.d_ = std::make_shared<const Data>(Data{size, QImage(), std::move(handler)});
  return img;
}

Image Image::fromBitmap(const QImage& bitmap, double scale) {
  if (bitmap.isNull()) return {};
  if (scale <= 0) scale = 1;
  Image img;
  QImage b = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  b.setDevicePixelRatio(scale);
  img.d_ = std::make_shared<const Data>(Data{{bitmap.width() / scale, bitmap.height() / scale}, b, {}});
  return img;
}

Image Image::fromFile(const QString& path) {
  QImage b(path);
  if (b.isNull()) return {};
  return fromBitmap(b, 1.0);
}

const QImage& Image::bitmap() const {
  static const QImage kNull;
  return d_ ? d_->bitmap : kNull;
}

QImage Image::render(double scale) const {
  if (!d_) return {};
  if (scale <= 0) scale = 1;
  const int w = std::max(1, int(std::ceil(d_->size.width * scale - 1e-9)));
  const int h = std::max(1, int(std::ceil(d_->size.height * scale - 1e-9)));
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  out.fill(Qt::transparent);
  out.setDevicePixelRatio(scale);
  {
    Canvas canvas(out);
    runDrawingHandler(canvas);
  }
  return out;
}

void Image::runDrawingHandler(Canvas& canvas) const {
  if (!d_) return;
  const Rect r{0, 0, d_->size.width, d_->size.height};
  if (d_->handler) {
    canvas.saveGState();
    d_->handler(canvas, r);
    canvas.restoreGState();
  } else {
    canvas.drawImage(d_->bitmap, r);
  }
}

}  // namespace platform
