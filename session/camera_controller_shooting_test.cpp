// End to end: the shooting controls of the session controller against the stand-in device: the shutter button's
// press and release mapping, half press and capture on the shutter queue, bulb, Canon mirror-up, client mode,
// flash and property sets, and a capture with one body of each maker.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>

#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/automation/automation_checks.h"
#include "engine/automation/focus_stack.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"
#include "session/live_view_switch.h"
#include "session/ptp_errors.h"

namespace {

using session_testing::NotificationLog;

constexpr uint32_t kCanonExposureModeNew = 0xD138;    // mirrorless bodies
constexpr uint32_t kCanonExposureModeClassic = 0xD105;  // DSLR bodies
constexpr uint32_t kCanonMirrorUpMode = 0xD13A;
constexpr uint32_t kCanonMirrorState = 0xD1BF;
constexpr uint32_t kBulbExposureMode = 4;

// The store's current value of a property; none when the camera has not reported it.
std::optional<uint32_t> storeValue(uint32_t code) {
  PropertyStruct* record = propFind(code, true);
  if (!record) return std::nullopt;
  const uint32_t value = record->value;
  propUnlock(record);
  return value;
}

std::string codeMessage(const char* key, uint16_t code) {
  return PtpErrors::appendString(platform::localizedString(key), code);
}

class ShootingTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    // The main queue's first use comes from this thread: its dispatcher, created on first use, is then made on
    // the main thread and not by a worker of the runner, whose hand-over through Qt the race checker cannot see.
    drainMainQueue();
  }
  void TearDown() override {
    // A release still queued would meet a closed link and say so in the next test.
    std::atomic<bool> drained{false};
    platform::globalQueue().async([&drained] {
      CameraController::instance().waitForShutterQueue();
      drained = true;
    });
    EXPECT_TRUE(waitFor([&] { return drained.load(); }));
    drainMainQueue();
    setLiveViewSwitch({});
    SessionDeviceTest::TearDown();
  }

  // Starts the session through the controller and waits until the start's own batches have been answered.
  void startSession() {
    NotificationLog started({kSessionStartedNotification});
    CameraController::instance().connectToVorlaxent();
    ASSERT_TRUE(waitFor([&] { return started.count(kSessionStartedNotification) == 1; }));
    ASSERT_TRUE(waitFor([&] {
      const std::vector<std::string> got = received();
      const auto sent = std::find(got.begin(), got.end(), "cmd 0xB2");
      return sent != got.end() && std::find(sent, got.end(), "cmd 0x82") != got.end();
    }));
    ASSERT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  }

  // The live-view state the shooting controls see, as the live-view part would report it.
  void pretendLiveViewState(uint64_t status) {
    liveViewState_->store(status);
    LiveViewSwitch s;
    s.status = [state = liveViewState_] { return state->load(); };
    setLiveViewSwitch(std::move(s));
  }

  // Canon: a dial turned on the camera, waited for until the store holds it.
  void turnCanonDial(uint32_t code, uint32_t value) {
    canon->changeOnCamera(code, value);
    ASSERT_TRUE(waitFor([&] { return storeValue(code) == value; })) << std::hex << code;
  }

  // The first parameters of the Canon press (0x9128) and press-release (0x9129) operations received, in order,
  // as "p1" (half press), "p2"/"p3" (full press), "r1", "r2".
  std::vector<std::string> canonPresses() const {
    std::vector<std::string> out;
    for (const devicesim::LoggedPacket& p : device.log()) {
      if (!p.ptpOperation || (*p.ptpOperation != 0x9128 && *p.ptpOperation != 0x9129) || p.ptpParams.empty()) continue;
      out.push_back((*p.ptpOperation == 0x9128 ? "p" : "r") + std::to_string(p.ptpParams[0]));
    }
    return out;
  }

  std::shared_ptr<std::atomic<uint64_t>> liveViewState_ = std::make_shared<std::atomic<uint64_t>>(0);
};

