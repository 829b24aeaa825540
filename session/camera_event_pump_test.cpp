// The camera-event pump, the session file and the downloads against the stand-in device with a simulated Canon
// body: pictures taken on the camera reach the thumbnail strip and the save folder, the session survives a
// reconnect, and each event code turns into its notification.
#include "session/camera_event_pump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "devicesim/canon_frames.h"
#include "engine/link/link.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/system_log.h"
#include "session/live_view_switch.h"
#include "session/ptp_errors.h"
#include "session/session_pump_test_fixture.h"

namespace {

using session_testing::NotificationLog;
using Handles = std::vector<uint32_t>;

constexpr uint32_t kCanonBattery = 0xD111;  // the simulated body reports 2: full

class CanonPumpTest : public SessionPumpTest {
 protected:
  // The events of a session that waited behind the closed gate are handled before the test's own.
  void openGate() {
    platform::mainQueue().sync([] { startCameraEventDispatch(); });
  }
  // The pump alone, without the event thread's polls running it at the same time.
  void stopPolling() { ASSERT_TRUE(camStopEventThread(true) || !camEventThreadRunning()); }

  PtpObjectInfoStruct cameraRecord(uint32_t handle) {
    PtpObjectInfoStruct r{};
    EXPECT_EQ(camGetObjectInfo(handle, &r), PTP_RC_OK);
    return r;
  }
  // An object already on the camera's card, with a thumbnail of that many bytes.
  void addOnCard(uint32_t handle, const char* name, uint16_t format = 0x3801, size_t thumbnailBytes = 4000) {
    devicesim::SimObject o;
    o.handle = handle;
    o.format = format;
    o.name = name;
    o.bytes = std::make_shared<const std::vector<uint8_t>>(4096, 0x11);
    o.thumbnail.assign(thumbnailBytes, 0x22);
    o.width = o.height = 100;
    canon->addObject(o);
  }
};

TEST_F(CanonPumpTest, APictureReachesTheStripAndTheSaveFolderAndTheSessionSurvivesAReconnect) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                       kDownloadImageInBackgroundNotification});
  startSession(log);
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  EXPECT_EQ(defaults().stringForKey("LastSessionCameraId"), camSerialNumber());
  EXPECT_EQ(CameraController::instance().sessionHandles(), Handles{});  // no earlier session: a new one
  openGate();

  canon->shootOnCamera(1);
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == 1; }));
  ASSERT_EQ(canon->captured().size(), 1u);
  const uint32_t first = canon->captured()[0];
  const devicesim::SimObject shot = *canon->object(first);
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), Handles{first});
  const platform::Value thumbnail = log.objects(kThumbnailDownloadedNotification)[0];
  EXPECT_EQ(thumbnail["thumbnailData"].toData(), devicesim::canonBareJpeg(shot.thumbnail));
  EXPECT_EQ(namesOf(records(log, kThumbnailDownloadedNotification)), std::vector<std::string>{shot.name});
  // The thumbnail put it into the session and the file.
  EXPECT_EQ(CameraController::instance().sessionHandles(), Handles{first});
  EXPECT_EQ(readSessionFile(sessionFilePath()).contents.handles, Handles{first});

  // The whole image, byte for byte, to the caller and into the save folder.
  const std::optional<std::vector<uint8_t>> image = downloadOnWorker(records(log, kNewObjectNotification)[0]);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(*image, *shot.bytes);
  EXPECT_EQ(readFile(save + "/" + shot.name), *shot.bytes);

  // Away for a while: the camera takes two more pictures, then the same camera comes back.
  dropLink();
  canon->shootOnCamera(2);
  defaults().setBool(true, "AutoReloadSession");
  defaults().setBool(true, "LoadMissedImages");
  defaults().setInteger(3, "AutoViewImages");
  NotificationLog again({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification,
                         kDownloadImageInBackgroundNotification});
  reconnect(again);
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  const Handles all = canon->captured();
  ASSERT_EQ(all.size(), 3u);
  ASSERT_TRUE(waitFor([&] { return again.count(kThumbnailDownloadedNotification) == 3; }));
  // The reload asks for the downloads after the last thumbnail: its end is awaited, not assumed.
  ASSERT_TRUE(waitFor([&] { return again.count(kDownloadImageInBackgroundNotification) == 2; }));
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  // The stored one first, then those taken while away, each once; only the missed ones are downloaded.
  EXPECT_EQ(handlesOf(records(again, kThumbnailDownloadedNotification)), all);
  EXPECT_EQ(handlesOf(records(again, kDownloadImageInBackgroundNotification)), Handles(all.begin() + 1, all.end()));
  EXPECT_EQ(CameraController::instance().sessionHandles(), all);
  EXPECT_EQ(readSessionFile(sessionFilePath()).contents.handles, all);
  // Their object-added events, queued behind the gate, announce nothing now: they are in the session.
  openGate();
  canon->shootOnCamera(1);
  ASSERT_TRUE(waitFor([&] { return again.count(kThumbnailDownloadedNotification) == 4; }));
  EXPECT_EQ(handlesOf(records(again, kNewObjectNotification)), Handles{canon->captured().back()});
  EXPECT_EQ(again.count(kDownloadImageInBackgroundNotification), 3u);
}

