// The sharing settings as the stand-in device receives them, from the settings and from session start.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller_test_fixture.h"
#include "session/ptp_errors.h"

namespace {

using session_testing::NotificationLog;

class SharingTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    clearSharing();
  }
  void TearDown() override {
    SessionDeviceTest::TearDown();
    clearSharing();
  }
  static void clearSharing() {
    for (const char* key : {"VorlaxentShareEnabled", "ShareLiveView", "ShareClientsCanSave", "ShowWatermark",
                            "WatermarkText", "WatermarkSize", "WatermarkLocation"})
      defaults().removeObjectForKey(key);
  }
  void connect() {
    driveConnection = false;
    ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
  }
  // Lets work that should not happen have its chance; for checks that something did not happen.
  static void settle() { platform::runMainUntil([] { return false; }, std::chrono::milliseconds(300)); }
  std::vector<std::string> sortedLog() const {
    std::vector<std::string> log = commands.settingsLog();
    std::sort(log.begin(), log.end());
    return log;
  }
};

TEST_F(SharingTest, TheWholeSharingStateReachesTheDevice) {
  connect();
  struct Case {
    bool enabled, canSave, show;
    const char* text;
    int64_t size, location;
    std::vector<std::string> log;  // sorted
  } cases[] = {
      {true, true, true, "Studio", 3, 1,
       {"clients-can-save 1", "sharing 1", "watermark on size 3 location 1 text Studio"}},
      {true, false, true, "", 3, 1, {"clients-can-save 0", "sharing 1", "watermark off"}},  // no text: off
      {true, true, false, "Studio", 0x102, 0x205, {"clients-can-save 1", "sharing 1", "watermark off"}},
      {true, false, true, "Big", 0x1FF, 0x302, {"clients-can-save 0", "sharing 1", "watermark on size 255 location 2 text Big"}},
      {false, true, true, "Studio", 3, 1, {"sharing 0"}},  // sharing off: nothing else is sent
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log.back());
    defaults().setBool(c.enabled, "VorlaxentShareEnabled");
    defaults().setBool(c.canSave, "ShareClientsCanSave");
    defaults().setBool(c.show, "ShowWatermark");
    defaults().setString(c.text, "WatermarkText");
    defaults().setInteger(c.size, "WatermarkSize");
    defaults().setInteger(c.location, "WatermarkLocation");
    const size_t before = commands.settingsLog().size();
    Utilities::refreshSharingCapabilties();  // from the main thread: it moves to a worker
    ASSERT_TRUE(waitFor([&] { return commands.settingsLog().size() == before + c.log.size(); }));
    settle();
    std::vector<std::string> got = commands.settingsLog();
    got.erase(got.begin(), got.begin() + static_cast<long>(before));
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.log);
    EXPECT_TRUE(defaults().boolForKey("VorlaxentShareEnabled") == c.enabled);
  }
  EXPECT_EQ(presenter.count(), 0u);
}

// Live view goes out wrapped for the clients (a pending wrapper on the link) only with both switches on.
TEST_F(SharingTest, LiveViewIsSharedOnlyWhileSharingIsOn) {
  connect();
  camSetVendor(VENDOR_CANON);
  struct Case {
    bool enabled, liveView, shared;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {true, true, true}, {false, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.enabled * 10 + c.liveView);
    defaults().setBool(c.enabled, "VorlaxentShareEnabled");
    defaults().setBool(c.liveView, "ShareLiveView");
    const size_t before = commands.settingsLog().size();
    Utilities::refreshSharingCapabilties();
    ASSERT_TRUE(waitFor([&] { return commands.settingsLog().size() > before; }));
    ASSERT_TRUE(waitFor([&] { return (linkPendingObjectCount() == 1) == c.shared; }));
    settle();
    EXPECT_EQ(linkPendingObjectCount(), c.shared ? 1u : 0u);
  }
}

TEST_F(SharingTest, ADeviceThatRefusesSharingTurnsTheSettingOffSilently) {
  connect();
  camSetVendor(VENDOR_CANON);
  linkRefreshLiveViewSharing(true);  // live view was shared until now
  ASSERT_EQ(linkPendingObjectCount(), 1u);
  defaults().setBool(true, "VorlaxentShareEnabled");
  defaults().setBool(true, "ShareLiveView");
  defaults().setBool(true, "ShowWatermark");
  defaults().setString("Studio", "WatermarkText");
  commands.setSharingRefusal(0x2019);
  Utilities::refreshSharingCapabilties();
  ASSERT_TRUE(waitFor([&] { return !defaults().boolForKey("VorlaxentShareEnabled"); }));
  settle();
  EXPECT_EQ(commands.settingsLog(), (std::vector<std::string>{"sharing refused 1"}));
  EXPECT_EQ(receivedCount("cmd 0x80"), 0u);
  EXPECT_EQ(receivedCount("cmd 0x81"), 0u);
  EXPECT_EQ(presenter.count(), 0u);
  EXPECT_TRUE(defaults().boolForKey("ShareLiveView")) << "the user's own choice stays";
  EXPECT_TRUE(waitFor([] { return linkPendingObjectCount() == 0; })) << "live-view sharing is switched off";
}

