// The image-format buttons' layout and colours, the format and Fujifilm badges, the resizing function and the
// text canvases, checked by their pixels or results.
#include <gtest/gtest.h>

#include "icons/properties/icon_test_support.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"
#include "platform/graphics/font.h"

namespace {

using icons::testing::alphaUp;
using icons::testing::inkBounds;
using icons::testing::maxDifference;
using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentStyleKit;
using P = VorlaxentPropertiesStyleKit;

class ImageFormatButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
  // The colour of the most opaque pixel.
  static QColor solidColour(const QImage& img) {
    QColor best(0, 0, 0, 0);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, y).alpha() > best.alpha()) best = img.pixelColor(x, y);
    return best;
  }
  static double letterWidth(const QString& text, double height) {
    return platform::Font::named(QStringLiteral("ArialMT"), height / 2).sizeOfString(text).width;
  }
};

TEST_F(ImageFormatButtonsTest, HighlightWinsOverDisabled) {
  struct Case {
    bool highlighted, enabled;
    QColor colour;
  };
  for (const Case& c : {Case{false, true, QColor(255, 255, 255)}, Case{true, true, QColor(0, 128, 255)},
                        Case{false, false, QColor(179, 179, 179)}, Case{true, false, QColor(0, 128, 255)}}) {
    const QImage img = renderCanvas(60, 40, [&](Canvas&) {
      K::drawImageFormat_JpegWithFrame(Rect(0, 0, 60, 40), QStringLiteral("L"), 0, c.highlighted, c.enabled);
    });
    const QColor got = solidColour(img);
    EXPECT_NEAR(got.red(), c.colour.red(), 1);
    EXPECT_NEAR(got.green(), c.colour.green(), 1);
    EXPECT_NEAR(got.blue(), c.colour.blue(), 1);
  }
}

TEST_F(ImageFormatButtonsTest, JpegBadgePrecedesTheLettersOrLeavesItsSpace) {
  const double W = 90, H = 40, bw = H / 2 * 0.7017544;
  const double badgeX = (W - (letterWidth(QStringLiteral("L"), H) + bw + 2)) / 2;
  auto draw = [&](unsigned compression) {
    return renderCanvas(int(W), int(H), [&](Canvas&) {
      K::drawImageFormat_JpegWithFrame(Rect(0, 0, W, H), QStringLiteral("L"), compression, false, true);
    });
  };
  const QImage compressed = draw(0), smooth = draw(2), centred = draw(1), empty = draw(3);
  // The badge's left edge and its bottom at a quarter of the height.
  EXPECT_NEAR(inkBounds(compressed, 128).left, badgeX, 1);
  EXPECT_EQ(inkBounds(compressed, 128).bottom, int(H / 4));
  EXPECT_NEAR(inkBounds(smooth, 128).left, badgeX, 1.5);
  // Compression 3: no badge, the letters where the badge would have pushed them.
  EXPECT_GT(inkBounds(empty).left, badgeX + bw + 1);
  EXPECT_EQ(maxDifference(empty, [&] {
              QImage lettersOnly = compressed.copy();
              for (int y = 0; y < int(H); ++y)
                for (int x = 0; x <= int(badgeX + bw + 1); ++x) lettersOnly.setPixelColor(x, y, Qt::transparent);
              return lettersOnly;
            }()),
            0);
  // Compression 1: the letters alone, centred.
  const auto c = inkBounds(centred, 100);
  EXPECT_NEAR((c.left + c.right + 1) / 2.0, W / 2, 1.5);
}

