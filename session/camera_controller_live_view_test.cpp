// The session controller's live view, movie mode and recording against the stand-in device with a simulated Canon
// camera: the switches and their notifications, the frame loop, the waits that callers hand a semaphore to, and
// the failure paths (a busy camera, a lost link).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller_live_view_test_fixture.h"
#include "session/live_view_switch.h"
#include "session/ptp_errors.h"

namespace {

using session_testing::NotificationLog;

class LiveViewTest : public LiveViewSessionTest<SessionDeviceTest> {};

std::string errorText(const char* key, uint16_t code) {
  return PtpErrors::appendString(platform::localizedString(key) + " ", code);
}

TEST_F(LiveViewTest, LiveViewMovieModeAndRecordingFollowEachOtherInOrder) {
  startSessionQuietly();
  NotificationLog log(kLiveViewNotifications);
  CameraController& controller = CameraController::instance();

  controller.toggleLiveView(true, nullptr);
  ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) >= 3; }));
  EXPECT_EQ(controller.liveViewStatus(), 1u);
  EXPECT_TRUE(controller.isLiveViewOn(false));
  EXPECT_TRUE(canon->liveViewOn());
  // Each frame is the Canon frame buffer: its header, then the JPEG picture of the length the header gives.
  const platform::Data frame = log.objects(kLiveViewImageNotification).front().toData();
  ASSERT_GT(frame.size(), kCanonLiveViewHeaderSize);
  EOS_LiveViewInfoStruct header;
  std::memcpy(&header, frame.data(), kCanonLiveViewHeaderSize);
  EXPECT_EQ(header.kind, 1);
  EXPECT_EQ(sizeof(EOS_LiveViewInfoStruct) + header.imageLength, frame.size());  // 1368 bytes and the image
  EXPECT_EQ(frame[kCanonLiveViewHeaderSize], 0xFF);
  EXPECT_EQ(frame[kCanonLiveViewHeaderSize + 1], 0xD8);

  controller.toggleMovieMode(true, nullptr);  // leaves live view first
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieModeToggledNotification) == 1; }));
  EXPECT_EQ(controller.liveViewStatus(), 2u);
  EXPECT_TRUE(canon->liveViewOn()) << "the camera shows movie mode on the computer";
  EXPECT_FALSE(controller.isLiveViewOn(false));
  EXPECT_TRUE(controller.isLiveViewOn(true));
  const size_t framesBeforeRecording = log.count(kLiveViewImageNotification);
  ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) > framesBeforeRecording + 2; }))
      << "movie mode shows frames through the same loop";

  controller.toggleMovieRecording(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 1; }));
  EXPECT_EQ(controller.liveViewStatus(), 3u);
  EXPECT_TRUE(canon->recording());
  controller.toggleMovieRecording(false);
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 2; }));
  EXPECT_EQ(controller.liveViewStatus(), 2u);
  EXPECT_FALSE(canon->recording());

  controller.toggleMovieMode(false, nullptr);
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieModeToggledNotification) == 2; }));
  EXPECT_EQ(controller.liveViewStatus(), 0u);
  EXPECT_FALSE(canon->liveViewOn());
  ASSERT_TRUE(waitFor([] { return !CameraController::liveViewRunning(); })) << "the loop ends with the mode";

  // The switches' notifications in order, each with the state that holds afterwards.
  EXPECT_EQ(switchPosts(log), movieRoundPosts());
  EXPECT_TRUE(alertsSinceStart().empty()) << alertsSinceStart().front().message;
}

// How a switch is made to fail: the camera refuses every property set as busy, or the device drops the link.
enum class Failure { Busy, Disconnect };

