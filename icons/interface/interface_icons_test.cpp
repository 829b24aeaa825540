// The geometry and state colours of the interface icons, read from rendered pixels at points the design fixes,
// and the mapping of a design rectangle into a target.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentStyleKit;

class InterfaceIconsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

constexpr int kMargin = 20;

// Renders a drawing into a frame of w x h placed kMargin in from the lower left.
QImage render(double w, double h, const std::function<void(const Rect&)>& draw) {
  return renderCanvas(int(w) + 2 * kMargin, int(h) + 2 * kMargin,
                      [&](Canvas&) { draw(Rect(kMargin, kMargin, w, h)); });
}
// The pixel at fractions of that frame.
QColor at(const QImage& img, double w, double h, double fx, double fy) {
  return pixelUp(img, kMargin + int(fx * w), kMargin + int(fy * h));
}
bool isRed(const QColor& c) { return c.alpha() > 200 && c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool isWhite(const QColor& c) { return c.alpha() > 200 && c.red() > 230 && c.green() > 230 && c.blue() > 230; }

TEST(ResizingTargetRect, MapsTheDesignRectangleByBehaviour) {
  const Rect design(0, 0, 200, 40), target(0, 0, 100, 100);
  struct Case {
    int behaviour;
    Rect expected;
  };
  const Case cases[] = {
      {0, Rect(0, 40, 100, 20)},     // aspect fit
      {1, Rect(-200, 0, 500, 100)},  // aspect fill
      {2, Rect(0, 0, 100, 100)},     // stretch
      {3, Rect(-50, 30, 200, 40)},   // centre
      {-1, Rect(0, 0, 100, 100)},    // anything else stretches
      {4, Rect(0, 0, 100, 100)},
      {99, Rect(0, 0, 100, 100)},
  };
  for (const Case& c : cases) EXPECT_EQ(icons::resizingTargetRect(design, target, c.behaviour), c.expected) << c.behaviour;
}

TEST(ResizingTargetRect, KeepsTheDesignForItselfOrTheZeroRectangleAndStandardisesNegativeSizes) {
  const Rect design(5, 6, 200, 40);
  for (int b : {0, 1, 2, 3, 7}) {
    EXPECT_EQ(icons::resizingTargetRect(design, design, b), design) << b;
    EXPECT_EQ(icons::resizingTargetRect(design, Rect(), b), design) << b;
  }
  // A design of -200 x 40 fits 100 x 100 as 100 x 20, scaled by absolute values.
  EXPECT_EQ(icons::resizingTargetRect(Rect(200, 0, -200, 40), Rect(0, 0, 100, 100), 0), Rect(0, 40, 100, 20));
  EXPECT_EQ(icons::resizingTargetRect(Rect(0, 40, 200, -40), Rect(10, 10, 100, 100), 2), Rect(10, 10, 100, 100));
}

TEST(StraightDarkGrayShadow, IsOneSharedDarkGreyGlow) {
  const platform::Shadow& s = icons::straightDarkGrayShadow();
  EXPECT_EQ(&s, &icons::straightDarkGrayShadow());
  EXPECT_EQ(s.color, platform::Color::white(1.0 / 3.0));
  EXPECT_EQ(s.offset.width, 0);
  EXPECT_EQ(s.offset.height, 0);
  EXPECT_EQ(s.blur, 5);
}

TEST_F(InterfaceIconsTest, StarsKeepTheirTopTipAndStretchWithTheFrame) {
  // The top tip reaches 0.965 of the frame; a star of five points and their mirror images loses it.
  for (auto [w, h] : {std::pair{100.0, 100.0}, std::pair{200.0, 100.0}, std::pair{80.0, 160.0}}) {
    const QImage yellow = render(w, h, [](const Rect& f) { K::drawYellowStarIconWithFrame(f, true); });
    const QColor tip = at(yellow, w, h, 0.5, 0.92);
    EXPECT_TRUE(tip.red() > 230 && tip.green() > 230 && tip.blue() < 40 && tip.alpha() > 230) << w << "x" << h;
    // Both lower tips and the notch between them: (0.5, 0.2) lies under the inner vertex at 0.29532.
    EXPECT_GT(at(yellow, w, h, 0.71, 0.2).alpha(), 200) << w << "x" << h;
    EXPECT_GT(at(yellow, w, h, 0.29, 0.2).alpha(), 200) << w << "x" << h;
    const QColor notch = at(yellow, w, h, 0.5, 0.2);
    EXPECT_FALSE(notch.alpha() > 200 && notch.blue() < 40) << w << "x" << h;  // glow only, no solid fill
    const QImage white = render(w, h, [](const Rect& f) { K::drawStarIconWithFrame(f, true); });
    EXPECT_TRUE(isWhite(at(white, w, h, 0.5, 0.92))) << w << "x" << h;
  }
  // Not highlighted: only the thin grey outline, the middle stays empty.
  const QImage off = render(100, 100, [](const Rect& f) { K::drawYellowStarIconWithFrame(f, false); });
  EXPECT_EQ(at(off, 100, 100, 0.5, 0.5).alpha(), 0);
  EXPECT_GT(icons::testing::inkBounds(off).top, kMargin + 90);
}

TEST_F(InterfaceIconsTest, JoystickDrawsOnlyTheSelectedArrowRed) {
  struct Arrow {
    int code;
    double x, y;  // a point inside the arrow, just in from its apex
  };
  const Arrow arrows[] = {{1, 0.505, 0.9}, {2, 0.495, 0.1}, {8, 0.9, 0.505}, {4, 0.1, 0.505},
                          {9, 0.78, 0.78}, {10, 0.78, 0.22}, {5, 0.22, 0.78}, {6, 0.22, 0.22}};
  for (int selected : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    const QImage img = render(120, 120, [=](const Rect& f) { K::drawTripodJoystickWithFrame(f, selected); });
    for (const Arrow& a : arrows) {
      const QColor c = at(img, 120, 120, a.x, a.y);
      if (a.code == selected) EXPECT_TRUE(isRed(c)) << "selected " << selected;
      else EXPECT_TRUE(isWhite(c)) << "arrow " << a.code << " with " << selected << " selected";
    }
  }
}

TEST_F(InterfaceIconsTest, ButtonsShowTheirStateColours) {
  struct Case {
    std::string name;
    std::function<void(const Rect&)> draw;
    std::function<bool(const QColor&)> centre;
  };
  const auto clear = [](const QColor& c) { return c.alpha() == 0; };
  const std::vector<Case> cases = {
      {"default", [](const Rect& f) { K::drawDefaultButtonWithFrame(f, false, true); }, clear},
      {"default highlighted", [](const Rect& f) { K::drawDefaultButtonWithFrame(f, true, true); }, isWhite},
      {"capture", [](const Rect& f) { K::drawCaptureButtonWithFrame(f, false, true); }, isRed},
      {"capture highlighted", [](const Rect& f) { K::drawCaptureButtonWithFrame(f, true, true); }, isWhite},
      {"capture disabled",
       [](const Rect& f) { K::drawCaptureButtonWithFrame(f, false, false); },
       [](const QColor& c) { return c.alpha() > 200 && c.red() > 150 && c.red() < 220 && c.green() > 60; }},
      {"close", [](const Rect& f) { K::drawXButtonWithFrame(f); }, isWhite},  // the X crosses at the centre
      {"check", [](const Rect& f) { K::drawCheckButtonWithFrame(f); },
       [](const QColor& c) { return c.alpha() > 200 && c.green() > 200 && c.red() < 60; }},
  };
  for (const Case& c : cases) {
    const QImage img = render(80, 80, c.draw);
    const QColor centre = c.name == "check" ? at(img, 80, 80, 0.5, 0.75) : at(img, 80, 80, 0.5, 0.5);
    EXPECT_TRUE(c.centre(centre)) << c.name << ": " << centre.name(QColor::HexArgb).toStdString();
  }
  // The capture button's outline swaps with its fill: red on white when highlighted.
  const QImage highlighted = render(80, 80, [](const Rect& f) { K::drawCaptureButtonWithFrame(f, true, true); });
  EXPECT_GT(pixelUp(highlighted, kMargin + 40, kMargin).red(), 200);
  EXPECT_LT(pixelUp(highlighted, kMargin + 40, kMargin).green(), 180);
}

TEST_F(InterfaceIconsTest, DisabledDefaultButtonVeilStaysAtItsFixedPlace) {
  for (Rect frame : {Rect(0, 0, 40, 40), Rect(200, 150, 60, 30)}) {
    const QImage img = renderCanvas(300, 200, [&](Canvas&) { K::drawDefaultButtonWithFrame(frame, false, false); });
    const QColor veil = pixelUp(img, 24 + 108, 54 + 61);
    EXPECT_NEAR(veil.alpha(), 150, 3);
    EXPECT_NEAR(veil.red(), 128, 3);
    const QImage enabled = renderCanvas(300, 200, [&](Canvas&) { K::drawDefaultButtonWithFrame(frame, false, true); });
    EXPECT_EQ(pixelUp(enabled, 24 + 108, 54 + 61).alpha(), 0);
  }
}

TEST_F(InterfaceIconsTest, ZoomBarMarkerMeetsTheBoxesAtTheEndsOfItsRange) {
  const auto blue = [](const QColor& c) { return c.blue() > 200 && c.red() < 40 && c.alpha() > 200; };
  struct Case {
    double percentage;
    int insideX, outsideX;  // design units of a 200-wide bar; the marker is 8 wide
  };
  const Case cases[] = {{0, 35, 33}, {100, 165, 167}, {50, 97, 95}};
  for (const Case& c : cases) {
    const QImage img = K::imageOfZoomBarWithZoomBarPercentage(c.percentage, 200).render();
    ASSERT_EQ(img.size(), QSize(200, 40));
    EXPECT_TRUE(blue(pixelUp(img, c.insideX, 20))) << c.percentage;
    EXPECT_FALSE(blue(pixelUp(img, c.outsideX, 20))) << c.percentage;
  }
  // Aspect fit into 100 x 100: the bar is 100 x 20 centred vertically, the marker at 50 % from x = 48.5.
  const QImage fitted = renderCanvas(100, 100, [](Canvas&) { K::drawZoomBarWithFrame(Rect(0, 0, 100, 100), 0, 50, 200); });
  EXPECT_TRUE(blue(pixelUp(fitted, 49, 50)));
  EXPECT_EQ(pixelUp(fitted, 49, 35).alpha(), 0);
}

TEST_F(InterfaceIconsTest, SecondZoomBarMarkerIsPlacedInTheCanvasNotTheFrame) {
  const auto blue = [](const QColor& c) { return c.blue() > 200 && c.red() < 40 && c.alpha() > 200; };
  for (Rect frame : {Rect(0, 0, 100, 20), Rect(40, 70, 60, 10)}) {
    const QImage img = renderCanvas(200, 100, [&](Canvas&) { K::drawZoomBar2WithFrame(frame, 150); });
    EXPECT_TRUE(blue(pixelUp(img, 154, 40)));
    EXPECT_FALSE(blue(pixelUp(img, 160, 40)));
    EXPECT_FALSE(blue(pixelUp(img, 154, 62)));
  }
}

TEST_F(InterfaceIconsTest, RoundTogglesDrawTheirRingLettersAndVeil) {
  const double s = 120;
  const auto ringInked = [&](const QImage& img) { return at(img, s, s, 0.5, 0.94).alpha() > 150; };
  for (bool enabled : {true, false})
    for (bool on : {true, false})
      for (bool af : {true, false}) {
        const QImage img = render(s, s, [=](const Rect& f) { K::drawAFTogglePushButtonWithFrame(f, enabled, on, af); });
        EXPECT_TRUE(ringInked(img)) << enabled << on << af;
        // The M's left stem stands where the A has not begun yet.
        EXPECT_EQ(at(img, s, s, 0.19, 0.4).alpha() > 200, !af) << enabled << on << af;
      }
  // Disabled, the grey veil lies over the letters: they come out darker than enabled.
  const QImage lit = render(s, s, [](const Rect& f) { K::drawAFTogglePushButtonWithFrame(f, true, true, true); });
  const QImage dim = render(s, s, [](const Rect& f) { K::drawAFTogglePushButtonWithFrame(f, false, true, true); });
  EXPECT_TRUE(isWhite(at(lit, s, s, 0.62, 0.5)));
  EXPECT_LT(at(dim, s, s, 0.62, 0.5).red(), 220);

  for (bool outline : {true, false}) {
    const QImage video = render(s, s, [=](const Rect& f) { K::drawVideoTogglePushButtonWithFrame(f, true, true, outline); });
    EXPECT_EQ(ringInked(video), outline);
    // Inside the ring's band is a hole down to the glyph: nothing between the body and the band at the top.
    EXPECT_LT(at(video, s, s, 0.5, 0.85).alpha(), 60);
  }
  // Off: light grey glyphs; on: white.
  const QImage off = render(s, s, [](const Rect& f) { K::drawVideoTogglePushButtonWithFrame(f, true, false, true); });
  EXPECT_NEAR(at(off, s, s, 0.38, 0.5).red(), 200, 3);
}

TEST_F(InterfaceIconsTest, GearIsAnOutlineWithAHole) {
  for (auto [w, h] : {std::pair{120.0, 120.0}, std::pair{240.0, 120.0}}) {
    const QImage img = render(w, h, [](const Rect& f) { K::drawGearWithFrame(f); });
    EXPECT_TRUE(isWhite(at(img, w, h, 0.9445, 0.5))) << w;  // the right tooth's tip
    EXPECT_TRUE(isWhite(at(img, w, h, 0.5, 0.9445))) << w;  // the top tooth's tip
    EXPECT_EQ(at(img, w, h, 0.5, 0.5).alpha(), 0) << w;     // the hole
    EXPECT_EQ(at(img, w, h, 0.5, 0.25).alpha(), 0) << w;    // never filled between hole and rim
    EXPECT_GT(at(img, w, h, 0.3334, 0.503).alpha(), 100) << w;  // the hole's outline
  }
}

TEST_F(InterfaceIconsTest, CloseButtonInTooSmallAFrameDrawsNoOval) {
  // 7 points or less leave the oval no size: it is skipped, not drawn inside out.
  for (double side : {5.0, 7.0}) {
    const QImage img = render(side, side, [](const Rect& f) { K::drawXButtonWithFrame(f); });
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) EXPECT_FALSE(isRed(pixelUp(img, x, y))) << side;
  }
}

}  // namespace

