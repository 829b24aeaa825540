// Layer-backed plain views as panels and thumbnail cells use them: their look comes from the layer, alpha nests
// without offscreen passes, a turned layer is drawn whole by the superview, and changes animate on the clock.
#include "platform/ui/view.h"

#include <gtest/gtest.h>

#include <QGraphicsEffect>
#include <QImage>
#include <cmath>
#include <numbers>

#include "platform/foundation/test_application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/testing/manual_time_source.h"

namespace platform {
namespace {

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }

  // The widget rendered over an opaque black ground.
  static QImage shot(QWidget& w) {
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
  }
  // A pixel by y-up coordinates of the image.
  static QColor at(const QImage& img, int x, int yUp) { return img.pixelColor(x, img.height() - 1 - yUp); }

  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource scoped_{clock_};
};

TEST_F(ViewTest, LayerLookBackgroundBorderAndCornersInYUp) {
  View root;
  root.resize(100, 100);
  root.layer().setBackgroundColor(Color::rgb(0, 0, 1));
  auto* box = new View(&root);
  setFrame(box, {10, 20, 60, 40});  // y-up: 20 from the bottom
  box->layer().setBackgroundColor(Color::redColor());
  box->layer().setBorderColor(Color::rgb(1, 1, 0));
  box->layer().setBorderWidth(3);
  box->layer().setCornerRadius(10);
  const QImage img = shot(root);
  EXPECT_EQ(at(img, 40, 40), QColor(Qt::red));
  EXPECT_EQ(at(img, 40, 21), QColor(Qt::yellow)) << "border along the bottom edge";
  EXPECT_EQ(at(img, 40, 58), QColor(Qt::yellow)) << "border along the top edge";
  EXPECT_EQ(at(img, 10, 20), QColor(Qt::blue)) << "rounded corner shows the ground";
  EXPECT_EQ(at(img, 40, 70), QColor(Qt::blue)) << "above the box";
  EXPECT_EQ(at(img, 40, 10), QColor(Qt::blue)) << "below the box";
}

// A white child view over the middle (or the whole) of a parent view that fills a 40 x 40 root.
struct NestedViews {
  explicit NestedViews(QRect childGeometry) {
    root.resize(40, 40);
    parent = new View(&root);
    parent->setGeometry(0, 0, 40, 40);
    child = new View(parent);
    child->setGeometry(childGeometry);
    child->layer().setBackgroundColor(Color::whiteColor());
  }
  View root;
  View* parent;
  View* child;
};

