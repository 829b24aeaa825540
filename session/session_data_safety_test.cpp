// Every picture reaches the save folder once, as itself, and nothing of the user's is deleted: against the stand-in
// device with one body of each maker (Canon, Nikon, Sony and Fujifilm; the last two keep their pictures on the
// device's card, known by name). A card swapped between two sessions, a restart with a custom file name,
// deletions, a reload raced against the event gate, and pictures left half way by a dropped link.
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "devicesim/canon_event_data.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/ptp/event_thread.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "session/session_pump_test_fixture.h"
#include "session/utilities.h"

namespace {

using session_testing::NotificationLog;
using Files = std::map<std::string, std::vector<uint8_t>>;

// What a test does with one body.
struct Body {
  std::shared_ptr<devicesim::GenericCamera> camera;
  bool byName = false;                      // pictures are files on the device's card
  std::function<void(int)> shoot;           // pictures taken while connected, each announced
  std::function<void(int)> shootWhileAway;  // none: the body takes pictures only while the host is there
  std::function<void()> swapCard;           // another card, its file numbering begun again
  std::function<void(uint32_t)> removeOnCamera;  // deleted on the camera, which reports it (camera objects only)
  std::function<std::vector<uint8_t>(const PtpObjectInfoStruct&)> bytes;
};

class DataSafetyBase;
struct Maker {
  const char* name;
  std::function<Body(DataSafetyBase&)> make;
};

class DataSafetyBase : public SessionPumpTest {
 public:
  // A capture as the camera window's shutter button asks for it, off the main thread.
  void capture(bool release) {
    auto done = std::make_shared<std::atomic<int>>(-1);
    platform::globalQueue().async([done, release] {
      ResponseCode rc = camCapture();
      if (rc == PTP_RC_OK && release) rc = camCaptureRelease();
      done->store(rc);
    });
    ASSERT_TRUE(waitFor([&] { return done->load() >= 0; }));
    ASSERT_EQ(done->load(), PTP_RC_OK);
  }
  void useCamera(std::shared_ptr<devicesim::Camera> camera) {
    device.setCamera(camera);
    openCameraSession(*camera);
  }
  std::shared_ptr<devicesim::SdCard> card() { return commands.cardPointer(); }
  std::shared_ptr<devicesim::CanonCamera> canonCamera() { return canon; }

 protected:
  virtual const Maker& maker() const = 0;

  void SetUp() override {
    SessionPumpTest::SetUp();
    body = maker().make(*this);
    defaults().setBool(true, "AutoReloadSession");
    defaults().setBool(true, "LoadMissedImages");
  }

  // Session start as the camera window does it: the session check, then the gate.
  void openWindow() {
    platform::mainQueue().sync([] {
      CameraController::instance().checkSession();
      startCameraEventDispatch();
    });
  }

  std::string keyOf(const PtpObjectInfoStruct& r) const {
    return body.byName ? std::string(r.fileName) : std::to_string(r.objectId);
  }
  // How many times each object appears among the records a notification carried.
  std::map<std::string, int> tally(const NotificationLog& log, const char* name) const {
    std::map<std::string, int> out;
    for (const PtpObjectInfoStruct& r : records(log, name)) ++out[keyOf(r)];
    return out;
  }
  Files saveFolderFiles() const {
    Files out;
    for (const auto& e : std::filesystem::directory_iterator(save)) out[e.path().filename()] = readFile(e.path());
    return out;
  }
  // The pictures announced in a log, with the bytes the camera holds for them now.
  std::vector<std::pair<PtpObjectInfoStruct, std::vector<uint8_t>>> announced(const NotificationLog& log) {
    std::vector<std::pair<PtpObjectInfoStruct, std::vector<uint8_t>>> out;
    for (const PtpObjectInfoStruct& r : records(log, kNewObjectNotification)) out.emplace_back(r, body.bytes(r));
    return out;
  }
  // Pictures taken while the link is down, when the body can take them without the host.
  void shootAway(int count) {
    if (body.shootWhileAway) body.shootWhileAway(count);
  }
  // Reads that move an image's bytes: the camera's object transfers and the device card's file reads.
  size_t imageReads() const {
    size_t n = 0;
    for (const char* what : {"ptp 0x1009", "ptp 0x101B", "ptp 0x9107", "cmd 0x41", "cmd 0xB1", "cmd 0xF8", "cmd 0xF9"})
      n += receivedCount(what);
    return n;
  }

