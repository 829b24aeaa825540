// Pixel checks of the conventions every property icon draws by: y-up fractions of the frame, snapping from the
// frame's origin, non-zero winding with holes, the per-shape shadow (visible and hidden), upright text of the
// right cap height, clips that intersect, and the caller's state kept.
#include <gtest/gtest.h>

#include "icons/properties/icon_art.h"
#include "icons/properties/icon_test_support.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::IconArt;
using icons::testing::alphaUp;
using icons::testing::inkBounds;
using icons::testing::maxDifference;
using icons::testing::pixelUp;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

class DrawingConventionsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

TEST_F(DrawingConventionsTest, FractionsAreYUpFromTheFrameOrigin) {
  // The lower-left quarter of a 40-point frame placed at (10, 20).
  const QImage img = renderCanvas(80, 80, [](Canvas&) {
    IconArt a(Rect(10, 20, 40, 40), 1, 0, 0);
    a.fill(a.rect(0, 0, 0.5, 0.5));
  });
  const auto b = inkBounds(img, 128);
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.right, 29);
  EXPECT_EQ(b.bottom, 20);
  EXPECT_EQ(b.top, 39);
  EXPECT_EQ(pixelUp(img, 15, 25), QColor(Qt::red));
}

TEST_F(DrawingConventionsTest, SnappedEdgesLieOnWholePointsFromTheOrigin) {
  // The movie AF "Auto" area on a 150-point frame fills exactly (21, 44) to (131, 104).
  const QImage img = renderCanvas(150, 150, [](Canvas&) { K::drawNikon_MovieAfArea_AutoWithFrame(Rect(0, 0, 150, 150), 1, 1, 1); });
  for (const auto& [x, y, inked] : {std::tuple{21, 70, true}, std::tuple{20, 70, false}, std::tuple{130, 70, true},
                                    std::tuple{131, 70, false}, std::tuple{70, 44, true}, std::tuple{70, 43, false},
                                    std::tuple{70, 103, true}, std::tuple{70, 104, false}})
    EXPECT_EQ(alphaUp(img, x, y), inked ? 255 : 0) << x << "," << y;
  // A frame of fractional width keeps the snapped edges whole, counted from its origin.
  const Rect odd(0, 0, 150.4, 150);
  const QImage oddImg = renderCanvas(160, 150, [&](Canvas&) {
    IconArt a(odd, 1, 1, 1);
    a.fillRect(0.14, 0.29333, 0.87333, 0.69333);
  });
  EXPECT_EQ(alphaUp(oddImg, 21, 70), 255);
  EXPECT_EQ(alphaUp(oddImg, 20, 70), 0);
  EXPECT_EQ(alphaUp(oddImg, 130, 70), 255);  // floor(0.87333 x 150.4 + 0.5) = 131
  EXPECT_EQ(alphaUp(oddImg, 131, 70), 0);
}

TEST_F(DrawingConventionsTest, HolesStayOpenUnderTheNonZeroRule) {
  // A ring of two rectangles in opposite directions, an oval cut out of an oval, and letters cut from a plate.
  const QImage img = renderCanvas(90, 30, [](Canvas&) {
    IconArt ring(Rect(0, 0, 30, 30), 1, 1, 1);
    ring.fill(ring.ring(0, 0, 1, 1, 0.2, 0.2, 0.8, 0.8));
    IconArt dial(Rect(30, 0, 30, 30), 1, 1, 1);
    dial.fill(IconArt::cutOut(dial.oval(0, 0, 1, 1), dial.oval(0.25, 0.25, 0.75, 0.75)));
  });
  EXPECT_EQ(alphaUp(img, 15, 15), 0) << "the ring's hole";
  EXPECT_EQ(alphaUp(img, 2, 15), 255);
  EXPECT_EQ(alphaUp(img, 45, 15), 0) << "the cut oval's hole";
  EXPECT_EQ(alphaUp(img, 33, 15), 255);
  // The O of a cut-out text: its counter is plate again, its stroke a hole.
  const QImage plate = renderCanvas(100, 100, [](Canvas&) {
    IconArt a(Rect(0, 0, 100, 100), 1, 1, 1);
    a.fill(IconArt::cutOut(a.rect(0, 0, 1, 1), a.glyphs(QStringLiteral("O"), 0.1, 0.1, 0.9, 0.9)));
  });
  EXPECT_EQ(alphaUp(plate, 50, 50), 255) << "the counter of the O is plate";
  EXPECT_EQ(alphaUp(plate, 50, 12), 0) << "the bottom of the O's stroke is cut";
  EXPECT_EQ(alphaUp(plate, 5, 5), 255);
}

