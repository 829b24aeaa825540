// The popover: frame and content rectangles at all twelve arrow positions, the arrow's tip on the point,
// geometry setters that keep the tip in place, fades on a clock the test advances, and what it draws.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "platform/ui/window_shadow.h"
#include "platform/ui/window_translucency.h"
#include "widgets/sfb_popover.h"
#include "widgets/testing/widget_fixture.h"

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;
using widgets_testing::near;

namespace {

class PopoverTest : public widgets_testing::WidgetFixture {
 protected:
  void SetUp() override {
    WidgetFixture::SetUp();
    parent_ = std::make_unique<platform::Window>();
    parent_->setFrame({100, 100, 600, 400});
    parent_->orderFront();
  }
  void TearDown() override {
    popover_.reset();
    parent_.reset();
    WidgetFixture::TearDown();
  }
  // A popover configured the way the application's panels configure theirs.
  SFBPopover& makePopover(unsigned long position, Size content = {300, 200}) {
    auto* view = new QWidget();
    view->resize(int(content.width), int(content.height));
    popover_ = std::make_unique<SFBPopover>(view);
    popover_->setPosition(position);
    popover_->setBorderColor(Color::clear());
    popover_->setBorderWidth(0);
    popover_->setDistance(12);
    popover_->setBackgroundColor(Color::blackColor().withAlpha(0.2));
    popover_->setAnimates(true);
    return *popover_;
  }
  Point tipOnScreen() {
    SFBPopoverWindow* w = popover_->popoverWindow();
    return w->convertPointToScreen(w->popoverWindowFrame()->attachmentPoint());
  }
  std::unique_ptr<platform::Window> parent_;
  std::unique_ptr<SFBPopover> popover_;
};

TEST_F(PopoverTest, FrameAndContentRectanglesRoundTripAtEveryPosition) {
  SFBPopoverWindowFrame frame;
  frame.setBorderWidth(3);
  frame.setViewMargin(2);
  frame.setDistance(12);
  const Rect content{10, 20, 300, 200};
  for (unsigned long p = 0; p < 12; ++p) {
    SCOPED_TRACE(p);
    frame.setPopoverPosition(p);
    const Rect f = frame.frameRectForContentRect(content);
    EXPECT_EQ(frame.contentRectForFrameRect(f), content);
    EXPECT_EQ(frame.frameRectForContentRect(frame.contentRectForFrameRect(f)), f);
    // The arrow's room (16 + 12) goes on one axis only.
    const double extraW = f.width() - 310, extraH = f.height() - 210;
    EXPECT_TRUE((extraW == 28 && extraH == 0) || (extraW == 0 && extraH == 28));
  }
}

// Where the drawn arrow's tip is, in the image of the window (pixel edges, y down), for the side the arrow is on:
// the outermost row or column that the arrow covers, and the middle of what it covers there.
struct DrawnTip {
  double along = 0;   // x (arrow on top or bottom) or y (arrow on the left or right) of the tip
  double across = 0;  // the outermost covered row or column edge
};

DrawnTip drawnTip(const QImage& img, int side) {
  auto covered = [&](int x, int y) { return img.pixelColor(x, y).alpha() > 0; };
  const bool rows = side == 1 || side == 3;  // the arrow is on the top or bottom side
  const int outer = rows ? img.height() : img.width();
  const int inner = rows ? img.width() : img.height();
  for (int k = 0; k < outer; ++k) {
    const int line = (side == 1 || side == 2) ? k : outer - 1 - k;
    double sum = 0;
    int count = 0;
    for (int j = 0; j < inner; ++j) {
      if (rows ? covered(j, line) : covered(line, j)) {
        sum += j + 0.5;
        ++count;
      }
    }
    if (count > 0) return {sum / count, (side == 1 || side == 2) ? double(line) : double(line + 1)};
  }
  return {-1, -1};
}

TEST_F(PopoverTest, ArrowTipLandsOnThePointAtEveryPosition) {
  // The side of the bubble that carries the arrow: 0 right, 1 top, 2 left, 3 bottom (in the picture, y down).
  const int sideOf[12] = {0, 1, 2, 3, 0, 0, 2, 2, 3, 3, 1, 1};
  const double distance = 12;
  for (unsigned long p = 0; p < 12; ++p) {
    SCOPED_TRACE(p);
    SFBPopover& popover = makePopover(p, {120, 80});
    popover.setAnimates(false);
    popover.setBackgroundColor(Color::rgb(0, 0, 1));
    SFBPopoverWindow* w = popover.popoverWindow();
    EXPECT_EQ(platform::frameOf(popover.contentView()).size, (Size{120, 80}));
    popover.displayPopoverInWindow(parent_.get(), {250, 150});
    ASSERT_TRUE(popover.isVisible());
    // The point on the screen is (350, 250); in the popover's picture (y down from its top-left corner):
    const Rect f = w->frame();
    const double px = 350 - f.x(), py = f.height() - (250 - f.y());
    const QImage img = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const DrawnTip tip = drawnTip(img, sideOf[p]);
    // The tip lies `distance` from the point, towards the bubble.
    switch (sideOf[p]) {
      case 0:
        EXPECT_NEAR(tip.across, px - distance, 1.5);
        EXPECT_NEAR(tip.along, py, 2.0);
        break;
      case 1:
        EXPECT_NEAR(tip.across, py + distance, 1.5);
        EXPECT_NEAR(tip.along, px, 2.0);
        break;
      case 2:
        EXPECT_NEAR(tip.across, px + distance, 1.5);
        EXPECT_NEAR(tip.along, py, 2.0);
        break;
      case 3:
        EXPECT_NEAR(tip.across, py - distance, 1.5);
        EXPECT_NEAR(tip.along, px, 2.0);
        break;
    }
    popover.closePopover();
    EXPECT_FALSE(popover.isVisible());
  }
}

TEST_F(PopoverTest, ContentSizeCanShrinkBelowTheCreationSize) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom, {300, 200});
  popover.setAnimates(false);
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  SFBPopoverWindow* w = popover.popoverWindow();
  const Rect before = w->frame();
  w->setContentSize({100, 50});
  // 100 x 50 plus the view margin (2 each side) and the arrow's room (16 + 12) on top.
  EXPECT_EQ(w->frame().size, (Size{104, 82}));
  EXPECT_EQ(w->frame().origin, before.origin);
  EXPECT_EQ(w->size(), QSize(104, 82)) << "the widget itself is that small";
  w->setContentSize({400, 300});
  EXPECT_EQ(w->frame().size, (Size{404, 332}));
  // The creation size still bounds what the user may do.
  ASSERT_NE(w->windowHandle(), nullptr);
  EXPECT_EQ(w->windowHandle()->minimumSize(), QSize(300, 200));
}

