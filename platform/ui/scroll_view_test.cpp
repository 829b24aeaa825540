// The scroll view as a zoomable image view drives it: a large y-up document, origins kept inside it, a glide
// in an ease-out group on the test clock, the hand cursor, scrollers, and the live-scroll notification that
// only the user's scrolling posts.
#include "platform/ui/scroll_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/testing/manual_time_source.h"

namespace platform {
namespace {

// A scroll view that keeps the presses that reach it from its document, as a panning view does.
class PanningScrollView : public ScrollView {
 public:
  using ScrollView::ScrollView;
  std::vector<QPoint> presses;

 protected:
  void mousePressEvent(QMouseEvent* event) override { presses.push_back(event->position().toPoint()); }
};

class ScrollViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scroll_.resize(600, 400);
    document_ = new ImageView();
    document_->resize(6000, 4000);
    scroll_.setDocumentView(document_);
    liveScrolls_ = NotificationCenter::defaultCenter().addObserverForName(
        ScrollViewDidLiveScrollNotification, &scroll_, [this](const Notification&) { ++liveScrollCount_; });
  }
  void TearDown() override { NotificationCenter::defaultCenter().removeObserver(liveScrolls_); }

  bool application_ = (ensureTestApplication(), true);  // before any widget
  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource scoped_{clock_};
  PanningScrollView scroll_;
  ImageView* document_ = nullptr;
  ObserverToken liveScrolls_{};
  int liveScrollCount_ = 0;
};

TEST_F(ScrollViewTest, OriginsAreKeptInsideTheDocumentAndPlaceItYUp) {
  struct Case {
    Point proposed, expected;
  };
  const Case cases[] = {
      {{2700, 1800}, {2700, 1800}},
      {{-50, -10}, {0, 0}},
      {{9000, 9000}, {5400, 3600}},
      {{5400, 0}, {5400, 0}},
  };
  for (const Case& c : cases) {
    scroll_.contentView()->scrollToPoint(c.proposed);
    const Point origin = scroll_.contentView()->boundsOrigin();
    EXPECT_EQ(origin, c.expected);
    EXPECT_EQ(scroll_.documentVisibleRect(), Rect(c.expected.x, c.expected.y, 600, 400));
    // y-up: the origin is the document point at the clip's lower-left corner.
    EXPECT_EQ(document_->pos(), QPoint(int(-c.expected.x), int(-(4000 - 400 - c.expected.y))));
  }
  EXPECT_EQ(liveScrollCount_, 0) << "scrolls by code post no live-scroll notification";
}

TEST_F(ScrollViewTest, FlippedDocumentsCountFromTheTop) {
  auto* grid = new QWidget();
  setFlipped(grid, true);
  grid->resize(600, 3000);
  scroll_.setDocumentView(grid);
  scroll_.contentView()->scrollToPoint({0, 500});
  EXPECT_EQ(grid->pos(), QPoint(0, -500));
  scroll_.setHasVerticalScroller(true);
  EXPECT_EQ(scroll_.verticalScroller()->value(), 500);
  EXPECT_EQ(scroll_.verticalScroller()->maximum(), 2600);
}

TEST_F(ScrollViewTest, GlideInAnEaseOutGroupCoversMostOfTheWayEarlyAndLandsConstrained) {
  scroll_.contentView()->scrollToPoint({1000, 1000});
  bool completed = false;
  // A flick of (5, -3): target origin (x - 50, y - 30) in 0.6 s.
  AnimationContext::run(
      0.6, TimingFunction::EaseOut, [&] { scroll_.contentView()->setBoundsOrigin({950, 970}); },
      [&] { completed = true; });
  EXPECT_TRUE(scroll_.contentView()->isAnimating());
  clock_->advanceInSteps(0.3, 1.0 / 60);
  const Point half = scroll_.contentView()->boundsOrigin();
  // Ease-out runs ahead of linear time: past half of the way at half the time, not yet there.
  EXPECT_LT(half.x, 1000 - 25);
  EXPECT_GT(half.x, 950);
  EXPECT_LT(half.y, 1000 - 15);
  EXPECT_FALSE(completed);
  clock_->advance(0.4);
  EXPECT_EQ(scroll_.contentView()->boundsOrigin(), (Point{950, 970}));
  EXPECT_TRUE(completed);
  EXPECT_FALSE(scroll_.contentView()->isAnimating());

  // A glide past the edge stops at the edge.
  AnimationContext::run(0.6, TimingFunction::EaseOut, [&] { scroll_.contentView()->setBoundsOrigin({-300, 5000}); });
  clock_->advance(1);
  EXPECT_EQ(scroll_.contentView()->boundsOrigin(), (Point{0, 3600}));
  EXPECT_EQ(liveScrollCount_, 0);
}

TEST_F(ScrollViewTest, ScrollersFollowTheClipAndHideWhileTheDocumentFits) {
  scroll_.setHasHorizontalScroller(true);
  scroll_.setHasVerticalScroller(true);
  scroll_.setAutohidesScrollers(true);
  scroll_.show();
  scroll_.contentView()->scrollToPoint({100, 3600});
  EXPECT_TRUE(scroll_.horizontalScroller()->isVisible());
  EXPECT_EQ(scroll_.horizontalScroller()->value(), 100);
  EXPECT_EQ(scroll_.verticalScroller()->value(), 0) << "y-up top of the document is the scroller's top";
  // Fitted: the document is the scroll view's size, nothing to scroll.
  document_->resize(600, 400);
  EXPECT_FALSE(scroll_.horizontalScroller()->isVisible());
  EXPECT_FALSE(scroll_.verticalScroller()->isVisible());
  EXPECT_EQ(scroll_.contentView()->boundsOrigin(), (Point{0, 0}));
  // The user drags a scroller: the clip follows and the live-scroll notification is posted.
  document_->resize(6000, 4000);
  scroll_.horizontalScroller()->setValue(700);
  EXPECT_EQ(scroll_.contentView()->boundsOrigin().x, 700);
  EXPECT_EQ(liveScrollCount_, 1);
}

TEST_F(ScrollViewTest, WheelScrollsTowardsWhatLiesBelowAndPostsLiveScroll) {
  scroll_.show();
  scroll_.contentView()->scrollToPoint({0, 2000});
  const QPointF inside(300, 200);
  QWheelEvent down(inside, scroll_.mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(&scroll_, &down);
  EXPECT_EQ(scroll_.contentView()->boundsOrigin(), (Point{0, 2000 - ScrollView::kLineScroll}));
  EXPECT_EQ(liveScrollCount_, 1);
}

TEST_F(ScrollViewTest, HandCursorOverTheDocumentAndPressesReachTheScrollView) {
  scroll_.show();
  scroll_.setDocumentCursor(Qt::OpenHandCursor);
  EXPECT_EQ(document_->cursor().shape(), Qt::OpenHandCursor);
  scroll_.setDocumentCursor(Qt::ArrowCursor);
  EXPECT_EQ(document_->cursor().shape(), Qt::ArrowCursor);
  const QPointF at(50, 60);
  QMouseEvent press(QEvent::MouseButtonPress, at, document_->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(document_, &press);
  ASSERT_EQ(scroll_.presses.size(), 1u);
}

}  // namespace
}  // namespace platform
