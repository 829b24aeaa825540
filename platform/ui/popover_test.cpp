// The platform popover: where it opens against its positioning rectangle, and what closes it for each
// behaviour, driven by real presses and key strokes on the offscreen platform.
#include "platform/ui/popover.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

// A picker with a button and a field, 200 x 100.
class Picker : public ViewController {
 public:
  QPushButton* button = nullptr;
  QLineEdit* field = nullptr;

 protected:
  void loadView() override {
    auto* root = new QWidget();
    root->resize(200, 100);
    button = new QPushButton("Choose", root);
    button->setGeometry(10, 10, 180, 30);
    field = new QLineEdit(root);
    field->setGeometry(10, 50, 180, 30);
    setView(root);
  }
};

struct CloseCounter : PopoverDelegate {
  int closed = 0;
  void popoverDidClose(Popover*) override { ++closed; }
};

class PopoverTest : public testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    window_ = std::make_unique<Window>();
    window_->setFrame({100, 100, 500, 400});
    anchor_ = new QPushButton("ISO", window_->contentView());
    anchor_->setGeometry(200, 40, 100, 30);
    QObject::connect(anchor_, &QPushButton::clicked, [this] { ++anchorClicks_; });
    other_ = new QLineEdit(window_->contentView());
    other_->setGeometry(20, 340, 150, 30);
    showAndWait(window_.get());
    popover_.setContentViewController(&picker_);
    popover_.setAnimates(true);
    popover_.setDelegate(&delegate_);
  }
  void open(PopoverBehavior behavior = PopoverBehavior::SemiTransient) {
    popover_.setBehavior(behavior);
    popover_.showRelativeToRect(boundsOf(anchor_), anchor_, RectEdge::MinY);
    clock_->advance(Popover::kFadeDuration);
    ASSERT_TRUE(popover_.isShown());
  }
  // Lets a fade-out run to its end.
  void fade() {
    clock_->advance(Popover::kFadeDuration);
    settle();
  }
  Rect anchorOnScreen() const {
    const Point a = convertPointToScreen(window_.get(), convertPoint({0, 0}, anchor_, nullptr));
    return {a.x, a.y, 100, 30};
  }

  std::unique_ptr<Window> window_;
  QPushButton* anchor_ = nullptr;
  QLineEdit* other_ = nullptr;
  int anchorClicks_ = 0;
  Picker picker_;
  CloseCounter delegate_;
  Popover popover_;
};

TEST_F(PopoverTest, OpensBelowTheRectangleWithItsContentSizeAndFlipsAboveWithoutRoomBelow) {
  popover_.setContentSize({200, 100});
  open();
  Window* w = popover_.popoverWindow();
  ASSERT_NE(w, nullptr);
  const Rect anchor = anchorOnScreen();
  EXPECT_EQ(popover_.shownEdge(), RectEdge::MinY);
  // The bubble hangs from the button's bottom edge, centred under it, with room for the arrow above the content.
  EXPECT_DOUBLE_EQ(w->frame().maxY(), anchor.minY());
  EXPECT_DOUBLE_EQ(w->frame().midX(), anchor.midX());
  EXPECT_EQ(picker_.view()->size(), QSize(200, 100));
  EXPECT_EQ(w->frame().height(), 110.0);
  EXPECT_TRUE(w->isVisible());
  popover_.close();
  fade();

  // A window at the bottom of the screen: no room below the button, so the popover opens above it.
  const Rect screen = screenRectFromQt(QRectF(QGuiApplication::primaryScreen()->availableGeometry()));
  window_->setFrame({100, screen.minY(), 500, 100});
  anchor_->setGeometry(200, 40, 100, 30);
  open();
  EXPECT_EQ(popover_.shownEdge(), RectEdge::MaxY);
  EXPECT_DOUBLE_EQ(popover_.popoverWindow()->frame().minY(), anchorOnScreen().maxY());
}