TEST_F(ImageFormatButtonsTest, RawBadgeSizesAndPlaces) {
  // No letters: a square of 1.14 times the smaller side, centred.
  for (const auto& [width, height] : {std::pair{60, 40}, std::pair{20, 40}}) {
    const int w = width, h = height;
    const double s = std::min(1.14 * h, 1.14 * w);
    const QImage img = renderCanvas(w + 40, h + 40, [&](Canvas&) {
      K::drawImageFormat_RawWithFrame(Rect(20, 20, w, h), QString(), false, true);
    });
    const auto b = inkBounds(img, 128);
    EXPECT_NEAR(b.right - b.left + 1, s, 1.5) << w << "x" << h;
    EXPECT_NEAR(b.top - b.bottom + 1, s, 1.5) << w << "x" << h;
    EXPECT_NEAR((b.left + b.right + 1) / 2.0, 20 + w / 2.0, 1) << w << "x" << h;
  }
  // Letters too wide for badge and gap: the badge gives up their width and starts 2 points before their end.
  const double H = 40, W = 30, tw = letterWidth(QStringLiteral("M"), H), s = 1.14 * H;
  ASSERT_GT(tw + s + 2, W);
  const double textX = (W - s) / 2 + 2, badgeX = textX + tw - 2, side = s - tw;
  const QImage narrow = renderCanvas(100, 100, [&](Canvas&) {
    K::drawImageFormat_RawWithFrame(Rect(30, 30, W, H), QStringLiteral("M"), false, true);
  });
  const auto nb = inkBounds(narrow, 128);
  EXPECT_NEAR(nb.right + 1, 30 + badgeX + side, 1);
  EXPECT_NEAR(nb.top - nb.bottom + 1, side, 1.5);
  // So wide that nothing is left of the badge: the letters alone, clipped to their box, and no badge.
  const QImage onlyLetters = renderCanvas(200, 100, [&](Canvas&) {
    K::drawImageFormat_RawWithFrame(Rect(50, 30, W, H), QStringLiteral("WWWWWW"), false, true);
  });
  const double wideText = letterWidth(QStringLiteral("WWWWWW"), H);
  const auto ob = inkBounds(onlyLetters);
  ASSERT_FALSE(ob.empty());
  EXPECT_GE(ob.left, 50 + textX - 1);
  EXPECT_LE(ob.right, 50 + textX + wideText + 1);
  EXPECT_GE(ob.bottom, 30);
  EXPECT_LE(ob.top, 70);
}

TEST_F(ImageFormatButtonsTest, RawPlusJpegComposesBothHalvesAndThePlus) {
  const QImage both = renderCanvas(120, 40, [](Canvas&) {
    K::drawImageFormat_RawPlusJpegWithFrame(Rect(0, 0, 120, 40), QStringLiteral("L"), 1, QString(), false, true);
  });
  const QImage jpeg = renderCanvas(120, 40, [](Canvas&) {
    K::drawImageFormat_JpegWithFrame(Rect(0, 0, float(0.45) * 120, 40), QStringLiteral("L"), 1, false, true);
  });
  // The left 45 % is the JPEG button; the "+" lies in the band from 45 % to 55 %.
  QImage left = both.copy(0, 0, 54, 40), leftJpeg = jpeg.copy(0, 0, 54, 40);
  EXPECT_EQ(maxDifference(left, leftJpeg), 0);
  EXPECT_GT(alphaUp(both, 60, 20), 128) << "the plus's centre";
  EXPECT_GT(inkBounds(both.copy(66, 0, 54, 40)).right, 0) << "the RAW badge";
}

TEST_F(ImageFormatButtonsTest, FujiBadgeTextBoxScalesWithTheIcon) {
  // Black text on a white badge: the text stays in the box 7 points in and 35 below the top on the 120-point
  // design, scaled with the frame.
  for (double side : {120.0, 60.0, 36.0}) {
    const double k = side / 120;
    const QImage img = renderCanvas(int(side), int(side), [&](Canvas&) {
      P::drawImageFormate_FujiWithFrame(Rect(0, 0, side, side), 1, 1, 1, 24, QStringLiteral("JPG"));
    });
    icons::testing::InkBounds dark;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = pixelUp(img, x, y);
        if (c.alpha() < 250 || c.red() > 100) continue;
        if (dark.left < 0) dark = {x, y, x, y};
        dark = {std::min(dark.left, x), std::min(dark.bottom, y), std::max(dark.right, x), std::max(dark.top, y)};
      }
    ASSERT_FALSE(dark.empty()) << side;
    EXPECT_GE(dark.left, 7 * k - 1) << side;
    EXPECT_LE(dark.right, (7 + 107) * k + 1) << side;
    EXPECT_GE(dark.bottom, side - 86 * k - 1) << side;
    EXPECT_LE(dark.top, side - 35 * k + 1) << side;
    // Centred on the badge.
    EXPECT_NEAR((dark.left + dark.right + 1) / 2.0, side / 2, 2 * k + 1) << side;
  }
}

