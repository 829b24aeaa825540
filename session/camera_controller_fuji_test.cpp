// End to end: the session controller starting a session with a simulated Fujifilm camera: the live-view stop goes
// through the device's end-open-capture command, the lens's focal length is read in the background, and the device
// is told whether to keep raw files.
#include <gtest/gtest.h>

#include <memory>

#include "devicesim/fuji_camera.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"

namespace {

using session_testing::NotificationLog;

class CameraControllerFujiTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    // The Fujifilm body replaces the fixture's camera; plugging it in gives it the device's Fujifilm commands.
    fuji = devicesim::makeFujiCamera(devicesim::FujiBody::XT3);
    fuji->useCard(commands.cardPointer());
    device.setCamera(fuji);
  }

  std::shared_ptr<devicesim::FujiCamera> fuji;
};

TEST_F(CameraControllerFujiTest, StartInstallsTheLiveViewStopAndReadsTheFocalLength) {
  NotificationLog log({kSessionStartedNotification});
  defaults().setBool(false, "SaveFujiRaws");
  CameraController::instance().connectToVorlaxent();
  ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 1; }));
  EXPECT_TRUE(camIsFuji());
  EXPECT_EQ(camModelIndex(), 22);
  // The lens reports 18-55 mm, set at 55 mm.
  EXPECT_TRUE(waitFor([] { return CameraController::focalLength() == 55; }));
  // Raw files are not to be kept: the device is told 1.
  EXPECT_TRUE(waitFor([this] { return receivedCount("cmd 0xD5") == 1; }));
  EXPECT_EQ(fuji->saveRawsFlag(), 1);

  ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
  EXPECT_TRUE(fuji->liveViewOn());
  ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
  EXPECT_FALSE(fuji->liveViewOn());
  EXPECT_EQ(receivedCount("cmd 0x86"), 1u);
}

}  // namespace