TEST_F(CanonPumpTest, ABurstOf20ArrivesWholeInOrderThroughBusyAnswers) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kThumbnailDownloadedNotification});
  startSession(log);
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  openGate();
  canon->shootOnCamera(20, 1);
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) >= 20; }));
  // Nothing more follows: two further polls and the main queue's last blocks bring no second announcement.
  const uint64_t cycles = camEventThreadCycles();
  ASSERT_TRUE(waitFor([&] { return camEventThreadCycles() >= cycles + 2; }));
  drainMainQueue();
  const Handles taken = canon->captured();
  ASSERT_EQ(taken.size(), 20u);
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), taken);
  EXPECT_EQ(handlesOf(records(log, kThumbnailDownloadedNotification)), taken);
  EXPECT_EQ(CameraController::instance().sessionHandles(), taken);
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

TEST_F(CanonPumpTest, TheSessionCheckReloadsOffersOrForgets) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  const uint32_t stored = canon->addJpegObject(40 * 1024, 1, "IMG_0900.JPG", devicesim::CanonCamera::kStorage);
  startSession(log);
  const std::string serial = camSerialNumber();
  ASSERT_FALSE(serial.empty());
  const auto now = std::chrono::system_clock::now();
  struct Case {
    const char* what;
    std::string cameraId;
    std::chrono::seconds age;
    bool autoReload;
    bool reloaded;
    bool asked;
    bool accept = true;  // the answer to the alert
  };
  const std::vector<Case> cases{
      {"another camera", "0000", std::chrono::seconds(10), true, false, false},
      {"six hours old", serial, std::chrono::seconds(21600), true, false, false},
      {"just under six hours, in the future", serial, std::chrono::seconds(-21599 + 2), true, true, false},
      {"same camera, asked and loaded", serial, std::chrono::seconds(60), false, true, true},
      {"same camera, asked and declined", serial, std::chrono::seconds(60), false, false, true, false},
  };
  platform::Date timeWhenAsked{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(writeSessionFile(sessionFilePath(), {{stored}, {}}), "");
    defaults().setString(c.cameraId, "LastSessionCameraId");
    defaults().setDate(now - c.age, "LastSessionTime");
    defaults().setBool(c.autoReload, "AutoReloadSession");
    presenter.answer = [&timeWhenAsked, accept = c.accept](JW_Alert& alert, const session_testing::ShownAlert&) {
      timeWhenAsked = defaults().dateForKey("LastSessionTime");
      if (accept)
        alert.okAction(alert.oOkButton);
      else
        alert.cancelAction(alert.oCancelButton);
    };
    const size_t thumbnails = log.count(kThumbnailDownloadedNotification);
    const size_t alerts = presenter.count();
    platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
    // The check always leaves this camera and now behind, before any answer.
    EXPECT_EQ(defaults().stringForKey("LastSessionCameraId"), serial);
    EXPECT_LT(std::chrono::system_clock::now() - defaults().dateForKey("LastSessionTime"), std::chrono::seconds(5));
    if (c.reloaded) {
      ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == thumbnails + 1; }));
      EXPECT_EQ(handlesOf(records(log, kThumbnailDownloadedNotification)).back(), stored);
      EXPECT_EQ(CameraController::instance().sessionHandles(), Handles{stored});
      EXPECT_TRUE(std::filesystem::exists(sessionFilePath()));
    } else {
      drainMainQueue();
      EXPECT_EQ(log.count(kThumbnailDownloadedNotification), thumbnails);
      EXPECT_FALSE(std::filesystem::exists(sessionFilePath()));
      EXPECT_EQ(CameraController::instance().sessionHandles(), Handles{});
    }
    ASSERT_EQ(presenter.count(), alerts + (c.asked ? 1 : 0));
    if (c.asked) {
      const session_testing::ShownAlert alert = presenter.shown().back();
      EXPECT_EQ(alert.title, "Load Session");
      EXPECT_EQ(alert.message, "Would you like to load the previous session?");
      EXPECT_EQ(alert.okText, "Load Session");
      EXPECT_EQ(alert.cancelText, "Cancel");
      // Now was kept before the answer (the stored session's time was a minute ago).
      EXPECT_LT(std::chrono::system_clock::now() - timeWhenAsked, std::chrono::seconds(5));
    }
  }
}

// Every session start reloads the stored session. A reload whose session has ended meanwhile (the link dropped and
// came back) stops, leaving the rest to the new session's own: reloads of a long session that walked every picture
// after theirs had ended piled up, one per reconnect, each holding its memory and a worker.
TEST_F(CanonPumpTest, AReloadWhoseSessionHasEndedStops) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  Handles stored;
  for (int i = 0; i < 12; ++i)
    stored.push_back(canon->addJpegObject(30 * 1024, 1, ("IMG_" + std::to_string(1300 + i) + ".JPG").c_str(),
                                          devicesim::CanonCamera::kStorage));
  startSession(log);
  stopPolling();
  ASSERT_EQ(writeSessionFile(sessionFilePath(), {stored, {}}), "");
  defaults().setString(camSerialNumber(), "LastSessionCameraId");
  defaults().setDate(std::chrono::system_clock::now(), "LastSessionTime");
  defaults().setBool(true, "AutoReloadSession");
  canon->holdNext(0x910A);  // the body's thumbnail operation: the reload's first picture stays in flight
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  ASSERT_TRUE(waitFor([&] { return canon->holding(); }));
  platform::mainQueue().sync([] { CameraController::instance().startSession(); });
  canon->releaseHeld();
  ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 2; }));
  ASSERT_TRUE(waitFor([] { return CameraController::sessionWorkInFlight() == 0; }));
  drainMainQueue();
  // The picture in flight when the new session started, and none after it.
  EXPECT_LE(log.count(kThumbnailDownloadedNotification), 1u);
}

