// Shared services: alerts from any thread, the connection status, the live-view lock, notification names and
// automation type names.
#include "session/utilities.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"
#include "session/ptp_errors.h"
#include "session/utilities_alert_recorder.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kWait = 10s;

class UtilitiesAlertTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
  bool awaitAlerts(size_t n) {
    return platform::runMainUntil([&] { return recorder_.count() >= n; }, kWait);
  }
  session_testing::AlertRecorder recorder_;
  platform::ScopedPresenter scoped_{recorder_};
};

TEST_F(UtilitiesAlertTest, AlertsFromAWorkerReturnAtOnceAndAppearOnTheMainThread) {
  platform::Semaphore returned;
  std::thread worker([&] {
    // Nothing runs the main thread's event loop meanwhile: a call that waited for the main thread would hang.
    Utilities::showWarningMessage("Card almost full.");
    Utilities::showInfoMessage("All images saved.", "Done");
    Utilities::showErrorMessage("Capture failed.", std::string("Check the lens."));
    Utilities::showErrorMessage("Could not read.", uint16_t{0xFF0E});
    Utilities::showInfoMessage("Bracketing finished.", "Automation", true);
    returned.signal();
  });
  ASSERT_TRUE(returned.waitFor(kWait)) << "a worker never waits for the user";
  worker.join();
  EXPECT_EQ(recorder_.count(), 0u) << "nothing is shown on the worker";

  ASSERT_TRUE(awaitAlerts(5));
  const auto shown = recorder_.shown();
  struct Expected {
    uint64_t style;
    const char* title;
    const char* message;
    bool help;
    bool modal;
  };
  const Expected expected[] = {
      {0, "Warning", "Card almost full.", false, true},
      {1, "Done", "All images saved.", false, true},
      {2, "Error", "Capture failed.", true, true},
      {2, "Error", "Could not read.  Connection failure.", false, true},  // message, two blanks, the code's text
      {1, "Automation", "Bracketing finished.", false, false},           // closes itself: not modal
  };
  ASSERT_EQ(shown.size(), std::size(expected));
  for (size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(shown[i].thread, std::this_thread::get_id());
    EXPECT_EQ(shown[i].modal, expected[i].modal);
    EXPECT_EQ(shown[i].style, expected[i].style);
    EXPECT_EQ(shown[i].title, expected[i].title);
    EXPECT_EQ(shown[i].message, expected[i].message);
    EXPECT_EQ(shown[i].helpButton, expected[i].help);
  }
}

TEST_F(UtilitiesAlertTest, OnTheMainThreadAlertsAreModal) {
  Utilities::showErrorMessage("Busy camera:", uint16_t{0x2019});
  // Back here only once the user (the recorder) closed it.
  ASSERT_EQ(recorder_.count(), 1u);
  const auto a = recorder_.shown().front();
  EXPECT_TRUE(a.modal);
  EXPECT_EQ(a.message, "Busy camera:  " + PtpErrors::stringForResponseCode(0x2019));
  EXPECT_TRUE(a.window.isNull() || !a.window->isVisible());
}

// An error said again while the same one is on screen (every queued thumbnail of a dropped link fails) adds no
// alert, and no modal session inside the first; another error, or the same once closed, is said.
TEST_F(UtilitiesAlertTest, TheSameErrorWhileItIsOnScreenIsSaidOnce) {
  int nested = 0;
  recorder_.answer = [&nested](JW_Alert& alert, const session_testing::ShownAlert&) {
    if (nested++ == 0) {
      Utilities::showErrorMessage("The thumbnail could not be downloaded.");
      Utilities::showErrorMessage("The thumbnail could not be downloaded.");
      Utilities::showErrorMessage("Another failure.");
    }
    alert.okAction(alert.oOkButton);
  };
  Utilities::showErrorMessage("The thumbnail could not be downloaded.");
  ASSERT_EQ(recorder_.count(), 2u);
  EXPECT_EQ(recorder_.shown().at(0).message, "The thumbnail could not be downloaded.");
  EXPECT_EQ(recorder_.shown().at(1).message, "Another failure.");
  Utilities::showErrorMessage("The thumbnail could not be downloaded.");
  EXPECT_EQ(recorder_.count(), 3u);
}

