#pragma once
// For tests of the session controller's live view (header only): a started session against the stand-in device
// with the engine's event thread stopped afterwards (so that the device's next answer belongs to the test's own
// request), the switches run and waited for as a caller with a semaphore does, and a frame loop that is always
// ended before the device goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/link/device_commands.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/vendors/canon/canon_module.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"
#include "session/notification_names.h"

inline const std::vector<std::string> kLiveViewNotifications{
    kLiveViewImageNotification, kLiveViewToggledNotification, kMovieModeToggledNotification,
    kMovieRecordingToggledNotification};

template <class Base>
class LiveViewSessionTest : public Base {
 protected:
  // Small frames: many of them pass in a test, also under the thread sanitizer.
  devicesim::CanonCameraOptions cameraOptions() override {
    devicesim::CanonCameraOptions options = Base::cameraOptions();
    options.liveViewWidth = 160;
    options.liveViewHeight = 120;
    options.liveViewJpegSize = 12 * 1024;
    return options;
  }

  void SetUp() override {
    Base::SetUp();
    this->driveConnection = false;  // this fixture takes the connection view's steps itself, as often as asked
    statusToken_ = platform::NotificationCenter::defaultCenter().addObserverForName(
        kVorlaxentConnectionStatusNotification, nullptr, [this](const platform::Notification& n) {
          if (!connecting_) return;
          const auto status = static_cast<int32_t>(n.object.toInteger());
          if (status == kConnectionStatusDeviceConnected) CameraController::instance().connectToCamera(std::nullopt);
          if (status == kConnectionStatusCameraConnected) CameraController::instance().startSession();
        });
  }

  void TearDown() override {
    endSession();
    platform::NotificationCenter::defaultCenter().removeObserver(statusToken_);
    Base::TearDown();
  }

  // Connects and starts a session, waits for the start's own device work to be answered, then stops the event
  // thread. Alerts shown so far are not counted by alertsSinceStart().
  void startSessionQuietly() {
    session_testing::NotificationLog log({kSessionStartedNotification});
    const size_t transferSettingsBefore = this->receivedCount("cmd 0xB2");  // the device's log spans restarts
    connecting_ = true;
    CameraController::instance().connectToVorlaxent();
    ASSERT_TRUE(this->waitFor([&] { return log.count(kSessionStartedNotification) == 1; }));
    connecting_ = false;
    // The SD auto-transfer setting goes out in a batch of its own after the start.
    ASSERT_TRUE(this->waitFor([&] { return this->receivedCount("cmd 0xB2") > transferSettingsBefore; }));
    camStopEventThread(true);
    uint8_t sharing = 0;
    linkGetAutoShare(&sharing);  // the link keeps one exchange at a time: the earlier answers are in
    this->drainMainQueue();
    alertsAtStart_ = this->presenter.count();
  }

  // Ends the frame loop and lets the main queue run what is left.
  void endSession() {
    CameraController::killLiveViewLoop();
    EXPECT_TRUE(this->waitFor([] { return !CameraController::liveViewRunning(); }));
    this->drainMainQueue();
  }

  // Closes the session and puts a fresh Canon camera behind the device, for the next startSessionQuietly.
  void restartWithFreshCanon() {
    endSession();
    linkSetEventHandler(nullptr);
    linkDisconnect();
    ASSERT_TRUE(this->device.waitForNoClient(std::chrono::seconds(5)));
    canonResetModule();
    Base::resetEngine();
    linkSetReadTimeout(std::chrono::milliseconds(50000));
    CameraController::resetClassWideState();
    this->canon = std::make_shared<devicesim::CanonCamera>(this->cameraOptions());
    this->device.setCamera(this->canon);
  }

  // A switch as a waiting caller runs it (the wait on a worker, the main queue running meanwhile); true when the
  // stored result is success.
  bool switchAndWait(bool movie, bool on) {
    CameraController& controller = CameraController::instance();
    auto done = std::make_shared<platform::Semaphore>(0);
    if (movie)
      controller.toggleMovieMode(on, done);
    else
      controller.toggleLiveView(on, done);
    if (!waitForSignal(*done)) return false;
    const uint8_t stored = movie ? controller.lastToggleMovieStatus() : controller.lastToggleLiveViewStatus();
    return stored == 1;
  }

  // Runs the main queue until the semaphore is signalled.
  bool waitForSignal(platform::Semaphore& semaphore) {
    bool signalled = false;  // a signal is taken once; the wait may look at the condition again
    return this->waitFor([&] { return signalled = signalled || semaphore.waitFor(std::chrono::milliseconds(0)); });
  }

  std::vector<session_testing::ShownAlert> alertsSinceStart() const {
    std::vector<session_testing::ShownAlert> all = this->presenter.shown();
    return std::vector<session_testing::ShownAlert>(all.begin() + std::min(all.size(), alertsAtStart_), all.end());
  }

  // One entry of switchPosts.
  static std::string posted(const char* name, bool on) { return std::string(name) + (on ? " on" : " off"); }

  // What a round through the modes posts: live view on and left for movie mode, a recording started and
  // stopped, movie mode off.
  static std::vector<std::string> movieRoundPosts() {
    return {posted(kLiveViewToggledNotification, true),        posted(kLiveViewToggledNotification, false),
            posted(kMovieModeToggledNotification, true),       posted(kMovieRecordingToggledNotification, true),
            posted(kMovieRecordingToggledNotification, false), posted(kMovieModeToggledNotification, false)};
  }

  // The posts of a log in order, each as "<name> on" or "<name> off"; the frames are left out.
  static std::vector<std::string> switchPosts(const session_testing::NotificationLog& log) {
    std::map<std::string, size_t> next;
    std::vector<std::string> out;
    for (const std::string& name : log.names()) {
      const platform::Value object = log.objects(name)[next[name]++];
      if (name != kLiveViewImageNotification) out.push_back(posted(name.c_str(), object.toBool()));
    }
    return out;
  }

  // The camera's recording state as the store holds it (the record must exist).
  static void setRecordingState(uint32_t value) {
    PropertyStruct* record = propFind(0xD21D, true);
    ASSERT_NE(record, nullptr);
    record->value = value;
    propUnlock(record);
  }

 private:
  std::atomic<bool> connecting_{false};
  platform::ObserverToken statusToken_{};
  size_t alertsAtStart_ = 0;
};
