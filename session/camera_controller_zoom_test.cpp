// The session controller's live-view gestures and the focal length: the tapped point turned into a point of the
// picture and of the whole frame, the zoom cycle and touch focus against a simulated Canon camera, and the Canon
// configuration shot, whose failed release must not leave the user's next picture marked for deletion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>
#include <numbers>

#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_state.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller_live_view_test_fixture.h"
#include "session/camera_event_pump.h"
#include "session/ptp_errors.h"

namespace {

using platform::Point;
using session_testing::NotificationLog;

// The picture point by the rule itself: y turned downward, then a rotation about the centre.
Point rotatedAboutCentre(Point p, double angle) {
  const double dx = p.x - 0.5, dy = p.y - 0.5;
  return {0.5 + dx * std::cos(angle) - dy * std::sin(angle), 0.5 + dx * std::sin(angle) + dy * std::cos(angle)};
}

TEST(LiveViewTapPointTest, TheViewPointBecomesAPicturePointTurnedByTheOrientation) {
  constexpr double pi = std::numbers::pi;
  struct Case {
    Point view;
    uint8_t orientation;
    double angle;  // of the rotation after the flip; 0 for none
  } cases[] = {
      {{0, 0}, 1, 0},        {{0, 0}, 3, pi},        {{0.25, 0.75}, 1, 0},   {{0.25, 0.75}, 3, pi},
      {{0.25, 0.75}, 6, -pi / 2}, {{0.25, 0.75}, 8, pi / 2}, {{0.9, 0.2}, 6, -pi / 2}, {{0.9, 0.2}, 8, pi / 2},
      {{0.25, 0.75}, 2, 0},  {{0.25, 0.75}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.view.x << "," << c.view.y << " orientation " << int(c.orientation));
    const Point expected = rotatedAboutCentre({c.view.x, 1.0 - c.view.y}, c.angle);
    const Point got = CameraController::liveViewTapPoint(c.view, c.orientation);
    EXPECT_NEAR(got.x, expected.x, 1e-12);
    EXPECT_NEAR(got.y, expected.y, 1e-12);
  }
  // The corners named by the rule, and points outside the view taken to its edge.
  EXPECT_EQ(CameraController::liveViewTapPoint({0, 0}, 1), (Point{0, 1}));
  EXPECT_EQ(CameraController::liveViewTapPoint({0, 0}, 3), (Point{1, 0}));
  EXPECT_EQ(CameraController::liveViewTapPoint({-0.5, 1.5}, 1), (Point{0, 0}));
  EXPECT_EQ(CameraController::liveViewTapPoint({2, -3}, 1), (Point{1, 1}));
}

// Engine state of a vendor set by hand, reset afterwards.
class ZoomedPointTest : public ::testing::Test {
 protected:
  void TearDown() override {
    canonForgetLiveViewHeader();
    nikonResetState();
    propStoreReset();
    vendorStateReset();
  }

