// The SD card's listing with its names checked, the Fujifilm save-raw switch, live view turned off before work
// that needs the camera, and the cache emptied, against the stand-in device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/ptp/datasets.h"
#include "engine/store/object_cache.h"
#include "engine/store/sd_listing.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller_test_fixture.h"
#include "session/live_view_switch.h"

namespace {

namespace fs = std::filesystem;

class HousekeepingTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    driveConnection = false;
    ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
  }
  void TearDown() override {
    setLiveViewSwitch({});
    objCacheReset();
    SessionDeviceTest::TearDown();
  }

  // Runs `work` on a worker thread, as the callers of these operations do.
  template <class F>
  static auto onWorker(F work) {
    decltype(work()) result{};
    std::thread worker([&] { result = work(); });
    worker.join();
    return result;
  }
};

TEST_F(HousekeepingTest, FiveHundredCardNamesAreListedAndTheUnsafeOnesRefused) {
  std::vector<std::string> listed, usable;
  std::vector<SdCardRefusedName> refusedExpected;
  for (int i = 0; i < 491; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "DSC_%04d.%s", i, i % 3 ? "JPG" : "NEF");
    listed.push_back(name);
  }
  listed.push_back(std::string(243, 'L') + ".JPG");  // the longest name whose side files still fit a file name
  listed.push_back("Vacation photo #1 (final).jpg");
  usable = listed;
  const std::vector<SdCardRefusedName> unsafe = {
      {".", ERROR_INVALID_INPUT},
      {"..", ERROR_INVALID_INPUT},
      {"DCIM/../../escape.JPG", ERROR_INVALID_INPUT},
      {"/etc/passwd", ERROR_INVALID_INPUT},
      {std::string(244, 'L') + ".JPG", ERROR_TOO_LARGE},
      {std::string(600, 'M'), ERROR_TOO_LARGE},
      {"DCIM/", ERROR_INVALID_INPUT},
  };
  // The unsafe names sit among the others.
  size_t at = 0;
  for (const SdCardRefusedName& r : unsafe) {
    at += 61;
    listed.insert(listed.begin() + static_cast<long>(at), r.name);
  }
  ASSERT_EQ(listed.size(), 500u);
  ASSERT_TRUE(commands.card().addNamedFiles(listed));

  std::vector<SdCardRefusedName> refused;
  auto names = onWorker([&] { return Utilities::arrayOfSdCardImages(&refused); });
  ASSERT_TRUE(names.has_value());
  EXPECT_EQ(*names, usable);
  ASSERT_EQ(refused.size(), unsafe.size());
  std::vector<std::string> refusedNames;
  for (const SdCardRefusedName& r : refused) refusedNames.push_back(r.name);
  for (const SdCardRefusedName& r : unsafe) {
    auto it = std::find(refusedNames.begin(), refusedNames.end(), r.name);
    ASSERT_NE(it, refusedNames.end()) << r.name.size();
    EXPECT_EQ(refused[static_cast<size_t>(it - refusedNames.begin())].reason, r.reason) << r.name.size();
  }

  // Every listed name kept in the object cache and downloaded: nothing lands outside its two folders.
  char tmpl[] = "/tmp/vx_sd_XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::string root = tmpl, cache = root + "/Cache/inner", save = root + "/Save/inner";
  fs::create_directories(cache);
  fs::create_directories(save);
  objCacheOpen(cache, save);
  for (const std::string& name : *names) {
    PtpObjectInfoStruct record = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size() + 1));
    ASSERT_TRUE(objCacheSaveThumbnail(&record, reinterpret_cast<const uint8_t*>("t"), 1)) << name;
    ASSERT_FALSE(objCacheSaveImage(&record, reinterpret_cast<const uint8_t*>("i"), 1).empty()) << name;
  }
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_directory()) continue;
    ++files;
    const std::string parent = e.path().parent_path().string();
    EXPECT_TRUE(parent == cache || parent == save) << e.path();
  }
  EXPECT_EQ(files, 3 * names->size());  // record, thumbnail and image of each
  objCacheReset();
  fs::remove_all(root);
}

