// Windows: y-up frames, child windows that follow their parent, front-to-back order, the key window, alpha
// animations and application-modal sessions ended by blocks, timers and other threads.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/modal_session.h"
#include "platform/ui/presenter.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "platform/ui/window_shadow.h"

namespace platform {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }
  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource scoped_{clock_};
};

double screenHeight() { return QGuiApplication::primaryScreen()->geometry().height(); }

TEST_F(WindowTest, FramesAreYUpScreenRectangles) {
  Window w(true);
  w.setFrame({100, 50, 200, 80});
  EXPECT_EQ(w.geometry(), QRect(100, int(screenHeight()) - 50 - 80, 200, 80));
  EXPECT_EQ(w.frame(), Rect(100, 50, 200, 80));
  EXPECT_EQ(w.convertPointToScreen({10, 5}), (Point{110, 55}));
  EXPECT_EQ(w.convertPointFromScreen({110, 55}), (Point{10, 5}));
  // Views: frames in the parent's y-up coordinates.
  QWidget* child = new QWidget(w.contentView());
  setFrame(child, {10, 20, 30, 40});
  EXPECT_EQ(child->geometry(), QRect(10, 80 - 20 - 40, 30, 40));
  EXPECT_EQ(frameOf(child), Rect(10, 20, 30, 40));
  EXPECT_EQ(convertPoint({0, 0}, child, nullptr), (Point{10, 20}));
}

TEST_F(WindowTest, ChildWindowsFollowTheirParentAndStayAboveIt) {
  Window parent(false);
  parent.setFrame({100, 100, 300, 200});
  parent.orderFront();
  Window child(true);
  child.setFrame({150, 150, 50, 50});
  parent.addChildWindow(&child);
  EXPECT_TRUE(child.isVisible()) << "added to a visible parent, it shows";
  parent.setFrameOrigin({130, 90});
  EXPECT_EQ(child.frame(), Rect(180, 140, 50, 50));
  auto order = Window::orderedWindows();
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order[0], &child);
  EXPECT_EQ(order[1], &parent);
  parent.removeChildWindow(&child);
  parent.setFrameOrigin({0, 0});
  EXPECT_EQ(child.frame(), Rect(180, 140, 50, 50)) << "no longer follows";
}

TEST_F(WindowTest, MenusPopupsAndTooltipsAreNeverTheFrontWindow) {
  Window a;
  a.orderFront();
  struct Case {
    const char* name;
    Qt::WindowType type;
    bool counts;
  };
  const Case cases[] = {
      {"menu or combo-box list", Qt::Popup, false},
      {"tooltip", Qt::ToolTip, false},
      {"splash screen", Qt::SplashScreen, false},
      {"plain window", Qt::Window, true},
      {"dialog", Qt::Dialog, true},
      {"tool window", Qt::Tool, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget w(nullptr, c.type);
    w.resize(50, 50);
    w.show();
    QCoreApplication::processEvents();
    w.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_FALSE(Window::orderedWindows().empty());
    EXPECT_EQ(Window::orderedWindows().front() == &w, c.counts);
    if (!c.counts) {
      EXPECT_EQ(Window::orderedWindows().front(), &a);
    }
    w.hide();
  }
}

TEST_F(WindowTest, OrderedWindowsListsVisibleTopLevelsFrontToBack) {
  Window a, b;
  QWidget plain;  // any Qt top-level counts
  a.orderFront();
  b.orderFront();
  plain.show();
  auto order = Window::orderedWindows();
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0], &plain);
  EXPECT_EQ(order[1], &b);
  EXPECT_EQ(order[2], &a);
  a.orderFront();
  EXPECT_EQ(Window::orderedWindows()[0], &a);
  a.orderOut();
  plain.hide();
  order = Window::orderedWindows();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order[0], &b);
  EXPECT_EQ(std::count(order.begin(), order.end(), &a), 0);
}

TEST_F(WindowTest, KeyWindowChangesAreSignalled) {
  Window a, b;
  int aBecame = 0, aResigned = 0, bBecame = 0;
  QObject::connect(&a, &Window::didBecomeKey, [&] { ++aBecame; });
  QObject::connect(&a, &Window::didResignKey, [&] { ++aResigned; });
  QObject::connect(&b, &Window::didBecomeKey, [&] { ++bBecame; });
  a.makeKeyAndOrderFront();
  EXPECT_TRUE(a.isKeyWindow());
  EXPECT_EQ(Window::keyWindow(), &a);
  b.makeKeyAndOrderFront();
  EXPECT_TRUE(b.isKeyWindow());
  EXPECT_FALSE(a.isKeyWindow());
  EXPECT_GE(aBecame, 1);
  EXPECT_GE(aResigned, 1);
  EXPECT_GE(bBecame, 1);
  b.orderOut();
  EXPECT_FALSE(b.isKeyWindow()) << "a window taken off the screen is no longer key";
}