  static void keepNikonHeader(uint16_t frameW, uint16_t frameH, uint16_t shownW, uint16_t shownH, uint16_t cx,
                              uint16_t cy) {
    NikonState& s = nikonState();
    std::lock_guard<std::mutex> lock(s.headerMutex);
    s.lastHeader.fill(0);
    const uint16_t words[] = {frameW, frameH, shownW, shownH, cx, cy};
    std::memcpy(s.lastHeader.data() + 12, words, sizeof words);
    s.haveHeader = true;
  }
};

TEST_F(ZoomedPointTest, NikonMapsByTheShownAreaAndRefusesAZeroFrame) {
  camSetVendor(VENDOR_NIKON);
  Point p{0.5, 0.5};
  EXPECT_EQ(CameraController::zoomedPointToFramePoint(&p), ERROR_INVALID_INPUT) << "no frame yet";
  // A 600 x 400 area centred on 3000, 2000 of a 6000 x 4000 frame.
  keepNikonHeader(6000, 4000, 600, 400, 3000, 2000);
  struct Case {
    Point in, out;
  } cases[] = {{{0.5, 0.5}, {0.5, 0.5}}, {{0, 1}, {0.45, 0.55}}, {{1, 0}, {0.55, 0.45}}};
  for (const Case& c : cases) {
    p = c.in;
    ASSERT_EQ(CameraController::zoomedPointToFramePoint(&p), PTP_RC_OK);
    EXPECT_NEAR(p.x, c.out.x, 1e-12);
    EXPECT_NEAR(p.y, c.out.y, 1e-12);
  }
  for (auto [w, h] : {std::pair<uint16_t, uint16_t>{0, 4000}, {6000, 0}}) {
    keepNikonHeader(w, h, 600, 400, 3000, 2000);
    p = {0.5, 0.5};
    EXPECT_EQ(CameraController::zoomedPointToFramePoint(&p), ERROR_INVALID_INPUT) << w << "x" << h;
  }
}

TEST_F(ZoomedPointTest, CanonMapsByItsZoomMode) {
  camSetVendor(VENDOR_CANON);
  Point p{0.5, 0.5};
  EXPECT_EQ(CameraController::zoomedPointToFramePoint(&p), 0) << "without a frame the tap does nothing";
  for (uint32_t mode : {1u, 5u, 6u, 10u, 15u}) {
    SCOPED_TRACE(mode);
    devicesim::CanonLiveViewInfo info;
    info.zoom = mode;
    info.zoomX = 1200;
    info.zoomY = 900;
    info.frameWidth = 6000;
    info.frameHeight = 4000;
    devicesim::JpegRecipe recipe;
    recipe.width = 160;
    recipe.height = 120;
    const std::vector<uint8_t> reply =
        devicesim::canonJpegLiveViewReply(devicesim::canonBareJpeg(devicesim::jpegImage(recipe)->bytes), info);
    HeapBlock frame;
    ASSERT_TRUE(canonSplitLiveViewFrame(reply.data(), reply.size(), &frame));
    EOS_LiveViewInfoStruct header;
    ASSERT_TRUE(camLiveViewState(&header));
    // The area's size is the camera's own record; scale and offset by the mode, as the rule gives them.
    const double size[2] = {double(header.record18[0]), double(header.record18[1])};
    const double origin[2] = {1200, 900}, whole[2] = {6000, 4000}, in[2] = {0.25, 0.75};
    double expected[2];
    for (int i = 0; i < 2; ++i) {
      if (mode == 5 || mode == 6)
        expected[i] = (in[i] * size[i] + origin[i]) / whole[i];
      else if (mode == 10 || mode == 15)
        expected[i] = (in[i] * 0.5 * size[i] + origin[i] + 0.75 * size[i]) / whole[i];
      else
        expected[i] = in[i] * size[i] / whole[i];
    }
    p = {0.25, 0.75};
    ASSERT_EQ(CameraController::zoomedPointToFramePoint(&p), PTP_RC_OK);
    EXPECT_NEAR(p.x, expected[0], 1e-12);
    EXPECT_NEAR(p.y, expected[1], 1e-12);
  }
}

TEST_F(ZoomedPointTest, TheFocalLengthComesFromTheVendorsSource) {
  CameraController::updateFocalLength(35);
  camSetVendor(VENDOR_CANON);
  EXPECT_EQ(CameraController::focalLength(), 35);
  camSetVendor(VENDOR_FUJI);
  EXPECT_EQ(CameraController::focalLength(), 35);
  camSetVendor(VENDOR_SONY);
  EXPECT_EQ(CameraController::focalLength(), 0);
  camSetVendor(VENDOR_NIKON);
  EXPECT_EQ(CameraController::focalLength(), 0) << "no focal-length property";
  PropertyStruct* record = propCreate(0x5008, true);
  ASSERT_NE(record, nullptr);
  record->value = 5000;  // hundredths of a millimetre
  propUnlock(record);
  EXPECT_EQ(CameraController::focalLength(), 50);
  record = propFind(0x5008, true);
  record->value = 1899;
  propUnlock(record);
  EXPECT_EQ(CameraController::focalLength(), 18);
  CameraController::resetClassWideState();
}

class CanonGestureTest : public LiveViewSessionTest<SessionDeviceTest> {
 protected:
  void TearDown() override {
    defaults().removeObjectForKey("LiveViewAllow200ZoomRatio");
    LiveViewSessionTest<SessionDeviceTest>::TearDown();
  }
  // The Canon zoom value of a ratio on this body: 5 and 10 on most, 6 and 15 on the newest; 1 to fit.
  static uint32_t canonZoomStep(uint32_t percent) {
    const bool newest = camModelIndex() >= 250 && camModelIndex() <= 252;
    if (percent == 100) return newest ? 6 : 5;
    if (percent == 200) return newest ? 15 : 10;
    return 1;
  }
  // A double tap, waited for until the camera's zoom is `step` and the live-view lock is free again.
  void doubleTapUntil(uint32_t step) {
    CameraController::instance().liveViewDoubleTap({0.5, 0.5}, 1);
    ASSERT_TRUE(waitFor([&] { return canon->zoomStep() == step; })) << "zoom " << canon->zoomStep();
    ASSERT_TRUE(waitFor([] {
      if (!Utilities::tryLockLiveView(0)) return false;
      Utilities::unlockLiveView();
      return true;
    }));
    drainMainQueue();
  }
};

TEST_F(CanonGestureTest, ADoubleTapCyclesTheZoom) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  controller.liveViewDoubleTap({0.5, 0.5}, 1);  // live view is off: nothing is sent
  drainMainQueue();
  EXPECT_EQ(receivedCount("ptp 0x9158"), 0u);

