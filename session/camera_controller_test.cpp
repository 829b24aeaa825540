// End to end: the session controller against the stand-in device with a simulated Canon camera on loopback.
#include "session/camera_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include <QCoreApplication>
#include <QPointer>

#include "devicesim/mdns_responder.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/resources.h"
#include "platform/ui/window.h"
#include "widgets/mb_progress_hud.h"
#include "session/camera_controller_test_fixture.h"
#include "session/camera_event_pump.h"

namespace {

using session_testing::NotificationLog;
using Statuses = std::vector<int32_t>;
namespace fs = std::filesystem;

class CameraControllerTest : public SessionDeviceTest {
 protected:
  // Connects through the controller, as the connection view's Connect button does, and waits for the session.
  void connectAndStart(NotificationLog& log) {
    CameraController::instance().connectToVorlaxent();
    ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 1; })) << "statuses: " << statuses().size();
    // The start also sends the SD auto-transfer setting in a batch of its own. An event poll received after it
    // was sent (the link keeps one exchange at a time) shows that its answer is in, so that nothing of this
    // test's session is left to fail while the next test runs.
    ASSERT_TRUE(waitFor([&] {
      const std::vector<std::string> got = received();
      const auto sent = std::find(got.begin(), got.end(), "cmd 0xB2");
      return sent != got.end() && std::find(sent, got.end(), "cmd 0x82") != got.end();
    }));
  }

  // Index of the first `what` among the received commands and operations; the size when there is none.
  size_t firstIndex(const std::vector<std::string>& received, const std::string& what) {
    return static_cast<size_t>(std::find(received.begin(), received.end(), what) - received.begin());
  }
};

TEST_F(CameraControllerTest, TheAddressSettingLeadsToAStartedSessionInOrder) {
  NotificationLog log({kConnectingToVorlaxentNotification, kSessionStartedNotification,
                       kCanonFocalLengthUpdatedNotification});
  // A watermark left in the cache by an earlier session.
  const fs::path cache = fs::path(platform::documentsFolder()) / "Cache";
  fs::create_directories(cache / "Watermark");
  std::ofstream(cache / "Watermark" / "old.png") << "stale";
  CameraController::setEventGate(true);  // a start closes the gate whatever it was

  connectAndStart(log);

  EXPECT_EQ(statuses(), (Statuses{kConnectionStatusDeviceConnected, kConnectionStatusCameraConnected}));
  // The product's own port, which the test's dialler leads to the stand-in.
  EXPECT_EQ(dialled(), (std::vector<Dial>{{"127.0.0.1", kLinkDefaultPort}}));
  EXPECT_EQ(log.count(kConnectingToVorlaxentNotification), 1u);
  EXPECT_TRUE(camIsCanon());
  EXPECT_TRUE(camEventThreadRunning());
  EXPECT_EQ(log.count(kCanonFocalLengthUpdatedNotification), 1u);
  EXPECT_EQ(CameraController::focalLength(), 0);
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;

  // The camera query, the sharing check, the vendor's session open, the firmware version and the clock, in
  // this order; the device's sharing was left alone.
  const std::vector<std::string> order{"cmd 0x10",   "cmd 0xD1", "ptp 0x1001", "ptp 0x9114",
                                       "ptp 0x9115", "cmd 0x30", "cmd 0xF4"};
  std::vector<std::string> got = received();
  for (size_t i = 0; i < order.size(); ++i) {
    ASSERT_LT(firstIndex(got, order[i]), got.size()) << order[i] << " was not received";
    if (i > 0) {
      EXPECT_LT(firstIndex(got, order[i - 1]), firstIndex(got, order[i])) << order[i - 1] << " then " << order[i];
    }
  }
  EXPECT_EQ(receivedCount("cmd 0xD2"), 0u);
  EXPECT_TRUE(commands.clock().has_value());

  // After the start: the SD auto-transfer setting goes to the device and the event thread polls.
  EXPECT_TRUE(waitFor([&] { return receivedCount("cmd 0xB2") == 1; }));
  EXPECT_FALSE(commands.sdTransfer().autoCopy);
  EXPECT_TRUE(waitFor([&] {
    got = received();
    return std::find(got.begin() + static_cast<long>(firstIndex(got, "cmd 0xF4")), got.end(), "cmd 0x82") != got.end();
  }));

  // The cache folder is there and its watermark folder empty.
  EXPECT_TRUE(fs::is_directory(cache / "Watermark"));
  EXPECT_TRUE(fs::is_empty(cache / "Watermark"));

  // The events queued since the session opened wait behind the closed gate, poll after poll, until a window
  // opens it.
  EXPECT_FALSE(CameraController::eventGate());
  const uint64_t cycles = camEventThreadCycles();
  ASSERT_TRUE(waitFor([&] { return camEventThreadCycles() >= cycles + 2; }));
  EXPECT_GT(camEventCount(), 0u);
  startCameraEventDispatch();
  EXPECT_TRUE(CameraController::eventGate());
  EXPECT_TRUE(waitFor([] { return camEventCount() == 0; }));
}

