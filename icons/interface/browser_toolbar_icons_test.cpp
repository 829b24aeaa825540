// The image browser's toolbar icons read from rendered pixels: the select-all outline and the save disk's inset
// on the points their rules give, the check mark only when selected, cut-out windows and slots, and the
// captions' place under the pictograms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

class BrowserToolbarIconsTest : public icons::testing::FramedIconTest {};

TEST_F(BrowserToolbarIconsTest, SelectAllOutlineLiesWhereItsRuleSays) {
  struct Case {
    Rect frame;
    double left, bottom, right, top;  // the outline's edges, in canvas points
  };
  // 78 points: (14, 23) to (65.5, 71.5); 39 points: (7, 11) to (32.5, 35.5); moved by the frame's origin.
  const Case cases[] = {{Rect(0, 0, 78, 78), 14, 23, 65.5, 71.5},
                        {Rect(0, 0, 39, 39), 7, 11, 32.5, 35.5},
                        {Rect(10, 20, 78, 78), 24, 43, 75.5, 91.5},
                        // 156 x 0.83974 = 130.99944: its floor is 130, so the right edge lies at 130.5.
                        {Rect(0, 0, 156, 156), 28, 46, 130.5, 143.5}};
  for (bool selected : {false, true})
    for (const Case& c : cases) {
      const QImage img = renderCanvas(200, 200, [&](Canvas&) {
        if (selected) K::drawSelectAllSelectedWithTextWithFrame(c.frame);
        else K::drawSelectAllUnselectedWithTextWithFrame(c.frame);
      });
      const int midY = int((c.bottom + c.top) / 2), midX = int((c.left + c.right) / 2) + 3;
      // A far edge on a half point: the 1-point line fills one whole pixel with nothing beside it.
      const int right = int(c.right), top = int(c.top);
      EXPECT_TRUE(isWhite(pixelUp(img, right, midY))) << c.frame.width() << " selected " << selected;
      EXPECT_EQ(pixelUp(img, right + 1, midY).alpha(), 0) << c.frame.width();
      EXPECT_EQ(pixelUp(img, right - 1, midY).alpha(), 0) << c.frame.width();
      EXPECT_TRUE(isWhite(pixelUp(img, midX, top))) << c.frame.width();
      EXPECT_EQ(pixelUp(img, midX, top + 1).alpha(), 0) << c.frame.width();
      EXPECT_EQ(pixelUp(img, midX, top - 1).alpha(), 0) << c.frame.width();
      // A near edge on a whole point: the line covers half of each pixel beside it.
      const int left = int(c.left), bottom = int(c.bottom);
      EXPECT_NEAR(pixelUp(img, left - 1, midY).alpha(), 128, 12) << c.frame.width();
      EXPECT_NEAR(pixelUp(img, left, midY).alpha(), 128, 12) << c.frame.width();
      EXPECT_NEAR(pixelUp(img, midX, bottom - 1).alpha(), 128, 12) << c.frame.width();
      EXPECT_NEAR(pixelUp(img, midX, bottom).alpha(), 128, 12) << c.frame.width();
    }
}

TEST_F(BrowserToolbarIconsTest, OnlyTheSelectedFormCarriesTheCheckMark) {
  // (32.66, 36) of 78 lies inside the check mark's polygon, just above its bottom vertex.
  for (bool selected : {false, true}) {
    const QImage img = renderFramed(78, 78, [=](const Rect& f) {
      if (selected) K::drawSelectAllSelectedWithTextWithFrame(f);
      else K::drawSelectAllUnselectedWithTextWithFrame(f);
    });
    const QColor inside = atPoint(img, 32, 36);
    if (selected) EXPECT_TRUE(isWhite(inside));
    else EXPECT_EQ(inside.alpha(), 0);
  }
}

TEST_F(BrowserToolbarIconsTest, SaveDiskFillsAnInsetSquareOnWholePoints) {
  struct Case {
    double side;
    int from, to;  // the inset square's edges
  };
  for (const Case& c : {Case{24, 2, 22}, Case{78, 6, 72}}) {
    const QImage img = renderFramed(c.side, c.side, K::drawSaveDiskWithFrame);
    const auto grey = [](const QColor& px) { return isColour(px, 0.784, 0.784, 0.784); };
    // The body's three square corners fill their pixels; the cut corner at the top right leaves its pixel clear.
    EXPECT_TRUE(grey(atPoint(img, c.from, c.from))) << c.side;
    EXPECT_TRUE(grey(atPoint(img, c.to - 1, c.from))) << c.side;
    EXPECT_TRUE(grey(atPoint(img, c.from, c.to - 1))) << c.side;
    EXPECT_EQ(atPoint(img, c.to - 1, c.to - 1).alpha(), 0) << c.side;
    for (auto [x, y] : {std::pair{c.from - 1, c.from}, std::pair{c.from, c.from - 1}, std::pair{c.to, c.from},
                        std::pair{c.from, c.to}})
      EXPECT_EQ(atPoint(img, x, y).alpha(), 0) << c.side << " at " << x << "," << y;
    // The label is a hole with two lines written on it: at 0.3 of the square between them, at 0.36 on one.
    const double span = c.to - c.from;
    EXPECT_EQ(atPoint(img, int(c.from + 0.5 * span), int(c.from + 0.29 * span)).alpha(), 0) << c.side;
    if (c.side > 40) {
      EXPECT_TRUE(grey(atPoint(img, int(c.from + 0.5 * span), int(c.from + 0.357 * span)))) << c.side;
    }
  }
}