  Body body;
};

class DataSafetyTest : public DataSafetyBase, public ::testing::WithParamInterface<Maker> {
 protected:
  const Maker& maker() const override { return GetParam(); }
};

Body canonBody(DataSafetyBase& t) {
  auto canon = t.canonCamera();
  const auto shoot = [canon](int n) { canon->shootOnCamera(n); };
  return {canon, false, shoot, shoot, [canon] { canon->swapCard(); },
          [canon](uint32_t handle) {
            canon->removeObject(handle);
            canon->queueEvent(devicesim::canonObjectRemovedRecord(handle));
          },
          [canon](const PtpObjectInfoStruct& r) { return *canon->object(r.objectId)->bytes; }};
}

Body nikonBody(DataSafetyBase& t) {
  auto nikon = devicesim::makeNikonCamera(devicesim::NikonBody::D850);
  t.useCamera(nikon);
  const auto shoot = [nikon](int n) { nikon->shootOnCamera(n); };
  return {nikon, false, shoot, shoot, [nikon] { nikon->swapCard(); },
          [nikon](uint32_t handle) {
            nikon->removeObject(handle);
            nikon->queueNikonEvent(PTP_EC_ObjectRemovedEvent, handle);
          },
          [nikon](const PtpObjectInfoStruct& r) { return *nikon->object(r.objectId)->bytes; }};
}

std::function<std::vector<uint8_t>(const PtpObjectInfoStruct&)> cardBytes(std::shared_ptr<devicesim::SdCard> card) {
  return [card](const PtpObjectInfoStruct& r) { return *card->file(r.fileName)->bytes; };
}

std::shared_ptr<devicesim::SonyCamera> makeSony(std::shared_ptr<devicesim::SdCard> card, uint32_t jpegSize) {
  devicesim::SonyCameraOptions options;
  options.card = std::move(card);
  options.jpegSize = jpegSize;
  return std::make_shared<devicesim::SonyCamera>(options);
}

Body sonyBody(DataSafetyBase& t) {
  auto card = t.card();
  auto sony = makeSony(card, 200 * 1024);
  t.useCamera(sony);
  Body b{sony, true, nullptr, nullptr, nullptr, nullptr, cardBytes(card)};
  b.shoot = [&t](int n) {
    for (int i = 0; i < n; ++i) t.capture(true);
  };
  // Formatted and used again: the body numbers from 1 once more, and its pictures have other sizes.
  b.swapCard = [&t, card] {
    card->erase();
    t.useCamera(makeSony(card, 180 * 1024));
  };
  return b;
}

Body fujiBody(DataSafetyBase& t) {
  auto card = t.card();
  auto fuji = devicesim::makeFujiCamera(devicesim::FujiBody::XT3);
  fuji->useCard(card);
  t.useCamera(fuji);
  Body b{fuji, true, nullptr, nullptr, nullptr, nullptr, cardBytes(card)};
  b.shoot = [&t](int n) {
    for (int i = 0; i < n; ++i) t.capture(true);
  };
  b.swapCard = [&t, card] {
    card->erase();
    devicesim::FujiCameraOptions options;
    options.jpegSize = 100 * 1024;
    auto again = std::make_shared<devicesim::FujiCamera>(options);
    again->useCard(card);
    t.useCamera(again);
  };
  return b;
}

// --- a card swapped between two sessions ---

TEST_P(DataSafetyTest, ACardSwappedBetweenSessionsLandsEveryNewPictureUnderAFreeNameAndKeepsTheOlderFiles) {
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification});
  startSession(first);
  openWindow();
  body.shoot(2);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 2; })) << downloadsDone << " " << downloadsFailed;
  const auto older = announced(first);
  ASSERT_EQ(older.size(), 2u);
  const Files before = saveFolderFiles();
  ASSERT_EQ(before.size(), 2u);
  for (const auto& [record, bytes] : older) EXPECT_EQ(before.at(record.fileName), bytes) << record.fileName;

  dropLink();
  body.swapCard();
  shootAway(1);
  NotificationLog second({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                          kDownloadImageInBackgroundNotification});
  reconnect(second);
  openWindow();
  body.shoot(body.shootWhileAway ? 1 : 2);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 4; })) << downloadsDone << " " << downloadsFailed;
  waitForSessionWork();
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;

  // The new pictures bear the older ones' names; each is in the save folder under a free name, byte for byte.
  const std::vector<PtpObjectInfoStruct> fresh = records(second, kThumbnailDownloadedNotification);
  ASSERT_EQ(fresh.size(), 2u);
  const Files after = saveFolderFiles();
  EXPECT_EQ(after.size(), 4u);
  std::set<std::string> freshNames, olderNames;
  for (size_t i = 0; i < fresh.size(); ++i) {
    freshNames.insert(fresh[i].fileName);
    olderNames.insert(older[i].first.fileName);
  }
  EXPECT_EQ(freshNames, olderNames);  // in whichever order the pictures reached the card
  for (size_t i = 0; i < fresh.size(); ++i) {
    SCOPED_TRACE(fresh[i].fileName);
    const std::string path = objCacheGetImagePath(&fresh[i]);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(before.count(std::filesystem::path(path).filename()), 0u) << path;
    EXPECT_EQ(readFile(path), body.bytes(fresh[i]));
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(after.at(name), bytes) << name;
}

