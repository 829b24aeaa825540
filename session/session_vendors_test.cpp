// End to end with one body of the Nikon, Sony and Fujifilm makers: session start, a capture, its event through
// the pump, the thumbnail in the strip, the image in the save folder byte for byte, then a reconnect that brings
// back what the session saw and no object twice. Sony and Fujifilm pictures come through the device's records
// and its SD card, so their session keeps file names.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <set>

#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/vendors/dispatch.h"
#include "session/session_pump_test_fixture.h"

namespace {

using session_testing::NotificationLog;

// What the test needs of a body: the camera itself, and the bytes of a picture and its thumbnail by its record.
struct Body {
  std::shared_ptr<devicesim::Camera> camera;
  std::function<std::vector<uint8_t>(const PtpObjectInfoStruct&)> bytes;
  std::function<std::vector<uint8_t>(const PtpObjectInfoStruct&)> thumbnail;
  std::function<void()> shootWhileAway;  // none: pictures are taken only by the host
  bool pressAndRelease = false;          // the shutter is pressed by one call and let go by another
};

struct Vendor {
  const char* name;
  bool byName;
  std::function<Body(devicesim::DeviceCommandSet&)> make;
};

Body nikonBody(devicesim::DeviceCommandSet&) {
  auto nikon = devicesim::makeNikonCamera(devicesim::NikonBody::D850);
  const auto object = [nikon](const PtpObjectInfoStruct& r) { return nikon->object(r.objectId); };
  return {nikon, [object](const PtpObjectInfoStruct& r) { return *object(r)->bytes; },
          [object](const PtpObjectInfoStruct& r) { return object(r)->thumbnail; }, [nikon] { nikon->shootOnCamera(2); }};
}

// Sony and Fujifilm pictures are files on the device's card.
Body cardBody(std::shared_ptr<devicesim::Camera> camera, devicesim::DeviceCommandSet& commands) {
  auto card = commands.cardPointer();
  const auto file = [card](const PtpObjectInfoStruct& r) { return card->file(r.fileName); };
  return {camera, [file](const PtpObjectInfoStruct& r) { return *file(r)->bytes; },
          [file](const PtpObjectInfoStruct& r) { return file(r)->thumbnail; }, nullptr};
}

Body sonyBody(devicesim::DeviceCommandSet& commands) {
  devicesim::SonyCameraOptions options;
  options.card = commands.cardPointer();
  return cardBody(std::make_shared<devicesim::SonyCamera>(options), commands);
}

Body fujiBody(devicesim::DeviceCommandSet& commands) {
  auto fuji = devicesim::makeFujiCamera(devicesim::FujiBody::XT3);
  fuji->useCard(commands.cardPointer());
  Body body = cardBody(fuji, commands);
  body.pressAndRelease = true;
  return body;
}

class VendorSessionTest : public SessionPumpTest, public ::testing::WithParamInterface<Vendor> {
 protected:
  void SetUp() override {
    SessionPumpTest::SetUp();
    body = GetParam().make(commands);
    device.setCamera(body.camera);
    openCameraSession(*body.camera);
  }

  // A capture as the shutter button of the camera window asks for it, off the main thread.
  void capture() {
    auto done = std::make_shared<std::atomic<int>>(-1);
    platform::globalQueue().async([done, release = body.pressAndRelease] {
      ResponseCode rc = camCapture();
      if (rc == PTP_RC_OK && release) rc = camCaptureRelease();
      done->store(rc);
    });
    ASSERT_TRUE(waitFor([&] { return done->load() >= 0; }));
    ASSERT_EQ(done->load(), PTP_RC_OK);
  }

  Body body;
};

TEST_P(VendorSessionTest, ACaptureReachesTheStripAndTheSaveFolderAndTheSessionComesBack) {
  const Vendor& vendor = GetParam();
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification});
  startSession(log);
  platform::mainQueue().sync([] {
    CameraController::instance().checkSession();
    startCameraEventDispatch();
  });

  capture();
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == 1; }));
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  const std::vector<PtpObjectInfoStruct> announced = records(log, kNewObjectNotification);
  ASSERT_EQ(announced.size(), 1u);
  const PtpObjectInfoStruct shot = announced[0];
  EXPECT_EQ(shot.objectId == kObjectIdByName, vendor.byName);
  EXPECT_EQ(log.objects(kThumbnailDownloadedNotification)[0]["thumbnailData"].toData(), body.thumbnail(shot));

  const std::optional<std::vector<uint8_t>> image = downloadOnWorker(shot);
  ASSERT_TRUE(image.has_value());
  const std::vector<uint8_t> bytes = body.bytes(shot);
  EXPECT_EQ(*image, bytes);
  EXPECT_EQ(readFile(save + "/" + shot.fileName), bytes);
  const SessionFileContents stored = readSessionFile(sessionFilePath()).contents;
  if (vendor.byName) {
    EXPECT_EQ(stored, (SessionFileContents{{}, {shot.fileName}}));
  } else {
    EXPECT_EQ(stored, (SessionFileContents{{shot.objectId}, {}}));
  }

  dropLink();
  if (body.shootWhileAway) body.shootWhileAway();
  defaults().setBool(true, "AutoReloadSession");
  defaults().setBool(true, "LoadMissedImages");
  NotificationLog again({kSessionStartedNotification, kThumbnailDownloadedNotification});
  reconnect(again);
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  const size_t expected = body.shootWhileAway ? 3 : 1;
  ASSERT_TRUE(waitFor([&] { return again.count(kThumbnailDownloadedNotification) == expected; }));
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  const std::vector<PtpObjectInfoStruct> reloaded = records(again, kThumbnailDownloadedNotification);
  ASSERT_EQ(reloaded.size(), expected);
  EXPECT_EQ(std::string(reloaded[0].fileName), std::string(shot.fileName));
  std::set<std::string> names;
  for (const PtpObjectInfoStruct& r : reloaded) EXPECT_TRUE(names.insert(r.fileName).second) << r.fileName;
  if (!vendor.byName) {
    EXPECT_EQ(CameraController::instance().sessionHandles()->size(), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(OneBodyEach, VendorSessionTest,
                         ::testing::Values(Vendor{"Nikon", false, nikonBody}, Vendor{"Sony", true, sonyBody},
                                           Vendor{"Fujifilm", true, fujiBody}),
                         [](const ::testing::TestParamInfo<Vendor>& info) { return std::string(info.param.name); });

}  // namespace
