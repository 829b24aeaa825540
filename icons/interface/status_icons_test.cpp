// The battery gauge, the carousel's bracket marks and the automation buttons' states, read from rendered pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "icons/properties/icon_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentStyleKit;

class StatusIconsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

enum class Ink { None, Red, Grey, Green, Blue };
Ink inkOf(const QColor& c) {
  if (c.alpha() < 60) return Ink::None;
  if (c.red() > 200 && c.green() < 60 && c.blue() < 60) return Ink::Red;
  if (c.green() > 200 && c.red() < 60 && c.blue() < 60) return Ink::Green;
  if (c.blue() > 150 && c.red() < 60) return Ink::Blue;
  if (std::abs(c.red() - 200) < 8 && std::abs(c.green() - 200) < 8 && std::abs(c.blue() - 200) < 8) return Ink::Grey;
  return Ink::None;
}

TEST_F(StatusIconsTest, BatteryLevelColourAndLength) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct Case {
    double percentage;
    bool charging;
    Ink rim, levelStart, pastLevel, centre;  // rim (0.06, 0.5); level at x 15; at x 60 of 120; the centre
  };
  const Case cases[] = {
      {25, false, Ink::Red, Ink::Red, Ink::None, Ink::None},
      {25.5, false, Ink::Grey, Ink::Grey, Ink::None, Ink::None},
      {0, false, Ink::Red, Ink::None, Ink::None, Ink::None},
      {-20, false, Ink::Red, Ink::None, Ink::None, Ink::None},
      {80, false, Ink::Grey, Ink::Grey, Ink::Grey, Ink::Grey},
      {80, true, Ink::Grey, Ink::Grey, Ink::Grey, Ink::Green},  // the bolt lies over the level
      {10, true, Ink::Red, Ink::Red, Ink::None, Ink::Green},
      {nan, false, Ink::Grey, Ink::None, Ink::None, Ink::None},  // unknown: grey, and no bar
      {inf, false, Ink::Grey, Ink::None, Ink::None, Ink::None},
      {-inf, true, Ink::Red, Ink::None, Ink::None, Ink::Green},
  };
  for (const Case& c : cases) {
    const QImage img = renderCanvas(120, 120, [&](Canvas&) { K::drawBatteryWithFrame(Rect(0, 0, 120, 120), c.percentage, c.charging); });
    EXPECT_EQ(inkOf(pixelUp(img, 7, 60)), c.rim) << c.percentage;
    EXPECT_EQ(inkOf(pixelUp(img, 15, 40)), c.levelStart) << c.percentage;
    EXPECT_EQ(inkOf(pixelUp(img, 75, 40)), c.pastLevel) << c.percentage;
    EXPECT_EQ(inkOf(pixelUp(img, 60, 60)), c.centre) << c.percentage;
  }
}

TEST_F(StatusIconsTest, BatteryLevelFollowsTheFrame) {
  // At 60 x 60 from (10, 10), 50 % runs from x 10 + 3.5 to 10 + 28.5, from y 10 + 15.5 to 10 + 43.
  const QImage img = renderCanvas(90, 90, [](Canvas&) { K::drawBatteryWithFrame(Rect(10, 10, 60, 60), 50, false); });
  EXPECT_EQ(inkOf(pixelUp(img, 10 + 20, 10 + 30)), Ink::Grey);
  EXPECT_EQ(inkOf(pixelUp(img, 10 + 33, 10 + 30)), Ink::None);
  EXPECT_EQ(inkOf(pixelUp(img, 10 + 20, 10 + 46)), Ink::None);
  // A wide frame stretches it: at 240 x 120 the same level reaches x 2 x 57 = 114.
  const QImage wide = renderCanvas(240, 120, [](Canvas&) { K::drawBatteryWithFrame(Rect(0, 0, 240, 120), 50, false); });
  EXPECT_EQ(inkOf(pixelUp(wide, 110, 60)), Ink::Grey);
  EXPECT_EQ(inkOf(pixelUp(wide, 118, 60)), Ink::None);
}

TEST_F(StatusIconsTest, CarouselBracketMarksByCount) {
  // The -1 mark's bottom triangle sits at x 332 - 103.25 a when its count is above 0, else on the centre.
  struct Case {
    double step, negative, positive;
    bool minusOne, plusTwo;
  };
  const Case cases[] = {{1, 0, 0, false, false}, {1, 0.5, 0, true, false}, {1, 1, 2, true, true},
                        {0, 4, 4, false, false}, {1, 0, 1, false, false}};
  for (const Case& c : cases) {
    const QImage img = K::imageOfCarouselBackgroundWithExposureBracket(c.step, c.negative, c.positive).render();
    ASSERT_EQ(img.size(), QSize(666, 172));
    EXPECT_EQ(pixelUp(img, 332 - 103, 14).alpha() > 200, c.minusOne) << c.step << " " << c.negative;
    EXPECT_EQ(pixelUp(img, 332 + 212, 14).alpha() > 200, c.plusTwo) << c.step << " " << c.positive;
    EXPECT_GT(pixelUp(img, 332, 14).alpha(), 200);  // the centre mark is always there
    EXPECT_GT(pixelUp(img, 3, 90).alpha(), 200);    // and the frame's left bracket
  }
}

TEST_F(StatusIconsTest, AutomationButtonsHighlightTheirGlyphAndAddTheBar) {
  struct Case {
    const char* name;
    void (*draw)(const Rect&, bool);
    double gx, gy;  // a point of the glyph
  };
  const Case cases[] = {{"focus stack", K::drawFocusStackWithFrame, 0.7, 0.3},
                        {"timer", K::drawTimerWithFrame, 0.5, 0.3},
                        {"HDR", K::drawHDRWithFrame, 0.8, 0.2}};
  for (const Case& c : cases)
    for (bool highlighted : {false, true}) {
      const QImage img = renderCanvas(106, 106, [&](Canvas&) { c.draw(Rect(0, 0, 106, 106), highlighted); });
      const QColor glyph = pixelUp(img, int(c.gx * 106), int(c.gy * 106));
      EXPECT_EQ(inkOf(glyph), highlighted ? Ink::Blue : Ink::Grey) << c.name;
      if (highlighted) {
        EXPECT_NEAR(glyph.alpha(), 200, 3) << c.name;  // translucent, even where shapes overlap
      }
      EXPECT_EQ(inkOf(pixelUp(img, 53, 4)), highlighted ? Ink::Blue : Ink::None) << c.name;
    }
}

}  // namespace