// A card file the session saw, replaced while the link was down by another picture of the same name (the card
// formatted in the camera and used again), is not shown by the reload as the stored one, with the earlier
// picture's thumbnail.
TEST_P(DataSafetyTest, AReloadDoesNotShowAnotherPictureUnderAStoredCardFilesName) {
  if (!body.byName) GTEST_SKIP() << "camera objects are known by handle";
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification});
  startSession(first);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return first.count(kThumbnailDownloadedNotification) == 1; }));
  const PtpObjectInfoStruct stored = records(first, kNewObjectNotification).at(0);

  dropLink();
  card()->erase();
  ASSERT_TRUE(card()->addJpeg(stored.fileName, stored.objectCompressedSize + 4096, 1, 99));
  NotificationLog again({kSessionStartedNotification, kThumbnailDownloadedNotification});
  reconnect(again);
  openWindow();
  waitForSessionWork();
  EXPECT_EQ(again.count(kThumbnailDownloadedNotification), 0u);
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

// --- a restart with a custom file name ---

TEST_P(DataSafetyTest, ARestartWithACustomFileNameDownloadsNothingTwice) {
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  objCacheSetFileNamePrefix("Trip", false);
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification});
  startSession(first);
  openWindow();
  body.shoot(2);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 2; }));
  const auto shots = announced(first);
  const Files before = saveFolderFiles();
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(before.count("Trip_1.JPG") + before.count("Trip_2.JPG"), 2u);

  // The application ends and starts again: the cache is opened anew from its folders and settings.
  dropLink();
  objCacheReset();
  objCacheOpen(cache, save);
  objCacheSetSaveFolder(save);
  objCacheSetFileNamePrefix("Trip", false);
  CameraController::resetClassWideState();
  NotificationLog second({kSessionStartedNotification, kThumbnailDownloadedNotification});
  reconnect(second);
  openWindow();
  ASSERT_TRUE(waitFor([&] { return second.count(kThumbnailDownloadedNotification) == 2; }));
  waitForSessionWork();

  // The user looks at each picture again: it comes from the save folder, not from the camera.
  const size_t reads = imageReads();
  for (const auto& [record, bytes] : shots) {
    const std::optional<std::vector<uint8_t>> image = downloadOnWorker(record);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(*image, bytes);
  }
  EXPECT_EQ(imageReads(), reads);
  EXPECT_EQ(saveFolderFiles(), before);
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

// --- deletions ---