// A picture taken while away that a reload claimed just as a new session started (its gate already open, its own
// look for pictures already made) is handed to that session when the reload stops, and announced once: left for
// "the next session" it waited for a reconnect that might never come.
TEST_F(CanonPumpTest, APictureClaimedByAReloadThatStopsIsAnnouncedInTheNewSession) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  Handles stored;
  for (int i = 0; i < 3; ++i)
    stored.push_back(canon->addJpegObject(30 * 1024, 1, ("IMG_" + std::to_string(1400 + i) + ".JPG").c_str(),
                                          devicesim::CanonCamera::kStorage));
  const uint32_t away = canon->addJpegObject(30 * 1024, 1, "IMG_1499.JPG", devicesim::CanonCamera::kStorage);
  startSession(log);
  stopPolling();
  for (uint32_t h : stored) {  // known to the cache: the reload reads only the missed picture's record from the body
    const PtpObjectInfoStruct r = cameraRecord(h);
    ASSERT_TRUE(objCacheStoreObjectInfo(&r));
  }
  ASSERT_EQ(writeSessionFile(sessionFilePath(), {stored, {}}), "");
  defaults().setString(camSerialNumber(), "LastSessionCameraId");
  defaults().setDate(std::chrono::system_clock::now(), "LastSessionTime");
  defaults().setBool(true, "AutoReloadSession");
  defaults().setBool(true, "LoadMissedImages");
  const uint16_t objectInfo =
      ptpOperationSupported(PTP_OC_CANON_GetObjectInfoEx) ? PTP_OC_CANON_GetObjectInfoEx : PTP_OC_GetObjectInfo;
  canon->holdNext(objectInfo);  // the missed picture's record stays in flight
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  ASSERT_TRUE(waitFor([&] { return canon->holding(); }));
  platform::mainQueue().sync([] {
    CameraController::instance().startSession();
    startCameraEventDispatch();  // the new session's gate, before the old reload ends
  });
  canon->releaseHeld();
  ASSERT_TRUE(waitFor([&] { return log.count(kSessionStartedNotification) == 2; }));
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) >= 1; })) << "never announced";
  ASSERT_TRUE(waitFor([] { return CameraController::sessionWorkInFlight() == 0; }));
  drainMainQueue();
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), Handles{away});
}

TEST_F(CanonPumpTest, AReloadDropsVanishedObjectsAndACorruptFileStartsAnEmptySession) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  const uint32_t kept = canon->addJpegObject(40 * 1024, 1, "IMG_0901.JPG", devicesim::CanonCamera::kStorage);
  const uint32_t refused = canon->addJpegObject(40 * 1024, 1, "IMG_0902.JPG", devicesim::CanonCamera::kStorage);
  startSession(log);
  // One stored object is gone from the card, one the camera refuses as an invalid handle.
  for (uint16_t op : {uint16_t{0x1008}, uint16_t{0x9170}}) canon->failOperation(op, refused, 0x2009);
  ASSERT_EQ(writeSessionFile(sessionFilePath(), {{0x7777, refused, kept}, {}}), "");
  platform::mainQueue().sync([] { CameraController::instance().loadPreviousSession(); });
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == 1; }));
  drainMainQueue();
  EXPECT_EQ(handlesOf(records(log, kThumbnailDownloadedNotification)), Handles{kept});
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;

  // A file that is no property list: an empty session, the file aside and a line in the log.
  std::vector<std::string> lines;
  platform::setSystemLogSink([&lines](platform::LogLevel, const std::string& line) { lines.push_back(line); });
  std::ofstream(sessionFilePath(), std::ios::binary) << "<?xml version=\"1.0\"?><plist><array><integer>12";
  platform::mainQueue().sync([] { CameraController::instance().loadPreviousSession(); });
  ASSERT_TRUE(waitFor([] { return CameraController::instance().sessionHandles() == Handles{}; }));
  drainMainQueue();
  platform::setSystemLogSink(nullptr);
  EXPECT_EQ(log.count(kThumbnailDownloadedNotification), 1u);
  EXPECT_TRUE(std::filesystem::exists(sessionFilePath() + ".corrupt"));
  ASSERT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("handles.dat") != std::string::npos; }),
            1);
  // The new session's objects go into a new file.
  PtpObjectInfoStruct record{};
  record.objectId = kept;
  CameraController::instance().addObjectToSession(&record);
  EXPECT_EQ(readSessionFile(sessionFilePath()).contents, (SessionFileContents{{kept}, {}}));
}

