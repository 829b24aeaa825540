// The automation panels' and status icons read from rendered pixels: snapped bars on whole points, the state
// colours of the tripod button, holes that stay holes, and every icon of the family stretching with its frame.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "icons/interface/framed_render_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"

namespace {

using icons::testing::atFraction;
using icons::testing::atPoint;
using icons::testing::isColour;
using icons::testing::renderFramed;
using icons::testing::snapped;
using platform::Rect;
using K = VorlaxentStyleKit;

class AutomationPanelIconsTest : public icons::testing::FramedIconTest {};

struct Rgba {
  double r, g, b, a = 1;
};
constexpr Rgba kGreen{0.298, 0.851, 0.392}, kOrange{1, 0.584, 0}, kRed{1, 0.231, 0.188},
    kLightBlue{0.353, 0.784, 0.98}, kLightGrey{0.784, 0.784, 0.784}, kHighlightBlue{0, 0.353, 0.863, 0.784};
bool is(const QColor& c, Rgba k) { return isColour(c, k.r, k.g, k.b, k.a); }

TEST_F(AutomationPanelIconsTest, StairsAreSnappedBarsAndNothingElse) {
  // The staircase drawn independently: four treads and three risers, each edge at floor(f x extent + 0.5).
  struct Bar {
    double x0, y0, x1, y1;
  };
  const Bar bars[] = {{0.05625, 0.175, 0.325, 0.225}, {0.275, 0.375, 0.54375, 0.425}, {0.49375, 0.575, 0.74375, 0.625},
                      {0.69375, 0.775, 0.94375, 0.825}, {0.275, 0.175, 0.325, 0.425},   {0.49375, 0.375, 0.54375, 0.625},
                      {0.69375, 0.575, 0.74375, 0.825}};
  for (auto [w, h] : {std::pair{80, 80}, std::pair{61, 37}, std::pair{24, 24}, std::pair{13, 9}}) {
    const QImage img = renderFramed(w, h, K::drawStairsWithFrame);
    QImage expected(img.size(), img.format());
    expected.fill(Qt::transparent);
    for (const Bar& b : bars)
      for (int y = snapped(b.y0, h); y < snapped(b.y1, h); ++y)
        for (int x = snapped(b.x0, w); x < snapped(b.x1, w); ++x)
          expected.setPixelColor(icons::testing::kFrameMargin + x, img.height() - 1 - icons::testing::kFrameMargin - y,
                                 QColor::fromRgbF(0.298f, 0.851f, 0.392f));
    EXPECT_LE(icons::testing::maxDifference(img, expected), 1) << w << "x" << h;
  }
}

TEST_F(AutomationPanelIconsTest, SnappedBarsLieOnWholePoints) {
  struct Case {
    std::string name;
    std::function<void(const Rect&)> draw;
    double x0, y0, x1, y1;  // the bar
    bool horizontal;        // probed along a column at `probe` of the width, else along a row at `probe` of the height
    double probe;
    Rgba colour;
  };
  const std::vector<Case> cases = {
      {"number's upper bar", K::drawNumberWithFrame, 0.15625, 0.6125, 0.84375, 0.6625, true, 0.2, kOrange},
      {"tripod's highlight bar", [](const Rect& f) { K::drawTripodWithFrame(f, true); }, 0.0566, 0.0283, 0.95283,
       0.04717, true, 0.5, kHighlightBlue},
      {"tripod's column", [](const Rect& f) { K::drawTripodWithFrame(f, false); }, 0.481, 0.368, 0.528, 0.915, false,
       0.6, kLightGrey},
      {"start bar", K::drawStartMiddleWithFrame, 0.475, 0.10625, 0.525, 0.89375, false, 0.8, kLightBlue},
      {"HDR block", K::drawHDRColorWithFrame, 0.36, 0.095, 0.915, 0.5, true, 0.85, kGreen},
      {"device's left upright", K::drawVorlaxentDeviceWithFrame, 0.0625, 0.25, 0.09375, 0.8125, false, 0.7, kLightGrey},
      {"device's left link", K::drawVorlaxentDeviceWithFrame, 0.09375, 0.3125, 0.15625, 0.34375, true, 0.12,
       kLightGrey},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{61, 37}, std::pair{120, 120}, std::pair{24, 24}}) {
      const QImage img = renderFramed(w, h, c.draw);
      const std::string where = c.name + " at " + std::to_string(w) + "x" + std::to_string(h);
      // Along the probe: every pixel between the snapped edges in the bar's colour, the ones beyond them clear.
      const int lo = c.horizontal ? snapped(c.y0, h) : snapped(c.x0, w);
      const int hi = c.horizontal ? snapped(c.y1, h) : snapped(c.x1, w);
      const int across = c.horizontal ? int(c.probe * w) : int(c.probe * h);
      const auto pixel = [&](int along) { return c.horizontal ? atPoint(img, across, along) : atPoint(img, along, across); };
      for (int i = lo; i < hi; ++i) EXPECT_TRUE(is(pixel(i), c.colour)) << where << " at " << i;
      EXPECT_EQ(pixel(lo - 1).alpha(), 0) << where;
      EXPECT_EQ(pixel(hi).alpha(), 0) << where;
    }
}