TEST_F(CameraControllerTest, ADiscoveredDeviceIsConnectedOnTheAnnouncedPort) {
  defaults().setString("", "ipAddress");
  devicesim::MdnsAnnouncement announcement;
  announcement.instanceName = "Stand-in";
  announcement.address = "127.0.0.1";
  announcement.port = device.port();
  devicesim::MdnsResponder responder(announcement);
  ASSERT_TRUE(responder.start());
  CommsEnvironment environment = CommsManager::environment();
  environment.discoveryTargets = {{"127.0.0.1", responder.port()}};
  CommsManager::setEnvironment(environment);
  NotificationLog log({kSessionStartedNotification});

  connectAndStart(log);

  EXPECT_EQ(dialled(), (std::vector<Dial>{{"127.0.0.1", device.port()}}));
  EXPECT_EQ(statuses(), (Statuses{kConnectionStatusDeviceConnected, kConnectionStatusCameraConnected}));
  EXPECT_TRUE(camEventThreadRunning());
}

TEST_F(CameraControllerTest, KeepingTheDevicesSharingFailsTheStart) {
  commands.setAutoShare(1);
  presenter.keepSharing = true;
  NotificationLog log({kSessionStartedNotification});

  CameraController::instance().connectToVorlaxent();
  ASSERT_TRUE(waitFor([&] { return statuses().size() == 3; }));

  EXPECT_EQ(statuses(), (Statuses{kConnectionStatusDeviceConnected, kConnectionStatusCameraConnected,
                                  kConnectionStatusUnknown}));
  const auto shown = presenter.shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].style, 1u);
  EXPECT_EQ(shown[0].title, session_testing::kSharingAlertTitle);
  EXPECT_EQ(shown[0].message,
            "The Vorlaxent is currently configured to automatically transfer or print images. Do you want to cancel "
            "this transfer/printing?");
  EXPECT_EQ(shown[0].okText, "Keep Sharing");
  EXPECT_EQ(shown[0].cancelText, "Cancel Sharing");
  EXPECT_TRUE(shown[0].modal);
  EXPECT_EQ(shown[1].style, 2u);
  EXPECT_EQ(shown[1].message, platform::localizedString("FailedStartSession"));
  // Nothing reached the camera, and the device goes on sharing.
  EXPECT_EQ(receivedCount("ptp 0x1001"), 0u);
  EXPECT_EQ(receivedCount("cmd 0xD2"), 0u);
  EXPECT_EQ(commands.autoShare(), 1);
  EXPECT_EQ(log.count(kSessionStartedNotification), 0u);
  EXPECT_FALSE(camEventThreadRunning());
}

