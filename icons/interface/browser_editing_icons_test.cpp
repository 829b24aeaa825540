// The geometry the browser, level, sign and editing icons fix, read from rendered pixels: holes that stay
// holes, state colours at known inside points, frames that stretch the art, sizes kept in whole points, and the
// kit's one blank image.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "icons/interface/interface_icon_catalogue.h"
#include "icons/properties/icon_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::testing::inkBounds;
using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentStyleKit;

class BrowserEditingIconsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

constexpr int kMargin = 20;

QImage render(double w, double h, const std::function<void(const Rect&)>& draw) {
  return renderCanvas(int(w) + 2 * kMargin, int(h) + 2 * kMargin, [&](Canvas&) { draw(Rect(kMargin, kMargin, w, h)); });
}
QColor at(const QImage& img, double w, double h, double fx, double fy) {
  return pixelUp(img, kMargin + int(fx * w), kMargin + int(fy * h));
}
// Within 4 levels of an expected colour.
bool near(const QColor& c, int r, int g, int b, int a) {
  return std::abs(c.red() - r) <= 4 && std::abs(c.green() - g) <= 4 && std::abs(c.blue() - b) <= 4 &&
         std::abs(c.alpha() - a) <= 4;
}
std::string describe(const QColor& c) { return c.name(QColor::HexArgb).toStdString(); }

struct Probe {
  double x, y;   // fractions of the frame
  int r, g, b, a;  // the colour expected there (alpha 0: nothing drawn)
};

