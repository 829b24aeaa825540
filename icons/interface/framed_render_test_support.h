#pragma once
// Rendering helpers of the interface icon tests: a drawing into a frame placed a margin in from the lower left of
// a transparent image, pixels read at fractions of that frame, and the colours the icons use, recognised with a
// little room for anti-aliasing.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <functional>

#include "icons/properties/icon_test_support.h"
#include "platform/foundation/test_application.h"
#include "platform/graphics/geometry.h"

namespace icons::testing {

constexpr int kFrameMargin = 20;

inline QImage renderFramed(double w, double h, const std::function<void(const platform::Rect&)>& draw) {
  return renderCanvas(int(std::ceil(w)) + 2 * kFrameMargin, int(std::ceil(h)) + 2 * kFrameMargin,
                      [&](platform::Canvas&) { draw(platform::Rect(kFrameMargin, kFrameMargin, w, h)); });
}
// The pixel at fractions of the frame, or at whole points from its origin.
inline QColor atFraction(const QImage& img, double w, double h, double fx, double fy) {
  return pixelUp(img, kFrameMargin + int(fx * w), kFrameMargin + int(fy * h));
}
inline QColor atPoint(const QImage& img, int x, int y) { return pixelUp(img, kFrameMargin + x, kFrameMargin + y); }

// Where an edge at `fraction` of `extent` lies, snapped: floor(fraction x extent + 0.5).
inline int snapped(double fraction, double extent) { return int(std::floor(fraction * extent + 0.5)); }

// A colour given as 0-1 components, matched within `tolerance` of 255 on every channel, alpha included.
inline bool isColour(const QColor& c, double r, double g, double b, double a = 1, int tolerance = 4) {
  return std::abs(c.alpha() - a * 255) <= tolerance && std::abs(c.red() - r * 255) <= tolerance &&
         std::abs(c.green() - g * 255) <= tolerance && std::abs(c.blue() - b * 255) <= tolerance;
}

inline bool isWhite(const QColor& c) { return isColour(c, 1, 1, 1); }

// The fixture of the icon tests: drawing needs the application.
class FramedIconTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

}  // namespace icons::testing
