// The tripod-head panel against the stand-in head on the device, used with real mouse events: drags and releases
// that reach the head in order, a slow head whose waiting stop is never dropped, a double click that keeps the
// head moving until the panel closes, the speed slider's steps, failures reported, and the battery.
#include <QSlider>

#include "controls/automation/focus_stack_test_fixture.h"
#include "controls/automation/tripod_view_controller.h"
#include "guitest/gui_test.h"
#include "platform/foundation/localized_strings.h"
#include "platform/ui/image_view.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"
#include "platform/ui/window.h"
#include "session/ptp_errors.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

namespace {

using devicesim::TripodCommand;

std::vector<int> moves(const std::vector<TripodCommand>& commands) {
  std::vector<int> out;
  for (const TripodCommand& c : commands)
    if (c.command == 4) out.push_back(c.direction);
  return out;
}
std::vector<int> speeds(const std::vector<TripodCommand>& commands) {
  std::vector<int> out;
  for (const TripodCommand& c : commands)
    if (c.command == 11) out.push_back(c.speed);
  return out;
}
size_t batteryReads(const std::vector<TripodCommand>& commands) {
  size_t n = 0;
  for (const TripodCommand& c : commands) n += c.command == 5;
  return n;
}

class TripodPanelTest : public guitest::GuiTest {
 protected:
  void SetUp() override {
    guitest::GuiTest::SetUp();
    QY_TripodViewController::resetSharedSpeed();
    ASSERT_TRUE(connect("canon"));
    head().setBatteryLevel(5000);
  }
  void TearDown() override {
    head().releaseReplies();
    popover_.reset();
    panel_.reset();
    window_.reset();
    guitest::GuiTest::TearDown();
  }

  devicesim::TripodHead& head() { return rig().tripod(); }

  // The panel in the widget kit's popover over a window, as the capture control panel shows it.
  void showInPopover() {
    panel_ = std::make_unique<QY_TripodViewController>();
    ASSERT_TRUE(focus_stack_testing::showInKitPopover(*panel_, window_, popover_));
  }