TEST_F(ShootingTest, PressAndReleaseCaptureInTheOrderPressedWithHalfPressAround) {
  startSession();
  NotificationLog log({kFocusChangedNotification});
  CameraController& c = CameraController::instance();

  // All four queued at once: the shutter queue hands them to the camera one after the other.
  c.initiateHalfPress();
  c.shutterPress();
  c.shutterRelease();
  c.halfPressRelease();
  ASSERT_TRUE(waitFor([&] { return canon->shots() == 1 && !canon->halfPressed() && !canon->fullPressed(); }));
  ASSERT_TRUE(waitFor([&] { return log.count(kFocusChangedNotification) == 1; }));  // the body is in one-shot AF

  const std::vector<std::string> presses = canonPresses();
  ASSERT_GE(presses.size(), 4u);
  EXPECT_EQ(presses.front(), "p1");  // the half press came first
  EXPECT_EQ(presses.back(), "r1");   // and its release last
  const auto full = std::find_if(presses.begin(), presses.end(), [](const std::string& s) { return s == "p2" || s == "p3"; });
  const auto fullRelease = std::find(presses.begin(), presses.end(), "r2");
  ASSERT_NE(full, presses.end());
  ASSERT_NE(fullRelease, presses.end());
  EXPECT_LT(full - presses.begin(), fullRelease - presses.begin());
  EXPECT_FALSE(c.ignoresShutterRelease());
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u);
}

TEST_F(ShootingTest, RefusedPressesAndReleasesShowTheirKeyWithTheCode) {
  startSession();
  CameraController& c = CameraController::instance();
  struct Case {
    uint16_t operation;
    uint32_t kind;
    std::function<void()> act;
    const char* key;
  };
  const std::vector<Case> cases = {
      {0x9128, 1, [&] { c.initiateHalfPress(); }, "ShutterHalfPressFailed"},
      {0x9129, 1, [&] { c.halfPressRelease(); }, "ShutterHalfPressReleaseFailed"},
      {0x9128, 2, [&] { c.initiateCapture(); }, "CaptureFailed"},
      // The press itself goes through (this body takes the picture on the full press); its release is refused.
      {0x9129, 2, [&] { c.shutterPress(); c.shutterRelease(); }, "CaptureStopFailure"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.key);
    const size_t before = presenter.count();
    canon->failOperation(k.operation, k.kind, 0x2002);
    k.act();
    ASSERT_TRUE(waitFor([&] { return presenter.count() == before + 1; }));
    EXPECT_EQ(presenter.shown().back().message, codeMessage(k.key, 0x2002));
    EXPECT_EQ(presenter.shown().back().style, 2u);
  }
  EXPECT_EQ(canon->shots(), 1);
}

TEST_F(ShootingTest, InMovieModeAPressRecordsAndTheReleaseDoesNothingUntilASecondPressStops) {
  startSession();
  NotificationLog log({kMovieRecordingToggledNotification});
  CameraController& c = CameraController::instance();
  pretendLiveViewState(2);

  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 1; }));
  EXPECT_TRUE(log.objects(kMovieRecordingToggledNotification)[0].toBool());
  EXPECT_EQ(canon->propertyValue(0xD1B8), 4u);  // recording
  EXPECT_EQ(c.liveViewStatus(), 3u);
  EXPECT_TRUE(c.ignoresShutterRelease());
  c.shutterRelease();

  pretendLiveViewState(3);
  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 2; }));
  EXPECT_FALSE(log.objects(kMovieRecordingToggledNotification)[1].toBool());
  EXPECT_EQ(canon->propertyValue(0xD1B8), 0u);
  EXPECT_EQ(c.liveViewStatus(), 2u);
  c.shutterRelease();
  drainMainQueue();

  // Neither release reached the shutter, and nothing was captured.
  EXPECT_EQ(canon->shots(), 0);
  EXPECT_TRUE(canonPresses().empty());
  EXPECT_EQ(presenter.count(), 0u);
}

TEST_F(ShootingTest, BulbStartsWithAPressAndEndsWithTheNextPressAfterItsTime) {
  startSession();
  NotificationLog log({kBulbCaptureToggledNotification});
  CameraController& c = CameraController::instance();
  turnCanonDial(kCanonExposureModeNew, kBulbExposureMode);
  ASSERT_TRUE(camIsBulbMode());

  c.shutterPress();
  EXPECT_TRUE(c.isBulbActive());  // marked before the command goes out
  ASSERT_TRUE(waitFor([&] { return log.count(kBulbCaptureToggledNotification) == 1; }));
  EXPECT_TRUE(log.objects(kBulbCaptureToggledNotification)[0].toBool());
  c.shutterRelease();  // a bulb keeps running when the button comes up

  // The exposure is timed: the second press comes later, from a timer on the main queue.
  bool secondPress = false;
  platform::dispatchAfter(std::chrono::milliseconds(100), [&] {
    EXPECT_EQ(canon->bulbExposures(), 0);  // still exposing
    c.shutterPress();
    c.shutterRelease();
    secondPress = true;
  });
  ASSERT_TRUE(waitFor([&] { return secondPress && log.count(kBulbCaptureToggledNotification) == 2; }));
  EXPECT_FALSE(log.objects(kBulbCaptureToggledNotification)[1].toBool());
  EXPECT_FALSE(c.isBulbActive());
  EXPECT_EQ(canon->bulbExposures(), 1);
  EXPECT_EQ(canon->shots(), 1);
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u);
}