namespace {

TEST_F(InterfaceIconsTest, ThreeStateArrowsLetHighlightingWin) {
  struct Case {
    bool highlighted, enabled;
    int red, green, blue, alpha;
  };
  const Case cases[] = {{true, true, 0, 90, 220, 200}, {true, false, 0, 90, 220, 200}, {false, true, 200, 200, 200, 255},
                        {false, false, 100, 100, 100, 255}};
  using Draw = void (*)(const Rect&, bool, bool);
  for (const Case& c : cases)
    for (auto [draw, x] : {std::pair<Draw, double>{K::drawFocusArrowUpWithFrame, 0.5}, {K::drawArrowLeftWithFrame, 0.5},
                           {K::drawArrowsOutWithFrame, 0.44}, {K::drawArrowsOutWithFrame, 0.25},
                           {K::drawArrowsInWithFrame, 0.75}}) {  // on a bar, where a head meets its shaft
      const QImage img = render(60, 60, [&, draw = draw](const Rect& f) { draw(f, c.highlighted, c.enabled); });
      const QColor centre = at(img, 60, 60, x, 0.5);
      EXPECT_NEAR(centre.alpha(), c.alpha, 3);
      EXPECT_NEAR(centre.red(), c.red, 3);
      EXPECT_NEAR(centre.green(), c.green, 3);
      EXPECT_NEAR(centre.blue(), c.blue, 3);
    }
}

TEST_F(InterfaceIconsTest, HistogramShadowFallsOnTheAxesOnly) {
  const QImage img = render(100, 100, [](const Rect& f) { K::drawHistogramWithFrame(f, false); });
  // Right of the vertical axis and under the horizontal one: the shadow's black.
  const QColor besideAxis = pixelUp(img, kMargin + 10, kMargin + 50);
  EXPECT_GT(besideAxis.alpha(), 60);
  EXPECT_LT(besideAxis.red(), 60);
  // Right of where the curve falls to the base: nothing, the curve casts no shadow.
  EXPECT_EQ(pixelUp(img, kMargin + 94, kMargin + 40).alpha(), 0);
}

TEST_F(InterfaceIconsTest, BadgeLetterIsClippedToTheBadgeAndDatabaseNeedsItsMargin) {
  for (double font : {10.0, 80.0}) {
    const QImage img = render(30, 20, [=](const Rect& f) { K::drawRawWithFrame(f, font); });
    const icons::testing::InkBounds ink = icons::testing::inkBounds(img);
    EXPECT_EQ(ink.left, kMargin) << font;
    EXPECT_EQ(ink.right, kMargin + 29) << font;
    EXPECT_EQ(ink.bottom, kMargin) << font;
    EXPECT_EQ(ink.top, kMargin + 19) << font;
  }
  // The database's margins take 20.46 points across: a frame of 20 draws nothing, one of 60 draws the glyph.
  EXPECT_TRUE(icons::testing::inkBounds(render(20, 60, [](const Rect& f) { K::drawDatabaseWithFrame(f); })).empty());
  EXPECT_FALSE(icons::testing::inkBounds(render(60, 60, [](const Rect& f) { K::drawDatabaseWithFrame(f); })).empty());
}

}  // namespace

