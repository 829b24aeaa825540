#pragma once
// For tests of the session controller (header only): the stand-in device with its command set and a simulated
// Canon camera on a loopback port, the Canon module registered, the device dialled through the connection seam
// of CommsManager (the product's port 8382 on 127.0.0.1 leads to the stand-in's port), every engine wait scaled
// down, a presenter that notes every alert and answers it, a recorder of notifications, and a stand-in for the
// connection view that keeps the connection status and takes the next step as the real view does (3: ask for
// the camera, 5: start the session).
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "devicesim/canon_camera.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/container.h"
#include "engine/ptp/transaction.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/vendor_test_doubles.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/presenter.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/comms_manager.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "session/session_harness.h"
#include "session/utilities_alert_recorder.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"


class SessionDeviceTest : public ::testing::Test {
 protected:
  // Waits at 10 %: the event poll is 50 ms, the discovery's browse wait 600 ms.
  static constexpr double kScale = 0.1;
  static constexpr std::chrono::seconds kLimit{20};
  using Dial = std::pair<std::string, uint16_t>;

  virtual devicesim::CanonCameraOptions cameraOptions() { return {}; }

  void SetUp() override {
    platform::ensureTestApplication();
    savedScale_ = engine_timing::scale().load();
    engine_timing::scale().store(kScale);
    resetEngine();
    // A loaded test machine can hold a thread off the processor for over a second: the read time-out stays long
    // (5 s here) so that a late answer never reads as a failed link.
    linkSetReadTimeout(std::chrono::milliseconds(50000));
    canon = std::make_shared<devicesim::CanonCamera>(cameraOptions());
    device.setCamera(canon);
    commands.install(device);
    ASSERT_TRUE(device.start(0));

    clearSettings();
    defaults().setString("127.0.0.1", "ipAddress");
    session_testing::dialStandIn([this] { return device.port(); }, [this](const std::string& host, uint16_t port) {
      std::lock_guard<std::mutex> lock(mutex_);
      dialled_.emplace_back(host, port);
    });

    CameraController::resetClassWideState();
    Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
    statusToken_ = platform::NotificationCenter::defaultCenter().addObserverForName(
        kVorlaxentConnectionStatusNotification, nullptr,
        [this](const platform::Notification& n) { connectionView(static_cast<int32_t>(n.object.toInteger())); });
  }

  void TearDown() override {
    platform::NotificationCenter::defaultCenter().removeObserver(statusToken_);
    camStopEventThread(true);
    linkSetEventHandler(nullptr);
    linkDisconnect();
    device.stop();
    drainMainQueue();
    canonUnregisterModule();
    canonResetModule();
    resetEngine();
    CommsManager::resetEnvironment();
    clearSettings();
    CameraController::resetClassWideState();
    Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
    engine_timing::scale().store(savedScale_);
  }

  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

  static void clearSettings() {
    for (const char* key : {"ipAddress", "WatermarkText", "ShowWatermark", "JWSetting_HRHOME", "SdCardAutoTransfer",
                            "SdPrefix", "HostMode", "ClassicFocusStacking"})
      defaults().removeObjectForKey(key);
  }

  static void resetEngine() { session_testing::resetEngineState(); }

  // The connection view's part: keep the status and take the next step.
  void connectionView(int32_t status) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      statuses_.push_back(status);
    }
    Utilities::setCurrentConnectionStatus(status);
    if (driveConnection) session_testing::connectionViewStep(status, askedForCamera_);
  }

  std::vector<int32_t> statuses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return statuses_;
  }
  std::vector<Dial> dialled() {
    std::lock_guard<std::mutex> lock(mutex_);
    return dialled_;
  }

  static bool waitFor(const std::function<bool()>& condition) { return platform::runMainUntil(condition, kLimit); }

  // Runs the main queue until every block queued so far has run.
  static void drainMainQueue() {
    bool done = false;
    platform::mainQueue().async([&done] { done = true; });
    ASSERT_TRUE(platform::runMainUntil([&done] { return done; }, kLimit));
  }

  // The device commands and PTP operations the device received, in order ("cmd 0x10", "ptp 0x1001").
  std::vector<std::string> received() const {
    std::vector<std::string> out;
    char text[32];
    for (const devicesim::LoggedPacket& p : device.log()) {
      if (p.command) {
        std::snprintf(text, sizeof text, "cmd 0x%02X", *p.command);
        out.emplace_back(text);
      }
      if (p.ptpOperation) {
        std::snprintf(text, sizeof text, "ptp 0x%04X", *p.ptpOperation);
        out.emplace_back(text);
      }
    }
    return out;
  }
  size_t receivedCount(const std::string& what) const {
    size_t n = 0;
    for (const std::string& r : received()) n += r == what;
    return n;
  }

  devicesim::Device device;
  devicesim::DeviceCommandSet commands;
  std::shared_ptr<devicesim::CanonCamera> canon;
  session_testing::AnsweringPresenter presenter;
  platform::ScopedPresenter scopedPresenter{presenter};
  bool driveConnection = true;

 private:
  std::mutex mutex_;
  std::vector<int32_t> statuses_;
  std::vector<Dial> dialled_;
  std::atomic<bool> askedForCamera_{false};
  platform::ObserverToken statusToken_{};
  double savedScale_ = 1.0;
};
