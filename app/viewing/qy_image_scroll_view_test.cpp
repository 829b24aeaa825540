// The zoomable view in a window, driven with real mouse events: the picture fitted and refitted, zoomed about a
// point within the document's edges, panned by a drag, gliding ten times the last movement after a flick and not
// after a still click, double clicks reported in the fitted picture's coordinates, and a replaced picture keeping
// the zoom.
#include <QImage>
#include <QWidget>

#include "app/viewing/qy_image_scroll_view.h"
#include "guitest/gui_test.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"

namespace {

using platform::Point;
using platform::Rect;

class RecordingDelegate : public QY_ImageScrollViewDelegate {
 public:
  std::vector<Point> clicks;
  void imageScrollViewDoubleClicked(QY_ImageScrollView*, Point point) override { clicks.push_back(point); }
};

QImage picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(qRgb(30, 90, 150));
  return image;
}

class ImageScrollViewTest : public guitest::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    window_ = std::make_unique<QWidget>();
    window_->resize(600, 400);
    view_ = new QY_ImageScrollView(Rect(0, 0, 600, 400), window_.get());
    view_->setDelegate(&delegate_);
    ASSERT_TRUE(guitest::showWindow(window_.get()));
  }

  QSize documentSize() const { return view_->documentView()->size(); }
  Point origin() const { return view_->contentView()->boundsOrigin(); }
  Point visibleCentre() const {
    const Rect r = view_->documentVisibleRect();
    return {r.midX(), r.midY()};
  }

  std::unique_ptr<QWidget> window_;
  QY_ImageScrollView* view_ = nullptr;
  RecordingDelegate delegate_;
};

TEST_F(ImageScrollViewTest, FitsThePictureAndRefitsOnlyWhileFitted) {
  QWidget* plain = view_->documentView();
  view_->setImageRef(QImage());
  EXPECT_EQ(view_->documentView(), plain) << "no bitmap changes nothing";
  EXPECT_TRUE(view_->imageRef().isNull());

  view_->setImageRef(picture(1200, 600));
  ASSERT_NE(view_->imageView(), nullptr);
  EXPECT_EQ(documentSize(), QSize(600, 400));
  const Rect shown = view_->imageView()->imageRect();
  EXPECT_DOUBLE_EQ(shown.width(), 600);
  EXPECT_DOUBLE_EQ(shown.height(), 300);
  EXPECT_FALSE(view_->horizontalScroller()->isVisible());

  window_->resize(800, 500);
  settle();
  EXPECT_EQ(view_->size(), QSize(800, 500)) << "the view resizes with its parent";
  EXPECT_EQ(documentSize(), QSize(800, 500)) << "fitted: refitted";

  view_->setZoomFactor(1.0f, {400, 200});
  EXPECT_EQ(documentSize(), QSize(1200, 600));
  window_->resize(700, 450);
  settle();
  EXPECT_EQ(documentSize(), QSize(1200, 600)) << "zoomed: the zoom stays";
  EXPECT_FLOAT_EQ(view_->zoomFactor(), 1.0f);

  view_->setZoomToFit();
  EXPECT_EQ(documentSize(), QSize(700, 450));
  EXPECT_FLOAT_EQ(view_->zoomFactor(), 0.0f);
}

TEST_F(ImageScrollViewTest, ZoomingBringsThePointToTheCentreUnlessAnEdgeWouldShow) {
  view_->setImageRef(picture(6000, 4000));
  // Fitted into 600 x 400, the picture's point (x, y) is the document's (10 x, 10 y) at 1.0.
  struct Case {
    Point point;
    Point origin;
  };
  const Case cases[] = {
      {{300, 200}, {2700, 1800}},  // the middle: centred
      {{123, 77}, {930, 570}},     // anywhere inside: centred
      {{10, 5}, {0, 0}},           // near the lower left corner: the document's edge stops it
      {{599, 399}, {5400, 3600}},  // near the upper right corner
  };
  for (const Case& c : cases) {
    view_->setZoomToFit();
    view_->setZoomFactor(1.0f, c.point);
    EXPECT_EQ(documentSize(), QSize(6000, 4000));
    EXPECT_NEAR(origin().x, c.origin.x, 0.5) << c.point.x;
    EXPECT_NEAR(origin().y, c.origin.y, 0.5) << c.point.y;
  }
  EXPECT_TRUE(view_->horizontalScroller()->isVisible());
  EXPECT_TRUE(view_->verticalScroller()->isVisible());
}

