#pragma once
// Rendering helpers of the icon tests: a transparent image of a size in points, drawn into through a canvas, and
// pixels read by y-up coordinates.
#include <QColor>
#include <QImage>
#include <functional>

#include "platform/graphics/canvas.h"

namespace icons::testing {

inline QImage renderCanvas(int width, int height, const std::function<void(platform::Canvas&)>& draw) {
  QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    platform::Canvas canvas(img);
    draw(canvas);
  }
  return img;
}

// Pixel (x, y) counted from the lower-left corner.
inline QColor pixelUp(const QImage& img, int x, int y) { return img.pixelColor(x, img.height() - 1 - y); }
inline int alphaUp(const QImage& img, int x, int y) { return pixelUp(img, x, y).alpha(); }

// The inked (alpha > threshold) bounds in y-up pixels: left, bottom, right, top (inclusive); all -1 when blank.
struct InkBounds {
  int left = -1, bottom = -1, right = -1, top = -1;
  bool empty() const { return left < 0; }
};
inline InkBounds inkBounds(const QImage& img, int threshold = 0) {
  InkBounds b;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      if (alphaUp(img, x, y) <= threshold) continue;
      if (b.left < 0) b = {x, y, x, y};
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.bottom = std::min(b.bottom, y);
      b.top = std::max(b.top, y);
    }
  return b;
}

// The largest difference of any channel between two images of one size (-1 when the sizes differ).
inline int maxDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  return worst;
}

}  // namespace icons::testing