TEST_F(LiveViewTest, EveryFailedSwitchSignalsItsCallerAndPostsTheStateThatHolds) {
  struct Case {
    const char* what;
    uint64_t startStatus;  // 0 off, 1 live view, 2 movie mode
    bool movie, on;
    Failure failure;
    const char* notification;
    bool posted;            // the state the notification reports
    uint64_t statusAfter;
    const char* alertKey;   // the one alert shown
  } cases[] = {
      {"live view on, busy", 0, false, true, Failure::Busy, kLiveViewToggledNotification, false, 0, "StartLiveViewError"},
      {"live view on, link lost", 0, false, true, Failure::Disconnect, kLiveViewToggledNotification, false, 0,
       "StartLiveViewError"},
      {"live view off, busy", 1, false, false, Failure::Busy, kLiveViewToggledNotification, true, 1, "StopLiveViewError"},
      // Movie mode on must leave live view first; that fails, and only the live-view switch's alert is shown.
      {"movie on after a failed live-view off", 1, true, true, Failure::Busy, kMovieModeToggledNotification, false, 1,
       "StopLiveViewError"},
      {"movie on, link lost", 0, true, true, Failure::Disconnect, kMovieModeToggledNotification, false, 0,
       "StartMovieError"},
      {"movie off, busy", 2, true, false, Failure::Busy, kMovieModeToggledNotification, true, 2, "StopMovieError"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restartWithFreshCanon();
    startSessionQuietly();
    CameraController& controller = CameraController::instance();
    if (c.startStatus != 0) {
      ASSERT_TRUE(switchAndWait(c.startStatus == 2, true));
    }
    NotificationLog log({c.notification});
    const size_t alertsBefore = alertsSinceStart().size();
    if (c.failure == Failure::Busy) {
      canon->refuseSets(1000);  // every switch of this body is a property set
    } else {
      driveConnection = false;
      device.dropClient();
      ASSERT_TRUE(device.waitForNoClient(std::chrono::seconds(5)));
    }

    auto done = std::make_shared<platform::Semaphore>(0);
    if (c.movie)
      controller.toggleMovieMode(c.on, done);
    else
      controller.toggleLiveView(c.on, done);
    ASSERT_TRUE(waitForSignal(*done)) << "the caller would wait for ever";
    ASSERT_TRUE(waitFor([&] { return log.count(c.notification) == 1 && alertsSinceStart().size() > alertsBefore; }));
    EXPECT_EQ(log.objects(c.notification).front().toBool(), c.posted);
    EXPECT_EQ(controller.liveViewStatus(), c.statusAfter);
    const uint8_t stored = c.movie ? controller.lastToggleMovieStatus() : controller.lastToggleLiveViewStatus();
    EXPECT_NE(stored, PTP_RC_OK & 0xFF);
    drainMainQueue();
    const std::vector<session_testing::ShownAlert> alerts = alertsSinceStart();
    ASSERT_EQ(alerts.size(), alertsBefore + 1);
    if (c.failure == Failure::Disconnect) {
      EXPECT_EQ(stored, ERROR_CONNECTION_FAILURE & 0xFF);
      EXPECT_EQ(alerts.back().message, errorText(c.alertKey, ERROR_CONNECTION_FAILURE));
    } else {
      // A camera that stays busy: the engine's own answer after its retries, whichever it is, under the key.
      const std::string prefix = platform::localizedString(c.alertKey) + "  ";
      EXPECT_EQ(alerts.back().message.compare(0, prefix.size(), prefix), 0) << alerts.back().message;
    }
  }
}

TEST_F(LiveViewTest, StoppingTheStreamWaitsOnlyOnAWorker) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  // Nothing runs: true at once, on any thread.
  EXPECT_TRUE(controller.stopLiveViewStream(true));

  ASSERT_TRUE(switchAndWait(false, true));
  // On the main thread the wait could never end: false at once, and live view goes on.
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(controller.stopLiveViewStream(true));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_EQ(controller.liveViewStatus(), 1u);
  EXPECT_TRUE(CameraController::liveViewRunning());

  // On a worker it waits for the switch-off and reports it; then the second call finds nothing to stop.
  std::future<bool> stopped = std::async(std::launch::async, [&] { return controller.stopLiveViewStream(true); });
  ASSERT_TRUE(waitFor([&] { return stopped.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_TRUE(stopped.get());
  EXPECT_EQ(controller.liveViewStatus(), 0u);
  EXPECT_FALSE(canon->liveViewOn());
  ASSERT_TRUE(waitFor([] { return !CameraController::liveViewRunning(); }));

  // A switch-off that fails is reported as such.
  ASSERT_TRUE(switchAndWait(false, true));
  canon->refuseSets(1000);
  stopped = std::async(std::launch::async, [&] { return controller.stopLiveViewStream(true); });
  ASSERT_TRUE(waitFor([&] { return stopped.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_FALSE(stopped.get());
  EXPECT_EQ(controller.liveViewStatus(), 1u);
}

TEST_F(LiveViewTest, BusyFramesAreWaitedOutAndAnyOtherFailureEndsLiveView) {
  struct Case {
    uint16_t answer;
    bool ends;
  } cases[] = {{PTP_RC_DEVICE_BUSY, false}, {PTP_RC_CANON_BUSY, false}, {0x2002, true}, {0x200F, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.answer);
    restartWithFreshCanon();
    startSessionQuietly();
    ASSERT_TRUE(switchAndWait(false, true));
    NotificationLog log(kLiveViewNotifications);
    canon->failOperation(0x9153, std::nullopt, c.answer, 3);
    if (c.ends) {
      ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewToggledNotification) == 1; }));
      EXPECT_FALSE(log.objects(kLiveViewToggledNotification).front().toBool());
      EXPECT_TRUE(waitFor([] { return !CameraController::liveViewRunning(); }));
      EXPECT_EQ(CameraController::instance().liveViewStatus(), 0u);
    } else {
      // Past the three busy answers the frames come again, and live view stays on.
      ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) >= 3; }));
      EXPECT_EQ(log.count(kLiveViewToggledNotification), 0u);
      EXPECT_EQ(CameraController::instance().liveViewStatus(), 1u);
    }
    EXPECT_TRUE(alertsSinceStart().empty()) << "a failed frame ends live view silently";
  }
}