  ASSERT_TRUE(switchAndWait(false, true));
  doubleTapUntil(canonZoomStep(100));
  // The area went to the tapped point first: the picture's centre, less a tenth, of the sensor.
  EXPECT_NE(canon->zoomPosition(), (std::pair<uint32_t, uint32_t>{0, 0}));
  doubleTapUntil(canonZoomStep(0));
  EXPECT_EQ(camLiveViewZoomRatio(1), 0u);

  defaults().setBool(true, "LiveViewAllow200ZoomRatio");
  doubleTapUntil(canonZoomStep(100));
  doubleTapUntil(canonZoomStep(200));
  doubleTapUntil(canonZoomStep(0));
  EXPECT_EQ(receivedCount("ptp 0x9158"), 5u);
  EXPECT_TRUE(alertsSinceStart().empty()) << alertsSinceStart().front().message;
}

TEST_F(CanonGestureTest, ATouchFocusIsStoppedAfterItsTimeAndBeforeTheNext) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  ASSERT_TRUE(switchAndWait(false, true));
  NotificationLog log({kFocusChangedNotification});
  // The drive's full 3 s, so that the second tap surely comes while the first drive runs.
  engine_timing::scale().store(1.0);

  controller.liveViewSingleTap({0.5, 0.5}, 1);
  ASSERT_TRUE(waitFor([&] { return log.count(kFocusChangedNotification) == 1; }));
  EXPECT_EQ(canon->autoFocusCount(), 1);
  EXPECT_TRUE(controller.isFocusing());
  // A second tap before the stop timer: the running drive is stopped first.
  const int cancelsBefore = canon->autoFocusCancels();
  controller.liveViewSingleTap({0.2, 0.2}, 1);
  ASSERT_TRUE(waitFor([&] { return log.count(kFocusChangedNotification) == 2; }));
  EXPECT_EQ(canon->autoFocusCount(), 2);
  EXPECT_EQ(canon->autoFocusCancels(), cancelsBefore + 1);
  // Each tap's one-shot stop comes: three stops in all, and the focusing state ends.
  ASSERT_TRUE(waitFor([&] { return canon->autoFocusCancels() == cancelsBefore + 3; }));
  EXPECT_FALSE(controller.isFocusing());

  // A Canon drive whose start fails counts as started all the same: no alert, and its stop still comes.
  canon->failOperation(0x9154, std::nullopt, 0x2002, 1);
  const int cancelsBeforeFailed = canon->autoFocusCancels();
  controller.liveViewSingleTap({0.5, 0.5}, 1);
  ASSERT_TRUE(waitFor([&] { return log.count(kFocusChangedNotification) == 3; }));
  EXPECT_TRUE(controller.isFocusing());
  ASSERT_TRUE(waitFor([&] { return !controller.isFocusing(); }));
  EXPECT_EQ(canon->autoFocusCancels(), cancelsBeforeFailed + 1);
  EXPECT_EQ(canon->autoFocusCount(), 2) << "the failed start did not count on the camera";
  drainMainQueue();
  EXPECT_TRUE(alertsSinceStart().empty()) << alertsSinceStart().front().message;
}

