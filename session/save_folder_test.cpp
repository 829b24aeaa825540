// The save folder chosen through the folder chooser, kept across a restart and asked for again when it is gone;
// the cache folder aged and the object cache opened with both folders and the naming settings.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>

#include "engine/store/object_cache.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/folder_chooser.h"
#include "platform/ui/presenter.h"
#include "session/utilities.h"
#include "session/utilities_alert_recorder.h"

namespace {

namespace fs = std::filesystem;
constexpr std::chrono::seconds kLimit{20};

// Answers for the user: each call takes the next answer (nullopt: the user cancels).
class ScriptedChooser : public platform::FolderChooser {
 public:
  std::deque<std::optional<std::string>> answers;
  int calls = 0;
  std::optional<std::string> chooseFolder(const std::string&) override {
    ++calls;
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct CacheView {
  uint8_t loaded;
  std::string cacheFolder, saveFolder, prefix;
  uint8_t prepend;
};

CacheView cacheView() {
  std::lock_guard<std::mutex> lock(objCacheMutex());
  const ObjectCacheState& s = objCacheState();
  return {s.loaded, s.cacheFolder, s.saveFolder, s.prefix, s.prependOriginalName};
}

class SaveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    objCacheReset();
    clearSettings();
    char tmpl[] = "/tmp/vx_save_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root = tmpl;
    first = root + "/First";
    second = root + "/Second";
    fs::create_directories(first);
    fs::create_directories(second);
    cache = Utilities::cacheFolderPath();
    ASSERT_FALSE(cache.empty());
    fs::remove_all(cache);
  }
  void TearDown() override {
    drainCacheSetup();
    objCacheReset();
    clearSettings();
    fs::remove_all(root);
    fs::remove_all(cache);
  }

  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }
  static void clearSettings() {
    for (const char* key : {"SandboxBookmark", "SaveFolderPath", "CustomFileName", "PrependOriginalName", "CacheSizeGB"})
      defaults().removeObjectForKey(key);
  }
  static bool waitFor(const std::function<bool()>& condition) { return platform::runMainUntil(condition, kLimit); }
  // Lets the object cache's set-up and anything queued on the main queue run.
  static void drainCacheSetup() { platform::runMainUntil([] { return false; }, std::chrono::milliseconds(200)); }

  bool cacheOpenedWith(const std::string& saveFolder) {
    const CacheView v = cacheView();
    return v.loaded && v.cacheFolder == cache && v.saveFolder == saveFolder;
  }
  static std::string bookmark() {
    const platform::Data data = defaults().dataForKey("SandboxBookmark");
    return std::string(data.begin(), data.end());
  }
  size_t selectAlerts() const {
    size_t n = 0;
    for (const auto& a : presenter.shown())
      n += a.title == "Select Directory" && a.message == "Please select a directory to save downloaded images" &&
           a.style == 2 && a.modal;
    return n;
  }

  std::string root, first, second, cache;
  session_testing::AlertRecorder presenter;
  platform::ScopedPresenter scopedPresenter{presenter};
  ScriptedChooser chooser;
  platform::ScopedFolderChooser scopedChooser{chooser};
};

TEST_F(SaveFolderTest, AFirstStartAsksForTheFolderAndARestartReopensIt) {
  chooser.answers = {first};
  Utilities::checkFolderAccess();
  EXPECT_EQ(selectAlerts(), 1u);
  EXPECT_EQ(chooser.calls, 1);
  EXPECT_EQ(defaults().stringForKey("SaveFolderPath"), first);
  EXPECT_EQ(bookmark(), first);
  ASSERT_TRUE(waitFor([&] { return cacheOpenedWith(first); }));
  EXPECT_TRUE(fs::is_directory(cache));

  // The settings are in the file a new run reads.
  platform::UserDefaults reread(platform::UserDefaults::standardPath());
  const platform::Data kept = reread.dataForKey("SandboxBookmark");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), first);

  // A restart: the cache forgets everything; the kept folder is reopened without asking.
  objCacheReset();
  Utilities::checkFolderAccess();
  ASSERT_TRUE(waitFor([&] { return cacheOpenedWith(first); }));
  EXPECT_EQ(selectAlerts(), 1u);
  EXPECT_EQ(chooser.calls, 1);
}