  // The pad's point at a compass angle (degrees counter-clockwise from right), 70 points out, in Qt coordinates.
  QPoint padPoint(double degrees) {
    QWidget* pad = panel_->oTripodMoveView;
    const double a = degrees * M_PI / 180.0;
    return QPoint(int(pad->width() / 2.0 + 70 * std::cos(a)), int(pad->height() / 2.0 - 70 * std::sin(a)));
  }
  // Lets more than the double-click interval pass on the widgets' clock, so that the next press is a single one.
  void pauseBetweenClicks() {
    const double until = platform::currentTimeSource()->now() + 0.5;
    ASSERT_TRUE(waitUntil([&] { return platform::currentTimeSource()->now() > until; }));
  }
  // A double click on the pad, its two presses at one instant of a clock that stands still meanwhile (so that a
  // slow machine cannot pull them further apart than a double click's 0.4 s).
  ::testing::AssertionResult doubleClickPad(QPoint at) {
    auto still = std::make_shared<platform::testing::ManualTimeSource>();
    static double later = 0;  // each double click's instant after the last one's (the pad remembers the last press)
    still->advance(later += 100);
    platform::ScopedTimeSource frozen(still);
    QWidget* pad = panel_->oTripodMoveView;
    if (!guitest::press(pad, at) || !guitest::release(pad, at) || !guitest::press(pad, at) || !guitest::release(pad, at))
      return ::testing::AssertionFailure() << "no double click";
    return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult headGets(const std::function<bool(const std::vector<TripodCommand>&)>& condition) {
    if (waitUntil([&] { return condition(head().commands()); })) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure() << "the head has:";
    for (const TripodCommand& c : head().commands())
      failure << " " << int(c.command) << "/" << int(c.direction) << "/" << c.speed;
    return failure;
  }
  // An alert whose message begins with `text` (the result's message follows it).
  ::testing::AssertionResult alertStarting(const std::string& text) {
    const auto seen = [&] {
      for (const auto& a : alerts().shown())
        if (a.message.rfind(text, 0) == 0) return true;
      return false;
    };
    if (waitUntil(seen)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no alert \"" << text << "\"";
  }
  ::testing::AssertionResult movesAre(std::vector<int> expected) {
    return headGets([expected](const auto& c) { return moves(c) == expected; });
  }

  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<QY_TripodViewController> panel_;
  std::unique_ptr<SFBPopover> popover_;
};

TEST_F(TripodPanelTest, DragsAndReleasesReachTheHeadInOrder) {
  showInPopover();
  QWidget* pad = panel_->oTripodMoveView;
  pauseBetweenClicks();
  ASSERT_TRUE(guitest::press(pad, padPoint(90)));
  ASSERT_TRUE(movesAre({1}));
  ASSERT_TRUE(guitest::moveMouse(pad, padPoint(45)));
  ASSERT_TRUE(movesAre({1, 9}));
  ASSERT_TRUE(guitest::moveMouse(pad, padPoint(10)));
  ASSERT_TRUE(movesAre({1, 9, 8}));
  ASSERT_TRUE(guitest::release(pad, padPoint(10)));
  ASSERT_TRUE(movesAre({1, 9, 8, 0}));
  EXPECT_EQ(head().direction(), 0);
  // The head logs a move as it receives it; the panel learns of it only from the reply.
  EXPECT_TRUE(waitUntil([&] { return panel_->currentDirection() == 0; })) << panel_->currentDirection();
  EXPECT_EQ(alerts().count(), 0u);
}

TEST_F(TripodPanelTest, ASlowHeadGetsTheLatestMoveAndNeverLosesTheStop) {
  showInPopover();
  QWidget* pad = panel_->oTripodMoveView;
  ASSERT_TRUE(headGets([](const auto& c) { return speeds(c) == std::vector<int>{512}; }));
  pauseBetweenClicks();
  head().holdReplies();
  // The first move reaches the head, which takes its time to answer; the next ones queue on the panel.
  ASSERT_TRUE(guitest::press(pad, padPoint(90)));
  ASSERT_TRUE(movesAre({1}));
  ASSERT_TRUE(guitest::moveMouse(pad, padPoint(45)));
  ASSERT_TRUE(guitest::moveMouse(pad, padPoint(0)));
  ASSERT_TRUE(guitest::release(pad, padPoint(0)));
  // A speed change while the stop waits: both go out.
  panel_->oTripodSpeedSlider->setValue(700);
  settle();
  head().releaseReplies();
  ASSERT_TRUE(headGets([](const auto& c) { return moves(c).size() == 2 && speeds(c).size() == 2; }));
  const std::vector<TripodCommand> all = head().commands();
  EXPECT_EQ(moves(all), (std::vector<int>{1, 0})) << "the moves in between were dropped, the stop was not";
  EXPECT_EQ(speeds(all), (std::vector<int>{512, 700}));
  EXPECT_EQ(head().direction(), 0);
  EXPECT_EQ(head().speed(), 700);
}

TEST_F(TripodPanelTest, ADoubleClickedMoveStopsWhenThePanelCloses) {
  showInPopover();
  ASSERT_TRUE(doubleClickPad(padPoint(0)));
  // Once every request has gone out: the stop of the first release may have been overtaken by the second press
  // while it waited.
  ASSERT_TRUE(waitUntil([&] { return panel_->pendingRequests() == 0; }));
  ASSERT_TRUE(headGets([](const auto& c) { return moves(c).size() >= 2 && moves(c).back() == 8; }));
  EXPECT_EQ(panel_->currentDirection(), 8);
  EXPECT_TRUE(panel_->oTripodMoveView->directionLocked());
  EXPECT_EQ(head().direction(), 8) << "the head keeps moving after the release";
  const size_t sent = moves(head().commands()).size();

  ASSERT_TRUE(guitest::click(panel_->view(), "oCloseButton"));
  ASSERT_TRUE(headGets([&](const auto& c) { return moves(c).size() == sent + 1 && moves(c).back() == 0; }));
  EXPECT_EQ(head().direction(), 0);
  EXPECT_FALSE(popover_->isVisible());
  EXPECT_FALSE(panel_->oTripodMoveView->directionLocked());
}

TEST_F(TripodPanelTest, AHostedPanelStopsTheHeadWhenItsWindowCloses) {
  // As the tripod window hosts it: the view in a window of its own, no close button.
  window_ = std::make_unique<platform::Window>();
  panel_ = std::make_unique<QY_TripodViewController>();
  panel_->hideCloseButton();
  window_->setContentView(panel_->view());
  ASSERT_TRUE(guitest::showWindow(window_.get()));
  EXPECT_FALSE(panel_->oCloseButton->isVisible());
  ASSERT_TRUE(doubleClickPad(padPoint(270)));
  ASSERT_TRUE(waitUntil([&] { return panel_->pendingRequests() == 0; }));
  ASSERT_TRUE(headGets([](const auto& c) { return moves(c).size() >= 2 && moves(c).back() == 2; }));
  const size_t sent = moves(head().commands()).size();

  // The user closes the window.
  window_->close();
  ASSERT_TRUE(headGets([&](const auto& c) { return moves(c).size() == sent + 1 && moves(c).back() == 0; }));
  EXPECT_EQ(head().direction(), 0);
  // The window goes with the view it holds; the panel that made the view goes after it.
  window_.reset();
  panel_.reset();
  settle();
}

TEST_F(TripodPanelTest, SpeedChangesSmallerThanTwentyAreNotSent) {
  showInPopover();
  ASSERT_TRUE(headGets([](const auto& c) { return speeds(c) == std::vector<int>{512}; }));
  EXPECT_EQ(panel_->oTripodSpeedSlider->value(), 512);
  panel_->oTripodSpeedSlider->setValue(525);
  settle();
  EXPECT_EQ(panel_->oTripodSpeedSlider->value(), 512) << "the slider shows the speed in force";
  panel_->oTripodSpeedSlider->setValue(540);
  ASSERT_TRUE(headGets([](const auto& c) { return speeds(c) == std::vector<int>{512, 540}; }));
  EXPECT_EQ(QY_TripodViewController::sharedSpeed(), 540);

  // Every panel starts at 512; one that finds 512 in force (the head has one speed) sends nothing.
  QY_TripodViewController second;
  second.view();
  EXPECT_EQ(second.tripodSpeed(), 512);
  ASSERT_TRUE(headGets([](const auto& c) { return speeds(c) == std::vector<int>{512, 540, 512}; }));
  QY_TripodViewController third;
  third.view();
  EXPECT_EQ(third.tripodSpeed(), 512);
  settle();
  EXPECT_EQ(speeds(head().commands()), (std::vector<int>{512, 540, 512}));
}

TEST_F(TripodPanelTest, RefusedMovesAndSpeedsAreReported) {
  showInPopover();
  ASSERT_TRUE(headGets([](const auto& c) { return speeds(c).size() == 1; }));
  head().setRefuse(true);
  pauseBetweenClicks();
  ASSERT_TRUE(guitest::press(panel_->oTripodMoveView, padPoint(180)));
  ASSERT_TRUE(alertStarting(platform::localizedString("TripodMotionFailed")));
  ASSERT_TRUE(guitest::release(panel_->oTripodMoveView, padPoint(180)));

  panel_->oTripodSpeedSlider->setValue(800);
  ASSERT_TRUE(alertStarting(platform::localizedString("TripodSpeedFailed")));
  ASSERT_TRUE(waitUntil([&] { return panel_->oTripodSpeedSlider->value() == 512; })) << "the old speed is back";
  EXPECT_EQ(QY_TripodViewController::sharedSpeed(), 512);
}

TEST_F(TripodPanelTest, TheBatteryShowsItsLevelAndWaitsForTheHeadToStop) {
  head().setBatteryLevel(4599);
  showInPopover();
  ASSERT_TRUE(waitUntil([&] { return !panel_->batteryImage().empty(); }));
  EXPECT_EQ(panel_->batteryImage(), "BatteryIndicator_25");
  EXPECT_FALSE(panel_->oTripodBatteryImageView->image().isNull());
  head().setBatteryLevel(4600);
  panel_->checkBattery();
  ASSERT_TRUE(waitUntil([&] { return panel_->batteryImage() == "BatteryIndicator_50"; }));

  // While the head moves the read waits; the stop lets it happen.
  pauseBetweenClicks();
  ASSERT_TRUE(guitest::press(panel_->oTripodMoveView, padPoint(90)));
  ASSERT_TRUE(waitUntil([&] { return panel_->currentDirection() == 1; }));
  const size_t reads = batteryReads(head().commands());
  head().setBatteryLevel(5200);
  panel_->checkBattery();
  ASSERT_TRUE(waitUntil([&] { return panel_->batteryReadWaiting(); }));
  EXPECT_EQ(batteryReads(head().commands()), reads);
  ASSERT_TRUE(guitest::release(panel_->oTripodMoveView, padPoint(90)));
  ASSERT_TRUE(headGets([&](const auto& c) { return batteryReads(c) == reads + 1; }));
  ASSERT_TRUE(waitUntil([&] { return panel_->batteryImage() == "BatteryIndicator_100"; }));
  EXPECT_EQ(alerts().count(), 0u);
}

TEST_F(TripodPanelTest, AHeadThatSeemsUnpluggedIsReportedOncePerPanel) {
  head().setBatteryLevel(120);
  showInPopover();
  ASSERT_TRUE(waitUntil([&] { return alerts().count() == 1; }));
  EXPECT_NE(alerts().shown().front().message.find("may not be connected"), std::string::npos);
  EXPECT_EQ(panel_->batteryImage(), "BatteryIndicator_0");
  const size_t reads = batteryReads(head().commands());
  panel_->checkBattery();
  ASSERT_TRUE(headGets([&](const auto& c) { return batteryReads(c) > reads; }));
  settle();
  EXPECT_EQ(alerts().count(), 1u);
}

TEST(TripodBattery, LevelsToImages) {
  struct Case {
    int level;
    const char* image;
  };
  const Case cases[] = {
      {6000, "BatteryIndicator_100"}, {5000, "BatteryIndicator_100"}, {4999, "BatteryIndicator_50"},
      {4600, "BatteryIndicator_50"},  {4599, "BatteryIndicator_25"},  {4300, "BatteryIndicator_25"},
      {4299, "BatteryIndicator_0"},   {1, "BatteryIndicator_0"},      {0, "BatteryIndicator_NoConnection"},
      {-7, "BatteryIndicator_NoConnection"},
  };
  for (const Case& c : cases) EXPECT_EQ(QY_TripodViewController::batteryImageName(c.level), c.image) << c.level;
}

}  // namespace