TEST_F(ImageFormatButtonsTest, ResizingTargetRect) {
  const Rect design(0, 0, 240, 120);
  struct Case {
    Rect target;
    int behaviour;
    Rect expected;
  };
  const Case cases[] = {
      {design, 1, design},                                  // equal to the design
      {Rect(), 2, design},                                  // the zero rectangle
      {Rect(10, 10, 480, 480), 0, Rect(10, 130, 480, 240)},  // fit: the smaller scale, centred
      {Rect(10, 10, 480, 480), 1, Rect(-230, 10, 960, 480)},  // fill: the larger scale
      {Rect(0, 0, 120, 240), 2, Rect(0, 0, 120, 240)},      // stretch
      {Rect(0, 0, 120, 240), 9, Rect(0, 0, 120, 240)},      // any other behaviour stretches
      {Rect(0, 0, 100, 100), 3, Rect(-70, -10, 240, 120)},  // centre: design size, centred
      {Rect(0, 0, -120, 60), 0, Rect(-120, 0, 120, 60)},    // a negative width scales by its magnitude
  };
  for (const Case& c : cases) {
    const Rect r = resizingTargetRect(design, c.target, c.behaviour);
    EXPECT_EQ(r, c.expected) << c.behaviour << " " << c.target.width() << "x" << c.target.height();
  }
  // A design of no size has nothing to scale: the target comes back.
  EXPECT_EQ(resizingTargetRect(Rect(5, 5, 0, 0), Rect(1, 2, 30, 40), 0), Rect(1, 2, 30, 40));
  EXPECT_EQ(resizingTargetRect(Rect(5, 5, 0, 10), Rect(1, 2, 30, 40), 1), Rect(1, 2, 30, 40));
}

TEST_F(ImageFormatButtonsTest, CustomStringIsClippedAndCentredOnTheFrame) {
  // A text much taller than its frame: cut to the frame, centred on its middle line.
  const QImage img = renderCanvas(100, 100, [](Canvas&) {
    P::drawCustomStringWithFrame(Rect(10, 40, 80, 20), 1, 1, 1, 60, QStringLiteral("HHH"));
  });
  const auto b = inkBounds(img);
  ASSERT_FALSE(b.empty());
  EXPECT_GE(b.left, 10);
  EXPECT_LE(b.right, 89);
  EXPECT_EQ(b.bottom, 40);
  EXPECT_EQ(b.top, 59);
  // A missing text draws nothing.
  EXPECT_TRUE(inkBounds(renderCanvas(100, 100, [](Canvas&) {
                P::drawCustomStringWithFrame(Rect(10, 40, 80, 20), 1, 1, 1, 12, QString());
              })).empty());
}

TEST_F(ImageFormatButtonsTest, ContinuousHighPlusBarsKeepWholePointEdges) {
  // On a 37.3-point frame the plus's vertical bar covers columns 33 and 34 exactly (rows 2 to 6).
  const QImage img = renderCanvas(40, 40, [](Canvas&) {
    P::drawDriveMode_ContinuousHighPlusWithFrame(Rect(0, 0, 37.3, 37.3), 1, 1, 1);
  });
  EXPECT_EQ(alphaUp(img, 33, 6), 255);
  EXPECT_EQ(alphaUp(img, 34, 6), 255);
  EXPECT_EQ(alphaUp(img, 32, 6), 0);
  EXPECT_EQ(alphaUp(img, 35, 6), 0);
}

TEST_F(ImageFormatButtonsTest, FlexibleSpotSizesDifferOnlyInTheirLetter) {
  auto draw = [](void (*op)(const Rect&, double, double, double)) {
    return renderCanvas(60, 60, [&](Canvas&) { op(Rect(0, 0, 60, 60), 1, 1, 1); });
  };
  QImage large = draw(&P::drawSony_FocusArea_FlexibleSpotLargeWithFrame);
  QImage small = draw(&P::drawSony_FocusArea_FlexibleSpotSmallWithFrame);
  EXPECT_GT(maxDifference(large, small), 0);
  // Blank out the letter's corner (x from 0.76667, y to 0.34667 of the frame) in both.
  for (QImage* img : {&large, &small})
    for (int y = 0; y <= int(0.34667 * 60) + 1; ++y)
      for (int x = int(0.76667 * 60) - 1; x < 60; ++x) img->setPixelColor(x, 59 - y, Qt::transparent);
  EXPECT_EQ(maxDifference(large, small), 0);
}

}  // namespace
