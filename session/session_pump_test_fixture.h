#pragma once
// For tests of the session file, the camera-event pump and the downloads (header only): SessionDeviceTest with a
// fresh documents-folder session file, the session settings cleared, a fresh cache and save folder opened in the
// object cache, a stand-in for the camera window that fetches the thumbnail of every new object (as the window
// does on "JWNotification_NewObject") and, when asked, the image of every object it is told to download in the
// background, and helpers to start a session, to reconnect, and to read what the notifications carried.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ptp/event_thread.h"
#include "engine/store/object_cache.h"
#include "engine/store/store_test_fixture.h"
#include "platform/foundation/dispatch.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/session_file.h"

class SessionPumpTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    clearSessionSettings();
    removeSessionFiles();
    folders_.SetUp();
    root = folders_.root;
    cache = folders_.cache;
    save = folders_.save;
    objCacheOpen(cache, save);
    openCameraSession(*canon);
    window_.emplace([this] { return fetchThumbnails; });
    downloadToken_ = platform::NotificationCenter::defaultCenter().addObserverForName(
        kDownloadImageInBackgroundNotification, nullptr, [this](const platform::Notification& n) {
          if (!downloadImages) return;
          auto object = n.object.object<PtpObjectInfoClass>();
          if (!object) return;
          const PtpObjectInfoStruct record = *object->origObjectInfo();
          ++downloadsStarted;
          platform::globalQueue().async([this, record] {
            const bool got = CameraController::instance()
                                 .doDownloadImage(PtpObjectInfoClass(record), false, false, false)
                                 .has_value();
            (got ? downloadsDone : downloadsFailed)++;
          });
        });
  }

  void TearDown() override {
    window_.reset();
    platform::NotificationCenter::defaultCenter().removeObserver(downloadToken_);
    waitFor([this] { return downloadsDone + downloadsFailed == downloadsStarted; });
    waitFor([] { return CameraController::sessionWorkInFlight() == 0; });
    // A thumbnail the window asked for at the end of a test returns into the next one otherwise.
    drainMainQueue();
    waitFor([] { return CameraController::instance().thumbnailDownloadsInFlight() == 0; });
    SessionDeviceTest::TearDown();
    // The thumbnail queue's last batches end on the main queue.
    drainMainQueue();
    folders_.TearDown();
    removeSessionFiles();
    clearSessionSettings();
  }

  static void clearSessionSettings() {
    for (const char* key : {"LastSessionCameraId", "LastSessionTime", "AutoReloadSession", "LoadMissedImages",
                            "AutoViewImages", "QuickRawMode", "VorlaxentShareEnabled", "AutoShareThumbnails",
                            "SaveFujiRaws"})
      defaults().removeObjectForKey(key);
    defaults().setInteger(0, "AutoViewImages");
  }
  static void removeSessionFiles() {
    std::error_code ec;
    std::filesystem::remove(sessionFilePath(), ec);
    std::filesystem::remove(sessionFilePath() + ".corrupt", ec);
  }

  // The device keeps the camera's PTP session open on its side of the USB port for the Canon body (the host
  // never sends OpenSession to it); the stand-in is told so directly.
  static void openCameraSession(devicesim::Camera& camera) {
    devicesim::PtpOperation open;
    open.code = 0x1002;
    open.params = {1};
    camera.handleOperation(open);
  }

  // Connects and starts the session, and waits until the SD auto-transfer setting that the start sends has been
  // answered (an event poll follows it), so that no batch of the start is left running.
  void startSession(session_testing::NotificationLog& log, size_t round = 1) {
    if (round == 1) {
      CameraController::instance().connectToVorlaxent();
    } else {
      CameraController::instance().connectToCamera(std::nullopt);
    }
    ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 1; }));
    ASSERT_TRUE(waitFor([&] { return receivedCount("cmd 0xB2") == round; }));
    const uint64_t cycles = camEventThreadCycles();
    ASSERT_TRUE(waitFor([&] { return camEventThreadCycles() >= cycles + 2; }));
  }

  // The device drops the link on demand: the event thread's next poll fails, the controller stops it and asks for
  // the camera again, which fails as well.
  void dropLink() {
    const auto failures = [this] {
      const std::vector<int32_t> s = statuses();
      return std::count(s.begin(), s.end(), kConnectionStatusLinkFailed);
    };
    const auto before = failures();
    device.dropClient();
    ASSERT_TRUE(waitFor([&] { return failures() > before; }));
    ASSERT_TRUE(waitFor([] { return !camEventThreadRunning(); }));
  }
  // The connection view's second round: the device again, then the camera, then the session.
  void reconnect(session_testing::NotificationLog& log) {
    CameraController::instance().connectToVorlaxent();
    ASSERT_TRUE(waitFor([&] {
      const std::vector<int32_t> s = statuses();
      return std::count(s.begin(), s.end(), kConnectionStatusDeviceConnected) == 2;
    }));
    startSession(log, 2);
  }

  // The records that the notifications of a name carried, in order.
  static std::vector<PtpObjectInfoStruct> records(const session_testing::NotificationLog& log, const char* name) {
    std::vector<PtpObjectInfoStruct> out;
    for (const platform::Value& v : log.objects(name)) {
      auto object = v.object<PtpObjectInfoClass>();
      if (!object) object = v["objectInfo"].object<PtpObjectInfoClass>();
      if (object) out.push_back(*object->origObjectInfo());
    }
    return out;
  }
  static std::vector<uint32_t> handlesOf(const std::vector<PtpObjectInfoStruct>& list) {
    std::vector<uint32_t> out;
    for (const PtpObjectInfoStruct& r : list) out.push_back(r.objectId);
    return out;
  }
  static std::vector<std::string> namesOf(const std::vector<PtpObjectInfoStruct>& list) {
    std::vector<std::string> out;
    for (const PtpObjectInfoStruct& r : list) out.emplace_back(r.fileName);
    return out;
  }
  static std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  // Runs doDownloadImage on a worker (as the tether window's background download does) and waits for it.
  std::optional<std::vector<uint8_t>> downloadOnWorker(const PtpObjectInfoStruct& record) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto result = std::make_shared<std::optional<std::vector<uint8_t>>>();
    platform::globalQueue().async([record, done, result] {
      *result = CameraController::instance().doDownloadImage(PtpObjectInfoClass(record), false, false, true);
      done->store(true);
    });
    EXPECT_TRUE(waitFor([&] { return done->load(); }));
    return *result;
  }

  // Waits until the reloads, pick-ups and fetches begun so far have returned, and the main queue has run what they
  // left for it.
  void waitForSessionWork() {
    ASSERT_TRUE(waitFor([] { return CameraController::sessionWorkInFlight() == 0; }));
    drainMainQueue();
  }

  bool fetchThumbnails = true;
  // The camera window's background download of "JWNotification_DownloadImageInBackground", on a worker.
  std::atomic<bool> downloadImages{false};
  std::atomic<int> downloadsStarted{0}, downloadsDone{0}, downloadsFailed{0};
  std::string root, cache, save;

 private:
  std::optional<session_testing::CameraWindowStandIn> window_;
  platform::ObserverToken downloadToken_{};
  // The store tests' fresh cache and save folder, and the cache reset around the test.
  struct Folders : StoreTest {
    void TestBody() override {}
  } folders_;
};