// The self-dismissing alerts (the connection view's errors, the bulb timer's untitled "started" note): shown at
// once without a modal session, so the main thread is never held for them, and gone after 3 s.
TEST_F(UtilitiesAlertTest, SelfDismissingAlertsAreNotModalAndCloseAfterTheirTime) {
  auto clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scopedClock(clock);
  const struct {
    std::function<void()> show;
    uint64_t style;
    const char* title;
    const char* message;
  } cases[] = {
      {[] { Utilities::showAndDismissErrorMessage("Saved to the card.", 3.0); }, 2, "Error", "Saved to the card."},
      {[] { Utilities::showInfoMessage("Bulb exposure started.", "", true); }, 1, "", "Bulb exposure started."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const size_t before = recorder_.count();
    c.show();
    ASSERT_EQ(recorder_.count(), before + 1) << "shown at once, and the call came back with it on screen";
    const auto a = recorder_.shown().back();
    EXPECT_FALSE(a.modal);
    EXPECT_EQ(a.style, c.style);
    EXPECT_EQ(a.title, c.title);
    EXPECT_EQ(a.message, c.message);
    QPointer<platform::Window> window = a.window;
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    clock->advance(2.9);
    EXPECT_TRUE(window->isVisible());
    clock->advance(0.2);
    EXPECT_TRUE(window.isNull() || !window->isVisible());
  }
}

// Pressing the self-dismissing note's button closes it before its time.
TEST_F(UtilitiesAlertTest, AnAutoDismissingInfoClosesAtItsButtonToo) {
  auto clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scopedClock(clock);
  Utilities::showInfoMessage("Bulb exposure started.", "", true);
  ASSERT_EQ(recorder_.count(), 1u);
  QPointer<platform::Window> window = recorder_.shown().back().window;
  ASSERT_FALSE(window.isNull());
  auto* alert = qobject_cast<JW_Alert*>(window->windowController());
  ASSERT_NE(alert, nullptr);
  alert->okAction(alert->oOkButton);
  EXPECT_TRUE(window.isNull() || !window->isVisible()) << "its button closes it before the time";
  clock->advance(5);  // the pending close finds nothing left to close
}

TEST(UtilitiesTest, LiveViewLockTakenOnOneThreadIsFreedOnAnother) {
  Utilities::lockLiveView();  // held by the main thread

  platform::Semaphore acquired, release;
  std::thread waiter([&] {
    Utilities::lockLiveView();
    acquired.signal();
    release.wait();  // holds it until told; the main thread frees it
  });
  EXPECT_FALSE(acquired.waitFor(50ms)) << "a second holder must wait";
  EXPECT_FALSE(Utilities::tryLockLiveView(0));

  std::thread freer([] { Utilities::unlockLiveView(); });  // neither the holder nor the waiter
  freer.join();
  ASSERT_TRUE(acquired.waitFor(kWait)) << "freed by another thread, the waiter gets it";
  EXPECT_FALSE(Utilities::tryLockLiveView(0)) << "now the waiter holds it";

  Utilities::unlockLiveView();  // the main thread frees what the waiter took
  EXPECT_TRUE(Utilities::tryLockLiveView(kWait.count() * 1000));
  release.signal();
  waiter.join();

  // Freeing twice does not let two holders in.
  Utilities::unlockLiveView();
  Utilities::unlockLiveView();
  EXPECT_TRUE(Utilities::tryLockLiveView(0));
  EXPECT_FALSE(Utilities::tryLockLiveView(0));
  Utilities::unlockLiveView();
}

TEST(UtilitiesTest, ConnectionStatusIsKeptAndNumbersOutsideOneToSevenReadZero) {
  Utilities::setCurrentConnectionStatus(kConnectionStatusCameraConnected);
  EXPECT_EQ(Utilities::currentConnectionStatus(), 5);
  Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
  EXPECT_EQ(Utilities::currentConnectionStatus(), 0);

  const std::pair<int64_t, int32_t> cases[] = {{0, 0},  {1, 1},         {5, 5},          {7, 7},
                                               {8, 0},  {-1, 0},        {INT64_MAX, 0},  {int64_t{1} << 32 | 3, 0}};
  for (auto [in, out] : cases) EXPECT_EQ(Utilities::connectionStatusForInteger(in), out) << in;
  EXPECT_EQ(Utilities::currentSsid(), "");
}

TEST(UtilitiesTest, PropertyCodeIsTheNumberAfterTheFirstUnderscore) {
  const std::pair<std::string, uint32_t> cases[] = {
      {"JW_" + std::to_string(53745), 53745},
      {"JW_Olc_12", 0},           // an on-screen exposure item, not a property
      {"JW_53745_extra", 53745},  // only the second piece counts
      {"JW_12abc", 12},           // digits at its start
      {"JW_", 0},
      {"JWNotification", 0},      // no "_" at all: nothing read beyond the name
      {"", 0},
      {"_7", 7},
      {"JW_99999999999", 2147483647},  // clamped like the platform's integer reading
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(Utilities::propertyCodeFromNotification(name), code) << name;
}

TEST(UtilitiesTest, DelayTypeNamesTheLowestSetBit) {
  const std::pair<int32_t, const char*> cases[] = {
      {1, "intervalometer"}, {3, "intervalometer"}, {2, "advanced bracketing"}, {6, "advanced bracketing"},
      {4, "bulb ramping"},   {0, ""},               {8, ""},                    {-1, "intervalometer"},
  };
  for (auto [flags, name] : cases) EXPECT_EQ(Utilities::stringForDelayType(flags), name) << flags;
}

}  // namespace