TEST_F(ShootingTest, ARefusedBulbStartIsReportedAndLeavesTheNextPressFreeToStartAgain) {
  startSession();
  NotificationLog log({kBulbCaptureToggledNotification});
  CameraController& c = CameraController::instance();
  turnCanonDial(kCanonExposureModeNew, kBulbExposureMode);
  canon->failOperation(0x9128, 2, 0x2002);  // the full press

  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return log.count(kBulbCaptureToggledNotification) == 1; }));
  EXPECT_FALSE(log.objects(kBulbCaptureToggledNotification)[0].toBool());
  EXPECT_FALSE(c.isBulbActive());
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  // This one alert has the code's text two blanks after the key's text.
  EXPECT_EQ(presenter.shown()[0].message,
            platform::localizedString("BulbStartFailure") + "  " + PtpErrors::stringForResponseCode(0x2002));

  // The refusal used up, the next press starts a bulb (it does not try to stop one).
  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return log.count(kBulbCaptureToggledNotification) == 2; }));
  EXPECT_TRUE(log.objects(kBulbCaptureToggledNotification).back().toBool());
  EXPECT_TRUE(c.isBulbActive());
  c.shutterPress();  // stops it
  ASSERT_TRUE(waitFor([&] { return !c.isBulbActive(); }));
  EXPECT_EQ(canon->bulbExposures(), 1);
}

TEST_F(ShootingTest, MirrorUpModeNeedsADslrAndLiveViewOff) {
  // The mirrorless body has no mirror-up property.
  startSession();
  CameraController& c = CameraController::instance();
  defaults().setBool(true, "MirrorUp");
  c.toggleCanonMirrorUpMode(true);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, codeMessage("MirrorModeToggleFailed", 0x2006));
  drainMainQueue();
  EXPECT_FALSE(defaults().boolForKey("MirrorUp"));
  defaults().removeObjectForKey("MirrorUp");
}

// The 90D (model index 227), a DSLR with a mirror to lock up.
class MirrorUpTest : public ShootingTest {
 protected:
  devicesim::CanonCameraOptions cameraOptions() override {
    devicesim::CanonCameraOptions o;
    o.body = devicesim::CanonBody::DslrJpegLiveView;
    o.model = "Canon EOS 90D";
    return o;
  }
  void TearDown() override {
    defaults().removeObjectForKey("MirrorUp");
    ShootingTest::TearDown();
  }
};

TEST_F(MirrorUpTest, TheSwitchFollowsTheCameraAndIsRefusedWhileLiveViewRuns) {
  startSession();
  ASSERT_EQ(camModelIndex(), 227);
  CameraController& c = CameraController::instance();

  c.toggleCanonMirrorUpMode(true);
  ASSERT_TRUE(waitFor([&] { return defaults().boolForKey("MirrorUp"); }));
  EXPECT_EQ(canon->propertyValue(kCanonMirrorUpMode), 1u);

  // With live view on nothing is sent; the warning shows and the setting still matches the camera (on).
  pretendLiveViewState(1);
  c.toggleCanonMirrorUpMode(false);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, platform::localizedString("MirrorModeTLiveView"));
  EXPECT_EQ(presenter.shown()[0].style, 0u);
  drainMainQueue();
  EXPECT_TRUE(defaults().boolForKey("MirrorUp"));
  EXPECT_EQ(canon->propertyValue(kCanonMirrorUpMode), 1u);

  pretendLiveViewState(0);
  c.toggleCanonMirrorUpMode(false);
  ASSERT_TRUE(waitFor([&] { return !defaults().boolForKey("MirrorUp"); }));
  EXPECT_EQ(canon->propertyValue(kCanonMirrorUpMode), 0u);
  EXPECT_EQ(presenter.count(), 1u);

  // A set the camera refuses: the error, and the setting stays with the camera (off).
  canon->refuseSets(10, 0x2002);
  c.toggleCanonMirrorUpMode(true);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 2; }));
  EXPECT_EQ(presenter.shown()[1].style, 2u);
  EXPECT_EQ(presenter.shown()[1].message.rfind(platform::localizedString("MirrorModeToggleFailed") + " ", 0), 0u)
      << presenter.shown()[1].message;
  drainMainQueue();
  EXPECT_FALSE(defaults().boolForKey("MirrorUp"));
  EXPECT_EQ(canon->propertyValue(kCanonMirrorUpMode), 0u);
}