TEST_F(BrowserEditingIconsTest, HolesStayHolesAndShapesKeepTheirColours) {
  struct Case {
    const char* name;
    std::function<void(const Rect&)> draw;
    std::vector<Probe> probes;
  };
  const std::vector<Case> cases = {
      // Grey disc of radius 0.45 with the sign cut out: the middle is open, (0.3, 0.3) is the disc.
      {"plus", K::drawPlusWithFrame,
       {{0.5, 0.5, 0, 0, 0, 0}, {0.5, 0.8, 0, 0, 0, 0}, {0.2, 0.5, 0, 0, 0, 0}, {0.3, 0.3, 200, 200, 200, 255}}},
      {"minus", K::drawMinusWithFrame,
       {{0.5, 0.5, 0, 0, 0, 0}, {0.2, 0.5, 0, 0, 0, 0}, {0.5, 0.8, 200, 200, 200, 255}, {0.3, 0.3, 200, 200, 200, 255}}},
      // The dial's middle is open (its ring's grey is read at a larger size below).
      {"level", K::drawElectronicLevelWithFrame, {{0.5, 0.5, 0, 0, 0, 0}, {0.3, 0.3, 0, 0, 0, 0}}},
      // Four open windows in a white square.
      {"compare", K::drawCompareWithFrame,
       {{0.3, 0.3, 0, 0, 0, 0}, {0.7, 0.3, 0, 0, 0, 0}, {0.3, 0.7, 0, 0, 0, 0}, {0.7, 0.7, 0, 0, 0, 0},
        {0.5, 0.5, 255, 255, 255, 255}, {0.11, 0.5, 255, 255, 255, 255}, {0.04, 0.5, 0, 0, 0, 0}}},
      // A ring on the left round an open half, a solid right half.
      {"contrast", [](const Rect& f) { K::drawContrastWithFrame(f, false); },
       {{0.3, 0.5, 0, 0, 0, 0}, {0.51, 0.5, 0, 0, 0, 0}, {0.05, 0.5, 255, 255, 255, 255}, {0.7, 0.5, 255, 255, 255, 255}}},
      // The share glyph in its two states: both shapes white when on, grey 0.392 when off.
      {"share on", [](const Rect& f) { K::drawShareWithFrame(f, true); },
       {{0.5, 0.5, 255, 255, 255, 255}, {0.12, 0.3, 255, 255, 255, 255}, {0.3, 0.3, 0, 0, 0, 0}}},
      {"share off", [](const Rect& f) { K::drawShareWithFrame(f, false); },
       {{0.5, 0.5, 100, 100, 100, 255}, {0.12, 0.3, 100, 100, 100, 255}, {0.3, 0.3, 0, 0, 0, 0}}},
      // The dots, white or blue at alpha 0.784, each over its own black shadow, which takes the dot's alpha:
      // alpha 0.784 + 0.784 x 0.216 = 0.953 (243), colour the dot's premultiplied one over that: white 0.784 /
      // 0.953 (210), blue (0, 0.353, 0.863) x 0.784 / 0.953 = (0, 75, 182).
      {"more", [](const Rect& f) { K::drawMoreWithFrame(f, false); },
       {{0.5, 0.5, 210, 210, 210, 243}, {0.83, 0.5, 210, 210, 210, 243}, {0.17, 0.5, 210, 210, 210, 243}}},
      {"more highlighted", [](const Rect& f) { K::drawMoreWithFrame(f, true); },
       {{0.5, 0.5, 0, 75, 182, 243}, {0.83, 0.5, 0, 75, 182, 243}, {0.17, 0.5, 0, 75, 182, 243}}},
      // Each star of the rating badge keeps its top tip, which rises to 0.965 of its sub-frame: read at 0.8 of
      // it, above the star's shoulders at 0.66559.
      {"five stars", K::drawFiveStarWithFrame,
       {{0.5167, 0.87, 255, 255, 255, 255}, {0.2083, 0.6367, 255, 255, 255, 255}, {0.825, 0.6367, 255, 255, 255, 255},
        {0.3333, 0.2867, 255, 255, 255, 255}, {0.6917, 0.2867, 255, 255, 255, 255}}},
      // The movie badge: blue, with the white body on the left and the lens on the right.
      {"movie", K::drawMovieIconWithFrame,
       {{0.05, 0.5, 0, 0, 255, 255}, {0.3, 0.5, 255, 255, 255, 255}, {0.88, 0.5, 255, 255, 255, 255},
        {0.6, 0.8, 0, 0, 255, 255}}},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{120.0, 120.0}, std::pair{180.0, 90.0}})
      for (const Probe& p : c.probes) {
        const QColor got = at(render(w, h, c.draw), w, h, p.x, p.y);
        if (p.a == 0) EXPECT_EQ(got.alpha(), 0) << c.name << " at (" << p.x << ", " << p.y << ") " << w << "x" << h;
        else EXPECT_TRUE(near(got, p.r, p.g, p.b, p.a))
            << c.name << " at (" << p.x << ", " << p.y << ") " << w << "x" << h << ": " << describe(got);
      }
  // The level's ring holds the half-transparent grey between radius 0.42333 and 0.46667, read at radius 0.445
  // off the ticks and far enough from the ring's outlines for their shadow not to reach.
  const QImage level = render(240, 240, K::drawElectronicLevelWithFrame);
  const QColor band = at(level, 240, 240, 0.5 + 0.445 * 0.92388, 0.5 + 0.445 * 0.38268);
  EXPECT_TRUE(near(band, 128, 128, 128, 128)) << describe(band);
}

TEST_F(BrowserEditingIconsTest, HighlightingGivesTheEditingIconsAWhiteGlow) {
  using Draw = void (*)(const Rect&, bool);
  for (Draw draw : {Draw(K::drawBrightnessWithFrame), Draw(K::drawContrastWithFrame)})
    for (bool highlighted : {false, true}) {
      const QImage img = render(60, 60, [&](const Rect& f) { draw(f, highlighted); });
      // Two points right of the frame's right edge, level with the middle: only the glow reaches there.
      const QColor beside = pixelUp(img, kMargin + 62, kMargin + 30);
      if (highlighted) EXPECT_TRUE(beside.alpha() > 20 && beside.red() > 200) << describe(beside);
      else EXPECT_EQ(beside.alpha(), 0);
      EXPECT_TRUE(near(at(img, 60, 60, 0.6, 0.5), 255, 255, 255, 255)) << highlighted;  // the solid right half
    }
}

