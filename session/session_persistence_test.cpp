// What a long shoot writes per picture: the session's last activity once a minute rather than per picture, and the
// session file's list whole only after many appended entries, with every entry readable at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/session_file.h"
#include "session/session_pump_test_fixture.h"

namespace {

using session_testing::NotificationLog;

class SessionPersistenceTest : public SessionPumpTest {};

// Each new picture refreshes "LastSessionTime" only when the stored time is a minute old or more (the settings file
// is written whole at each change); an hours-old time is refreshed by the next picture.
TEST_F(SessionPersistenceTest, TheSessionTimeIsWrittenOnceAMinuteNotPerPicture) {
  NotificationLog log({kSessionStartedNotification, kNewObjectNotification});
  fetchThumbnails = false;
  startSession(log);
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  defaults().setDate(std::chrono::system_clock::now() - std::chrono::hours(3), "LastSessionTime");
  std::atomic<int> writes{0};
  const int owner = 0;
  defaults().addObserver(&owner, "LastSessionTime", [&writes](const std::string&, const platform::Value&) { ++writes; });
  platform::mainQueue().sync([] { startCameraEventDispatch(); });
  canon->shootOnCamera(5, 1);
  ASSERT_TRUE(waitFor([&] { return log.count(kNewObjectNotification) >= 5; }));
  drainMainQueue();
  defaults().removeObserver(&owner);
  EXPECT_EQ(writes.load(), 1);
  EXPECT_LT(std::chrono::system_clock::now() - defaults().dateForKey("LastSessionTime"), std::chrono::seconds(5));
}

// Pictures joining the session are appended to the journal; the list is written whole again after
// kSessionJournalMax of them, and the file reads back every picture at every step.
TEST_F(SessionPersistenceTest, PicturesJoinThroughTheJournalAndTheListIsRewrittenOnlyNowAndThen) {
  platform::mainQueue().sync([] { CameraController::instance().clearSession(); });
  const std::string path = sessionFilePath();
  std::vector<uint32_t> expected;
  size_t listWrites = 0;
  std::filesystem::file_time_type lastList{};
  for (uint32_t i = 0; i < kSessionJournalMax + 10; ++i) {
    PtpObjectInfoStruct record{};
    record.objectId = 0x2000 + i;
    CameraController::instance().addObjectToSession(&record);
    expected.push_back(record.objectId);
    std::error_code ec;
    const auto stamp = std::filesystem::last_write_time(path, ec);
    ASSERT_FALSE(ec) << i;
    // The list is replaced by a rename: a new inode each time; its write time moves only when it is written.
    if (stamp != lastList) ++listWrites;
    lastList = stamp;
    if (i % 37 == 0 || i + 1 == kSessionJournalMax + 10) {
      const SessionFileReadResult r = readSessionFile(path);
      ASSERT_EQ(r.status, SessionFileReadResult::Ok) << r.error;
      ASSERT_EQ(r.contents.handles, expected) << i;
    }
  }
  // The first entry writes the list, the journal's limit writes it once more.
  EXPECT_LE(listWrites, 3u);
}

}  // namespace
