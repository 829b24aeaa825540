#include "controls/exposure_comp_image_view.h"

#include <cmath>

#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

using platform::Color;
using platform::Font;
using platform::Rect;
using platform::Size;

namespace {

constexpr float kSnapTolerance = 0.05f;
// More marks per stop than any camera has cannot be drawn in a scale's width; such a spacing draws nothing.
constexpr int32_t kMostMarksPerStop = 48;

float fractionOfMagnitude(float value) {
  const float magnitude = std::fabs(value);
  return magnitude - std::trunc(magnitude);
}

Font numberFont() { return Font::named(QStringLiteral("AvenirNext-Regular"), 15); }
Font strokeFont() { return Font::named(QStringLiteral("AvenirNext-Regular"), 20); }

}  // namespace

ExposureCompImageView::ExposureCompImageView(QWidget* parent) : View(parent) {}

void ExposureCompImageView::initialize() { layer().setBackgroundColor(Color::clear()); }

void ExposureCompImageView::setCenterExposure(float stops) {
  const float f = fractionOfMagnitude(stops);
  if (std::fabs(1.0f / 6 - f) < kSnapTolerance || std::fabs(5.0f / 6 - f) < kSnapTolerance)
    stops = std::round(stops);
  else if (std::fabs(0.5f - f) < kSnapTolerance)
    stops = stops - f + 0.6666f;
  mCenterExposure = stops;
  update();
}

void ExposureCompImageView::setSpacing(int32_t marksPerStop) {
  mSpacing = marksPerStop;
  update();
}

void ExposureCompImageView::setScaleEnabled(bool enabled) {
  mIsEnabled = enabled;
  update();
}

Color ExposureCompImageView::markColor(bool enabled) {
  return enabled ? Color::whiteColor() : Color::rgb(0.7, 0.7, 0.7, 1.0);
}

std::vector<ExposureCompImageView::Cell> ExposureCompImageView::cells(float center, int32_t spacing, double width,
                                                                      double* cellWidth) {
  std::vector<Cell> out;
  if (cellWidth) *cellWidth = 0;
  if (spacing <= 0 || spacing > kMostMarksPerStop || !std::isfinite(center)) return out;
  const float lo = center - 3, hi = center + 3;
  const float step = 1.0f / static_cast<float>(spacing);
  const double c = width * step / (6 + step);
  if (cellWidth) *cellWidth = c;
  float x = lo;
  // The positions are summed in single precision, as the scale always has been; the count cannot run away
  // (6 stops of `spacing` cells, and the one past the end that the tolerance admits).
  for (int i = 0; static_cast<double>(x) < static_cast<double>(hi) + 0.1 && i <= 6 * spacing + 1; ++i, x += step) {
    Cell cell;
    cell.index = i;
    cell.x = i * c;
    const float f = fractionOfMagnitude(x);
    if (std::fabs(f - f * f) < 0.15f) cell.number = static_cast<int>(std::round(x));
    out.push_back(cell);
  }
  return out;
}

void ExposureCompImageView::drawRect(platform::Canvas& canvas, const Rect& bounds) {
  if (mSpacing == 0) return;
  const double w = bounds.size.width, h = bounds.size.height;
  double c = 0;
  const std::vector<Cell> scale = cells(mCenterExposure, mSpacing, w, &c);
  if (scale.empty()) return;
  const Color color = markColor(mIsEnabled);
  canvas.setFillColor(color);
  for (const Cell& cell : scale) {
    if (!cell.number) {
      canvas.fillEllipse(Rect{c / 2 + cell.index * c - 1.5, 0.65 * h, 3, 3});
      continue;
    }
    const bool zero = *cell.number == 0;
    const QString text = zero ? QStringLiteral("l") : QString::number(*cell.number);
    const Font font = zero ? strokeFont() : numberFont();
    const Size size = font.sizeOfString(text);
    canvas.drawString(text, Rect{cell.x + (c - size.width) / 2, zero ? 7.0 : 11.0, size.width, size.height}, font,
                      color, platform::TextAlignment::Left, false);
  }
  // The signs of the two ends, in the band below the numbers: the low end's at the left, the high end's at the
  // right (a line box from 6 points below the view, so that the stroke itself falls inside it).
  const Font signFont = strokeFont();
  const float lo = mCenterExposure - 3, hi = mCenterExposure + 3;
  const QString low = lo < 0 ? QStringLiteral("-") : QStringLiteral("+");
  const QString high = hi < 0 ? QStringLiteral("-") : QStringLiteral("+");
  canvas.drawString(low, platform::Point{0, -6}, signFont, color);
  canvas.drawString(high, platform::Point{w - signFont.sizeOfString(high).width, -6}, signFont, color);
}