TEST_F(MirrorUpTest, InBulbWithMirrorUpTheFirstPressLiftsTheMirrorAndTheNextStartsTheBulb) {
  startSession();
  NotificationLog log({kBulbCaptureToggledNotification});
  CameraController& c = CameraController::instance();
  turnCanonDial(kCanonExposureModeClassic, kBulbExposureMode);
  turnCanonDial(kCanonMirrorUpMode, 1);

  // First press: a capture, which on this camera only locks the mirror up.
  ASSERT_TRUE(camNeedsSecondPress());
  ASSERT_FALSE(camMirrorUp()) << storeValue(kCanonMirrorState).value_or(77);
  ASSERT_TRUE(camIsBulbMode());
  c.shutterPress();
  EXPECT_FALSE(c.ignoresShutterRelease());
  c.shutterRelease();
  ASSERT_TRUE(waitFor([&] { return storeValue(kCanonMirrorState) == 2u; }));
  EXPECT_EQ(canon->shots(), 0);
  EXPECT_EQ(log.count(kBulbCaptureToggledNotification), 0u);

  // Second press: the bulb; the third ends it and the picture is taken.
  c.shutterPress();
  EXPECT_TRUE(c.ignoresShutterRelease());
  ASSERT_TRUE(waitFor([&] { return log.count(kBulbCaptureToggledNotification) == 1; }));
  c.shutterRelease();
  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return log.count(kBulbCaptureToggledNotification) == 2; }));
  EXPECT_EQ(canon->bulbExposures(), 1);
  EXPECT_EQ(canon->shots(), 1);
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u);
}

TEST_F(ShootingTest, PropertySetsReachTheCameraAndFailuresNameTheProperty) {
  startSession();
  const uint32_t aperture = 0xD101;
  CameraController::setProperty(aperture, 0x38);
  ASSERT_TRUE(waitFor([&] { return storeValue(aperture) == 0x38u; }));
  EXPECT_EQ(canon->propertyValue(aperture), 0x38u);

  // A value the camera does not list.
  CameraController::setProperty(aperture, 0x31);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  const std::string message = presenter.shown()[0].message;
  EXPECT_NE(message.find("Aperture"), std::string::npos) << message;
  EXPECT_EQ(message.find("%@"), std::string::npos) << message;
  EXPECT_EQ(canon->propertyValue(aperture), 0x38u);
}

TEST_F(ShootingTest, FlashOnABodyWithoutTheSwitchReportsTheCodeAndStillPostsTheStatus) {
  startSession();
  NotificationLog log({kFlashStatusChangedNotification});
  CameraController::instance().toggleFlash(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kFlashStatusChangedNotification) == 1; }));
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, PtpErrors::appendString("Failed to toggle flash.", 0xFF1B));
}

TEST_F(ShootingTest, ClientModeOnACanonBodyFailsAndTheSettingTakesTheOppositeOfTheFlag) {
  startSession();
  NotificationLog log({kHostModeUpdateNotification});
  defaults().setBool(false, "HostMode");
  CameraController::instance().toggleHostMode(false);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, codeMessage("HostSetFailed", 0xFF0F));
  drainMainQueue();
  EXPECT_TRUE(defaults().boolForKey("HostMode"));
  EXPECT_EQ(log.count(kHostModeUpdateNotification), 0u);
}

TEST_F(ShootingTest, ClientModeWithLiveViewThatCannotBeSwitchedOffIsCancelledQuietly) {
  startSession();
  NotificationLog log({kHostModeUpdateNotification});
  defaults().setBool(false, "HostMode");
  pretendLiveViewState(3);  // a recording is never stopped for client mode
  CameraController::instance().toggleHostMode(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kHostModeUpdateNotification) == 1; }));
  EXPECT_TRUE(log.objects(kHostModeUpdateNotification)[0].toBool());
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].style, 0u);  // the warning; 0xFF16 itself shows nothing
  EXPECT_NE(presenter.shown()[0].message.find("client mode"), std::string::npos);
  EXPECT_FALSE(defaults().boolForKey("HostMode"));
}

// One body of each other maker, plugged into the device in place of the Canon body.
struct Body {
  const char* name;
  std::function<std::shared_ptr<devicesim::Camera>(devicesim::DeviceCommandSet&)> make;
  std::function<int(const devicesim::Camera&)> shots;
  bool (*isVendor)();
};

