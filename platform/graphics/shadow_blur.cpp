#include "platform/graphics/shadow_blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

// Box sizes whose three passes approximate a Gaussian of the given sigma.
void boxesForGauss(double sigma, int sizes[3]) {
  const int n = 3;
  const double wIdeal = std::sqrt((12 * sigma * sigma / n) + 1);
  int wl = int(std::floor(wIdeal));
  if (wl % 2 == 0) --wl;
  const int wu = wl + 2;
  const double mIdeal = (12 * sigma * sigma - n * wl * wl - 4 * n * wl - 3 * n) / (-4.0 * wl - 4);
  const long m = std::lround(mIdeal);
  for (int i = 0; i < n; ++i) sizes[i] = i < m ? wl : wu;
}

// One box pass of radius r along rows (stride 1) or columns; src and dst hold w*h values.
void boxPass(const std::vector<float>& src, std::vector<float>& dst, int w, int h, int r, bool horizontal) {
  const int lines = horizontal ? h : w;
  const int len = horizontal ? w : h;
  const int step = horizontal ? 1 : w;
  const float scale = 1.0f / float(2 * r + 1);
  for (int line = 0; line < lines; ++line) {
    const int base = horizontal ? line * w : line;
    auto at = [&](int i) -> float { return (i < 0 || i >= len) ? 0.0f : src[base + i * step]; };
    float acc = 0;
    for (int i = -r; i <= r; ++i) acc += at(i);
    for (int i = 0; i < len; ++i) {
      dst[base + i * step] = acc * scale;
      acc += at(i + r + 1) - at(i - r);
    }
  }
}

}  // namespace

QImage makeShadowImage(const QImage& source, double sigma, const Color& color) {
  const QImage src = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int w = src.width(), h = src.height();
  std::vector<float> a(size_t(w) * size_t(h)), tmp(a.size());
  for (int y = 0; y < h; ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    for (int x = 0; x < w; ++x) a[size_t(y) * w + x] = float(qAlpha(line[x])) / 255.0f;
  }
  if (sigma > 0.25) {
    int sizes[3];
    boxesForGauss(sigma, sizes);
    for (int s : sizes) {
      const int r = (s - 1) / 2;
      if (r <= 0) continue;
      boxPass(a, tmp, w, h, r, true);
      boxPass(tmp, a, w, h, r, false);
    }
  }
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  out.setDevicePixelRatio(source.devicePixelRatio());
  const double ca = std::clamp(color.alpha, 0.0, 1.0);
  for (int y = 0; y < h; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const double alpha = std::clamp(double(a[size_t(y) * w + x]), 0.0, 1.0) * ca;
      line[x] = qRgba(int(std::lround(color.red * alpha * 255)), int(std::lround(color.green * alpha * 255)),
                      int(std::lround(color.blue * alpha * 255)), int(std::lround(alpha * 255)));
    }
  }
  return out;
}

}  // namespace platform