TEST_F(SharingTest, FailuresToSendPermissionOrWatermarkAreReportedWithTheCode) {
  connect();
  defaults().setBool(true, "ShowWatermark");
  defaults().setString("Studio", "WatermarkText");
  device.scriptFault(devicesim::Fault::busy(0x2019));
  Utilities::sendCanSaveToClients(true);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message,
            PtpErrors::appendString(platform::localizedString("ClientCanSaveSendFail") + " ", 0x2019));
  EXPECT_EQ(commands.clientsCanSave(), 0);

  device.scriptFault(devicesim::Fault::busy(0x2019));
  Utilities::sendCurrentWatermarkToClients();
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 2; }));
  EXPECT_EQ(presenter.shown()[1].message,
            PtpErrors::appendString(platform::localizedString("WatermarkSendFail") + " ", 0x2019));
  EXPECT_TRUE(commands.settingsLog().empty());
  EXPECT_TRUE(defaults().boolForKey("ShowWatermark")) << "the settings stay as the user set them";
}

// The settings window pushes on the main thread. A device that holds its answer (here to another exchange, until
// the test lets it go) keeps the link; the pushes hand themselves to a worker, the main thread goes on at once,
// and once the link is free they reach the device in the order asked.
TEST_F(SharingTest, PushesFromTheMainThreadLeaveItAtOnceAndStillArrive) {
  connect();
  camSetVendor(VENDOR_CANON);  // live-view sharing applies to Canon and Nikon
  constexpr uint8_t kHeld = 0xEE;
  ASSERT_FALSE(device.hasCommandHandler(kHeld));
  platform::Semaphore entered, release;
  std::atomic<bool> releasedInTime{false};
  device.setCommandHandler(kHeld, [&](devicesim::Device&, const devicesim::CommandRequest&) {
    entered.signal();
    releasedInTime = release.waitFor(kLimit);  // bounded: a push that waited for the link would be back late
    return devicesim::CommandReply::ok();
  });
  std::thread holder([] { linkCommand(kHeld, nullptr, 0); });
  ASSERT_TRUE(entered.waitFor(kLimit)) << "the device holds the link";

  defaults().setBool(true, "VorlaxentShareEnabled");
  defaults().setBool(true, "ShareLiveView");
  EXPECT_FALSE(Utilities::sendSharingEnabledFlag()) << "the outcome is not known on the main thread";
  EXPECT_EQ(Utilities::sendSaveFujiRaws(true), std::nullopt);
  Utilities::refreshLiveViewSharing();
  // Back here while the device still holds its answer: nothing can have reached it, and live-view sharing, which
  // needs no exchange, waits its turn behind the switch.
  EXPECT_TRUE(commands.settingsLog().empty());
  EXPECT_EQ(linkPendingObjectCount(), 0u);

  release.signal();
  holder.join();
  EXPECT_TRUE(releasedInTime) << "the main thread was held until the device gave up";
  ASSERT_TRUE(waitFor([] { return linkPendingObjectCount() == 1; })) << "live view shared, the last push";
  EXPECT_EQ(commands.settingsLog(), (std::vector<std::string>{"sharing 1", "save-fuji-raws 0"}));
  EXPECT_TRUE(defaults().boolForKey("VorlaxentShareEnabled"));
  device.removeCommandHandler(kHeld);
}

// The settings window pushes the switch on every change of its setting, and a refused "on" turns the setting
// off: that change is pushed too, refused again, and must end there rather than go round for ever.
TEST_F(SharingTest, ARefusedSwitchThatItsObserverPushesAgainEndsWithTheRefusedOff) {
  connect();
  commands.setSharingRefusal(0x2019);
  std::atomic<int> pushes{0};
  const platform::ObserverToken token = defaults().addObserver(
      this, "VorlaxentShareEnabled", [&pushes](const std::string&, const platform::Value&) {
        if (++pushes < 10) Utilities::sendSharingEnabledFlag();  // bounded, so that a loop shows as a count
      });
  defaults().setBool(true, "VorlaxentShareEnabled");
  ASSERT_TRUE(waitFor([&] { return commands.settingsLog().size() >= 2; }));
  settle();
  defaults().removeObserver(token);
  EXPECT_EQ(commands.settingsLog(), (std::vector<std::string>{"sharing refused 1", "sharing refused 0"}));
  EXPECT_EQ(pushes.load(), 2) << "the user's change and the refusal's";
  EXPECT_FALSE(defaults().boolForKey("VorlaxentShareEnabled"));
  EXPECT_EQ(presenter.count(), 0u) << "silently";
}

TEST_F(SharingTest, SessionStartSendsTheSharingStateAgain) {
  defaults().setBool(true, "VorlaxentShareEnabled");
  defaults().setBool(true, "ShareClientsCanSave");
  NotificationLog log({kSessionStartedNotification});
  CameraController::instance().connectToVorlaxent();
  ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 1; }));
  ASSERT_TRUE(waitFor([&] { return commands.settingsLog().size() == 3; }));
  // The state goes out once the session is open, before the start is reported.
  const std::vector<std::string> got = received();
  const auto at = [&](const char* what) { return std::find(got.begin(), got.end(), what) - got.begin(); };
  EXPECT_LT(at("ptp 0x1001"), at("cmd 0x70"));
  EXPECT_EQ(sortedLog(), (std::vector<std::string>{"clients-can-save 1", "sharing 1", "watermark off"}));
  // Let the rest of the start (the SD auto-transfer batch and the first event poll) finish inside this test.
  ASSERT_TRUE(waitFor([&] { return receivedCount("cmd 0xB2") == 1 && receivedCount("cmd 0x82") > 0; }));
}

}  // namespace