TEST_P(DataSafetyTest, DeletionsLeaveTheSaveFolderByteForByte) {
  // The camera window's part: an object the camera reports deleted leaves the cache.
  auto windowDeletes = platform::NotificationCenter::defaultCenter().addObserverForName(
      kObjectDeletedNotification, nullptr, [](const platform::Notification& n) {
        auto object = n.object.object<PtpObjectInfoClass>();
        if (!object) return;
        std::lock_guard<std::mutex> lock(objCacheMutex());
        objCacheRemoveEntry(object->origObjectInfo());
      });
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                       kObjectDeletedNotification});
  startSession(log);
  openWindow();
  body.shoot(3);
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == 3; }));
  const std::vector<PtpObjectInfoStruct> shots = records(log, kNewObjectNotification);
  ASSERT_EQ(shots.size(), 3u);
  // Two are downloaded, one with the user's edit beside it; the third never is, and an unrelated earlier picture
  // of its name lies in the save folder.
  for (size_t i : {0u, 1u}) ASSERT_TRUE(downloadOnWorker(shots[i]).has_value());
  const std::string edited = objCacheGetImagePath(&shots[0]);
  ASSERT_FALSE(edited.empty());
  std::ofstream(edited + ".mod.jpg", std::ios::binary) << "the user's edit";
  std::ofstream(save + "/" + shots[2].fileName, std::ios::binary) << "an earlier picture of that name";
  const Files before = saveFolderFiles();
  ASSERT_EQ(before.size(), 4u);

  // Through the prompt, without it, and (for camera objects) by the camera's own removal event.
  presenter.answer = [](JW_Alert& alert, const session_testing::ShownAlert&) { alert.okAction(alert.oOkButton); };
  std::atomic<int> results{0};
  platform::globalQueue().async([&] {
    results += Utilities::deleteObject(&shots[0], true) == PTP_RC_OK;
    results += Utilities::deleteObject(&shots[2], false) == PTP_RC_OK;
  });
  ASSERT_TRUE(waitFor([&] { return results == 2; }));
  if (body.byName) {
    std::atomic<bool> done{false};
    platform::globalQueue().async([&] { done = Utilities::deleteObject(&shots[1], false) == PTP_RC_OK; });
    ASSERT_TRUE(waitFor([&] { return done.load(); }));
  } else {
    body.removeOnCamera(shots[1].objectId);
    const auto reported = [&] {
      const std::vector<uint32_t> gone = handlesOf(records(log, kObjectDeletedNotification));
      return std::find(gone.begin(), gone.end(), shots[1].objectId) != gone.end();
    };
    ASSERT_TRUE(waitFor(reported)) << "event thread running: " << camEventThreadRunning()
                                   << ", events queued: " << camEventCount();
  }
  for (const PtpObjectInfoStruct& r : shots) EXPECT_FALSE(objCacheLookup(&r, false)) << r.fileName;
  EXPECT_EQ(saveFolderFiles(), before);
  platform::NotificationCenter::defaultCenter().removeObserver(windowDeletes);
}

// --- a reload raced against the gate ---

enum class Gate { BeforeTheReload, DuringTheReload, AfterTheReload };

class ReloadRaceTest : public DataSafetyBase, public ::testing::WithParamInterface<std::tuple<Maker, Gate>> {
 protected:
  const Maker& maker() const override { return std::get<0>(GetParam()); }
};

// Pictures taken while the link was down arrive twice over: their object-added events wait behind the gate, and
// the reload finds them missing from the session. Whichever comes first announces each; nothing shows, or
// downloads, one twice, whenever the gate opens.
TEST_P(ReloadRaceTest, AReloadRacedAgainstTheGateAnnouncesEachObjectOnce) {
  const Gate gate = std::get<1>(GetParam());
  if (gate == Gate::DuringTheReload && body.byName) GTEST_SKIP() << "the card's listing cannot be held open";
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification});
  startSession(first);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 1; }));
  const PtpObjectInfoStruct stored = records(first, kNewObjectNotification).at(0);

  dropLink();
  shootAway(2);
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                       kDownloadImageInBackgroundNotification});
  reconnect(log);
  if (!body.shootWhileAway) {
    // Taken now, before any window is ready: announced only once the gate opens.
    body.shoot(2);
    ASSERT_TRUE(waitFor([&] { return card()->names().size() == 3; }));
    const uint64_t cycles = camEventThreadCycles();
    ASSERT_TRUE(waitFor([&] { return camEventThreadCycles() >= cycles + 2; }));
  }
  switch (gate) {
    case Gate::BeforeTheReload:
      // The window's thumbnails of what the gate lets through arrive only after the reload.
      fetchThumbnails = false;
      platform::mainQueue().sync([] { startCameraEventDispatch(); });
      ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) == 2; }));
      platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
      waitForSessionWork();
      for (const PtpObjectInfoStruct& r : records(log, kNewObjectNotification))
        platform::mainQueue().sync([r] { CameraController::instance().downloadThumbnail(r, false); });
      break;
    case Gate::DuringTheReload: {
      body.camera->holdNext(0x1007);  // the reload's listing of the camera's objects
      platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
      ASSERT_TRUE(waitFor([&] { return body.camera->holding(); }));
      std::atomic<bool> opened{false};
      platform::globalQueue().async([&opened] {
        startCameraEventDispatch();
        opened = true;
      });
      // The pump takes the first (a Nikon body's is then asked for its orientation, which waits for the device);
      // the reload and the pump then race for the other.
      const bool claimed = waitFor([] { return !CameraController::instance().pendingObjects().empty(); });
      body.camera->releaseHeld();
      ASSERT_TRUE(claimed);
      ASSERT_TRUE(waitFor([&] { return opened.load(); }));
      break;
    }
    case Gate::AfterTheReload:
      platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
      waitForSessionWork();
      platform::mainQueue().sync([] { startCameraEventDispatch(); });
      break;
  }
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 3; })) << downloadsDone << " " << downloadsFailed;
  waitForSessionWork();
  const uint64_t cycles = camEventThreadCycles();
  ASSERT_TRUE(waitFor([&] { return camEventThreadCycles() >= cycles + 2; }));
  drainMainQueue();

  const std::map<std::string, int> shown = tally(log, kThumbnailDownloadedNotification);
  const std::map<std::string, int> downloads = tally(log, kDownloadImageInBackgroundNotification);
  EXPECT_EQ(shown.size(), 3u);
  for (const auto& [key, n] : shown) EXPECT_EQ(n, 1) << key;
  EXPECT_EQ(downloads.size(), 2u);
  for (const auto& [key, n] : downloads) EXPECT_EQ(n, 1) << key;
  EXPECT_EQ(downloads.count(keyOf(stored)), 0u);
  for (const auto& [key, n] : tally(log, kNewObjectNotification)) EXPECT_EQ(n, 1) << key;
  EXPECT_EQ(saveFolderFiles().size(), 3u);
  EXPECT_EQ(downloadsDone, 3);
  EXPECT_TRUE(CameraController::instance().pendingObjects().empty());
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