TEST_F(AutomationPanelIconsTest, TripodTurnsBlueAndGainsItsBarWhenHighlighted) {
  const double s = 106;
  struct Probe {
    const char* part;
    double x, y;
  };
  const Probe parts[] = {{"head", 0.5, 0.88}, {"column", 0.505, 0.6}, {"left leg", 0.316, 0.55}, {"arrow", 0.5, 0.115}};
  for (bool highlighted : {false, true}) {
    const QImage img = renderFramed(s, s, [=](const Rect& f) { K::drawTripodWithFrame(f, highlighted); });
    for (const Probe& p : parts)
      EXPECT_TRUE(is(atFraction(img, s, s, p.x, p.y), highlighted ? kHighlightBlue : kLightGrey))
          << p.part << " highlighted " << highlighted;
    const QColor bar = atFraction(img, s, s, 0.5, 0.038);
    if (highlighted) EXPECT_TRUE(is(bar, kHighlightBlue));
    else EXPECT_EQ(bar.alpha(), 0);
  }
}

TEST_F(AutomationPanelIconsTest, HolesStayHolesAndShapesStaySolid) {
  struct Probe {
    double x, y;
    bool inked;
  };
  struct Case {
    const char* name;
    void (*draw)(const Rect&);
    Rgba colour;
    std::vector<Probe> probes;
  };
  const std::vector<Case> cases = {
      {"cog", K::drawHDRPropertyWithFrame, kRed,
       {{0.5, 0.5, false}, {0.5, 0.7, false}, {0.7, 0.5, false}}},  // the hole, and no fill inside the outline
      {"camera", K::drawLightCameraWithFrame, kLightGrey,
       {{0.5, 0.472, true}, {0.5, 0.607, false}, {0.365, 0.472, false}, {0.15, 0.4, true}, {0.5, 0.8, true},
        {0.15, 0.8, false}}},  // the disc, the opening around it, the body, the hump and beside it
      {"stacked pictures", K::drawHDRColorWithFrame, kGreen,
       {{0.6, 0.53, false}, {0.52, 0.51, true}, {0.25, 0.5, true}, {0.2, 0.7, false}, {0.12, 0.7, true}}},
      {"staircase", K::drawStairsWithFrame, kGreen, {{0.8, 0.3, false}, {0.15, 0.2, true}}},
      {"clock", K::drawIntervalWithFrame, kLightBlue,
       {{0.35, 0.35, false}, {0.578, 0.626, true}, {0.125, 0.5, true}, {0.42, 0.65, false}}},
      {"hourglass", K::drawHourglassWithFrame, kRed,
       {{0.5, 0.65, true}, {0.5, 0.8, false}, {0.5, 0.37, false}, {0.5, 0.2, true}}},
      {"chevron", K::drawDismissDownWithFrame, kLightGrey, {{0.5, 0.29, true}, {0.5, 0.5, false}, {0.5, 0.15, false}}},
      {"start arrows", K::drawStartMiddleWithFrame, kLightBlue,
       {{0.7, 0.5, true}, {0.3, 0.5, true}, {0.88, 0.5, true}, {0.58, 0.5, false}, {0.42, 0.5, false}}},
      {"number sign", K::drawNumberWithFrame, kOrange, {{0.5, 0.5, false}, {0.35, 0.5, true}, {0.645, 0.5, true}}},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{120.0, 120.0}, std::pair{200.0, 100.0}}) {
      const QImage img = renderFramed(w, h, c.draw);
      for (const Probe& p : c.probes) {
        const QColor px = atFraction(img, w, h, p.x, p.y);
        if (p.inked) EXPECT_TRUE(is(px, c.colour)) << c.name << " (" << p.x << ", " << p.y << ") at " << w;
        else EXPECT_EQ(px.alpha(), 0) << c.name << " (" << p.x << ", " << p.y << ") at " << w;
      }
    }
}

TEST_F(AutomationPanelIconsTest, LinesKeepTheirWidthInPoints) {
  // The clock's rim is 3 points wide at any size: across it, at the face's left edge and half height, the ink
  // adds up to three whole pixels, and the two pixels on the edge itself are fully covered.
  for (double s : {40.0, 160.0}) {
    const QImage img = renderFramed(s, s, K::drawIntervalWithFrame);
    const int edge = snapped(0.12857, s), row = int(s / 2);
    int coverage = 0;
    for (int x = edge - 5; x <= edge + 5; ++x) coverage += atPoint(img, x, row).alpha();
    EXPECT_NEAR(coverage, 3 * 255, 30) << s;
    EXPECT_EQ(atPoint(img, edge - 1, row).alpha(), 255) << s;
    EXPECT_EQ(atPoint(img, edge, row).alpha(), 255) << s;
  }
}

}  // namespace