TEST_F(PopoverTest, CallersSettingsGiveTheExpectedWindow) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom);
  EXPECT_EQ(popover.popoverWindow()->frame().size, (Size{304, 232}));
  EXPECT_EQ(platform::frameOf(popover.contentView()), Rect(2, 2, 300, 200));
}

TEST_F(PopoverTest, RaisingTheDistanceKeepsTheTipInPlace) {
  SFBPopover& popover = makePopover(SFBPopoverPositionLeft);
  popover.displayPopoverInWindow(parent_.get(), {400, 200});
  const Rect before = popover.popoverWindow()->frame();
  const Point tip = tipOnScreen();
  popover.setDistance(20);
  const Rect after = popover.popoverWindow()->frame();
  EXPECT_EQ(after.x(), before.x() - 8);
  EXPECT_EQ(after.width(), before.width() + 8);
  EXPECT_EQ(tipOnScreen(), tip);
  EXPECT_EQ(platform::frameOf(popover.contentView()).size, (Size{300, 200}));
}

TEST_F(PopoverTest, GeometrySettersKeepTheTipOnTheScreen) {
  for (unsigned long p = 0; p < 12; ++p) {
    SCOPED_TRACE(p);
    SFBPopover& popover = makePopover(p);
    popover.displayPopoverInWindow(parent_.get(), {300, 200});
    const Point tip = tipOnScreen();
    popover.setDistance(20);
    EXPECT_EQ(tipOnScreen(), tip) << "distance";
    if (p < 4) {  // elsewhere the arrow's place along its side depends on its height
      popover.setArrowHeight(24);
      EXPECT_EQ(tipOnScreen(), tip) << "arrow height";
    }
    const unsigned long other = (p + 5) % 12;
    popover.setPosition(other);
    EXPECT_EQ(popover.position(), other);
    EXPECT_EQ(tipOnScreen(), tip) << "position " << other;
    EXPECT_TRUE(popover.isVisible());
    EXPECT_EQ(platform::frameOf(popover.contentView()).size, (Size{300, 200}));
    EXPECT_EQ(platform::frameOf(popover.contentView()),
              popover.popoverWindow()->contentRectForFrameRect({{0, 0}, popover.popoverWindow()->frame().size}));
  }
}

