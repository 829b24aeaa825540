// Fitting an image into a view and mapping points between the view and the image.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <cmath>
#include <memory>

#include "platform/foundation/test_application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/utilities.h"

namespace {

using platform::Point;
using platform::Rect;
using platform::Size;

TEST(UtilitiesGeometryTest, FitsTheImageCentredInTheBounds) {
  struct Case {
    const char* name;
    Size image;
    Rect bounds;
    Rect expected;
  };
  const Case cases[] = {
      {"landscape into a square", {6000, 4000}, {0, 0, 600, 600}, {0, 100, 600, 400}},
      {"portrait into a square", {1000, 2000}, {0, 0, 600, 600}, {150, 0, 300, 600}},
      {"the bounds' origin is not added", {6000, 4000}, {50, 70, 600, 600}, {0, 100, 600, 400}},
      {"smaller image is scaled up", {30, 20}, {0, 0, 300, 100}, {75, 0, 150, 100}},
      {"image without width", {0, 4000}, {0, 0, 600, 600}, {}},
      {"bounds without width", {6000, 4000}, {0, 0, 0, 600}, {}},
      {"image without height", {600, 0}, {0, 0, 300, 300}, {0, 150, 300, 0}},
      {"bounds without height", {600, 400}, {0, 0, 300, 0}, {150, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect r = Utilities::rectThatFitsImageSize(c.image, c.bounds);
    EXPECT_EQ(r, c.expected) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
  }
}

class ImageViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    parentWidget_ = std::make_unique<QWidget>();  // made here: the application comes first
    parent_ = parentWidget_.get();
    parent_->resize(800, 800);
    label_ = new QLabel(parent_);
    label_->setPixmap(QPixmap(60, 40));
    platform::setFrame(label_, Rect(10, 20, 600, 600));  // y-up in the parent
    imageView_ = new platform::ImageView(parent_);
    imageView_->setImage(platform::Image::fromBitmap(QImage(60, 40, QImage::Format_ARGB32)));
    imageView_->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);  // as the live view draws
    platform::setFrame(imageView_, Rect(10, 20, 600, 600));
  }
  std::unique_ptr<QWidget> parentWidget_;
  QWidget* parent_ = nullptr;
  QLabel* label_ = nullptr;
  platform::ImageView* imageView_ = nullptr;
};

TEST_F(ImageViewTest, TheImageRectangleIsInTheSuperviewsCoordinates) {
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(label_), Rect(10, 120, 600, 400));
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(imageView_), Rect(10, 120, 600, 400));
  EXPECT_EQ(Utilities::rectThatFitsImageSize(Size{60, 40}, label_), Rect(10, 120, 600, 400));
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(static_cast<const QLabel*>(nullptr)), Rect());
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(static_cast<const platform::ImageView*>(nullptr)), Rect());
  EXPECT_EQ(Utilities::rectThatFitsImageSize(Size{60, 40}, static_cast<const QWidget*>(nullptr)), Rect());
  QLabel empty(parent_);
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(&empty), Rect()) << "no image";
  platform::ImageView emptyView(parent_);
  platform::setFrame(&emptyView, Rect(10, 20, 600, 600));
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(&emptyView), Rect()) << "no image";
}

TEST_F(ImageViewTest, PointsMapToFractionsOfTheImageOrToMinusOne) {
  // The image occupies (10, 120) to (610, 520) in both views.
  struct Case {
    const char* name;
    Point in;
    Point out;
  };
  const Case cases[] = {
      {"centre", {310, 320}, {0.5, 0.5}},
      {"lower-left corner is inside", {10, 120}, {0, 0}},
      {"a quarter across, three quarters up", {160, 420}, {0.25, 0.75}},
      {"upper edge is outside", {310, 520}, {-1, -1}},
      {"right edge is outside", {610, 320}, {-1, -1}},
      {"on the letterbox bar below", {310, 110}, {-1, -1}},
      {"on the letterbox bar above", {310, 560}, {-1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utilities::convertPoint(c.in, label_), c.out);
    EXPECT_EQ(Utilities::convertPoint(c.in, imageView_), c.out);
  }
  EXPECT_EQ(Utilities::convertPoint(Point{0, 0}, static_cast<const QLabel*>(nullptr)), (Point{-1, -1}));
  EXPECT_EQ(Utilities::convertPoint(Point{0, 0}, static_cast<const platform::ImageView*>(nullptr)), (Point{-1, -1}));
}

// The platform's image view maps by where it really draws: one that only shrinks leaves a small image at its own
// size in the middle (60 x 40 at (280, 300) in the parent), and a point beside it is off the picture.
TEST_F(ImageViewTest, TheImageViewsOwnScalingDecidesWhereThePictureIs) {
  imageView_->setImageScaling(platform::ImageScaling::ProportionallyDown);
  EXPECT_EQ(Utilities::calculateClientRectOfImageInImageView(imageView_), Rect(280, 300, 60, 40));
  EXPECT_EQ(Utilities::convertPoint(Point{310, 320}, imageView_), (Point{0.5, 0.5}));
  EXPECT_EQ(Utilities::convertPoint(Point{295, 330}, imageView_), (Point{0.25, 0.75}));
  EXPECT_EQ(Utilities::convertPoint(Point{100, 320}, imageView_), (Point{-1, -1}));
}

TEST(UtilitiesGeometryTest, PointsScaleBetweenRectanglesAndAZeroSourceGivesNoNaN) {
  EXPECT_EQ(Utilities::convertPoint(Point{10, 20}, Rect(0, 0, 100, 200), Rect(5, 5, 300, 100)), (Point{30, 10}));
  EXPECT_EQ(Utilities::convertPoint(Point{10, 20}, Rect(99, 99, 100, 200), Rect(0, 0, 100, 200)), (Point{10, 20}))
      << "origins play no part";
  const Point zero = Utilities::convertPoint(Point{10, 20}, Rect(0, 0, 0, 0), Rect(0, 0, 300, 100));
  EXPECT_EQ(zero, (Point{0, 0}));
  const Point half = Utilities::convertPoint(Point{10, 20}, Rect(0, 0, 100, 0), Rect(0, 0, 300, 100));
  EXPECT_EQ(half, (Point{30, 0}));
}

}  // namespace
