#include "platform/imaging/live_view_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {
namespace {

// Luminance in whole units: 2126 R + 7152 G + 722 B over the 8-bit values, so 0 ... 2,550,000 stands for 0 ... 1
// and every comparison with a threshold is exact.
constexpr int32_t kWeightRed = 2126, kWeightGreen = 7152, kWeightBlue = 722;
constexpr int32_t kFullScale = 255 * 10000;
constexpr int32_t kNever = kFullScale + 1;

inline int32_t luminanceOf(uint32_t pixel) {
  return kWeightRed * int32_t((pixel >> 16) & 0xFF) + kWeightGreen * int32_t((pixel >> 8) & 0xFF) +
         kWeightBlue * int32_t(pixel & 0xFF);
}

// The smallest luminance n with n / full scale >= t, as a double compares it (kNever when none).
int32_t firstAtOrAbove(double t) {
  if (std::isnan(t) || t > 1.0) return kNever;
  if (t <= 0) return 0;
  int64_t n = std::max<int64_t>(0, int64_t(std::floor(t * kFullScale)) - 2);
  while (double(n) / kFullScale < t) ++n;
  return int32_t(n);
}

// The largest luminance n with n / full scale <= t (-1 when none).
int32_t lastAtOrBelow(double t) {
  if (std::isnan(t) || t < 0) return -1;
  if (t >= 1.0) return kFullScale;
  int64_t n = std::min<int64_t>(kFullScale, int64_t(std::ceil(t * kFullScale)) + 2);
  while (double(n) / kFullScale > t) --n;
  return int32_t(n);
}

uint32_t opaquePixel(const Color& c) {
  auto byte = [](double v) { return uint32_t(std::clamp(std::lround(v * 255.0), 0L, 255L)); };
  return 0xFF000000u | byte(c.red) << 16 | byte(c.green) << 8 | byte(c.blue);
}

// What the colour marks do to one pixel, with the luminance it then has.
struct ColourMarks {
  int32_t highFrom = kNever;  // luminance at or above: the highlight colour
  uint32_t highPixel = 0;
  int32_t highLuminance = 0;
  int32_t shadowTo = -1;  // luminance at or below: the shadow colour
  uint32_t shadowPixel = 0;
  int32_t shadowLuminance = 0;
};

inline void markOne(uint32_t& pixel, int32_t& y, const ColourMarks& m) {
  if (y >= m.highFrom) pixel = m.highPixel, y = m.highLuminance;
  if (y <= m.shadowTo) pixel = m.shadowPixel, y = m.shadowLuminance;
}

// One row: the colour marks, and the luminance after them into `luminance` when given.
void markRow(uint32_t* row, int width, const ColourMarks& m, float* luminance) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF), oneByte = _mm_set1_epi32(0xFF);
  const __m128i blueRedWeights = _mm_set1_epi32(kWeightRed << 16 | kWeightBlue);
  const __m128i greenWeight = _mm_set1_epi32(kWeightGreen);
  const __m128i highBelow = _mm_set1_epi32(m.highFrom - 1), shadowAbove = _mm_set1_epi32(m.shadowTo + 1);
  const __m128i highPixel = _mm_set1_epi32(int32_t(m.highPixel)), highY = _mm_set1_epi32(m.highLuminance);
  const __m128i shadowPixel = _mm_set1_epi32(int32_t(m.shadowPixel)), shadowY = _mm_set1_epi32(m.shadowLuminance);
  auto select = [](__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  };
  for (; x + 4 <= width; x += 4) {
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    // Blue and red sit in the two 16-bit halves of each pixel, green alone after a shift: two multiply-adds.
    const __m128i blueRed = _mm_and_si128(p, lowBytes);
    const __m128i green = _mm_and_si128(_mm_srli_epi32(p, 8), oneByte);
    __m128i y = _mm_add_epi32(_mm_madd_epi16(blueRed, blueRedWeights), _mm_madd_epi16(green, greenWeight));
    const __m128i high = _mm_cmpgt_epi32(y, highBelow);
    p = select(high, highPixel, p);
    y = select(high, highY, y);
    const __m128i shadow = _mm_cmpgt_epi32(shadowAbove, y);
    p = select(shadow, shadowPixel, p);
    y = select(shadow, shadowY, y);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), p);
    if (luminance) _mm_storeu_ps(luminance + x, _mm_cvtepi32_ps(y));
  }
#endif
  for (; x < width; ++x) {
    uint32_t p = row[x];
    int32_t y = luminanceOf(p);
    markOne(p, y, m);
    row[x] = p;
    if (luminance) luminance[x] = float(y);
  }
}

