// The tilt scale and the device picture read from rendered pixels: ticks 1/16 of the height apart with the long
// one at half height, 2-point lines under a dark halo at any size, the caller's shadow untouched; and the flash
// toggle's states.
#include <gtest/gtest.h>

#include "icons/interface/framed_render_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"

namespace {

using icons::testing::atPoint;
using icons::testing::isColour;
using icons::testing::isWhite;
using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using icons::testing::renderFramed;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentStyleKit;

class DeviceLevelIconsTest : public icons::testing::FramedIconTest {};

TEST_F(DeviceLevelIconsTest, TiltTicksStandEverySixteenthWithTheLongOneAtHalfHeight) {
  for (auto [w, h] : {std::pair{120, 160}, std::pair{240, 320}}) {
    const QImage img = renderFramed(w, h, K::drawElectronicTiltWithFrame);
    const int step = h / 16;
    // Columns: a regular tick reaches 0.09583-0.1625 and 0.8375-0.90417, the middle one 0.0625 and 0.9375.
    const int leftRegular = int(0.13 * w), rightRegular = int(0.87 * w);
    const int leftLong = int(0.08 * w), rightLong = int(0.92 * w);
    for (int i = 1; i <= 15; ++i) {
      const int y = i * step;  // a 2-point line centred on a whole point: the pixels just below and above it
      for (int x : {leftRegular, rightRegular}) {
        EXPECT_TRUE(isWhite(atPoint(img, x, y))) << w << " tick " << i;
        EXPECT_TRUE(isWhite(atPoint(img, x, y - 1))) << w << " tick " << i;
        // The line stays 2 points wide: beyond it, only the dark halo.
        for (int off : {-2, 1}) {
          const QColor halo = atPoint(img, x, y + off);
          EXPECT_GT(halo.alpha(), 20) << w << " tick " << i;
          EXPECT_LT(halo.red(), 40) << w << " tick " << i;
        }
      }
      for (int x : {leftLong, rightLong}) EXPECT_EQ(isWhite(atPoint(img, x, y)), i == 8) << w << " tick " << i;
    }
    // Between the columns nothing is drawn.
    EXPECT_EQ(atPoint(img, w / 2, h / 2).alpha(), 0) << w;
  }
}

TEST_F(DeviceLevelIconsTest, TiltScaleLeavesTheCallersShadowAsItWas) {
  // With no shadow before the call, a square filled after it casts none; with one set before, it still does.
  for (bool shadowBefore : {false, true}) {
    const QImage img = renderCanvas(100, 100, [&](Canvas& c) {
      if (shadowBefore) c.setShadow({6, -6}, 0, platform::Color::blackColor());
      K::drawElectronicTiltWithFrame(Rect(0, 0, 100, 100));
      c.setFillColor(platform::Color::whiteColor());
      c.fillRect(Rect(40, 40, 20, 20));
    });
    EXPECT_TRUE(isWhite(pixelUp(img, 50, 50)));
    const QColor belowRight = pixelUp(img, 63, 37);
    if (shadowBefore) EXPECT_GT(belowRight.alpha(), 200);
    else EXPECT_EQ(belowRight.alpha(), 0);
  }
}

TEST_F(DeviceLevelIconsTest, FlashToggleShowsItsStates) {
  const double s = 100;
  const auto draw = [&](bool enabled, bool on, bool ready) {
    return renderFramed(s, s, [=](const Rect& f) { K::drawFlashTogglePushButtonWithFrame(f, enabled, on, ready); });
  };
  // The bolt's middle (0.5, 0.5) is filled when the flash is ready and empty when it is not; on is white, off
  // light grey; a disabled toggle lays a grey veil inside its ring.
  EXPECT_TRUE(isWhite(icons::testing::atFraction(draw(true, true, true), s, s, 0.5, 0.5)));
  EXPECT_TRUE(isColour(icons::testing::atFraction(draw(true, false, true), s, s, 0.5, 0.5), 0.784, 0.784, 0.784));
  EXPECT_LT(icons::testing::atFraction(draw(true, true, false), s, s, 0.5, 0.5).alpha(), 60);  // the glow only
  EXPECT_EQ(icons::testing::atFraction(draw(true, true, true), s, s, 0.25, 0.5).alpha(), 0);
  const QColor veil = icons::testing::atFraction(draw(false, true, true), s, s, 0.25, 0.5);
  EXPECT_NEAR(veil.alpha(), 128, 3);
  EXPECT_NEAR(veil.red(), 128, 3);
}

}  // namespace