TEST_F(BrowserToolbarIconsTest, PictogramsKeepTheirHolesAndShapes) {
  struct Probe {
    double x, y;  // in 78ths
    bool inked;
  };
  struct Case {
    const char* name;
    void (*draw)(const Rect&);
    std::vector<Probe> probes;
  };
  const std::vector<Case> cases = {
      {"compare", K::drawCompareWithTextWithFrame,
       {{28.2, 37.2, false}, {50.8, 37.2, false}, {28.2, 59.8, false}, {50.8, 59.8, false}, {39.5, 48.5, true},
        {16.5, 50, true}, {39.5, 70.5, true}}},
      {"trash", K::drawWhiteTrashWithTextWithFrame,
       {{29.8, 45, false}, {38.9, 45, false}, {47.9, 45, false}, {34.3, 45, true}, {43.4, 45, true}, {39, 66, true},
        {39, 71.5, true}, {21, 45, false}}},
      {"JPG filter", K::drawFilterJpgWithTextWithFrame,
       {{40.5, 30, true}, {30, 30, false}, {20, 65, true}, {16.5, 65, false}, {62.5, 65, true}}},
      {"Video filter", K::drawFilterVideoWithTextWithFrame,
       {{39.5, 30, true}, {16.5, 65, true}, {63.5, 65, false}}},
      {"crop", K::drawCropWithFrame,
       {{67.8, 39, true}, {39, 67.8, true}, {10.2, 39, true}, {39, 10.2, true}, {39, 39, false}, {74, 74, false},
        {4, 4, false}, {67.8, 2, true}, {10.2, 76, true}}},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{78.0, 78.0}, std::pair{156.0, 78.0}}) {
      const QImage img = renderFramed(w, h, c.draw);
      for (const Probe& p : c.probes) {
        const QColor px = icons::testing::atFraction(img, w, h, p.x / 78, p.y / 78);
        if (p.inked) EXPECT_TRUE(isWhite(px)) << c.name << " (" << p.x << ", " << p.y << ") at " << w;
        else EXPECT_EQ(px.alpha(), 0) << c.name << " (" << p.x << ", " << p.y << ") at " << w;
      }
    }
}

TEST_F(BrowserToolbarIconsTest, CaptionsStandCentredOnTheirBaselineUnderThePictogram) {
  struct Case {
    const char* caption;
    void (*draw)(const Rect&);
    bool descender;
  };
  const Case cases[] = {{"Delete", K::drawWhiteTrashWithTextWithFrame, false},
                        {"Compare", K::drawCompareWithTextWithFrame, true},
                        {"Select All", K::drawSelectAllSelectedWithTextWithFrame, false},
                        {"Select All", K::drawSelectAllUnselectedWithTextWithFrame, false},
                        {"JPG", K::drawFilterJpgWithTextWithFrame, false},
                        {"RAW", K::drawFilterRawWithTextWithFrame, false},
                        {"Video", K::drawFilterVideoWithTextWithFrame, false},
                        {"All", K::drawFilterAllWithTextWithFrame, false}};
  for (const Case& c : cases) {
    // The caption alone: what lies below the pictograms (which start at about 23 of 78).
    const QImage img = renderFramed(156, 156, c.draw);
    int left = 1000, right = -1, bottom = 1000, top = -1;
    for (int y = 0; y < 2 * 21; ++y)
      for (int x = 0; x < 156; ++x)
        if (atPoint(img, x, y).alpha() > 100) {
          left = std::min(left, x), right = std::max(right, x), bottom = std::min(bottom, y), top = std::max(top, y);
        }
    ASSERT_GE(right, 0) << c.caption;
    EXPECT_NEAR((left + right + 1) / 2.0, 78, 2) << c.caption;  // centred on 39 of 78
    if (c.descender) EXPECT_LT(bottom, 2 * 3) << c.caption;
    else EXPECT_NEAR(bottom, 2 * 5, 1) << c.caption;  // the baseline at 5
    EXPECT_GE(top, 2 * (5 + 12) - 2) << c.caption;   // capitals about 12 high, ascenders a little more
    EXPECT_LE(top, 2 * (5 + 14)) << c.caption;
    EXPECT_LE(right - left, 2 * 76) << c.caption;     // and within the frame
  }
}

}  // namespace
