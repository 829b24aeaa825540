// The bundle images that windows load by name: each is found by its name at its natural size, is drawn (not a
// stored bitmap) so it stays sharp when scaled, and shows what its name says: the battery's cells grow with the
// level and turn red when low, the checked box has its check, the arrow is cut out of its disc.
#include "icons/interface/bundle_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "icons/properties/icon_test_support.h"
#include "platform/foundation/test_application.h"
#include "platform/graphics/named_images.h"

namespace {

using platform::Image;
using platform::Size;

class BundleImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }

  // The image of `name` as a lookup gives it, rendered at `scale` pixels per point.
  static QImage rendered(const std::string& name, double scale) {
    return platform::imageNamed(name).render(scale).convertToFormat(QImage::Format_ARGB32);
  }
  // The pixel at fractions of the image, y up.
  static QColor at(const QImage& img, double fx, double fy) {
    const int x = std::min(img.width() - 1, int(fx * img.width()));
    const int y = std::min(img.height() - 1, int((1 - fy) * img.height()));
    return img.pixelColor(x, y);
  }
  // Pixels of at least `alpha` inside fractions (x0, y0) to (x1, y1) of the image, y up; of one colour when given.
  static int inked(const QImage& img, double x0, double y0, double x1, double y1, int alpha = 200,
                   std::optional<QColor> colour = std::nullopt) {
    int n = 0;
    for (int y = int((1 - y1) * img.height()); y < int((1 - y0) * img.height()); ++y)
      for (int x = int(x0 * img.width()); x < int(x1 * img.width()); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.alpha() < alpha) continue;
        if (colour && (std::abs(c.red() - colour->red()) > 30 || std::abs(c.green() - colour->green()) > 30 ||
                       std::abs(c.blue() - colour->blue()) > 30))
          continue;
        ++n;
      }
    return n;
  }
};

const QColor kGrey(200, 200, 200), kRed(255, 0, 0), kMarkRed(255, 59, 48), kWhite(255, 255, 255);

TEST_F(BundleImagesTest, EveryNameIsFoundAtItsNaturalSizeAsADrawing) {
  const struct {
    const char* name;
    Size size;
  } expected[] = {{"AFIcon", {30, 30}},
                  {"MFIcon", {30, 30}},
                  {"ArrowUp", {24, 24}},
                  {"BatteryIndicator_0", {40, 20}},
                  {"BatteryIndicator_25", {40, 20}},
                  {"BatteryIndicator_50", {40, 20}},
                  {"BatteryIndicator_100", {40, 20}},
                  {"BatteryIndicator_NoConnection", {40, 20}},
                  {"CheckedBox", {24, 24}},
                  {"UncheckedBox", {24, 24}}};
  ASSERT_EQ(icons::bundleImages().size(), std::size(expected));
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    // Found without any call of the test's own: linking the kit registered them.
    const Image image = platform::imageNamed(e.name);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), e.size);
    EXPECT_TRUE(image.hasDrawingHandler()) << "drawn, not a stored bitmap";
    EXPECT_FALSE(icons::testing::inkBounds(image.render(2)).empty());
    EXPECT_EQ(icons::bundleImageWithSize(e.name, {50, 20}).size(), (Size{50, 20}));
  }
  EXPECT_TRUE(platform::imageNamed("BatteryIndicator_75").isNull()) << "only the levels the panel names";
  EXPECT_TRUE(icons::bundleImageWithSize("Nothing", {10, 10}).isNull());
  EXPECT_FALSE(icons::drawBundleImage("Nothing", {0, 0, 10, 10}));
  EXPECT_TRUE(icons::registerBundleImages()) << "calling it again changes nothing";
  EXPECT_EQ(platform::imageNamed("AFIcon").size(), (Size{30, 30}));
}

// Eight times its natural size, a drawn image has edges one pixel wide; the same image kept as a bitmap of its
// natural size and scaled up smears them over eight pixels.
TEST_F(BundleImagesTest, ScaledUpTheyStaySharp) {
  const auto partialShare = [](const QImage& img) {
    int ink = 0, partial = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const int a = img.pixelColor(x, y).alpha();
        ink += a > 0;
        partial += a > 0 && a < 255;
      }
    return ink > 0 ? double(partial) / ink : 1.0;
  };
  for (const icons::BundleImage& b : icons::bundleImages()) {
    SCOPED_TRACE(b.name);
    const QImage drawn = rendered(b.name, 8);
    const QImage natural = rendered(b.name, 1);
    const QImage bitmap = natural.scaled(natural.size() * 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(partialShare(drawn), 0.4 * partialShare(bitmap));
  }
}