TEST_F(PopoverTest, BorderAndMarginGrowTheWindowAwayFromTheArrow) {
  for (unsigned long p : {0ul, 1ul, 2ul, 3ul}) {
    SCOPED_TRACE(p);
    SFBPopover& popover = makePopover(p);
    popover.displayPopoverInWindow(parent_.get(), {300, 200});
    const Rect before = popover.popoverWindow()->frame();
    const Point tip = tipOnScreen();
    popover.setBorderWidth(3);
    popover.setViewMargin(5);
    const Rect after = popover.popoverWindow()->frame();
    EXPECT_EQ(after.width(), before.width() + 12);
    EXPECT_EQ(after.height(), before.height() + 12);
    // The edge carrying the arrow stays where it was.
    switch (p) {
      case 0: EXPECT_EQ(after.maxX(), before.maxX()); break;
      case 1: EXPECT_EQ(after.maxY(), before.maxY()); break;
      case 2: EXPECT_EQ(after.minX(), before.minX()); break;
      case 3: EXPECT_EQ(after.minY(), before.minY()); break;
    }
    EXPECT_EQ(platform::frameOf(popover.contentView()).size, (Size{300, 200}));
    (void)tip;
  }
}

TEST_F(PopoverTest, PositionOutsideTheTableAttachesAtTheOriginWithoutArrowRoom) {
  SFBPopover& popover = makePopover(12);
  EXPECT_EQ(popover.popoverWindow()->frame().size, (Size{304, 204}));
  EXPECT_EQ(popover.popoverWindow()->popoverWindowFrame()->attachmentPoint(), (Point{0, 0}));
  popover.displayPopoverInWindow(parent_.get(), {50, 60});
  EXPECT_EQ(popover.popoverWindow()->frame().origin, (Point{150, 160}));
}

TEST_F(PopoverTest, FadesInAndOutAndLeavesItsParent) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom);
  SFBPopoverWindow* w = popover.popoverWindow();
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  EXPECT_EQ(w->alphaValue(), 0.0);
  EXPECT_EQ(w->parentWindow(), parent_.get());
  EXPECT_EQ(platform::Window::orderedWindows().front(), w) << "above its parent";
  clock_->advance(0.1);
  EXPECT_GT(w->alphaValue(), 0.0);
  EXPECT_LT(w->alphaValue(), 1.0);
  clock_->advance(0.2);
  EXPECT_EQ(w->alphaValue(), 1.0);
  popover.displayPopoverInWindow(parent_.get(), {10, 10});  // already visible: nothing
  EXPECT_EQ(tipOnScreen(), (Point{400, 300}));
  popover.closePopover();
  clock_->advance(0.1);
  EXPECT_TRUE(popover.isVisible()) << "fading";
  clock_->advance(0.2);
  EXPECT_FALSE(popover.isVisible());
  EXPECT_EQ(w->alphaValue(), 1.0) << "ready for the next show";
  EXPECT_EQ(w->parentWindow(), nullptr);
  EXPECT_TRUE(platform::childWindowsOf(parent_.get()).empty());
  popover.closePopover();  // not visible: nothing
  // Shown again by the next display; a close cut short by a new display leaves it up.
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  clock_->advance(0.3);
  popover.closePopover();
  clock_->advance(0.1);
  popover.popoverWindow()->animateAlphaValue(1.0, 0.25);
  clock_->advance(0.5);
  EXPECT_TRUE(popover.isVisible());
}