// --- pictures left half way by a dropped link ---

// Two pictures' thumbnails and two others' image downloads are cut by the link; after the reconnect all four are
// fetched (for Sony and Fujifilm from the device's card listing), each once, and reach the save folder byte for
// byte. The dropped link is said once for the thumbnails and once for the images, not once per transfer queued
// behind it: a burst's worth of modal alerts held the main thread, and the reconnect behind it, for minutes.
TEST_P(DataSafetyTest, PicturesLeftHalfWayAreFetchedAfterTheReconnect) {
  defaults().setInteger(3, "AutoViewImages");
  fetchThumbnails = false;
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                       kDownloadImageInBackgroundNotification});
  startSession(log);
  openWindow();
  body.shoot(4);
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) == 4; }));
  const auto shots = announced(log);
  const std::vector<PtpObjectInfoStruct> shown = {shots[0].first, shots[1].first};
  const std::vector<PtpObjectInfoStruct> unshown = {shots[2].first, shots[3].first};
  for (const PtpObjectInfoStruct& r : shown)
    platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(r, false); });
  ASSERT_TRUE(waitFor([&] { return log.count(kDownloadImageInBackgroundNotification) == 2; }));

  dropLink();
  for (const PtpObjectInfoStruct& r : unshown)
    platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(r, false); });
  ASSERT_TRUE(waitFor([&] { return presenter.count() >= 1; }));  // "ThumbnailDownloadFail"
  for (const PtpObjectInfoStruct& r : shown) EXPECT_FALSE(downloadOnWorker(r).has_value());
  EXPECT_EQ(CameraController::instance().pendingObjects().size(), 4u);

  fetchThumbnails = true;
  downloadImages = true;
  NotificationLog again({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                         kDownloadImageInBackgroundNotification});
  reconnect(again);
  openWindow();
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 4; })) << downloadsDone << " " << downloadsFailed;
  waitForSessionWork();
  for (const auto& [record, bytes] : shots)
    EXPECT_EQ(readFile(objCacheGetImagePath(&record)), bytes) << record.fileName;
  EXPECT_EQ(tally(again, kNewObjectNotification),
            (std::map<std::string, int>{{keyOf(unshown[0]), 1}, {keyOf(unshown[1]), 1}}));
  std::map<std::string, int> everyOnce;
  for (const auto& shot : shots) everyOnce[keyOf(shot.first)] = 1;
  EXPECT_EQ(tally(again, kDownloadImageInBackgroundNotification), everyOnce);
  EXPECT_EQ(again.count(kThumbnailDownloadedNotification), 4u);  // the stored ones by the reload, the others anew
  EXPECT_TRUE(CameraController::instance().pendingObjects().empty());
  // The thumbnails queued behind the dropped link failed after every one before them had: all were said by now.
  const auto said = presenter.shown();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].message, platform::localizedString("ThumbnailDownloadFail"));
  EXPECT_EQ(said[1].message.rfind("Unable to download ", 0), 0u) << said[1].message;
}

