// Live view, movie mode and recording through the session controller with one simulated body of each of the other
// vendors (the Canon body has tests of its own): frames arrive, the modes follow each other and each switch posts
// the state that holds.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/ptp/vendor_state.h"
#include "session/camera_controller_live_view_test_fixture.h"

namespace {

using session_testing::NotificationLog;

struct VendorBody {
  const char* name;
  // Puts the body behind the device; returns whether the camera records a movie now.
  std::function<std::function<bool()>(devicesim::Device&, devicesim::DeviceCommandSet&)> plugIn;
  bool (*isVendor)();
  // Fujifilm's movie mode is a camera setting of its own: the camera shows no frames until live view is asked for.
  bool framesInMovieMode = true;
};

// A body made by `make`, put behind the device, with its recording state.
template <class Make>
auto plugged(Make make) {
  return [make](devicesim::Device& device, devicesim::DeviceCommandSet&) -> std::function<bool()> {
    auto camera = make();
    device.setCamera(camera);
    return [camera] { return camera->recording(); };
  };
}

const VendorBody kBodies[] = {
    {"nikon", plugged([] { return devicesim::makeNikonCamera(); }), camIsNikon},
    {"sony", plugged([] { return devicesim::makeSonyCamera(); }), camIsSony},
    {"fuji",
     [](devicesim::Device& device, devicesim::DeviceCommandSet& commands) -> std::function<bool()> {
       auto fuji = devicesim::makeFujiCamera(devicesim::FujiBody::XT3);
       fuji->useCard(commands.cardPointer());  // its pictures go to the device's card
       device.setCamera(fuji);
       return [fuji] { return fuji->recording(); };
     },
     camIsFuji, false},
};

class LiveViewVendorTest : public LiveViewSessionTest<SessionDeviceTest>,
                           public ::testing::WithParamInterface<VendorBody> {};

TEST_P(LiveViewVendorTest, LiveViewMovieModeRecordingAndBackInOrder) {
  const std::function<bool()> recording = GetParam().plugIn(device, commands);
  startSessionQuietly();
  ASSERT_TRUE(GetParam().isVendor());
  NotificationLog log(kLiveViewNotifications);
  CameraController& controller = CameraController::instance();

  ASSERT_TRUE(switchAndWait(false, true));
  ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) >= 3; }));
  EXPECT_EQ(controller.liveViewStatus(), 1u);
  EXPECT_FALSE(log.objects(kLiveViewImageNotification).front().toData().empty());

  ASSERT_TRUE(switchAndWait(true, true));
  EXPECT_EQ(controller.liveViewStatus(), 2u);
  const size_t frames = log.count(kLiveViewImageNotification);
  if (GetParam().framesInMovieMode) {
    ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) > frames + 2; }));
  }
  EXPECT_TRUE(CameraController::liveViewRunning()) << "the loop waits out the camera's answers";

  controller.toggleMovieRecording(true);
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 1; }));
  EXPECT_EQ(controller.liveViewStatus(), 3u);
  EXPECT_TRUE(recording());
  controller.toggleMovieRecording(false);
  ASSERT_TRUE(waitFor([&] { return log.count(kMovieRecordingToggledNotification) == 2; }));
  EXPECT_EQ(controller.liveViewStatus(), 2u);
  EXPECT_FALSE(recording());

  ASSERT_TRUE(switchAndWait(false, true));  // live view again: movie mode is left first
  EXPECT_EQ(controller.liveViewStatus(), 1u);
  ASSERT_TRUE(switchAndWait(false, false));
  EXPECT_EQ(controller.liveViewStatus(), 0u);
  ASSERT_TRUE(waitFor([] { return !CameraController::liveViewRunning(); }));

  // The round through the modes, then live view on and off again.
  std::vector<std::string> expected = movieRoundPosts();
  expected.push_back(posted(kLiveViewToggledNotification, true));
  expected.push_back(posted(kLiveViewToggledNotification, false));
  EXPECT_EQ(switchPosts(log), expected);
  EXPECT_TRUE(alertsSinceStart().empty()) << alertsSinceStart().front().message;
}

INSTANTIATE_TEST_SUITE_P(Bodies, LiveViewVendorTest, ::testing::ValuesIn(kBodies),
                         [](const ::testing::TestParamInfo<VendorBody>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

class SonyLiveViewTest : public LiveViewSessionTest<SessionDeviceTest> {};

TEST_F(SonyLiveViewTest, AccessDeniedBetweenFramesKeepsTheLoopRunning) {
  auto sony = devicesim::makeSonyCamera();
  device.setCamera(sony);
  startSessionQuietly();
  ASSERT_TRUE(switchAndWait(false, true));
  NotificationLog log(kLiveViewNotifications);
  sony->answerBusy(3, PTP_RC_ACCESS_DENIED);  // only the loop talks to the camera now
  ASSERT_TRUE(waitFor([&] { return log.count(kLiveViewImageNotification) >= 3; }));
  EXPECT_EQ(log.count(kLiveViewToggledNotification), 0u);
  EXPECT_EQ(CameraController::instance().liveViewStatus(), 1u);
  EXPECT_TRUE(alertsSinceStart().empty());
}

}  // namespace