TEST_F(DrawingConventionsTest, VisibleShadowLandsOnePixelRightAndDown) {
  const auto square = [](bool withShadowFlag, bool showShadow) {
    return renderCanvas(40, 40, [=](Canvas&) {
      if (withShadowFlag) {
        IconArt a(Rect(10, 10, 20, 20), 1, 1, showShadow, 1);
        a.fillRect(0, 0, 1, 1);
      } else {
        IconArt a(Rect(10, 10, 20, 20), 1, 1, 1);
        a.fillRect(0, 0, 1, 1);
      }
    });
  };
  const QImage shadowed = square(true, true);
  // The square covers x 10..29, y 10..29; its shadow the same moved (1, -1).
  EXPECT_EQ(pixelUp(shadowed, 20, 20), QColor(Qt::white));
  EXPECT_NEAR(alphaUp(shadowed, 30, 15), 191, 2) << "right of the square";
  EXPECT_EQ(pixelUp(shadowed, 30, 15).red(), 0) << "black";
  EXPECT_NEAR(alphaUp(shadowed, 15, 9), 191, 2) << "below the square";
  EXPECT_EQ(alphaUp(shadowed, 31, 15), 0) << "a hard edge: no blur";
  EXPECT_EQ(alphaUp(shadowed, 9, 15), 0) << "nothing on the left";
  EXPECT_EQ(alphaUp(shadowed, 15, 30), 0) << "nothing above";
  // The hidden shadow (alpha 0, offset (3, -3), blur 5) changes nothing.
  EXPECT_EQ(maxDifference(square(true, false), square(false, false)), 0);
}

TEST_F(DrawingConventionsTest, ShadowOffsetIsInDeviceSpaceNotScaledByTheTransform) {
  const QImage img = renderCanvas(80, 80, [](Canvas& c) {
    c.scale(3, 3);
    IconArt a(Rect(5, 10, 10, 10), 1, 1, true, 1);
    a.fillRect(0, 0, 1, 1);
  });
  // The square covers x 15..44 at scale 3; the shadow reaches one pixel beyond, not three.
  EXPECT_GT(alphaUp(img, 45, 40), 150);
  EXPECT_EQ(alphaUp(img, 46, 40), 0);
}

TEST_F(DrawingConventionsTest, TextIsUprightWithTheFontsCapHeight) {
  // "L" in Arial-BoldMT (Liberation Sans Bold, cap height 0.729 em) at 40 points.
  const QImage img = renderCanvas(100, 100, [](Canvas&) {
    IconArt a(Rect(0, 0, 100, 100), 1, 1, 1);
    a.topText(QStringLiteral("L"), Rect(0, 0, 100, 90), QStringLiteral("Arial-BoldMT"), 40, 0);
  });
  const auto ink = inkBounds(img, 128);
  ASSERT_FALSE(ink.empty());
  EXPECT_NEAR(ink.top - ink.bottom + 1, 0.729 * 40, 1.5);
  // Upright: the foot of the L is at the bottom, its stem alone at the top.
  int topWidth = 0, bottomWidth = 0;
  for (int x = 0; x < 100; ++x) {
    topWidth += alphaUp(img, x, ink.top - 2) > 128;
    bottomWidth += alphaUp(img, x, ink.bottom + 2) > 128;
  }
  EXPECT_GT(bottomWidth, 2 * topWidth);
  // Laid out from the top of its box: the line's top is the box's top.
  EXPECT_GT(ink.top, 70);
}

TEST_F(DrawingConventionsTest, TextClipsIntersectWithTheCallersClip) {
  // A text box clipped to itself, inside a caller's clip that covers only the box's left half.
  const QImage img = renderCanvas(100, 60, [](Canvas& c) {
    c.clipToRect(Rect(0, 0, 50, 60));
    IconArt a(Rect(0, 0, 100, 60), 1, 1, 1);
    a.centredClippedText(QStringLiteral("WWWWWWWWWW"), Rect(20, 20, 60, 20), QStringLiteral("Arial-BoldMT"), 40, 0);
  });
  const auto ink = inkBounds(img);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 49);
  EXPECT_GE(ink.bottom, 20);
  EXPECT_LE(ink.top, 39);
}

TEST_F(DrawingConventionsTest, NoTextForAnEmptyTextOrAFontSizeOfZeroOrLess) {
  for (double size : {0.0, -4.0}) {
    const QImage img = renderCanvas(60, 60, [=](Canvas&) {
      IconArt a(Rect(0, 0, 60, 60), 1, 1, 1);
      a.topText(QStringLiteral("W"), Rect(0, 0, 60, 60), QStringLiteral("Arial-BoldMT"), size, 0);
      a.centredClippedText(QStringLiteral("W"), Rect(0, 0, 60, 60), QStringLiteral("Arial-BoldMT"), size, 0);
    });
    EXPECT_TRUE(inkBounds(img).empty()) << size;
  }
  // An icon with an empty text draws its symbol alone.
  const auto bracket = [](const QString& bottom, const QString& top) {
    return renderCanvas(60, 40, [=](Canvas&) {
      K::drawDriveMode_SonyBracketWithFrame(Rect(0, 0, 60, 40), 1, 1, 1, 15, bottom, top);
    });
  };
  const QImage symbolOnly = bracket(QString(), QString());
  EXPECT_EQ(maxDifference(symbolOnly, bracket(QStringLiteral(""), QStringLiteral(""))), 0);
  EXPECT_GT(maxDifference(symbolOnly, bracket(QStringLiteral("WB"), QString())), 0);
}

TEST_F(DrawingConventionsTest, NonSquareFramesStretchTheIcon) {
  const QImage wide = renderCanvas(120, 40, [](Canvas&) { K::drawMeteringMode_CenterWeightedWithFrame(Rect(0, 0, 120, 40), 1, 1, false, 1); });
  const auto ink = inkBounds(wide, 128);
  EXPECT_NEAR(ink.right - ink.left + 1, 0.84 * 120, 2);
  EXPECT_NEAR(ink.top - ink.bottom + 1, 0.7 * 40, 2);
}

}  // namespace