TEST_F(CanonGestureTest, AFailedConfigurationShotLeavesTheNextPictureToTheUser) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  // The first press of the shutter fails: the configuration shot takes no picture.
  canon->failOperation(0x9128, std::nullopt, 0x2002, 1);
  controller.takeImageForFocalLength();
  ASSERT_TRUE(waitFor([&] { return !alertsSinceStart().empty(); }));
  EXPECT_EQ(alertsSinceStart().front().message,
            PtpErrors::appendString("Failed to take configuration shot ", 0x2002));
  EXPECT_FALSE(CameraController::focalLengthShotFlag()) << "the user's next picture would be taken for it";
  EXPECT_TRUE(canon->captured().empty());
  EXPECT_FALSE(camIsManualFocus()) << "the focus mode is given back";

  // The user's own picture, with the camera's events flowing to the session: it stays on the camera.
  camStartEventThread(handlePollError);
  startCameraEventDispatch();
  // The shutter button pressed and let go; the camera holds its events back while it is pressed.
  ASSERT_EQ(std::async(std::launch::async, [] { return camCapture(); }).get(), PTP_RC_OK);
  ASSERT_EQ(std::async(std::launch::async, [] { return camCaptureRelease(); }).get(), PTP_RC_OK);
  ASSERT_EQ(canon->captured().size(), 1u);
  const uint32_t picture = canon->captured().front();
  const size_t polls = receivedCount("cmd 0x82");
  ASSERT_TRUE(waitFor([&] { return receivedCount("cmd 0x82") >= polls + 3; })) << "the event went through";
  drainMainQueue();
  const std::vector<uint32_t> onCamera = canon->handles();
  EXPECT_NE(std::find(onCamera.begin(), onCamera.end(), picture), onCamera.end());
  camStopEventThread(true);
}

TEST_F(CanonGestureTest, ASuccessfulConfigurationShotMarksItsPicture) {
  startSessionQuietly();
  CameraController::instance().takeImageForFocalLength();
  ASSERT_TRUE(waitFor([&] { return canon->captured().size() == 1; }));
  // The focus mode is given back after the release, which has already made the picture: awaited, not assumed.
  EXPECT_TRUE(waitFor([] { return !camIsManualFocus(); }));
  drainMainQueue();
  // The event gate is closed, so the mark waits for the picture's event.
  EXPECT_TRUE(CameraController::focalLengthShotFlag());
  EXPECT_TRUE(alertsSinceStart().empty()) << alertsSinceStart().front().message;
}

}  // namespace

namespace {

TEST_F(CanonGestureTest, RefusedGesturesAlertAndSendNothing) {
  startSessionQuietly();
  CameraController& controller = CameraController::instance();
  ASSERT_TRUE(switchAndWait(false, true));
  // Manual focus: a touch focus is refused before anything reaches the camera.
  const uint32_t focusMode = camVendorPropertyCodes().focusMode;
  ASSERT_NE(focusMode, 0u);
  PropertyStruct* record = propFind(focusMode, true);
  ASSERT_NE(record, nullptr);
  record->value = 3;
  propUnlock(record);
  const size_t sent = received().size();
  controller.liveViewSingleTap({0.5, 0.5}, 1);
  drainMainQueue();
  ASSERT_EQ(alertsSinceStart().size(), 1u);
  EXPECT_EQ(alertsSinceStart().back().message, platform::localizedString("SetAfFocus"));
  for (size_t i = sent; i < received().size(); ++i) EXPECT_EQ(received()[i], "ptp 0x9153") << "only frames";
  EXPECT_EQ(canon->autoFocusCount(), 0);
  EXPECT_FALSE(controller.isFocusing());
}

}  // namespace