TEST_F(WindowTest, AlphaAnimatesOnTheClockAndReportsHowItStopped) {
  Window w(true);
  std::vector<bool> stops;
  w.animateAlphaValue(0, 0.25, [&](bool finished) { stops.push_back(finished); });
  clock_->advance(0.125);
  EXPECT_GT(w.alphaValue(), 0.0);
  EXPECT_LT(w.alphaValue(), 1.0);
  EXPECT_TRUE(w.isAnimatingAlpha());
  // A new animation replaces the running one.
  w.animateAlphaValue(1, 0.25, [&](bool finished) { stops.push_back(finished); });
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_FALSE(stops[0]);
  clock_->advance(0.3);
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_TRUE(stops[1]);
  EXPECT_EQ(w.alphaValue(), 1.0);
  EXPECT_FALSE(w.isAnimatingAlpha());
}

TEST_F(WindowTest, ModalSessionEndsFromAMainQueueBlockATimerOrAnotherThread) {
  Window w;
  // A block queued on the main queue runs inside the session and ends it.
  mainQueue().async([] { stopModal(7); });
  EXPECT_EQ(runModalForWindow(&w), 7);
  EXPECT_FALSE(isModalSessionRunning());
  EXPECT_EQ(w.windowModality(), Qt::NonModal) << "modality is given back";

  // From another thread.
  std::thread worker;
  QTimer::singleShot(0, [&] { worker = std::thread([] { stopModal(3); }); });
  EXPECT_EQ(runModalForWindow(&w), 3);
  worker.join();

  // Nested sessions end innermost first.
  Window inner;
  std::vector<int> codes;
  QTimer::singleShot(0, [&] {
    EXPECT_EQ(modalWindow(), &w);
    QTimer::singleShot(0, [&] {
      EXPECT_EQ(modalWindow(), &inner);
      stopModal(2);
    });
    codes.push_back(runModalForWindow(&inner));
    EXPECT_EQ(modalWindow(), &w);
    stopModal(1);
  });
  codes.push_back(runModalForWindow(&w));
  EXPECT_EQ(codes, (std::vector<int>{2, 1}));
}

TEST_F(WindowTest, StopModalWithoutASessionDoesNothing) {
  stopModal(5);
  Window w;
  QTimer::singleShot(0, [] { stopModal(9); });
  EXPECT_EQ(runModalForWindow(&w), 9);
}

TEST_F(WindowTest, PresenterCanBeReplacedToActInsideAModalSession) {
  struct Driving : Presenter {
    int seen = 0;
    int runModal(Window& w) override {
      QTimer::singleShot(0, [this] {
        ++seen;
        stopModal(42);
      });
      return Presenter::runModal(w);
    }
  } driving;
  ScopedPresenter scoped(driving);
  Window w;
  EXPECT_EQ(currentPresenter().runModal(w), 42);
  EXPECT_EQ(driving.seen, 1);
}

// A shadow is made again only for a new size or shape: one of the same size but another shape is its own, and the
// first shape again gives the first shadow.
TEST_F(WindowTest, ShadowsFollowTheShapeTheyAreGivenWhateverWasMadeBefore) {
  QWidget owner(nullptr, Qt::FramelessWindowHint);
  owner.setGeometry(200, 200, 120, 80);
  QPainterPath box, disc;
  box.addRect(0, 0, 120, 80);
  disc.addEllipse(0, 0, 120, 80);
  auto shadowOf = [&](const QPainterPath& shape) {
    WindowShadow shadow(&owner);
    shadow.follow(shape);
    return shadow.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  };
  const QImage ofBox = shadowOf(box), ofDisc = shadowOf(disc), ofBoxAgain = shadowOf(box);
  // Just below the frame, near its corner: the box's shadow is dark there, the disc's (whose edge is far from the
  // corner) faint.
  const int m = WindowShadow::margin();
  const QPoint corner(m + 116, m + 83);
  EXPECT_GT(qAlpha(ofBox.pixel(corner)), qAlpha(ofDisc.pixel(corner)) + 40);
  EXPECT_EQ(ofBoxAgain, ofBox);
  EXPECT_NE(ofDisc, ofBox);
}

}  // namespace
}  // namespace platform