TEST_F(CanonPumpTest, ThePickUpAnnouncesNewerPicturesAcrossTheSignBitOnly) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  const auto add = [this](uint32_t handle, uint16_t format, size_t thumbnailBytes, const char* name) {
    addOnCard(handle, name, format, thumbnailBytes);
  };
  add(0x7FFFFFFF, 0x3801, 4000, "IMG_0001.JPG");
  add(0x80000000, 0x3801, 4000, "IMG_0002.JPG");
  add(0x80000001, 0x3801, 4000, "IMG_0003.JPG");  // newer: announced
  add(0x80000002, 0x300D, 4000, "MVI_0004.MOV");  // a movie: never announced
  add(0x80000003, 0x3801, 2048, "IMG_0005.JPG");  // too small a thumbnail to be a picture
  add(0x80000004, 0x3801, 2049, "IMG_0006.JPG");  // announced
  startSession(log);
  ASSERT_EQ(writeSessionFile(sessionFilePath(), {{0x80000000, 0x7FFFFFFF}, {}}), "");
  platform::mainQueue().sync([] { CameraController::instance().loadMissedImages(); });
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) >= 2; }));
  drainMainQueue();
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), (Handles{0x80000001, 0x80000004}));
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
  EXPECT_EQ(CameraController::instance().sessionHandles(), (Handles{0x80000000, 0x7FFFFFFF}));
}

// A session begun in this connection (the earlier one declined, or none) has nothing stored from before: the
// pictures it took mark where it began, and what the camera took after them without announcing is picked up.
TEST_F(CanonPumpTest, ThePickUpOfASessionBegunInThisConnectionStartsAtItsFirstPicture) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  addOnCard(0x90000001, "IMG_0001.JPG");  // on the card before the session began
  addOnCard(0x90000002, "IMG_0002.JPG");  // the session's first picture
  addOnCard(0x90000003, "IMG_0003.JPG");  // shown too
  addOnCard(0x90000004, "IMG_0004.JPG");  // taken while nothing listened
  startSession(log);
  CameraController::instance().clearSession();
  for (uint32_t handle : {0x90000002u, 0x90000003u}) {
    PtpObjectInfoStruct record{};
    record.objectId = handle;
    CameraController::instance().addObjectToSession(&record);
  }
  platform::mainQueue().sync([] { CameraController::instance().loadMissedImages(); });
  ASSERT_TRUE(waitFor([] { return CameraController::sessionWorkInFlight() == 0; }));
  drainMainQueue();
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), Handles{0x90000004});
  EXPECT_EQ(presenter.count(), 0u) << presenter.shown().front().message;
}

TEST_F(CanonPumpTest, EachEventCodeBecomesItsNotificationInQueueOrderOnceTheGateOpens) {
  NotificationLog log({kSessionStartedNotification, "JW_Olc_1", "JW_Olc_7", kObjectDeletedNotification,
                       "JW_" + std::to_string(kCanonBattery), kCameraBatteryPercentageNotification});
  startSession(log);
  stopPolling();
  camClearEvents();
  const auto olc = [](uint8_t item, uint32_t value) {
    CameraEvent e = camMakeEvent(PTP_EC_CANON_OlcInfoChanged);
    e.olcInfo = {item, value};
    return e;
  };
  CameraEvent removed = camMakeEvent(PTP_EC_ObjectRemovedEvent);
  removed.objectHandle = 0x80001234;
  PropertyStruct* battery = propFind(kCanonBattery);
  ASSERT_NE(battery, nullptr);
  for (const CameraEvent& e : {olc(7, 70), olc(1, 10), removed, camMakeEvent(0x4004),
                               camMakePropertyEvent(battery, kCanonBattery),
                               camMakePropertyEvent(battery, kCanonBattery + 1),  // stale: the record moved on
                               camMakePropertyEvent(nullptr, kCanonBattery), olc(7, 71)})
    ASSERT_TRUE(camPushEvent(e, false));

  processCameraEvents();  // the gate is closed: everything stays queued
  EXPECT_EQ(camEventCount(), 8u);
  EXPECT_EQ(log.names().size(), 1u);
  openGate();
  EXPECT_EQ(camEventCount(), 0u);
  const std::vector<std::string> expected{kSessionStartedNotification, "JW_Olc_7",  "JW_Olc_1",
                                          kObjectDeletedNotification,  "JW_53521", "JW_Olc_7"};
  EXPECT_EQ(log.names(), expected);
  EXPECT_EQ(log.objects("JW_Olc_7")[0].toInteger(), 70);
  EXPECT_EQ(log.objects("JW_Olc_7")[1].toInteger(), 71);
  EXPECT_EQ(log.objects("JW_Olc_1")[0].toInteger(), 10);
  EXPECT_EQ(handlesOf(records(log, kObjectDeletedNotification)), Handles{0x80001234});
}