TEST_F(BrowserEditingIconsTest, NonSquareFramesStretchTheArt) {
  // Solid ink only (alpha above 200), so that the nudge arrows' dark halo does not count.
  struct Case {
    const char* name;
    void (*draw)(const Rect&);
    double w, h;
    double x0, y0, x1, y1;  // the solid ink's extent, in fractions
  };
  const Case cases[] = {
      {"up", K::drawWhiteArrowUpWithFrame, 80, 40, 0.10163, 0.165, 0.89837, 0.84},
      {"down", K::drawWhiteArrowDownWithFrame, 80, 40, 0.11, 0.17, 0.89, 0.84},
      {"left", K::drawWhiteArrowLeftWithFrame, 40, 80, 0.16, 0.11, 0.84, 0.89},
      {"right", K::drawWhiteArrowRightWithFrame, 40, 80, 0.16, 0.11, 0.84, 0.89},
      {"compare", K::drawCompareWithFrame, 160, 40, 0.08333, 0.08333, 0.91667, 0.91667},
  };
  for (const Case& c : cases) {
    const QImage img = render(c.w, c.h, [&](const Rect& f) { c.draw(f); });
    const icons::testing::InkBounds ink = inkBounds(img, 200);
    EXPECT_NEAR(ink.left - kMargin, c.x0 * c.w, 1.5) << c.name;
    EXPECT_NEAR(ink.right + 1 - kMargin, c.x1 * c.w, 1.5) << c.name;
    EXPECT_NEAR(ink.bottom - kMargin, c.y0 * c.h, 1.5) << c.name;
    EXPECT_NEAR(ink.top + 1 - kMargin, c.y1 * c.h, 1.5) << c.name;
  }
  // The dots of More become ellipses of the same fractions: 0.24 of 120 wide, 0.24 of 40 high.
  const QImage more = render(120, 40, [](const Rect& f) { K::drawMoreWithFrame(f, false); });
  EXPECT_GT(at(more, 120, 40, 0.39, 0.5).alpha(), 150);
  EXPECT_GT(at(more, 120, 40, 0.61, 0.5).alpha(), 150);
  EXPECT_EQ(at(more, 120, 40, 0.5, 0.66).alpha(), 0);
  EXPECT_EQ(at(more, 120, 40, 0.5, 0.34).alpha(), 0);
}

TEST_F(BrowserEditingIconsTest, BadgeCornersStayInPointsAndSizesRoundToWholePoints) {
  // The movie badge's corners are 2 points and the memory-card button's 9, at every size: a point 3 points in
  // along the bottom edge is inside the first and outside the second's curve, which passes there only for 9.
  for (double side : {24.0, 100.0}) {
    const QImage movie = renderCanvas(120, 120, [&](Canvas&) { K::drawMovieIconWithFrame(Rect(0, 0, side, side)); });
    EXPECT_LT(pixelUp(movie, 0, 0).alpha(), 200) << side;
    EXPECT_EQ(pixelUp(movie, 3, 0).alpha(), 255) << side;
    EXPECT_EQ(pixelUp(movie, 0, 3).alpha(), 255) << side;
    const QImage button = renderCanvas(220, 220, [&](Canvas&) { K::drawSdCardButtonWithFrame(Rect(0, 0, side, side)); });
    EXPECT_EQ(pixelUp(button, 1, 1).alpha(), 0) << side;
    EXPECT_LT(pixelUp(button, 3, 0).alpha(), 60) << side;
    EXPECT_EQ(pixelUp(button, 10, 1).alpha(), 255) << side;
    EXPECT_EQ(pixelUp(button, 1, 10).alpha(), 255) << side;
  }
  // A badge of 23.6 points draws 24 wide; one of 23.4 draws 23.
  const QImage wide = renderCanvas(40, 40, [](Canvas&) { K::drawMovieIconWithFrame(Rect(0, 0, 23.6, 23.6)); });
  EXPECT_EQ(pixelUp(wide, 23, 12).alpha(), 255);
  const QImage narrow = renderCanvas(40, 40, [](Canvas&) { K::drawMovieIconWithFrame(Rect(0, 0, 23.4, 23.4)); });
  EXPECT_EQ(pixelUp(narrow, 23, 12).alpha(), 0);
}