// A camera that answers a new picture's thumbnail busy leaves the link up: no reconnect comes to ask again, so the
// picture is asked for again in the same connection, and lands once.
TEST_P(DataSafetyTest, APictureWhoseThumbnailTheCameraRefusedAsBusyLandsWithoutAReconnect) {
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kDownloadImageInBackgroundNotification});
  startSession(log);
  openWindow();
  auto refusing = std::make_shared<std::atomic<bool>>(true);
  device.setFaultSource([refusing](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    // The thumbnail reads: the standard one, Canon's own, the device card's.
    const bool thumbnail = e.ptpOperation == 0x100A || e.ptpOperation == 0x910A || e.command == 0xF2;
    if (e.answerBytes != 0 || !thumbnail || !refusing->load()) return std::nullopt;
    return devicesim::Fault::busy(PTP_RC_DEVICE_BUSY);
  });
  body.shoot(1);
  // The refusal is said; then the camera is free again, with the link up all along.
  ASSERT_TRUE(waitFor([&] { return presenter.count() >= 1; }));
  refusing->store(false);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 1; }))
      << downloadsDone << " done, " << downloadsFailed << " failed, pending "
      << CameraController::instance().pendingObjects().size();
  device.setFaultSource(nullptr);
  waitForSessionWork();
  const std::vector<PtpObjectInfoStruct> landed = records(log, kDownloadImageInBackgroundNotification);
  ASSERT_EQ(landed.size(), 1u);
  EXPECT_EQ(readFile(objCacheGetImagePath(&landed[0])), body.bytes(landed[0]));
  const std::vector<int32_t> seen = statuses();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), kConnectionStatusLinkFailed), 0) << "the link was dropped";
  EXPECT_TRUE(CameraController::instance().pendingObjects().empty());
}

// A card picture the session lacks is claimed by the reload, whose thumbnail read then fails; the link stays up
// (a busy device), and the card's listing the pick-up needs fails six times over, more than the pick-up's own tries.
// No reconnect follows, as at the end of a shoot: the picture lands all the same, once, byte for byte.
TEST_P(DataSafetyTest, AClaimedPictureLandsHoweverOftenItsPickUpFailsWhileTheLinkStaysUp) {
  if (!body.byName) GTEST_SKIP() << "the pick-up of camera objects has its own tests";
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                       kDownloadImageInBackgroundNotification});
  startSession(log);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 1; }));
  waitForSessionWork();

  dropLink();
  // Taken while away: no announcement will come for it.
  const std::string missedName = "DSCF9001.JPG";
  ASSERT_TRUE(card()->addJpeg(missedName, 150 * 1024, 1, 7));
  auto thumbnailFailed = std::make_shared<std::atomic<bool>>(false);
  auto listingsFailed = std::make_shared<std::atomic<int>>(0);
  device.setFaultSource([thumbnailFailed,
                         listingsFailed](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    if (e.answerBytes != 0) return std::nullopt;
    // The first thumbnail read after the reload's listing (which has claimed the picture by then) fails ...
    if (e.command == 0xF2 && !thumbnailFailed->exchange(true)) return devicesim::Fault::busy(PTP_RC_DEVICE_BUSY);
    // ... and then the listings the pick-up asks for.
    if (e.command == 0xF0 && thumbnailFailed->load() && listingsFailed->load() < 6) {
      ++*listingsFailed;
      return devicesim::Fault::busy(PTP_RC_DEVICE_BUSY);
    }
    return std::nullopt;
  });
  NotificationLog again({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                         kDownloadImageInBackgroundNotification});
  reconnect(again);
  openWindow();
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 2; }))
      << downloadsDone << " done, " << downloadsFailed << " failed, listings failed " << listingsFailed->load()
      << ", pending " << CameraController::instance().pendingObjects().size();
  device.setFaultSource(nullptr);
  waitForSessionWork();
  EXPECT_EQ(listingsFailed->load(), 6);
  std::map<std::string, int> asked = tally(again, kDownloadImageInBackgroundNotification);
  EXPECT_EQ(asked[missedName], 1);
  const std::vector<PtpObjectInfoStruct> landed = records(again, kDownloadImageInBackgroundNotification);
  const auto it = std::find_if(landed.begin(), landed.end(),
                               [&](const PtpObjectInfoStruct& r) { return missedName == r.fileName; });
  ASSERT_NE(it, landed.end());
  EXPECT_EQ(readFile(objCacheGetImagePath(&*it)), *card()->file(missedName)->bytes);
  EXPECT_TRUE(CameraController::instance().pendingObjects().empty());
}