TEST_F(CanonPumpTest, TheBatteryIsReportedOnEvery15thEmptyRun) {
  NotificationLog log({kSessionStartedNotification, kCameraBatteryPercentageNotification});
  startSession(log);
  stopPolling();
  CameraController::setEventGate(true);
  struct Step {
    uint32_t raw;     // the body's battery value
    int64_t percent;  // its level: 2 full, 1 half, 4 three quarters
  };
  for (const Step& step : {Step{2, 100}, Step{1, 50}, Step{4, 75}}) {
    canon->changeOnCamera(kCanonBattery, step.raw);
    ASSERT_EQ(camPollEvents(true, false), PTP_RC_OK);  // the change arrives (and runs the pump once)
    CameraController::emptyDrainCounter() = 0;
    const size_t before = log.count(kCameraBatteryPercentageNotification);
    for (int run = 1; run <= 14; ++run) processCameraEvents();
    EXPECT_EQ(log.count(kCameraBatteryPercentageNotification), before);
    processCameraEvents();
    ASSERT_EQ(log.count(kCameraBatteryPercentageNotification), before + 1);
    EXPECT_EQ(log.objects(kCameraBatteryPercentageNotification).back().toInteger(), step.percent);
  }
}

TEST_F(CanonPumpTest, NewObjectsAreAnnouncedOnceAndOnlyOfTheKindTheUserShoots) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kUpdateSdCardSpaceNotification});
  fetchThumbnails = false;
  startSession(log);
  stopPolling();
  ASSERT_TRUE(camFormatIsJpegOnly());  // the body records JPEG only
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  PtpObjectInfoStruct inSession{};
  inSession.objectId = 0x5000;
  std::snprintf(inSession.fileName, sizeof inSession.fileName, "IMG_5000.JPG");
  inSession.objectCompressedSize = 100;
  CameraController::instance().addObjectToSession(&inSession);

  struct Case {
    uint32_t handle;
    const char* name;
    uint32_t size;
    bool announced;
  };
  const std::vector<Case> cases{
      {0x1001, "", 100, false},             // no name
      {0x1002, "IMG_1002.JPG", 0, false},    // nothing in it
      {0x1003, "IMG_1003.cr3", 100, false},  // raw while JPEG only, whatever the case of the extension
      {0x1004, "IMG_1004.JPG", 100, true},
      {0x1005, "IMG_1004.JPG", 100, false},  // the same name again
      {0x80000000, "IMG_8000.JPG", 100, true},
      {0x5000, "IMG_5000.JPG", 100, false},  // already in the session
      {kObjectIdByName, "DSC00001.JPG", 0, true},  // a card file: its size may be unknown
      {kObjectIdByName, "DSC00001.JPG", 0, false},
  };
  for (const Case& c : cases) {
    CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
    e.objectInfo.objectId = c.handle;
    std::snprintf(e.objectInfo.fileName, sizeof e.objectInfo.fileName, "%s", c.name);
    e.objectInfo.objectCompressedSize = c.size;
    ASSERT_TRUE(camPushEvent(e, false));
  }
  openGate();
  const std::vector<PtpObjectInfoStruct> announced = records(log, kNewObjectNotification);
  EXPECT_EQ(handlesOf(announced), (Handles{0x1004, 0x80000000, kObjectIdByName}));
  ASSERT_EQ(announced.size(), 3u);
  EXPECT_EQ(announced[2].objectFormat, 0x3801);  // the card file's format comes from its name
  EXPECT_EQ(log.count(kUpdateSdCardSpaceNotification), 1u);
  EXPECT_EQ(CameraController::instance().lastFileName(), "DSC00001.JPG");
  // Announced objects are known to the cache.
  EXPECT_TRUE(objCacheLookup(&announced[0], false));
}

TEST_F(CanonPumpTest, TheRecordedKindDecidesWhichFileOfAShotIsAnnounced) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  startSession(log);
  stopPolling();
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  CameraController::setEventGate(true);
  struct Case {
    const char* what;
    uint32_t format;  // the body's image-format value
    std::vector<std::pair<const char*, bool>> files;
  };
  const std::vector<Case> cases{
      {"raw + jpeg", 0x26010403, {{"A_0001.nef", false}, {"A_0001.JPG", true}, {"A_0002.Cr3", false}}},
      {"jpeg only", 0x1100C000, {{"B_0001.ARW", false}, {"B_0001.jpg", true}, {"B_0002.raf", false}}},
      {"raw only", 0x16010000, {{"C_0001.JPG", false}, {"C_0001.CR2", true}, {"C_0002.jpeg", false}}},
  };
  uint32_t handle = 0x2000;
  for (const Case& c : cases) {
    PropertyStruct* format = propFind(0xD120, true);
    ASSERT_NE(format, nullptr);
    format->value = c.format;
    propUnlock(format);
    std::vector<std::string> expected;
    const size_t before = log.count(kNewObjectNotification);
    for (const auto& [name, announced] : c.files) {
      CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
      e.objectInfo.objectId = ++handle;
      std::snprintf(e.objectInfo.fileName, sizeof e.objectInfo.fileName, "%s", name);
      e.objectInfo.objectCompressedSize = 100;
      ASSERT_TRUE(camPushEvent(e, false));
      if (announced) expected.emplace_back(name);
    }
    processCameraEvents();
    const std::vector<std::string> names = namesOf(records(log, kNewObjectNotification));
    EXPECT_EQ(std::vector<std::string>(names.begin() + static_cast<long>(before), names.end()), expected) << c.what;
  }
}