TEST_F(HousekeepingTest, AnEmptyOrFailedListingGivesNone) {
  auto none = onWorker([] { return Utilities::arrayOfSdCardImages(); });
  EXPECT_FALSE(none.has_value()) << "an empty card";
  commands.card().setPresent(false);
  none = onWorker([] { return Utilities::arrayOfSdCardImages(); });
  EXPECT_FALSE(none.has_value()) << "no card";
  commands.card().setPresent(true);
  ASSERT_TRUE(commands.card().addNamedFiles({"IMG_0001.JPG", "IMG_0002.CR2"}));
  auto two = onWorker([] { return Utilities::arrayOfSdCardImages(); });
  ASSERT_TRUE(two.has_value());
  EXPECT_EQ(*two, (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.CR2"}));
}

TEST_F(HousekeepingTest, TheSaveRawSwitchSendsTheInverseOfTheFlag) {
  EXPECT_EQ(onWorker([] { return Utilities::sendSaveFujiRaws(true); }), PTP_RC_OK);
  EXPECT_EQ(commands.saveFujiRaws(), 0);
  EXPECT_EQ(onWorker([] { return Utilities::sendSaveFujiRaws(false); }), PTP_RC_OK);
  EXPECT_EQ(commands.saveFujiRaws(), 1);
  EXPECT_EQ(commands.settingsLog(), (std::vector<std::string>{"save-fuji-raws 0", "save-fuji-raws 1"}));
}

// A stand-in for the controller's live-view switch: its state, and the results its toggle stores.
struct FakeSwitch {
  std::atomic<uint64_t> status{0};
  std::atomic<int32_t> liveViewResult{0}, movieResult{0};
  std::atomic<int> toggles{0};
  std::atomic<bool> answers{true};

  LiveViewSwitch install() {
    LiveViewSwitch s;
    s.status = [this] { return status.load(); };
    s.toggleLiveView = [this](bool on, std::shared_ptr<platform::Semaphore> done) {
      EXPECT_FALSE(on);
      ++toggles;
      if (!answers) return;
      // The controller answers from its return block, on another thread than the caller's.
      std::thread([done] { done->signal(); }).detach();
    };
    s.lastToggleLiveViewStatus = [this] { return liveViewResult.load(); };
    s.lastToggleMovieStatus = [this] { return movieResult.load(); };
    return s;
  }
};

TEST_F(HousekeepingTest, FreeingTheCameraSucceedsOnlyOnAStoredOk) {
  struct Case {
    uint64_t status;
    int32_t liveViewResult, movieResult;
    bool freed;
    int toggles;
  } cases[] = {
      {0, 0, 0, true, 0},                 // already off
      {1, 0x2001, 0x2019, true, 1},       // live view off: its own result counts
      {1, 0x2019, 0x2001, false, 1},      // busy: its low byte 0x19 is no success
      {1, 0xFF0E, 0x2001, false, 1},      // the link failed
      {1, 0x2101, 0x2001, false, 1},      // low byte 0x01 but not OK
      {2, 0x2001, 0x2019, false, 1},      // movie mode: the movie toggle's result counts
      {2, 0x2019, 0x2001, true, 1},
      {2, 0x2001, 0xFF0E, false, 1},
      {3, 0x2001, 0x2001, false, 0},      // recording is never stopped here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.status << " " << std::hex << c.liveViewResult << " " << c.movieResult);
    FakeSwitch fake;
    fake.status = c.status;
    fake.liveViewResult = c.liveViewResult;
    fake.movieResult = c.movieResult;
    setLiveViewSwitch(fake.install());
    EXPECT_EQ(onWorker([] { return Utilities::blockForLiveViewOff(); }), c.freed);
    EXPECT_EQ(fake.toggles.load(), c.toggles);
    setLiveViewSwitch({});
  }
}

TEST_F(HousekeepingTest, FreeingTheCameraNeverBlocksTheMainThread) {
  FakeSwitch fake;
  fake.answers = false;  // a toggle whose return block would need the main queue
  fake.liveViewResult = 0x2001;
  for (uint64_t status : {1u, 2u}) {
    fake.status = status;
    setLiveViewSwitch(fake.install());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Utilities::blockForLiveViewOff());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  }
  EXPECT_EQ(fake.toggles.load(), 0);
  fake.status = 0;
  EXPECT_TRUE(Utilities::blockForLiveViewOff());
  // Without an installed switch nothing can turn live view off: only an idle camera counts as free.
  setLiveViewSwitch({});
  EXPECT_EQ(onWorker([] { return Utilities::blockForLiveViewOff(); }), CameraController::instance().liveViewStatus() == 0);
}

TEST_F(HousekeepingTest, ClearingTheCacheEmptiesItAndKeepsTheSaveFolder) {
  const std::string cache = Utilities::cacheFolderPath();
  ASSERT_FALSE(cache.empty());
  fs::remove_all(cache);
  const std::string save = cache + "/Downloads";
  fs::create_directories(save);
  fs::create_directories(cache + "/Watermark");
  std::ofstream(cache + "/A.JPG.obj") << "x";
  std::ofstream(cache + "/Watermark/w.png") << "x";
  std::ofstream(save + "/IMG_0001.JPG") << "picture";
  defaults().setString(save, "SaveFolderPath");
  objCacheOpen(cache, save);
  PtpObjectInfoStruct record = ptpObjectInfoForName("B.JPG", 6);
  ASSERT_TRUE(objCacheLookup(&record, true));

  Utilities::clearCache();
  // The object cache's list is dropped after the files are gone.
  ASSERT_TRUE(waitFor([&] { return !objCacheLookup(&record, false); }));
  drainMainQueue();
  EXPECT_FALSE(fs::exists(cache + "/A.JPG.obj"));
  EXPECT_FALSE(fs::exists(cache + "/Watermark"));
  EXPECT_TRUE(fs::is_directory(cache));
  EXPECT_TRUE(fs::exists(save + "/IMG_0001.JPG"));
  EXPECT_EQ(presenter.count(), 0u);
  defaults().removeObjectForKey("SaveFolderPath");
  fs::remove_all(cache);
}

TEST_F(HousekeepingTest, TheFirmwareWaitCoversTheRestartThenAsksTheUserToRejoin) {
  engine_timing::scale().store(0.001);  // the two minutes in 120 ms
  const auto started = std::chrono::steady_clock::now();
  Utilities::showFirmwareWaiting();
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(120));
  EXPECT_EQ(presenter.shown()[0].title, "Warning");
  EXPECT_EQ(presenter.shown()[0].message,
            "Please ensure Vorlaxent has finished initializing and join the Vorlaxent WiFi network if necessary.");
}

}  // namespace