namespace {

TEST_F(InterfaceIconsTest, SignsAndPlayMarkAreHolesInTheirDiscs) {
  struct Case {
    const char* name;
    void (*draw)(const Rect&);
    double holeX, holeY, solidX, solidY;
  };
  const Case cases[] = {
      {"zoom farther", K::drawZoomFartherWithFrame, 0.25, 0.62, 0.4, 0.45},  // minus bar; below it the lens
      {"zoom closer", K::drawZoomCloserWithFrame, 0.4, 0.75, 0.25, 0.45},    // plus's upright; beside it the lens
      {"play", K::drawPlayCircleWithFrame, 0.5, 0.5, 0.2, 0.5},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{100.0, 100.0}, std::pair{160.0, 80.0}}) {
      const QImage img = render(w, h, c.draw);
      EXPECT_EQ(at(img, w, h, c.holeX, c.holeY).alpha(), 0) << c.name << " " << w;
      EXPECT_TRUE(isWhite(at(img, w, h, c.solidX, c.solidY))) << c.name << " " << w;
    }
  // Zooming out has no upright: where the plus has its hole, the minus's lens is solid.
  const QImage farther = render(100, 100, K::drawZoomFartherWithFrame);
  EXPECT_TRUE(isWhite(at(farther, 100, 100, 0.4, 0.75)));
}

}  // namespace