TEST_F(CanonPumpTest, AFocalLengthShotIsReadAndDeletedInsteadOfAnnounced) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification, kCanonFocalLengthUpdatedNotification});
  startSession(log);
  openGate();
  CameraController::setFocalLengthShotFlag(true);
  canon->shootOnCamera(1);
  ASSERT_TRUE(waitFor([&] { return log.count(kCanonFocalLengthUpdatedNotification) == 2; }));
  EXPECT_EQ(CameraController::focalLength(), 50);  // what the body writes into its pictures
  EXPECT_FALSE(CameraController::focalLengthShotFlag());
  EXPECT_FALSE(canon->object(canon->captured()[0]).has_value());
  // The next picture is announced again.
  canon->shootOnCamera(1);
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) == 1; }));
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), Handles{canon->captured()[1]});
}

TEST_F(CanonPumpTest, ThumbnailsAddToTheSessionAndSelectOrDownloadAsTheSettingsSay) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification,
                       kSelectMainThumbnailNotification, kDownloadImageInBackgroundNotification});
  fetchThumbnails = false;
  devicesim::SimObject movie;
  movie.format = 0x300D;
  movie.name = "MVI_0001.MOV";
  movie.bytes = std::make_shared<const std::vector<uint8_t>>(8192, 0x33);
  movie.thumbnail = canon->object(canon->addJpegObject(30 * 1024))->thumbnail;
  const uint32_t movieHandle = canon->addObject(movie);
  const uint32_t a = canon->addJpegObject(30 * 1024, 1, "IMG_0101.JPG");
  const uint32_t b = canon->addJpegObject(30 * 1024, 1, "IMG_0102.JPG");
  const uint32_t c = canon->addJpegObject(30 * 1024, 1, "IMG_0103.JPG");
  startSession(log);
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  struct Case {
    uint32_t handle;
    int64_t autoView;
    bool force;
    Handles selected, downloaded;  // the whole lists after the step
  };
  const std::vector<Case> cases{
      {movieHandle, 1, true, {}, {}},  // a movie is never selected or downloaded
      {a, 0, true, {a}, {}},           // forced: selected even with auto-view off
      {b, 3, false, {a}, {b}},
      {c, 0, false, {a}, {b}},
  };
  size_t step = 0;
  for (const Case& k : cases) {
    defaults().setInteger(k.autoView, "AutoViewImages");
    const PtpObjectInfoStruct record = cameraRecord(k.handle);
    platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(record, k.force); });
    ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == step + 1; }));
    drainMainQueue();
    ++step;
    EXPECT_EQ(handlesOf(records(log, kSelectMainThumbnailNotification)), k.selected) << step;
    EXPECT_EQ(handlesOf(records(log, kDownloadImageInBackgroundNotification)), k.downloaded) << step;
  }
  EXPECT_EQ(CameraController::instance().sessionHandles(), (Handles{movieHandle, a, b, c}));

  // A thumbnail that cannot be had is said in an alert and adds nothing.
  PtpObjectInfoStruct gone{};
  gone.objectId = 0x7777;
  std::snprintf(gone.fileName, sizeof gone.fileName, "IMG_7777.JPG");
  platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(gone, true); });
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, platform::localizedString("ThumbnailDownloadFail"));
  EXPECT_EQ(CameraController::instance().sessionHandles(), (Handles{movieHandle, a, b, c}));
}

TEST_F(CanonPumpTest, AnImageDownloadThatNeedsLiveViewOffFailsAtOnceOnTheMainThread) {
  NotificationLog log({kSessionStartedNotification});
  startSession(log);
  const uint32_t handle = canon->addJpegObject(30 * 1024, 1, "IMG_0201.JPG");
  const PtpObjectInfoClass object(cameraRecord(handle));
  std::atomic<int> toggles{0};
  LiveViewSwitch lv;
  lv.status = [] { return uint64_t{1}; };
  // Its answer would come from a main-queue block: waiting for it on the main thread would never end.
  lv.toggleLiveView = [&toggles](bool, std::shared_ptr<platform::Semaphore> signal) {
    ++toggles;
    platform::mainQueue().async([signal] { signal->signal(); });
  };
  lv.lastToggleLiveViewStatus = [] { return int32_t{PTP_RC_OK}; };
  setLiveViewSwitch(lv);
  std::optional<std::vector<uint8_t>> got{std::vector<uint8_t>{1}};
  const auto start = std::chrono::steady_clock::now();
  platform::mainQueue().sync([&] { got = CameraController::instance().doDownloadImage(object, true, false, true); });
  setLiveViewSwitch({});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(got.has_value());
  EXPECT_EQ(toggles.load(), 0);
  // Asked to, it says so: the camera stays busy.
  ASSERT_EQ(presenter.count(), 1u);
  EXPECT_EQ(presenter.shown()[0].message, PtpErrors::appendString("Unable to download IMG_0201.JPG ", 0x2019));
  EXPECT_EQ(receivedCount("ptp 0x1009"), 0u);

  // Without live view in the way it downloads on the main thread too; a failure is said when asked for.
  platform::mainQueue().sync([&] { got = CameraController::instance().doDownloadImage(object, true, false, false); });
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(*got, *canon->object(handle)->bytes);
  PtpObjectInfoStruct gone = *object.origObjectInfo();
  gone.objectId = 0x7777;
  std::snprintf(gone.fileName, sizeof gone.fileName, "IMG_7777.JPG");
  platform::mainQueue().sync(
      [&] { got = CameraController::instance().doDownloadImage(PtpObjectInfoClass(gone), false, false, true); });
  EXPECT_FALSE(got.has_value());
  ASSERT_EQ(presenter.count(), 2u);
  EXPECT_EQ(presenter.shown()[1].message.rfind("Unable to download IMG_7777.JPG", 0), 0u)
      << presenter.shown()[1].message;
}