// A card picture the reload picked up (taken while the link was down: no announcement came with its size) is told
// apart from a later picture of its name: after a card swap the body numbers from 1 again, and the new picture of
// that name lands under a free name, byte for byte, beside the older file.
TEST_P(DataSafetyTest, APictureThePickUpFoundIsToldApartFromALaterPictureOfItsName) {
  if (!body.byName) GTEST_SKIP() << "camera objects are known by handle";
  defaults().setInteger(3, "AutoViewImages");
  downloadImages = true;
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification});
  startSession(first);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 1; }));
  waitForSessionWork();
  // The name the body gives its second picture, taken while away and so found by the reload.
  std::string away = records(first, kNewObjectNotification).at(0).fileName;
  const size_t digit = away.find_last_of("0123456789");
  ASSERT_NE(digit, std::string::npos);
  ASSERT_NE(away[digit], '9');
  ++away[digit];
  dropLink();
  ASSERT_TRUE(card()->addJpeg(away, 150 * 1024, 1, 7));
  const std::vector<uint8_t> awayBytes = *card()->file(away)->bytes;
  NotificationLog second({kSessionStartedNotification});
  reconnect(second);
  openWindow();
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 2; })) << downloadsDone << " done, " << downloadsFailed << " failed";
  waitForSessionWork();
  const Files before = saveFolderFiles();
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(before.at(away), awayBytes);

  dropLink();
  body.swapCard();
  NotificationLog third({kSessionStartedNotification, kNewObjectNotification, kDownloadImageInBackgroundNotification});
  CameraController::instance().connectToVorlaxent();  // a second reconnect
  ASSERT_TRUE(waitFor([&] {
    const std::vector<int32_t> s = statuses();
    return std::count(s.begin(), s.end(), kConnectionStatusDeviceConnected) == 3;
  }));
  startSession(third, 3);
  openWindow();
  body.shoot(2);  // the same two names again, other pictures
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 4; }))
      << downloadsDone << " done, " << downloadsFailed << " failed, announced " << third.count(kNewObjectNotification);
  waitForSessionWork();
  const std::vector<PtpObjectInfoStruct> fresh = records(third, kDownloadImageInBackgroundNotification);
  ASSERT_EQ(fresh.size(), 2u);
  const Files after = saveFolderFiles();
  EXPECT_EQ(after.size(), 4u);
  for (const PtpObjectInfoStruct& r : fresh) {
    SCOPED_TRACE(r.fileName);
    const std::string path = objCacheGetImagePath(&r);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(before.count(std::filesystem::path(path).filename()), 0u) << path;
    EXPECT_EQ(readFile(path), body.bytes(r));
  }
  for (const auto& [name, bytes] : before) EXPECT_EQ(after.at(name), bytes) << name;
}

// --- one maker's own cases ---

class OneMakerTest : public DataSafetyBase {
 protected:
  const Maker& maker() const override { return *chosen; }
  const Maker* chosen = nullptr;
};

class NikonSafetyTest : public OneMakerTest {
 protected:
  void SetUp() override {
    static const Maker nikon{"Nikon", nikonBody};
    chosen = &nikon;
    OneMakerTest::SetUp();
  }
};

class CanonSafetyTest : public OneMakerTest {
 protected:
  void SetUp() override {
    static const Maker canonMaker{"Canon", canonBody};
    chosen = &canonMaker;
    OneMakerTest::SetUp();
  }
};