TEST_F(BrowserEditingIconsTest, UnknownThumbnailPlacesItsMarkInItsGroup) {
  // At 160 x 120 the group runs from x 44, 72.53 wide, and from y 13.87, 92.13 high: the dot's middle lies at
  // (0.486, 0.082) of it, the stem at (0.486, 0.35), and between them (0.486, 0.21) is the grey ground.
  const QImage img = renderCanvas(160, 120, [](Canvas&) { K::drawUnknownThumbnailWithFrame(Rect(0, 0, 160, 120)); });
  const auto yellow = [](const QColor& c) { return near(c, 255, 255, 0, 255); };
  const auto grey = [](const QColor& c) { return near(c, 100, 100, 100, 255); };
  EXPECT_TRUE(yellow(pixelUp(img, 79, 21)));
  EXPECT_TRUE(yellow(pixelUp(img, 79, 46)));
  EXPECT_TRUE(grey(pixelUp(img, 79, 33)));
  EXPECT_TRUE(grey(pixelUp(img, 2, 2)));
  EXPECT_TRUE(grey(pixelUp(img, 157, 117)));
}

TEST_F(BrowserEditingIconsTest, SmallFramesDrawNoPartOutsideThemselves) {
  // Sub-frames in fixed points or snapped fractions shrink to nothing in a tiny frame: they are skipped, never
  // turned inside out beyond the frame.
  using Draw = void (*)(const Rect&);
  for (Draw draw : {Draw(K::drawUnknownThumbnailWithFrame), Draw(K::drawSdCardButtonWithFrame),
                    Draw(K::drawSDCard_NoMarginWithFrame), Draw(K::drawFiveStarWithFrame), Draw(K::drawPauseWithFrame)})
    for (double side : {0.4, 1.0, 1.6, 2.0, 3.0, 5.0}) {
      const QImage img = render(side, side, draw);
      const icons::testing::InkBounds ink = inkBounds(img);
      if (ink.empty()) continue;
      EXPECT_GE(ink.left, kMargin - 1) << side;
      EXPECT_GE(ink.bottom, kMargin - 3) << side;  // the pause bars' hard shadow falls 2 points down
      EXPECT_LE(ink.right, kMargin + int(side) + 3) << side;
      EXPECT_LE(ink.top, kMargin + int(side) + 1) << side;
    }
}

TEST_F(BrowserEditingIconsTest, EveryIconOfTheseFamiliesInksItsFrame) {
  // Solid ink well inside the frame: an operation that silently draws nothing, or only its shadow, fails here.
  std::vector<icons::InterfaceIconCase> cases;
  icons::appendBrowserAndEditingCases(cases);
  for (const icons::InterfaceIconCase& c : cases) {
    const QImage img = render(60, 60, c.draw);
    const icons::testing::InkBounds ink = inkBounds(img, 200);
    ASSERT_FALSE(ink.empty()) << c.name;
    EXPECT_LT(ink.right - ink.left, 61) << c.name;
    EXPECT_GT(ink.right - ink.left, 20) << c.name;
    EXPECT_GT(ink.top - ink.bottom, 10) << c.name;
  }
}

TEST_F(BrowserEditingIconsTest, TheBlankImageIsOneImageThatDrawsNothing) {
  const platform::Image& first = K::imageOfBlank();
  EXPECT_EQ(&first, &K::imageOfBlank());
  EXPECT_EQ(first.size(), (platform::Size{5, 5}));
  EXPECT_TRUE(first.hasDrawingHandler());
  EXPECT_TRUE(inkBounds(first.render()).empty());
  const QImage img = renderCanvas(10, 10, [](Canvas& c) {
    c.setFillColor(platform::Color::rgb(0.2, 0.3, 0.4));
    K::drawBlank();
    EXPECT_EQ(c.fillColor(), platform::Color::rgb(0.2, 0.3, 0.4));
  });
  EXPECT_TRUE(inkBounds(img).empty());
  // Other accessors make a new image at every call.
  const platform::Image a = K::imageOfPlusWithSize({20, 20}), b = K::imageOfPlusWithSize({20, 20});
  EXPECT_EQ(icons::testing::maxDifference(a.render(), b.render()), 0);
}

}  // namespace