TEST_F(CanonPumpTest, ACanonObjectChangeStoresTheCamerasValueInTheCachedRecord) {
  NotificationLog log({kSessionStartedNotification});
  fetchThumbnails = false;
  canon->shootOnCamera(3);
  const uint32_t handle = canon->captured()[2];
  startSession(log);
  stopPolling();
  CameraController::setEventGate(true);
  CameraEvent e = camMakeEvent(PTP_EC_CANON_ObjectRemoved);
  e.objectHandle = handle;
  ASSERT_TRUE(camPushEvent(e, false));
  processCameraEvents();
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  PtpObjectInfoStruct cached{};
  ASSERT_TRUE(objCacheCopyObjectInfo(&record, &cached));
  // The body answers an object's file number.
  EXPECT_EQ(cached.rating, canon->fileNumber(handle));
  EXPECT_EQ(cached.rating, 3u);
}

TEST_F(CanonPumpTest, AChangedObjectIsSelectedWhenAutoViewFollowsTheCamera) {
  NotificationLog log({kSessionStartedNotification, kSelectMainThumbnailNotification});
  const uint32_t handle = canon->addJpegObject(30 * 1024, 1, "IMG_0301.JPG");
  startSession(log);
  stopPolling();
  CameraController::setEventGate(true);
  for (int64_t mode : {0, 2}) {
    defaults().setInteger(mode, "AutoViewImages");
    CameraEvent e = camMakeEvent(PTP_EC_ObjectInfoChanged);
    e.objectHandle = handle;
    camPushEvent(e, false);
    processCameraEvents();
    drainMainQueue();
  }
  ASSERT_TRUE(waitFor([&] { return log.count(kSelectMainThumbnailNotification) == 1; }));
  EXPECT_EQ(namesOf(records(log, kSelectMainThumbnailNotification)), std::vector<std::string>{"IMG_0301.JPG"});
}

// A camera that keeps shooting keeps its session: every new picture counts as the session's last activity, so a
// reconnect hours after the first connection still offers the session.
TEST_F(CanonPumpTest, EveryNewPictureKeepsTheSessionAlive) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  startSession(log);
  platform::mainQueue().sync([] { CameraController::instance().checkSession(); });
  defaults().setDate(std::chrono::system_clock::now() - std::chrono::hours(7), "LastSessionTime");
  openGate();
  canon->shootOnCamera(1);
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) == 1; }));
  EXPECT_LT(std::chrono::system_clock::now() - defaults().dateForKey("LastSessionTime"), std::chrono::seconds(5));
}

// With "AutoViewImages" 2 the strip follows the camera's changes to an object until the object is downloaded
// (whole, or as the JPEG extracted from its RAW file); a change to a downloaded one selects nothing.
TEST_F(CanonPumpTest, AChangedObjectIsSelectedOnlyUntilItIsDownloaded) {
  NotificationLog log({kSessionStartedNotification, kSelectMainThumbnailNotification});
  const uint32_t whole = canon->addJpegObject(30 * 1024, 1, "IMG_0401.JPG");
  const uint32_t extracted = canon->addJpegObject(30 * 1024, 1, "IMG_0402.JPG");
  const uint32_t fresh = canon->addJpegObject(30 * 1024, 1, "IMG_0403.JPG");
  startSession(log);
  stopPolling();
  CameraController::setEventGate(true);
  defaults().setInteger(2, "AutoViewImages");
  PtpObjectInfoStruct a = cameraRecord(whole), b = cameraRecord(extracted);
  ASSERT_FALSE(objCacheSaveImage(&a, reinterpret_cast<const uint8_t*>("jpeg"), 4).empty());
  ASSERT_FALSE(objCacheSaveExtractedJpeg(&b, "", reinterpret_cast<const uint8_t*>("jpeg"), 4).empty());
  for (uint32_t handle : {whole, extracted, fresh}) {
    CameraEvent e = camMakeEvent(PTP_EC_ObjectInfoChanged);
    e.objectHandle = handle;
    ASSERT_TRUE(camPushEvent(e, false));
  }
  processCameraEvents();
  ASSERT_TRUE(waitFor([&] { return log.count(kSelectMainThumbnailNotification) == 1; }));
  drainMainQueue();
  EXPECT_EQ(handlesOf(records(log, kSelectMainThumbnailNotification)), Handles{fresh});
}