TEST_F(PopoverTest, SemiTransientClosesOnAPressElsewhereInItsWindowAndTheButtonStillGetsIt) {
  open();
  // Presses inside the popover leave it open, and reach its controls.
  int chosen = 0;
  QObject::connect(picker_.button, &QPushButton::clicked, [&] { ++chosen; });
  click(picker_.button);
  click(picker_.field);
  fade();
  EXPECT_TRUE(popover_.isShown());
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(delegate_.closed, 0);

  // A press on the button that opened it: the popover closes, and the click still reaches the button. While
  // it fades it still counts as shown (so that the button's own handler can tell it was open).
  press(anchor_);
  EXPECT_TRUE(popover_.isShown());
  release(anchor_);
  EXPECT_EQ(anchorClicks_, 1);
  fade();
  EXPECT_FALSE(popover_.isShown());
  EXPECT_EQ(delegate_.closed, 1);

  // Anywhere else in the window too.
  open();
  click(other_);
  fade();
  EXPECT_FALSE(popover_.isShown());
  EXPECT_EQ(delegate_.closed, 2);
}

TEST_F(PopoverTest, EscapeClosesItFromItsWindowOrFromThePopoverButOtherKeysDoNot) {
  open();
  other_->setFocus();
  QTest::keyClicks(other_, "ab");
  EXPECT_TRUE(popover_.isShown());
  EXPECT_EQ(other_->text(), QString("ab")) << "typing elsewhere in the window goes on";
  QTest::keyClick(other_, Qt::Key_Escape);
  fade();
  EXPECT_FALSE(popover_.isShown());
  EXPECT_EQ(delegate_.closed, 1);

  open();
  QTest::keyClick(picker_.field, Qt::Key_Escape);
  fade();
  EXPECT_FALSE(popover_.isShown());
  EXPECT_EQ(delegate_.closed, 2);
}

// Which presses close the popover, by behaviour: in its own window, in another window, Escape; never one inside.
TEST_F(PopoverTest, EachBehaviourClosesOnItsOwnPresses) {
  Window elsewhere;
  elsewhere.setFrame({650, 100, 120, 100});
  auto* target = new QPushButton("Other", elsewhere.contentView());
  target->setGeometry(10, 10, 100, 30);
  showAndWait(&elsewhere);

  struct Case {
    PopoverBehavior behavior;
    bool closesOnOtherWindow;
    bool closesOnOwnWindow;
    bool closesOnEscape;
  };
  const Case cases[] = {
      {PopoverBehavior::ApplicationDefined, false, false, false},
      {PopoverBehavior::SemiTransient, false, true, true},
      {PopoverBehavior::Transient, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.behavior));
    open(c.behavior);
    click(picker_.field);
    fade();
    EXPECT_TRUE(popover_.isShown()) << "press inside the popover";
    click(target);
    fade();
    EXPECT_EQ(!popover_.isShown(), c.closesOnOtherWindow) << "press in another window";
    open(c.behavior);
    click(other_);
    fade();
    EXPECT_EQ(!popover_.isShown(), c.closesOnOwnWindow) << "press in its own window";
    open(c.behavior);
    QTest::keyClick(other_, Qt::Key_Escape);
    fade();
    EXPECT_EQ(!popover_.isShown(), c.closesOnEscape) << "Escape";
    popover_.close();
    fade();
  }
}

TEST_F(PopoverTest, FollowsTheControllersPreferredSizeAndGoesWithItsWindow) {
  open();
  picker_.setPreferredContentSize({260, 140});
  Window* w = popover_.popoverWindow();
  EXPECT_EQ(picker_.view()->size(), QSize(260, 140));
  EXPECT_EQ(w->frame().size, (Size{260, 150}));
  EXPECT_DOUBLE_EQ(w->frame().maxY(), anchorOnScreen().minY()) << "still hanging from the button";

  // The window it points into closes: the popover goes at once, and the delegate hears it.
  window_->orderOut();
  settle();
  EXPECT_FALSE(popover_.isShown());
  EXPECT_EQ(delegate_.closed, 1);
}

}  // namespace
}  // namespace platform