TEST_F(ViewTest, AlphaNestsAndLayerOpacityMultipliesWithIt) {
  struct Case {
    const char* what;
    double parentAlpha, childAlpha, childLayerOpacity;
  };
  const Case cases[] = {
      {"both opaque", 1, 1, 1},
      {"half inside half", 0.5, 0.5, 1},
      {"parent only", 0.5, 1, 1},
      {"layer opacity under a faded parent", 0.5, 1, 0.65},
      {"invisible parent hides the child", 0, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NestedViews views({10, 10, 20, 20});
    View* parent = views.parent;
    View* child = views.child;
    child->layer().setOpacity(c.childLayerOpacity);
    setAlphaValue(parent, c.parentAlpha);
    setAlphaValue(child, c.childAlpha);
    EXPECT_EQ(parent->graphicsEffect(), nullptr) << "no offscreen pass per view";
    EXPECT_EQ(child->graphicsEffect(), nullptr);
    const QImage img = shot(views.root);
    const double expected = 255 * c.parentAlpha * c.childAlpha * c.childLayerOpacity;
    EXPECT_NEAR(at(img, 20, 20).red(), expected, 2);
    EXPECT_EQ(at(img, 5, 5).red(), 0) << "outside the child";
  }
}

TEST_F(ViewTest, AlphaAnimatesInAGroupAndChildrenFollowIt) {
  NestedViews views({0, 0, 40, 40});
  setAlphaValue(views.child, 0.5);
  AnimationContext::run(1.0, TimingFunction::Linear, [&] { setAlphaValue(views.parent, 0.0); });
  EXPECT_DOUBLE_EQ(alphaValue(views.parent), 0.0) << "the model value at once";
  clock_->advanceInSteps(0.5, 1.0 / 60);
  EXPECT_NEAR(at(shot(views.root), 20, 20).red(), 255 * 0.5 * 0.5, 4);
  clock_->advance(0.6);
  EXPECT_EQ(at(shot(views.root), 20, 20).red(), 0);
}

TEST_F(ViewTest, BackgroundColourAnimatesLikeALayer) {
  View root;
  root.resize(20, 20);
  root.layer().setBackgroundColor(Color::blackColor());
  AnimationContext::run(1.0, TimingFunction::Linear, [&] { root.layer().setBackgroundColor(Color::whiteColor()); });
  clock_->advance(0.25);
  EXPECT_NEAR(at(shot(root), 10, 10).red(), 64, 3);
  clock_->advance(1);
  EXPECT_EQ(at(shot(root), 10, 10), QColor(Qt::white));
}

// An image with its halves coloured: left red, right green (a landscape thumbnail).
Image halvesImage(int w, int h) {
  return Image::withSize({double(w), double(h)}, [](Canvas& c, const Rect& r) {
    c.setFillColor(Color::redColor());
    c.fillRect({0, 0, r.width() / 2, r.height()});
    c.setFillColor(Color::rgb(0, 1, 0));
    c.fillRect({r.width() / 2, 0, r.width() / 2, r.height()});
    return true;
  });
}

TEST_F(ViewTest, TurnedImageViewIsDrawnWholeAboutItsAnchorPoint) {
  // A landscape picture of 60 x 30 in the middle of a 100 x 100 cell, turned a quarter about its centre: it
  // stands 30 wide and 60 high, overhanging its own frame above and below.
  View cell;
  cell.resize(100, 100);
  auto* image = new ImageView(&cell);
  image->setImageScaling(ImageScaling::ProportionallyUpOrDown);
  image->setImage(halvesImage(60, 30));
  setFrame(image, {20, 35, 60, 30});
  Layer& layer = image->layer();
  layer.setAnchorPoint({0.5, 0.5});
  layer.setPosition({50, 50});
  EXPECT_EQ(layer.frame(), Rect(20, 35, 60, 30)) << "position at the frame's centre moves nothing";

  struct Case {
    double angle;
    Point redAt, greenAt;  // y-up, in the cell
  };
  const double pi = std::numbers::pi;
  const Case cases[] = {
      {0, {35, 50}, {65, 50}},
      {pi / 2, {50, 35}, {50, 65}},      // counter-clockwise: the left half goes down
      {pi, {65, 50}, {35, 50}},
      {3 * pi / 2, {50, 65}, {50, 35}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    layer.setTransform(Transform3D::rotation(c.angle, 0, 0, 1));
    const QImage img = shot(cell);
    EXPECT_EQ(at(img, int(c.redAt.x), int(c.redAt.y)), QColor(Qt::red));
    EXPECT_EQ(at(img, int(c.greenAt.x), int(c.greenAt.y)), QColor(Qt::green));
  }
  // Turned a quarter, the picture reaches 30 above and below the centre, past its own 30-point-high frame.
  layer.setTransform(Transform3D::rotation(pi / 2, 0, 0, 1));
  const QImage img = shot(cell);
  EXPECT_EQ(at(img, 50, 25), QColor(Qt::red));
  EXPECT_EQ(at(img, 50, 75), QColor(Qt::green));
  EXPECT_EQ(at(img, 30, 50), QColor(Qt::black)) << "no longer 60 wide";
}

TEST_F(ViewTest, AnchorPointKeepsThePositionAndTurnsAboutItself) {
  auto layer = Layer::make();
  layer->setFrame({10, 10, 40, 20});
  EXPECT_EQ(layer->position(), (Point{30, 20}));
  layer->setAnchorPoint({0, 0});
  EXPECT_EQ(layer->position(), (Point{30, 20}));
  EXPECT_EQ(layer->frame(), Rect(30, 20, 40, 20)) << "the frame moves so that the position stays";
  // Turned a half about its lower-left corner, it lies below and to the left of that corner.
  layer->setBackgroundColor(Color::whiteColor());
  layer->setTransform(Transform3D::rotation(std::numbers::pi, 0, 0, 1));
  QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::black);
  Canvas canvas(img);
  layer->render(canvas);
  EXPECT_EQ(at(img, 15, 10), QColor(Qt::white));
  EXPECT_EQ(at(img, 40, 30), QColor(Qt::black));
}

}  // namespace
}  // namespace platform