// A Nikon picture whose object-added event was lost with the reply the link cut is found by the reload, even when
// the gate opened first and a later picture joined the session before the user answered "Load Session".
TEST_F(NikonSafetyTest, AnAnnouncementLostWithTheLinkIsFoundWhateverTheOrderOfGateAndReload) {
  defaults().setInteger(3, "AutoViewImages");
  defaults().setBool(false, "AutoReloadSession");
  downloadImages = true;
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification});
  startSession(first);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 1; }));

  dropLink();
  auto nikon = std::static_pointer_cast<devicesim::NikonCamera>(body.camera);
  const uint32_t lost = nikon->shootUnannounced();
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification});
  reconnect(log);
  bool asked = false;
  presenter.answer = [&](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    asked = shown.title == "Load Session";
    // While the question waits, the window opens the gate and a later picture arrives and joins the session.
    startCameraEventDispatch();
    nikon->shootOnCamera(1);
    const bool later = waitFor([&] { return downloadsDone == 2; });
    EXPECT_TRUE(later);
    alert.okAction(alert.oOkButton);
  };
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  ASSERT_TRUE(asked);
  ASSERT_TRUE(waitFor([&] { return downloadsDone == 3; })) << downloadsDone << " " << downloadsFailed;
  waitForSessionWork();
  PtpObjectInfoStruct record{};
  record.objectId = lost;
  EXPECT_EQ(readFile(objCacheGetImagePath(&record)), *nikon->object(lost)->bytes);
  const std::vector<uint32_t> session = *CameraController::instance().sessionHandles();
  EXPECT_EQ(std::count(session.begin(), session.end(), lost), 1);
  EXPECT_EQ(session.size(), 3u);
  EXPECT_EQ(tally(log, kThumbnailDownloadedNotification)[std::to_string(lost)], 1);
  EXPECT_EQ(presenter.count(), 1u);
}

// The reload's exchanges with the camera run without the session monitor: while one is held open at the camera,
// the main queue adds to the session, asks about it and runs the pump at once.
TEST_F(CanonSafetyTest, TheMainThreadNeverWaitsForTheReloadsCameraTraffic) {
  NotificationLog first({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification});
  startSession(first);
  openWindow();
  body.shoot(1);
  ASSERT_TRUE(waitFor([&] { return first.count(kThumbnailDownloadedNotification) == 1; }));
  dropLink();
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  reconnect(log);
  fetchThumbnails = false;
  body.camera->holdNext(0x1007);  // the reload's listing of the camera's objects
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  ASSERT_TRUE(waitFor([&] { return body.camera->holding(); }));
  // Should the main thread wait after all, the camera lets go in a while and the check below tells.
  std::promise<void> finished;
  std::thread letGo([camera = body.camera, done = finished.get_future()] {
    done.wait_for(std::chrono::seconds(2));
    camera->releaseHeld();
  });
  PtpObjectInfoStruct other{};
  other.objectId = 0x7123;
  std::snprintf(other.fileName, sizeof other.fileName, "IMG_7123.JPG");
  other.objectCompressedSize = 100;
  CameraController::instance().addObjectToSession(&other);
  const bool member = CameraController::instance().doesSessionContainObject(&other);
  CameraEvent added = camMakeEvent(PTP_EC_ObjectAdded);
  added.objectInfo = other;
  added.objectInfo.objectId = 0x7124;
  std::snprintf(added.objectInfo.fileName, sizeof added.objectInfo.fileName, "IMG_7124.JPG");
  ASSERT_TRUE(camPushEvent(added, false));
  startCameraEventDispatch();
  const bool stillHeld = body.camera->holding();
  finished.set_value();
  letGo.join();
  EXPECT_TRUE(stillHeld);
  EXPECT_TRUE(member);
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), std::vector<uint32_t>{0x7124});
  waitForSessionWork();
}

const Maker kMakers[] = {{"Canon", canonBody}, {"Nikon", nikonBody}, {"Sony", sonyBody}, {"Fujifilm", fujiBody}};

INSTANTIATE_TEST_SUITE_P(OneBodyEach, DataSafetyTest, ::testing::ValuesIn(kMakers),
                         [](const ::testing::TestParamInfo<Maker>& info) { return std::string(info.param.name); });

std::string raceName(const ::testing::TestParamInfo<std::tuple<Maker, Gate>>& info) {
  const char* gate = "GateAfterTheReload";
  if (std::get<1>(info.param) == Gate::BeforeTheReload) gate = "GateBeforeTheReload";
  if (std::get<1>(info.param) == Gate::DuringTheReload) gate = "GateDuringTheReload";
  return std::string(std::get<0>(info.param).name) + "_" + gate;
}

INSTANTIATE_TEST_SUITE_P(OneBodyEach, ReloadRaceTest,
                         ::testing::Combine(::testing::ValuesIn(kMakers),
                                            ::testing::Values(Gate::BeforeTheReload, Gate::DuringTheReload,
                                                              Gate::AfterTheReload)),
                         raceName);

}  // namespace