// Thumbnails go to the device's sharing clients only when sharing is on and the user shares thumbnails.
TEST_F(CanonPumpTest, ThumbnailsAreRelayedOnlyWhenSharingAndThumbnailSharingAreOn) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  startSession(log);
  stopPolling();
  struct Case {
    bool sharing, thumbnails, relayed;
  };
  const Case cases[] = {{false, false, false}, {true, false, false}, {false, true, false}, {true, true, true}};
  size_t step = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(step);
    defaults().setBool(c.sharing, "VorlaxentShareEnabled");
    defaults().setBool(c.thumbnails, "AutoShareThumbnails");
    const PtpObjectInfoStruct record = cameraRecord(canon->addJpegObject(30 * 1024));
    device.clearLog();
    platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(record, false); });
    ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == step + 1; }));
    ++step;
    bool relayed = false;
    for (const devicesim::LoggedPacket& p : device.log())
      relayed |= p.wrapper.has_value() && p.wrapper->subCodeA == kShareRelay;
    EXPECT_EQ(relayed, c.relayed);
  }
}

// Thumbnails are fetched one at a time in the order asked, so a burst fills the strip in shooting order: a later
// thumbnail that the cache already holds still waits for the one before it.
TEST_F(CanonPumpTest, ThumbnailsArriveInTheOrderAskedEvenWhenALaterOneIsCached) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  startSession(log);
  stopPolling();
  const PtpObjectInfoStruct first = cameraRecord(canon->addJpegObject(30 * 1024));
  const PtpObjectInfoStruct second = cameraRecord(canon->addJpegObject(30 * 1024));
  ASSERT_TRUE(objCacheSaveThumbnail(&second, reinterpret_cast<const uint8_t*>("cached"), 6));
  // The first one's thumbnail exchange is held open at the camera.
  canon->holdNext(0x910A);  // the body's thumbnail operation
  platform::mainQueue().sync([&] {
    CameraController::instance().downloadThumbnail(first, false);
    CameraController::instance().downloadThumbnail(second, false);
  });
  ASSERT_TRUE(waitFor([&] { return canon->holding(); }));
  // Nothing can arrive while the first is held; the second would, were the fetches side by side.
  EXPECT_FALSE(platform::runMainUntil([&] { return log.count(kThumbnailDownloadedNotification) > 0; },
                                      std::chrono::milliseconds(300)));
  canon->releaseHeld();
  ASSERT_TRUE(waitFor([&] { return log.count(kThumbnailDownloadedNotification) == 2; }));
  EXPECT_EQ(handlesOf(records(log, kThumbnailDownloadedNotification)), (Handles{first.objectId, second.objectId}));
}

// A reconnect asks again for every object still waiting for its thumbnail, and the window queues each ask: while
// one is queued for an object, asking again adds no transfer; once it is answered, the object may be asked again.
TEST_F(CanonPumpTest, AThumbnailAskedForAgainWhileOneIsQueuedIsFetchedOnce) {
  NotificationLog log({kSessionStartedNotification, kThumbnailDownloadedNotification});
  startSession(log);
  stopPolling();
  const PtpObjectInfoStruct a = cameraRecord(canon->addJpegObject(30 * 1024));
  const PtpObjectInfoStruct b = cameraRecord(canon->addJpegObject(30 * 1024));
  canon->holdNext(0x910A);  // the body's thumbnail operation: the first ask stays in flight
  platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(a, false); });
  ASSERT_TRUE(waitFor([&] { return canon->holding(); }));
  platform::mainQueue().sync([&] {
    for (int i = 0; i < 3; ++i) CameraController::instance().downloadThumbnail(a, false);
    CameraController::instance().downloadThumbnail(b, false);
  });
  canon->releaseHeld();
  // The queue answers in order: once b's has come, every ask before it has been answered.
  const auto arrived = [&] { return handlesOf(records(log, kThumbnailDownloadedNotification)); };
  ASSERT_TRUE(waitFor([&] { return !arrived().empty() && arrived().back() == b.objectId; }));
  drainMainQueue();
  EXPECT_EQ(arrived(), (Handles{a.objectId, b.objectId}));
  platform::mainQueue().sync([&] { CameraController::instance().downloadThumbnail(a, false); });
  ASSERT_TRUE(waitFor([&] { return arrived().size() == 3; }));
  EXPECT_EQ(arrived(), (Handles{a.objectId, b.objectId, a.objectId}));
}

// The same name twice in a row is the same picture only at the same size: the first picture of another card may
// bear the name of the last one announced.
TEST_F(CanonPumpTest, TheSameNameAgainIsAnnouncedWhenItIsAnotherPicture) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  startSession(log);
  stopPolling();
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  struct Case {
    uint32_t handle, size;
  };
  for (const Case& c : {Case{0x1101, 100}, Case{0x1102, 100}, Case{0x1103, 200}}) {
    CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
    e.objectInfo.objectId = c.handle;
    std::snprintf(e.objectInfo.fileName, sizeof e.objectInfo.fileName, "IMG_0001.JPG");
    e.objectInfo.objectCompressedSize = c.size;
    ASSERT_TRUE(camPushEvent(e, false));
  }
  openGate();
  EXPECT_EQ(handlesOf(records(log, kNewObjectNotification)), (Handles{0x1101, 0x1103}));
}

}  // namespace