TEST_F(PopoverTest, FollowsItsParentAndTheMovedPoint) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottomLeft);
  popover.setAnimates(false);
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  parent_->setFrameOrigin({150, 120});
  EXPECT_EQ(tipOnScreen(), (Point{450, 320}));
  popover.movePopoverToPoint({100, 100});
  EXPECT_EQ(tipOnScreen(), (Point{250, 220}));
  popover.closePopover();
  EXPECT_FALSE(popover.isVisible()) << "at once when not animating";
}

TEST_F(PopoverTest, ClosesOnResignKeyOnlyWhenAsked) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom);
  popover.setAnimates(false);
  popover.displayPopoverInWindow(parent_.get(), {300, 200}, false, true);
  EXPECT_TRUE(popover.popoverWindow()->isKeyWindow());
  parent_->makeKeyWindow();
  EXPECT_TRUE(popover.isVisible()) << "the flag is off by default";
  popover.setClosesWhenPopoverResignsKey(true);
  popover.popoverWindow()->makeKeyWindow();
  parent_->makeKeyWindow();
  EXPECT_FALSE(popover.isVisible());
}

TEST_F(PopoverTest, DrawsABubbleWithItsArrowAtThePoint) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom, {100, 60});
  popover.setAnimates(false);
  popover.setBackgroundColor(Color::rgb(0, 0, 1));
  popover.setBorderWidth(2);
  popover.setBorderColor(Color::whiteColor());
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  SFBPopoverWindow* w = popover.popoverWindow();
  const QImage img = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const int W = img.width();  // 100 + 2*2 + 2*2 = 108 wide; the arrow's room (16 + 12) on top
  EXPECT_EQ(W, 108);
  EXPECT_EQ(img.height(), 60 + 8 + 28);
  EXPECT_TRUE(near(img.pixelColor(W / 2, 60), Qt::blue)) << "inside the bubble";
  EXPECT_TRUE(near(img.pixelColor(W / 2, 12 + 8), Qt::blue)) << "inside the arrow, near its tip";
  EXPECT_EQ(img.pixelColor(W / 2, 5).alpha(), 0) << "the gap of the distance";
  EXPECT_EQ(img.pixelColor(10, 20).alpha(), 0) << "beside the arrow";
  EXPECT_EQ(img.pixelColor(0, img.height() - 1).alpha(), 0) << "rounded corner";
  EXPECT_TRUE(near(img.pixelColor(W / 2, img.height() - 2), Qt::white, 40)) << "the border";
}

TEST_F(PopoverTest, CastsAShadowOrIsCutOutWithAMaskWhereNothingIsSeeThrough) {
  for (bool translucent : {true, false}) {
    SCOPED_TRACE(translucent ? "with see-through windows" : "without see-through windows");
    platform::ScopedTranslucency translucency(translucent);
    SFBPopover& popover = makePopover(SFBPopoverPositionBottom, {100, 60});
    popover.setAnimates(false);
    popover.setBackgroundColor(Color::rgb(0, 0, 1));
    popover.displayPopoverInWindow(parent_.get(), {300, 200});
    QCoreApplication::processEvents();
    SFBPopoverWindow* w = popover.popoverWindow();
    const QRect g = w->geometry();
    platform::WindowShadow* shadow = w->shadowWindow();
    if (translucent) {
      ASSERT_NE(shadow, nullptr);
      EXPECT_TRUE(shadow->isVisible());
      EXPECT_TRUE(shadow->geometry().contains(g)) << "around the bubble";
      EXPECT_TRUE(w->mask().isEmpty());
      for (QWidget* ordered : platform::Window::orderedWindows()) EXPECT_NE(ordered, shadow) << "not a window";
      const QImage img = shadow->grab().toImage().convertToFormat(QImage::Format_ARGB32);
      const QPoint o = g.topLeft() - shadow->geometry().topLeft();  // the bubble's corner in the shadow
      EXPECT_GT(img.pixelColor(o.x() + g.width() / 2, o.y() + g.height() + 2).alpha(), 20) << "under the bubble";
      EXPECT_EQ(img.pixelColor(0, 0).alpha(), 0) << "far from it";
      EXPECT_EQ(img.pixelColor(o.x() + g.width() / 2, o.y() + g.height() / 2).alpha(), 0)
          << "none under the see-through bubble itself";
    } else {
      EXPECT_TRUE(shadow == nullptr || !shadow->isVisible());
      const QRegion mask = w->mask();
      ASSERT_FALSE(mask.isEmpty());
      EXPECT_TRUE(mask.contains(QPoint(g.width() / 2, g.height() / 2))) << "the bubble";
      EXPECT_TRUE(mask.contains(QPoint(g.width() / 2, 12 + 4))) << "the arrow";
      EXPECT_FALSE(mask.contains(QPoint(5, 10))) << "beside the arrow";
      EXPECT_FALSE(mask.contains(QPoint(0, g.height() - 1))) << "the rounded corner";
    }
    popover.closePopover();
    EXPECT_TRUE(shadow == nullptr || !shadow->isVisible()) << "leaves with its window";
  }
}

