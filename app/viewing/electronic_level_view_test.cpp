// The electronic level by its pixels: the roll line's colour, the tilt icon and triangles only with a pitch, and
// the triangles' offset per vendor (Nikon's pitch past 300 taken back to negative degrees).
#include <gtest/gtest.h>

#include <cmath>

#include "app/viewing/electronic_level_view.h"
#include "app/viewing/live_view_test_support.h"
#include "engine/ptp/vendor_state.h"

namespace {

using live_view_testing::isGreen;
using live_view_testing::isRed;
using platform::Point;
using platform::Rect;

// 400 x 300: the roll line crosses the centre; the triangles' tips lie 8 points inside x = 120 and x = 280.
class ElectronicLevelViewTest : public live_view_testing::ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    vendorStateReset();
    window()->resize(400, 300);
    level_ = new ElectronicLevelView(Rect(0, 0, 400, 300), window());
    showAndWait(window());
  }
  void TearDown() override {
    vendorStateReset();
    ViewFixture::TearDown();
  }
  QColor centre() { return at(grabWindow(), level_, Point{200, 150}); }
  // A point inside the left triangle, near its base, at height c + d.
  QColor leftTriangle(const QImage& img, double d) { return at(img, level_, Point{121.5, 150 + d}); }
  QColor rightTriangle(const QImage& img, double d) { return at(img, level_, Point{278.5, 150 + d}); }

  ElectronicLevelView* level_ = nullptr;
};

TEST_F(ElectronicLevelViewTest, RollLineIsGreenWithinADegreeOfLevel) {
  level_->setTilt(1000);
  struct Case {
    float angle;
    bool green;
  };
  for (const Case c : {Case{0.5f, true}, Case{360, true}, Case{-1, true}, Case{2, false}, Case{358, false},
                       Case{-30, false}}) {
    level_->setAngle(c.angle);
    const QColor pixel = centre();
    EXPECT_TRUE(c.green ? isGreen(pixel) : isRed(pixel)) << c.angle << ": " << pixel.name().toStdString();
  }
}

TEST_F(ElectronicLevelViewTest, NoPitchDrawsNoTiltIconAndNoTriangles) {
  camSetVendor(VENDOR_CANON);
  level_->setAngle(0);
  level_->setTilt(1000);
  const QImage without = grabWindow();
  level_->setTilt(20);
  const QImage with = grabWindow();
  const double d = 20 * 100.0 / 180;  // Canon: tilt x (0.25 W / 180)
  EXPECT_TRUE(isRed(leftTriangle(with, d)));
  EXPECT_TRUE(isRed(rightTriangle(with, d)));
  EXPECT_FALSE(isRed(leftTriangle(without, d)));
  // The tilt icon spans 0.3 W ... 0.7 W; without a pitch its left part (left of the level icon and the roll line) stays empty.
  int changed = 0;
  for (int x = 121; x < 145; ++x)
    for (int y = 115; y < 185; ++y) changed += without.pixelColor(x, y) != QColor(20, 20, 20);
  EXPECT_EQ(changed, 0);
}

TEST_F(ElectronicLevelViewTest, TriangleOffsetsPerVendor) {
  struct Case {
    uint16_t vendor;
    float tilt;
    float stored;
    double d;
    bool green;
  };
  const Case cases[] = {
      {VENDOR_CANON, 18, 18, 18 * 100.0 / 180, false},
      {VENDOR_CANON, -0.5f, -0.5f, -0.5 * 100.0 / 180, true},
      {VENDOR_NIKON, 350, -10, -10 * 100.0 / 120, false},  // stored back as -10
      {VENDOR_NIKON, 359.5f, -0.5f, -0.5 * 100.0 / 120, true},
      {VENDOR_NIKON, 12, 12, 12 * 100.0 / 120, false},
      {VENDOR_SONY, 40, 40, 0, false},  // other vendors: no offset
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "vendor " << c.vendor << ", tilt " << c.tilt);
    camSetVendor(c.vendor);
    level_->setTilt(c.tilt);
    const QImage img = grabWindow();
    EXPECT_FLOAT_EQ(level_->tilt(), c.stored);
    const QColor left = leftTriangle(img, c.d), right = rightTriangle(img, c.d);
    EXPECT_TRUE(c.green ? isGreen(left) : isRed(left)) << left.name().toStdString();
    EXPECT_TRUE(c.green ? isGreen(right) : isRed(right)) << right.name().toStdString();
  }
}

}  // namespace