TEST_F(BundleImagesTest, TheBatteryShowsItsLevel) {
  // The cells lie between 0.105 and 0.815 across and 0.28 and 0.72 up; each is about a fifth of that width.
  struct Level {
    const char* name;
    double cells;
    QColor tone;
  };
  const Level levels[] = {{"BatteryIndicator_0", 0, kRed},
                          {"BatteryIndicator_25", 1, kRed},
                          {"BatteryIndicator_50", 2, kGrey},
                          {"BatteryIndicator_100", 4, kGrey}};
  const int oneCell = inked(rendered("BatteryIndicator_25", 4), 0.1, 0.25, 0.82, 0.75);
  ASSERT_GT(oneCell, 100);
  for (const Level& l : levels) {
    SCOPED_TRACE(l.name);
    const QImage img = rendered(l.name, 4);
    EXPECT_NEAR(inked(img, 0.1, 0.25, 0.82, 0.75), l.cells * oneCell, 0.05 * l.cells * oneCell + 2);
    EXPECT_GT(inked(img, 0, 0.4, 0.07, 0.6, 200, l.tone), 10) << "the wall, in the level's colour";
    if (l.cells > 0) {
      EXPECT_GT(inked(img, 0.1, 0.25, 0.82, 0.75, 200, l.tone), 0.9 * l.cells * oneCell);
    }
  }
  const QImage none = rendered("BatteryIndicator_NoConnection", 4);
  EXPECT_GT(inked(none, 0, 0.4, 0.07, 0.6, 200, kGrey), 10) << "a grey wall";
  EXPECT_GT(inked(none, 0.3, 0.25, 0.62, 0.75, 200, kMarkRed), 100) << "a red cross in the body";
  EXPECT_EQ(inked(none, 0.1, 0.25, 0.82, 0.75, 200, kGrey), 0) << "no cells";
}

TEST_F(BundleImagesTest, TheBoxesTheArrowAndTheLetters) {
  const QImage checked = rendered("CheckedBox", 4), unchecked = rendered("UncheckedBox", 4);
  for (const QImage* box : {&checked, &unchecked}) {
    EXPECT_GT(inked(*box, 0.1, 0.4, 0.2, 0.6, 200, kWhite), 20) << "the white outline";
    EXPECT_EQ(inked(*box, 0, 0, 0.1, 1), 0) << "nothing outside it";
  }
  EXPECT_GT(inked(checked, 0.25, 0.25, 0.75, 0.75, 200, kWhite), 300) << "the check inside";
  EXPECT_EQ(inked(unchecked, 0.25, 0.25, 0.75, 0.75, 1), 0) << "an empty box";

  const QImage arrow = rendered("ArrowUp", 4);
  EXPECT_EQ(at(arrow, 0.5, 0.62).alpha(), 0) << "the chevron's point is cut out of the disc";
  EXPECT_EQ(at(arrow, 0.27, 0.38).alpha(), 0) << "and its ends";
  EXPECT_TRUE(at(arrow, 0.5, 0.2) == kGrey.rgb() || std::abs(at(arrow, 0.5, 0.2).red() - 200) < 3) << "grey below";
  EXPECT_EQ(at(arrow, 0.5, 0.4).alpha(), 255) << "grey inside the chevron's bend";
  EXPECT_EQ(at(arrow, 0.02, 0.02).alpha(), 0) << "round";

  const QImage af = rendered("AFIcon", 4), mf = rendered("MFIcon", 4);
  EXPECT_GT(icons::testing::maxDifference(af, mf), 200);
  for (const QImage* letters : {&af, &mf}) {
    const auto ink = icons::testing::inkBounds(*letters, 128);
    // The letters of the kit's focus toggle: between 0.17 and 0.85 across, 0.33 and 0.67 up (y-up pixels).
    EXPECT_GE(ink.left, int(0.16 * 120));
    EXPECT_LE(ink.right, int(0.86 * 120));
    EXPECT_GE(ink.bottom, int(0.32 * 120));
    EXPECT_LE(ink.top, int(0.68 * 120));
    EXPECT_GT(inked(*letters, 0, 0, 1, 1, 200, kWhite), 500);
  }
}

}  // namespace