TEST_F(CameraControllerTest, CancellingTheDevicesSharingStartsTheSession) {
  commands.setAutoShare(1);
  presenter.keepSharing = false;
  NotificationLog log({kSessionStartedNotification});

  connectAndStart(log);

  ASSERT_EQ(presenter.count(), 1u);
  EXPECT_EQ(presenter.shown()[0].title, session_testing::kSharingAlertTitle);
  EXPECT_EQ(commands.autoShare(), 0);
  const std::vector<std::string> got = received();
  EXPECT_LT(firstIndex(got, "cmd 0xD2"), firstIndex(got, "ptp 0x1001"));
  EXPECT_TRUE(camEventThreadRunning());
}

// The sharing question is built on the main thread and, whatever the answer, let go there too: its window belongs
// to the main thread, while the check that asked waits on a worker. So the check cannot end while the main thread
// is still busy with the answer (it waits to hand the alert back there).
TEST_F(CameraControllerTest, TheSharingQuestionIsLetGoOnTheMainThread) {
  ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    commands.setAutoShare(1);
    std::atomic<int> answer{-1};
    std::atomic<int> destroyed{0};
    std::atomic<bool> onMain{false};
    bool endedFirst = false;
    presenter.answer = [&, keep](JW_Alert& alert, const session_testing::ShownAlert&) {
      QObject::connect(&alert, &QObject::destroyed, [&] {
        onMain = platform::isMainThread();
        ++destroyed;
      });
      if (keep)
        alert.okAction(alert.oOkButton);
      else
        alert.cancelAction(alert.oCancelButton);
      // Still on the main thread: a check that let the alert go on its own thread ends meanwhile.
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
      while (answer < 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      endedFirst = answer >= 0;
    };
    platform::globalQueue().async([&answer] { answer = CameraController::instance().autoShareCheck() ? 1 : 0; });
    ASSERT_TRUE(waitFor([&] { return answer >= 0 && destroyed > 0; }));
    EXPECT_EQ(answer, keep ? 0 : 1);
    EXPECT_FALSE(endedFirst);
    EXPECT_TRUE(onMain);
  }
}

TEST_F(CameraControllerTest, ADroppedLinkLeadsToStatus2AndStopsTheEventThread) {
  NotificationLog log({kSessionStartedNotification});
  connectAndStart(log);
  ASSERT_TRUE(camEventThreadRunning());

  device.dropClient();

  ASSERT_TRUE(waitFor([&] { return statuses().size() == 3; }));
  EXPECT_EQ(statuses(), (Statuses{kConnectionStatusDeviceConnected, kConnectionStatusCameraConnected,
                                  kConnectionStatusLinkFailed}));
  EXPECT_TRUE(waitFor([] { return !camEventThreadRunning(); }));
  EXPECT_TRUE(CameraController::liveViewKillFlag());
}

TEST_F(CameraControllerTest, DeviceMessagesDuringTheSessionBecomeNotifications) {
  NotificationLog log({kSessionStartedNotification, kSdCardStatusNotification, kIntervalometerFeedbackNotification});
  connectAndStart(log);

  const std::vector<uint8_t> progress(20, 0x33);
  ASSERT_TRUE(device.sendSdCardStatus(0xFF16));
  ASSERT_TRUE(device.sendAutomationFeedback(0x01, 0xFF40, progress));

  // The event thread's next poll reads them off the link.
  ASSERT_TRUE(waitFor([&] {
    return log.count(kSdCardStatusNotification) == 1 && log.count(kIntervalometerFeedbackNotification) == 1;
  }));
  EXPECT_FALSE(log.objects(kSdCardStatusNotification)[0].toBool());
  EXPECT_EQ(log.objects(kIntervalometerFeedbackNotification)[0].toData(), progress);
}

