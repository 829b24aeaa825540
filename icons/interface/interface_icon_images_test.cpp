// The interface kit's image accessors: a new image at every call, its parameters fixed at the call, the one
// kept blank image, and every icon stretching with a frame that is not square.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "icons/interface/framed_render_test_support.h"
#include "icons/properties/vorlaxent_style_kit.h"

namespace {

using icons::testing::inkBounds;
using icons::testing::pixelUp;
using icons::testing::renderFramed;
using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

class InterfaceIconImagesTest : public icons::testing::FramedIconTest {};

// Two images are the same image object when they share their contents (a handler image's empty bitmap included).
bool sameImage(const Image& a, const Image& b) { return &a.bitmap() == &b.bitmap(); }

TEST_F(InterfaceIconImagesTest, EveryCallMakesANewImageButTheBlankOneIsKept) {
  const Size size{30, 20};
  EXPECT_FALSE(sameImage(K::imageOfTripodWithSize(size, true), K::imageOfTripodWithSize(size, true)));
  EXPECT_FALSE(sameImage(K::imageOfVorlaxentDeviceWithSize(size), K::imageOfVorlaxentDeviceWithSize(size)));
  EXPECT_FALSE(sameImage(K::imageOfCropWithSize(size), K::imageOfCropWithSize(size)));
  const Image blank = K::imageOfBlank();
  EXPECT_TRUE(sameImage(blank, K::imageOfBlank()));
  EXPECT_EQ(blank.size(), (Size{5, 5}));
  ASSERT_TRUE(blank.hasDrawingHandler());
  EXPECT_TRUE(inkBounds(blank.render()).empty());
  EXPECT_TRUE(inkBounds(blank.render(3)).empty());
}

TEST_F(InterfaceIconImagesTest, AnImageKeepsTheStateItWasAskedFor) {
  // The highlight bar runs along the bottom of the highlighted tripod only, at every rendering of its image.
  const Image highlighted = K::imageOfTripodWithSize(Size{106, 106}, true);
  const Image plain = K::imageOfTripodWithSize(Size{106, 106}, false);
  for (int i = 0; i < 2; ++i) {
    EXPECT_GT(pixelUp(highlighted.render(), 53, 4).alpha(), 150);
    EXPECT_EQ(pixelUp(plain.render(), 53, 4).alpha(), 0);
  }
  // Rendered at twice the scale, the image draws the same icon into its own frame of points.
  const QImage twice = highlighted.render(2);
  EXPECT_EQ(twice.size(), QSize(212, 212));
  EXPECT_GT(pixelUp(twice, 106, 8).alpha(), 150);
}

TEST_F(InterfaceIconImagesTest, IconsStretchWithFramesThatAreNotSquare) {
  // Twice as wide, just as high: the ink reaches twice as far from the frame's left edge on either side, and
  // just as far up and down (within a point or two of line widths and rounding).
  const std::vector<std::pair<std::string, std::function<void(const Rect&)>>> icons = {
      {"Stairs", K::drawStairsWithFrame},
      {"Number", K::drawNumberWithFrame},
      {"HDRProperty", K::drawHDRPropertyWithFrame},
      {"StartMiddle", K::drawStartMiddleWithFrame},
      {"DismissDown", K::drawDismissDownWithFrame},
      {"Hourglass", K::drawHourglassWithFrame},
      {"Interval", K::drawIntervalWithFrame},
      {"HDRColor", K::drawHDRColorWithFrame},
      {"LightCamera", K::drawLightCameraWithFrame},
      {"Tripod", [](const Rect& f) { K::drawTripodWithFrame(f, true); }},
      {"DirectionSign", K::drawDirectionSignWithFrame},
      {"TotalDegrees", K::drawTotalDegreesWithFrame},
      {"WhiteTrashWithText", K::drawWhiteTrashWithTextWithFrame},
      {"CompareWithText", K::drawCompareWithTextWithFrame},
      {"SaveDisk", K::drawSaveDiskWithFrame},
      {"SelectAllSelected", K::drawSelectAllSelectedWithTextWithFrame},
      {"FilterVideo", K::drawFilterVideoWithTextWithFrame},
      {"Crop", K::drawCropWithFrame},
      {"VorlaxentDevice", K::drawVorlaxentDeviceWithFrame},
      {"ElectronicTilt", K::drawElectronicTiltWithFrame},
  };
  for (const auto& [name, draw] : icons) {
    const auto ink = inkBounds(renderFramed(80, 80, draw), 150);
    const auto wide = inkBounds(renderFramed(160, 80, draw), 150);
    ASSERT_FALSE(ink.empty()) << name;
    const int m = icons::testing::kFrameMargin;
    EXPECT_NEAR(wide.left - m, 2 * (ink.left - m), 2.5) << name;
    EXPECT_NEAR(wide.right + 1 - m, 2 * (ink.right + 1 - m), 2.5) << name;
    EXPECT_NEAR(wide.bottom, ink.bottom, 1) << name;
    EXPECT_NEAR(wide.top, ink.top, 1) << name;
  }
}

}  // namespace