TEST_F(PopoverTest, ChoosesAPositionThatFitsWhenAsked) {
  SFBPopover& popover = makePopover(SFBPopoverPositionBottom);
  popover.setAnimates(false);
  // Near the bottom of the screen there is no room below: the bubble goes above.
  parent_->setFrame({100, 0, 600, 400});
  popover.displayPopoverInWindow(parent_.get(), {300, 20}, true, false);
  EXPECT_EQ(popover.position(), unsigned(SFBPopoverPositionTop));
  EXPECT_EQ(tipOnScreen(), (Point{400, 20}));
}

// A panel's view controller shown by one new popover after another, as the control panel does with its automation
// panels: loaded once, its view kept between popovers, appearing and disappearing around the fades.
TEST_F(PopoverTest, AViewControllerAppearsAndDisappearsWithEachPopoverAndKeepsItsView) {
  struct Panel : platform::ViewController {
    std::vector<std::string> log;
    void loadView() override {
      auto* root = new QWidget();
      root->resize(100, 50);
      setView(root);
    }
    void viewDidLoad() override { log.push_back("load"); }
    void viewWillAppear() override { log.push_back("willAppear"); }
    void viewDidAppear() override { log.push_back("didAppear"); }
    void viewWillDisappear() override { log.push_back("willDisappear"); }
    void viewDidDisappear() override { log.push_back("didDisappear"); }
  } panel;
  panel.setPreferredContentSize({346, 260});
  using Log = std::vector<std::string>;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto popover = std::make_unique<SFBPopover>(&panel);
    EXPECT_EQ(popover->contentViewController(), &panel);
    EXPECT_EQ(popover->contentView(), panel.view());
    EXPECT_EQ(panel.view()->size(), QSize(346, 260)) << "the preferred content size";
    popover->setAnimates(true);
    popover->displayPopoverInWindow(parent_.get(), {300, 200});
    EXPECT_EQ(panel.log, (round == 0 ? Log{"load", "willAppear"} : Log{"willAppear"}));
    panel.log.clear();
    clock_->advance(0.3);
    EXPECT_EQ(panel.log, Log{"didAppear"});
    panel.log.clear();
    popover->closePopover();
    EXPECT_EQ(panel.log, Log{"willDisappear"});
    clock_->advance(0.3);
    EXPECT_FALSE(popover->isVisible());
    EXPECT_EQ(panel.log, (Log{"willDisappear", "didDisappear"}));
    panel.log.clear();
    popover.reset();
    ASSERT_TRUE(panel.isViewLoaded()) << "the view outlives the popover";
  }
  // Without animation the calls pair up at once.
  SFBPopover popover(&panel);
  popover.setAnimates(false);
  popover.displayPopoverInWindow(parent_.get(), {300, 200});
  popover.closePopover();
  EXPECT_EQ(panel.log, (std::vector<std::string>{"willAppear", "didAppear", "willDisappear", "didDisappear"}));
}

}  // namespace