const Body kBodies[] = {
    {"nikon", [](devicesim::DeviceCommandSet&) { return devicesim::makeNikonCamera(); },
     [](const devicesim::Camera& c) { return static_cast<const devicesim::NikonCamera&>(c).shots(); }, camIsNikon},
    {"sony", [](devicesim::DeviceCommandSet&) { return devicesim::makeSonyCamera(); },
     [](const devicesim::Camera& c) { return static_cast<const devicesim::SonyCamera&>(c).shots(); }, camIsSony},
    {"fuji",
     [](devicesim::DeviceCommandSet& commands) {
       auto fuji = devicesim::makeFujiCamera();
       fuji->useCard(commands.cardPointer());
       return fuji;
     },
     [](const devicesim::Camera& c) { return static_cast<const devicesim::FujiCamera&>(c).shots(); }, camIsFuji},
};

class ShootingVendorTest : public ShootingTest, public ::testing::WithParamInterface<Body> {
 protected:
  void SetUp() override {
    ShootingTest::SetUp();
    body = GetParam().make(commands);
    device.setCamera(body);
  }
  std::shared_ptr<devicesim::Camera> body;
};

TEST_P(ShootingVendorTest, ThePressAndReleaseTakeOnePicture) {
  startSession();
  ASSERT_TRUE(GetParam().isVendor());
  CameraController& c = CameraController::instance();
  c.shutterPress();
  c.shutterRelease();
  ASSERT_TRUE(waitFor([&] { return GetParam().shots(*body) == 1; }));
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  EXPECT_FALSE(c.isBulbActive());
}

INSTANTIATE_TEST_SUITE_P(Makers, ShootingVendorTest, ::testing::ValuesIn(kBodies),
                         [](const ::testing::TestParamInfo<Body>& info) { return std::string(info.param.name); });

// Client mode and flash on the Nikon body, which has both switches.
class NikonShootingTest : public ShootingTest {
 protected:
  void SetUp() override {
    ShootingTest::SetUp();
    nikon = devicesim::makeNikonCamera();
    device.setCamera(nikon);
  }
  std::shared_ptr<devicesim::NikonCamera> nikon;
};

TEST_F(NikonShootingTest, ClientModeSwitchesTheCameraAndTheSetting) {
  startSession();
  NotificationLog log({kHostModeUpdateNotification, kFlashStatusChangedNotification});
  CameraController& c = CameraController::instance();
  c.toggleHostMode(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kHostModeUpdateNotification) == 1; }));
  EXPECT_TRUE(nikon->hostMode());
  EXPECT_TRUE(defaults().boolForKey("HostMode"));
  EXPECT_TRUE(log.objects(kHostModeUpdateNotification)[0].toBool());

  c.toggleHostMode(false);
  ASSERT_TRUE(waitFor([&] { return log.count(kHostModeUpdateNotification) == 2; }));
  EXPECT_FALSE(nikon->hostMode());
  EXPECT_FALSE(defaults().boolForKey("HostMode"));

  c.toggleFlash(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kFlashStatusChangedNotification) == 1; }));
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

}  // namespace

namespace {

class FujiShootingTest : public ShootingTest {
 protected:
  void SetUp() override {
    ShootingTest::SetUp();
    fuji = devicesim::makeFujiCamera();
    fuji->useCard(commands.cardPointer());
    device.setCamera(fuji);
  }
  std::shared_ptr<devicesim::FujiCamera> fuji;
};

TEST_F(FujiShootingTest, ZoomedLiveViewRefusesTheCaptureAndItsRelease) {
  startSession();
  CameraController& c = CameraController::instance();
  fuji->changeOnCamera(0xD01B, 2);  // live view zoomed to 100 %
  ASSERT_TRUE(waitFor([] { return storeValue(0xD01B) == 2u; }));
  pretendLiveViewState(1);
  c.shutterPress();
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, "Cannot capture when zoomed into live view");
  EXPECT_EQ(presenter.shown()[0].style, 0u);
  c.shutterRelease();
  drainMainQueue();
  EXPECT_TRUE(fuji->captureModes().empty());  // nothing reached the camera

  // Live view off: the same zoom setting no longer stands in the way.
  pretendLiveViewState(0);
  c.shutterPress();
  c.shutterRelease();
  ASSERT_TRUE(waitFor([&] { return fuji->shots() == 1; }));
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 1u);
}

}  // namespace