TEST_F(CameraControllerTest, TheCameraQueryReportsWhatTheDeviceSaysUnderItsTitle) {
  driveConnection = false;
  ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
  platform::Window window;
  window.setFrame({100, 100, 400, 300});
  window.orderFront();
  struct Case {
    std::optional<std::string> title;
    bool camera;
    bool fromWorker;
    std::string label;
    int32_t status;
  };
  const std::string standard = platform::localizedString("ConnectingCamera");
  const Case cases[] = {
      {std::nullopt, true, false, standard, kConnectionStatusCameraConnected},
      {"", false, false, standard, kConnectionStatusDeviceConnected},
      {"Checking", true, false, "Checking", kConnectionStatusCameraConnected},
      {"From a worker", true, true, "From a worker", kConnectionStatusCameraConnected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    device.setCamera(c.camera ? canon : nullptr);
    const size_t before = statuses().size();
    QPointer<MBProgressHUD> overlay;
    if (c.fromWorker) {
      std::thread([&c] { CameraController::instance().connectToCamera(c.title); }).join();
      ASSERT_TRUE(waitFor([&] { return (overlay = MBProgressHUD::HUDForView(window.contentView())) != nullptr; }));
    } else {
      CameraController::instance().connectToCamera(c.title);  // the overlay is up when the call returns
      overlay = MBProgressHUD::HUDForView(window.contentView());
    }
    ASSERT_FALSE(overlay.isNull());
    EXPECT_EQ(overlay->labelText().value_or(QString()).toStdString(), c.label);
    ASSERT_TRUE(waitFor([&] { return statuses().size() == before + 1; }));
    EXPECT_EQ(statuses().back(), c.status);
    ASSERT_TRUE(waitFor([&] {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      return overlay.isNull();
    }));
  }
  window.orderOut();
}

class UnsupportedCameraTest : public CameraControllerTest {
 protected:
  devicesim::CanonCameraOptions cameraOptions() override {
    devicesim::CanonCameraOptions options;
    options.model = "Canon PowerShot G9 X";
    return options;
  }
};

TEST_F(UnsupportedCameraTest, AModelTheEngineDoesNotKnowIsReportedAndEndsWithStatus0) {
  NotificationLog log({kSessionStartedNotification});
  CameraController::instance().connectToVorlaxent();
  ASSERT_TRUE(waitFor([&] { return statuses().size() == 3; }));

  EXPECT_EQ(statuses().back(), kConnectionStatusUnknown);
  ASSERT_EQ(presenter.count(), 1u);
  EXPECT_EQ(presenter.shown()[0].style, 2u);
  EXPECT_EQ(presenter.shown()[0].message, platform::localizedString("UnsupportedCamera"));
  EXPECT_EQ(log.count(kSessionStartedNotification), 0u);
  EXPECT_FALSE(camEventThreadRunning());
}

TEST_F(CameraControllerTest, AStartWithoutADeviceFailsAndTheHiddenModeFollowsTheWatermarkText) {
  // No link: the sharing query fails (which lets the start go on) and the camera cannot be identified.
  struct Case {
    const char* text;
    bool hidden;
  };
  for (const Case& c : {Case{"QUIBT", true}, Case{"quibt", false}, Case{"QUIBT ", false}, Case{"", false}}) {
    SCOPED_TRACE(c.text);
    defaults().setString(c.text, "WatermarkText");
    defaults().setBool(true, "ShowWatermark");
    defaults().setBool(!c.hidden, "JWSetting_HRHOME");
    const size_t before = statuses().size();
    const size_t alerts = presenter.count();

    CameraController::instance().startSession();

    EXPECT_EQ(defaults().boolForKey("JWSetting_HRHOME"), c.hidden);
    EXPECT_EQ(defaults().boolForKey("ShowWatermark"), !c.hidden);
    ASSERT_TRUE(waitFor([&] { return statuses().size() == before + 1; }));
    EXPECT_EQ(statuses().back(), kConnectionStatusUnknown);
    ASSERT_EQ(presenter.count(), alerts + 1);
    EXPECT_EQ(presenter.shown().back().message, platform::localizedString("FailedStartSession"));
  }
  EXPECT_FALSE(camEventThreadRunning());
}

}  // namespace