// One row of the gradient: rows above, at and below (each with one extra value at both ends), marking the row's
// pixels whose squared magnitude is at least `limit`.
void peakRow(const float* above, const float* at, const float* below, uint32_t* row, int width, float limit,
             uint32_t colour) {
  int x = 0;
#if defined(__SSE2__)
  const __m128 two = _mm_set1_ps(2.0f), limits = _mm_set1_ps(limit);
  const __m128i paint = _mm_set1_epi32(int32_t(colour));
  for (; x + 4 <= width; x += 4) {
    const __m128 a0 = _mm_loadu_ps(above + x), a1 = _mm_loadu_ps(above + x + 1), a2 = _mm_loadu_ps(above + x + 2);
    const __m128 m0 = _mm_loadu_ps(at + x), m2 = _mm_loadu_ps(at + x + 2);
    const __m128 b0 = _mm_loadu_ps(below + x), b1 = _mm_loadu_ps(below + x + 1), b2 = _mm_loadu_ps(below + x + 2);
    const __m128 gx = _mm_add_ps(_mm_add_ps(_mm_sub_ps(a2, a0), _mm_mul_ps(two, _mm_sub_ps(m2, m0))), _mm_sub_ps(b2, b0));
    const __m128 gy = _mm_sub_ps(_mm_add_ps(_mm_add_ps(b0, _mm_mul_ps(two, b1)), b2),
                                 _mm_add_ps(_mm_add_ps(a0, _mm_mul_ps(two, a1)), a2));
    const __m128 magnitude = _mm_add_ps(_mm_mul_ps(gx, gx), _mm_mul_ps(gy, gy));
    const __m128i hit = _mm_castps_si128(_mm_cmpge_ps(magnitude, limits));
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    p = _mm_or_si128(_mm_and_si128(hit, paint), _mm_andnot_si128(hit, p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), p);
  }
#endif
  for (; x < width; ++x) {
    const float gx = (above[x + 2] - above[x]) + 2.0f * (at[x + 2] - at[x]) + (below[x + 2] - below[x]);
    const float gy = (below[x] + 2.0f * below[x + 1] + below[x + 2]) - (above[x] + 2.0f * above[x + 1] + above[x + 2]);
    if (gx * gx + gy * gy >= limit) row[x] = colour;
  }
}

}  // namespace

void applyLiveViewMarks(QImage& image, const LiveViewMarks& marks) {
  if (image.isNull() || !marks.any()) return;
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
  const int width = image.width(), height = image.height();

  ColourMarks m;
  if (marks.highlights) {
    m.highFrom = firstAtOrAbove(marks.highlights->threshold);
    m.highPixel = opaquePixel(marks.highlights->color);
    m.highLuminance = luminanceOf(m.highPixel);
  }
  if (marks.shadows) {
    m.shadowTo = lastAtOrBelow(marks.shadows->threshold);
    m.shadowPixel = opaquePixel(marks.shadows->color);
    m.shadowLuminance = luminanceOf(m.shadowPixel);
  }

  // The gradient needs the whole picture's luminance before it paints: one row more on each side of every row,
  // the edge values repeated there.
  const bool peaking = marks.focusPeaking.has_value();
  const size_t stride = size_t(width) + 2;
  thread_local std::vector<float> plane;
  if (peaking) plane.resize(stride * size_t(height));
  for (int y = 0; y < height; ++y) {
    float* luminance = peaking ? plane.data() + stride * size_t(y) : nullptr;
    markRow(reinterpret_cast<uint32_t*>(image.scanLine(y)), width, m, luminance ? luminance + 1 : nullptr);
    if (luminance) {
      luminance[0] = luminance[1];
      luminance[width + 1] = luminance[width];
    }
  }
  if (!peaking) return;

  const double threshold = marks.focusPeaking->threshold;
  if (std::isnan(threshold)) return;
  // Compared squared, in the luminance's whole units; a threshold of 0 or less marks every pixel.
  const double scaled = threshold * kFullScale;
  const float limit = threshold <= 0 ? -1.0f : float(scaled * scaled);
  const uint32_t colour = opaquePixel(marks.focusPeaking->color);
  for (int y = 0; y < height; ++y) {
    const float* above = plane.data() + stride * size_t(std::max(y - 1, 0));
    const float* at = plane.data() + stride * size_t(y);
    const float* below = plane.data() + stride * size_t(std::min(y + 1, height - 1));
    peakRow(above, at, below, reinterpret_cast<uint32_t*>(image.scanLine(y)), width, limit, colour);
  }
}

bool applyKernelNamed(std::string_view name, QImage& image, const MarkKernelInput& input) {
  LiveViewMarks marks;
  if (name == kHighlightKernelName)
    marks.highlights = input;
  else if (name == kShadowKernelName)
    marks.shadows = input;
  else if (name == kFocusPeakingKernelName)
    marks.focusPeaking = input;
  else
    return false;
  applyLiveViewMarks(image, marks);
  return true;
}

}  // namespace platform