TEST_F(LiveViewTest, AStopDuringAFrameFetchDropsThatFrame) {
  startSessionQuietly();
  ASSERT_TRUE(switchAndWait(false, true));
  NotificationLog log({kLiveViewImageNotification});
  // With the lock held the loop cannot start a fetch; the next answer of the device is then the loop's next frame.
  Utilities::lockLiveView();
  drainMainQueue();
  const size_t shown = log.count(kLiveViewImageNotification);
  const size_t fetches = receivedCount("ptp 0x9153");
  device.scriptFault(devicesim::Fault::delayed(std::chrono::milliseconds(400)));
  Utilities::unlockLiveView();
  ASSERT_TRUE(waitFor([&] { return receivedCount("ptp 0x9153") == fetches + 1; }));
  CameraController::killLiveViewLoop();
  ASSERT_TRUE(waitFor([] { return !CameraController::liveViewRunning(); }));
  drainMainQueue();
  EXPECT_EQ(log.count(kLiveViewImageNotification), shown);
  EXPECT_EQ(receivedCount("ptp 0x9153"), fetches + 1) << "no fetch after the stop";
}

TEST_F(LiveViewTest, TheCamerasRecordingStateMovesTheStatus) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  NotificationLog log({kMovieModeToggledNotification, kMovieRecordingToggledNotification});
  const std::string name = "JW_" + std::to_string(0xD21D);
  auto report = [&](const std::string& notification) {
    // The pump posts property changes on the event thread.
    std::thread([notification] { platform::NotificationCenter::defaultCenter().postNotificationName(notification); })
        .join();
    drainMainQueue();
  };

  report(name);  // a camera without the property: nothing
  EXPECT_EQ(controller.liveViewStatus(), 0u);
  ASSERT_NE(propCreate(0xD21D), nullptr);
  setRecordingState(1);
  report("JW_" + std::to_string(0xD21C));  // another property: nothing
  EXPECT_EQ(controller.liveViewStatus(), 0u);

  report(name);  // recording from status 0: movie mode first, then recording
  EXPECT_EQ(controller.liveViewStatus(), 3u);
  EXPECT_TRUE(CameraController::liveViewRunning());
  report(name);  // still recording: nothing new
  setRecordingState(0);
  report(name);
  EXPECT_EQ(controller.liveViewStatus(), 2u);
  report(name);  // not recording in movie mode: nothing new

  EXPECT_EQ(switchPosts(log), (std::vector<std::string>{posted(kMovieModeToggledNotification, true),
                                                       posted(kMovieRecordingToggledNotification, true),
                                                       posted(kMovieRecordingToggledNotification, false)}));
}

TEST_F(LiveViewTest, TheHousekeepingFreesTheCameraThroughTheSwitchOfTheModeThatIsOn) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  controller.installLiveViewSwitch();  // another test may have put a stand-in there
  auto freeCamera = [&] {
    std::future<bool> freed = std::async(std::launch::async, [] { return Utilities::blockForLiveViewOff(); });
    EXPECT_TRUE(waitFor([&] { return freed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return freed.get();
  };
  ASSERT_TRUE(switchAndWait(false, true));
  EXPECT_TRUE(freeCamera());
  EXPECT_EQ(controller.liveViewStatus(), 0u);
  EXPECT_FALSE(canon->liveViewOn());

  // In movie mode the movie switch goes off, and its own result is what counts: an earlier successful live-view
  // switch-off is no answer for it.
  ASSERT_TRUE(switchAndWait(true, true));
  canon->refuseSets(1000);
  EXPECT_FALSE(freeCamera());
  EXPECT_EQ(controller.liveViewStatus(), 2u);
}

}  // namespace