TEST_F(ImageScrollViewTest, ADragPansAndAFlickGlidesTenTimesItsLastMove) {
  view_->setImageRef(picture(3000, 2000));
  view_->setZoomFactor(1.0f, {300, 200});
  const Point start = origin();
  ASSERT_NEAR(start.x, 1200, 0.5);
  ASSERT_NEAR(start.y, 800, 0.5);

  // Right 25 and up 15 (Qt's y grows downwards) in five even moves of (5, -3), released where the last move
  // ended: the picture follows the pointer, then glides on by ten times that last move.
  ASSERT_TRUE(guitest::drag(view_, QPoint(300, 200), QPoint(325, 185), 5));
  const Point dragged{start.x - 25, start.y - 15};
  EXPECT_TRUE(view_->animationActive());
  ASSERT_TRUE(waitUntil([&] { return !view_->animationActive(); }));
  EXPECT_NEAR(origin().x, dragged.x - 50, 0.5);
  EXPECT_NEAR(origin().y, dragged.y - 30, 0.5);

  // A click without a move does not glide.
  const Point still = origin();
  ASSERT_TRUE(guitest::click(view_, QPoint(200, 100)));
  settle();
  EXPECT_FALSE(view_->animationActive());
  EXPECT_EQ(origin().x, still.x);
  EXPECT_EQ(origin().y, still.y);

  // A glide stops at the document's edge.
  view_->setZoomFactor(1.0f, {1, 1});
  ASSERT_TRUE(guitest::drag(view_, QPoint(300, 200), QPoint(340, 200), 2));
  ASSERT_TRUE(waitUntil([&] { return !view_->animationActive(); }));
  EXPECT_EQ(origin().x, 0);
}

TEST_F(ImageScrollViewTest, ADoubleClickIsReportedInTheFittedPicturesCoordinates) {
  view_->setImageRef(picture(1200, 600));  // fitted: 600 x 300, 50 above and below
  ASSERT_TRUE(guitest::doubleClick(view_, QPoint(150, 300)));  // Qt: 100 above the bottom of the view
  ASSERT_EQ(delegate_.clicks.size(), 1u);
  EXPECT_NEAR(delegate_.clicks[0].x, 150, 0.5);
  EXPECT_NEAR(delegate_.clicks[0].y, 50, 0.5) << "100 above the view's bottom is 50 above the picture's";
  EXPECT_FALSE(view_->animationActive());
}

TEST_F(ImageScrollViewTest, AReplacedPictureKeepsTheZoomAboutTheSamePlace) {
  view_->setImageRef(picture(1200, 800));
  view_->setZoomFactor(2.0f, {150, 100});  // a quarter in from the lower left
  const Point before = visibleCentre();
  EXPECT_NEAR(before.x / documentSize().width(), 0.25, 0.01);
  view_->setImageRef(picture(2400, 1600));  // the whole picture of the same scene
  EXPECT_FLOAT_EQ(view_->zoomFactor(), 2.0f);
  EXPECT_EQ(documentSize(), QSize(4800, 3200));
  EXPECT_NEAR(visibleCentre().x / 4800, 0.25, 0.01);
  EXPECT_NEAR(visibleCentre().y / 3200, 0.25, 0.01);

  view_->setZoomToFit();
  view_->setImageRef(picture(64, 48));
  EXPECT_FLOAT_EQ(view_->zoomFactor(), 0.0f);
  EXPECT_EQ(documentSize(), QSize(600, 400)) << "a fitted view stays fitted";
}

}  // namespace