TEST_F(SaveFolderTest, AFolderThatIsGoneLeadsToTheAlertAndTheChooser) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> spoil;
  } cases[] = {
      {"removed", [](const std::string& f) { fs::remove_all(f); }},
      {"a file in its place",
       [](const std::string& f) {
         fs::remove_all(f);
         std::ofstream(f) << "x";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string gone = root + "/Gone";
    fs::remove_all(gone);
    fs::create_directories(gone);
    defaults().setData(platform::Data(gone.begin(), gone.end()), "SandboxBookmark");
    defaults().setString(gone, "SaveFolderPath");
    c.spoil(gone);
    const size_t alertsBefore = selectAlerts();
    const int callsBefore = chooser.calls;
    chooser.answers = {second};
    Utilities::checkFolderAccess();
    EXPECT_EQ(selectAlerts(), alertsBefore + 1);
    EXPECT_EQ(chooser.calls, callsBefore + 1);
    EXPECT_EQ(defaults().stringForKey("SaveFolderPath"), second);
    EXPECT_EQ(bookmark(), second);
    EXPECT_TRUE(waitFor([&] { return cacheOpenedWith(second); }));
    fs::remove_all(gone);
  }
}

TEST_F(SaveFolderTest, DecliningOrAnUnusableChoiceChangesNothing) {
  chooser.answers = {std::nullopt, root + "/missing"};
  Utilities::selectSaveDataDirectory();  // the user cancels
  EXPECT_EQ(chooser.calls, 1);
  Utilities::selectSaveDataDirectory();  // a folder that cannot be kept
  EXPECT_EQ(chooser.calls, 2);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 3; }));
  EXPECT_EQ(presenter.shown()[2].title, "Error");
  EXPECT_EQ(presenter.shown()[2].message.rfind("Failed to save sandbox data: ", 0), 0u) << presenter.shown()[2].message;
  EXPECT_TRUE(defaults().dataForKey("SandboxBookmark").empty());
  EXPECT_EQ(defaults().stringForKey("SaveFolderPath"), "");
  drainCacheSetup();
  EXPECT_EQ(cacheView().loaded, 0) << "the object cache is not configured without a folder";
}

TEST_F(SaveFolderTest, AFolderReachedThroughALinkIsRenewedAsTheFolderItself) {
  const std::string link = root + "/Link";
  ASSERT_EQ(::symlink(first.c_str(), link.c_str()), 0);
  defaults().setData(platform::Data(link.begin(), link.end()), "SandboxBookmark");
  Utilities::checkFolderAccess();
  EXPECT_EQ(chooser.calls, 0);
  EXPECT_EQ(bookmark(), first);
  EXPECT_EQ(defaults().stringForKey("SaveFolderPath"), first);
  EXPECT_TRUE(waitFor([&] { return cacheOpenedWith(first); }));
}

TEST_F(SaveFolderTest, ChoosingTwiceOpensTheCacheWithTheFolderChosenLast) {
  chooser.answers = {first, second};
  Utilities::selectSaveDataDirectory();
  Utilities::selectSaveDataDirectory();
  EXPECT_EQ(selectAlerts(), 2u);
  ASSERT_TRUE(waitFor([&] { return cacheOpenedWith(second); }));
  drainCacheSetup();
  EXPECT_TRUE(cacheOpenedWith(second));
}

TEST_F(SaveFolderTest, TheNamingSettingsReachTheObjectCache) {
  struct Case {
    const char* prefix;
    bool prepend;
    std::string expectedPrefix;
    uint8_t expectedPrepend;
  } cases[] = {
      {"", true, "", 0},  // no prefix whatever the flag says
      {"Trip", true, "Trip", 1},
      {"Trip", false, "Trip", 0},
  };
  defaults().setData(platform::Data(first.begin(), first.end()), "SandboxBookmark");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix + std::string(c.prepend ? " on" : " off"));
    objCacheReset();
    defaults().setString(c.prefix, "CustomFileName");
    defaults().setBool(c.prepend, "PrependOriginalName");
    Utilities::checkFolderAccess();
    ASSERT_TRUE(waitFor([&] { return cacheOpenedWith(first); }));
    const CacheView v = cacheView();
    EXPECT_EQ(v.prefix, c.expectedPrefix);
    if (!c.expectedPrefix.empty()) {
      EXPECT_EQ(v.prepend, c.expectedPrepend);
    }
  }
}

TEST_F(SaveFolderTest, ConfiguringAgesTheCacheButNeverTheSaveFolder) {
  fs::create_directories(cache);
  const auto now = ::time(nullptr);
  struct File {
    std::string path;
    time_t modified;
    bool kept;
  } files[] = {
      {cache + "/old.thumb", now - 4 * 86400, false},
      {cache + "/recent.thumb", now - 2 * 86400, true},
      {first + "/IMG_0001.JPG", now - 40 * 86400, true},
  };
  for (const File& f : files) {
    std::ofstream(f.path) << "x";
    timespec times[2] = {{f.modified, 0}, {f.modified, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, f.path.c_str(), times, 0), 0);
  }
  defaults().setData(platform::Data(first.begin(), first.end()), "SandboxBookmark");
  Utilities::checkFolderAccess();
  ASSERT_TRUE(waitFor([&] { return cacheOpenedWith(first); }));
  for (const File& f : files) EXPECT_EQ(fs::exists(f.path), f.kept) << f.path;
}

}  // namespace
