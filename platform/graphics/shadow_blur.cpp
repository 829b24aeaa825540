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

// One box pass of radius r along each row, into dst; values beyond the edges count as 0.
void boxPassRows(const std::vector<float>& src, std::vector<float>& dst, int w, int h, int r) {
  const float scale = 1.0f / float(2 * r + 1);
  for (int y = 0; y < h; ++y) {
    const float* in = src.data() + size_t(y) * size_t(w);
    float* out = dst.data() + size_t(y) * size_t(w);
    float acc = 0;
    for (int i = 0; i <= r && i < w; ++i) acc += in[i];
    for (int i = 0; i < w; ++i) {
      out[i] = acc * scale;
      if (i + r + 1 < w) acc += in[i + r + 1];
      if (i - r >= 0) acc -= in[i - r];
    }
  }
}

// The same down each column, a whole row at a time: the running sums of every column advance together, so memory
// is read in order rather than a row's width apart.
void boxPassColumns(const std::vector<float>& src, std::vector<float>& dst, int w, int h, int r) {
  const float scale = 1.0f / float(2 * r + 1);
  std::vector<float> acc(size_t(w), 0.0f);
  auto row = [&](int y) { return src.data() + size_t(y) * size_t(w); };
  for (int y = 0; y <= r && y < h; ++y) {
    const float* in = row(y);
    for (int x = 0; x < w; ++x) acc[size_t(x)] += in[x];
  }
  for (int y = 0; y < h; ++y) {
    float* out = dst.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) out[x] = acc[size_t(x)] * scale;
    if (y + r + 1 < h) {
      const float* in = row(y + r + 1);
      for (int x = 0; x < w; ++x) acc[size_t(x)] += in[x];
    }
    if (y - r >= 0) {
      const float* in = row(y - r);
      for (int x = 0; x < w; ++x) acc[size_t(x)] -= in[x];
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
      boxPassRows(a, tmp, w, h, r);
      boxPassColumns(tmp, a, w, h, r);
    }
  }
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  out.setDevicePixelRatio(source.devicePixelRatio());
  const double ca = std::clamp(color.alpha, 0.0, 1.0);
  // Premultiplied channels, rounded to nearest: every factor is non-negative, so adding a half and truncating does.
  const float red = float(std::clamp(color.red, 0.0, 1.0) * 255), green = float(std::clamp(color.green, 0.0, 1.0) * 255),
              blue = float(std::clamp(color.blue, 0.0, 1.0) * 255);
  for (int y = 0; y < h; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    const float* in = a.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) {
      const float alpha = std::clamp(in[x], 0.0f, 1.0f) * float(ca);
      line[x] = qRgba(int(red * alpha + 0.5f), int(green * alpha + 0.5f), int(blue * alpha + 0.5f),
                      int(alpha * 255 + 0.5f));
    }
  }
  return out;
}

}  // namespace platform
