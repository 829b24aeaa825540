// Frame-change notifications of views, as the still viewer's histogram button and the card browser post them
// while their window is resized.
#include "platform/ui/frame_notifications.h"

#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

class FrameNotificationsTest : public testing::OffscreenFixture {
 protected:
  void TearDown() override { NotificationCenter::defaultCenter().removeObserver(this); }
  // The frames of `view` that observers of its notifications were told of, in order.
  std::vector<Rect> observe(QWidget* view) {
    seen_.clear();
    NotificationCenter::defaultCenter().addObserver(
        this,
        [this, view](const Notification& n) {
          EXPECT_EQ(n.object.identity(), view);
          seen_.push_back(frameOf(view));
        },
        ViewFrameDidChangeNotification, view);
    return {};
  }
  std::vector<Rect> seen_;
};

TEST_F(FrameNotificationsTest, AViewPostsEachChangeOfItsFrameAndOnlyItsOwn) {
  Window window;
  window.setFrame({100, 100, 400, 300});
  QWidget* content = window.contentView();
  // A strip along the bottom that takes the window's width; a button kept at the top right.
  auto* strip = new QWidget(content);
  setFrame(strip, {0, 0, 400, 60});
  setAutoresizingMask(strip, ViewWidthSizable);
  auto* button = new QWidget(content);
  setFrame(button, {350, 260, 40, 30});
  setAutoresizingMask(button, ViewMinXMargin | ViewMinYMargin);
  setPostsFrameChangedNotifications(strip, true);
  setPostsFrameChangedNotifications(button, true);
  EXPECT_TRUE(postsFrameChangedNotifications(button));
  showAndWait(&window);
  observe(button);

  // Wider: the button moves right. Taller: it moves up (its y-up origin grows), without moving in Qt's terms.
  window.setFrame({100, 100, 500, 300});
  settle();
  EXPECT_EQ(seen_, (std::vector<Rect>{{450, 260, 40, 30}}));
  window.setFrame({100, 100, 500, 350});
  settle();
  EXPECT_EQ(seen_, (std::vector<Rect>{{450, 260, 40, 30}, {450, 310, 40, 30}}));

  // The strip's own changes reach only its observers; a view that stopped posting tells nobody.
  seen_.clear();
  setFrame(strip, {0, 0, 500, 80});
  settle();
  EXPECT_TRUE(seen_.empty());
  setPostsFrameChangedNotifications(button, false);
  window.setFrame({100, 100, 600, 400});
  settle();
  EXPECT_TRUE(seen_.empty());
}

}  // namespace
}  // namespace platform
