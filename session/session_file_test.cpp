// The session file's forms, its unreadable cases, and the high mark of stored handles.
#include "session/session_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/foundation/system_log.h"

namespace {

namespace fs = std::filesystem;

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">" +
         body + "</plist>\n";
}

SessionFileReadResult parse(const std::string& text) { return parseSessionFile(text.data(), text.size()); }

TEST(SessionFileTest, BothFormsRead) {
  struct Case {
    const char* what;
    std::string body;
    SessionFileContents expected;
  };
  const std::vector<Case> cases{
      {"older form, handles",
       "<array><integer>4097</integer><integer>2147483649</integer></array>",
       {{0x1001, 0x80000001}, {}}},
      {"older form, names",
       "<array><string>DSC00001.JPG</string><string>DSCF0002.RAF</string></array>",
       {{}, {"DSC00001.JPG", "DSCF0002.RAF"}}},
      {"older form, empty", "<array/>", {}},
      // An older writer that kept handles as signed 32-bit numbers.
      {"older form, negative handle", "<array><integer>-2147483647</integer></array>", {{0x80000001}, {}}},
      {"both kinds",
       "<dict><key>handles</key><array><integer>4294967295</integer></array><key>fileNames</key>"
       "<array><string>a.JPG</string></array></dict>",
       {{0xFFFFFFFF}, {"a.JPG"}}},
      {"one kind so far", "<dict><key>fileNames</key><array><string>b.ARW</string></array></dict>", {{}, {"b.ARW"}}},
  };
  for (const Case& c : cases) {
    const SessionFileReadResult r = parse(plist(c.body));
    EXPECT_EQ(r.status, SessionFileReadResult::Ok) << c.what << ": " << r.error;
    EXPECT_EQ(r.contents, c.expected) << c.what;
  }
}

TEST(SessionFileTest, AnythingElseIsUnreadableAndGivesNothing) {
  static constexpr char kNameWithNul[] = "<array><string>DSCF0002.RA\x14\0\0F</string></array>";
  const std::string longName(256, 'x');
  const std::vector<std::pair<const char*, std::string>> cases{
      {"empty", ""},
      {"garbage", "\x01\x02not a property list"},
      {"truncated", plist("<array><integer>4097</integer><integer>40").substr(0, 200)},
      {"a number at the top", plist("<integer>4097</integer>")},
      {"a string at the top", plist("<string>handles</string>")},
      {"a handle too large", plist("<array><integer>4294967296</integer></array>")},
      {"a handle too small", plist("<array><integer>-2147483649</integer></array>")},
      {"an empty name", plist("<array><string></string></array>")},
      // A NUL inside a string once aborted the property-list reader.
      {"a name with a NUL inside", plist(std::string(kNameWithNul, sizeof kNameWithNul - 1))},
      {"a name longer than a record holds", plist("<array><string>" + longName + "</string></array>")},
      {"a date entry", plist("<array><date>2024-05-17T10:11:12Z</date></array>")},
      {"a nested array", plist("<array><array/></array>")},
      {"handles that are no array", plist("<dict><key>handles</key><integer>1</integer></dict>")},
      {"a name among the handles", plist("<dict><key>handles</key><array><string>a</string></array></dict>")},
      {"a handle among the names", plist("<dict><key>fileNames</key><array><integer>1</integer></array></dict>")},
  };
  for (const auto& [what, text] : cases) {
    const SessionFileReadResult r = parse(text);
    EXPECT_EQ(r.status, SessionFileReadResult::Unreadable) << what;
    EXPECT_FALSE(r.error.empty()) << what;
    EXPECT_EQ(r.contents, SessionFileContents{}) << what;
  }
}

class SessionFileOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vx_session_file_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root = tmpl;
    path = root + "/handles.dat";
    platform::setSystemLogSink([this](platform::LogLevel, const std::string& line) { log.push_back(line); });
  }
  void TearDown() override {
    platform::setSystemLogSink(nullptr);
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string root, path;
  std::vector<std::string> log;
};

TEST_F(SessionFileOnDiskTest, WrittenWholeAndReadBack) {
  EXPECT_EQ(readSessionFile(path).status, SessionFileReadResult::Missing);
  const SessionFileContents contents{{0x1001, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE}, {"DSC00001.JPG", "x y.ARW"}};
  ASSERT_EQ(writeSessionFile(path, contents), "");
  const SessionFileReadResult r = readSessionFile(path);
  ASSERT_EQ(r.status, SessionFileReadResult::Ok) << r.error;
  EXPECT_EQ(r.contents, contents);
  // Only the file itself is left in the folder: the temporary name was renamed over it.
  EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1);
  EXPECT_TRUE(removeSessionFile(path));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(removeSessionFile(path));  // a missing file is no error
}

TEST_F(SessionFileOnDiskTest, AnUnreadableFileIsMovedAsideLoggedAndCountsAsEmpty) {
  const std::string garbage = plist("<array><integer>1</integer><string></string></array>");
  std::ofstream(path, std::ios::binary) << garbage;
  const SessionFileReadResult r = loadSessionFile(path);
  EXPECT_EQ(r.status, SessionFileReadResult::Unreadable);
  EXPECT_EQ(r.contents, SessionFileContents{});
  EXPECT_FALSE(fs::exists(path));
  ASSERT_TRUE(fs::exists(path + ".corrupt"));
  std::ifstream in(path + ".corrupt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);  // kept as it was, for a look later
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("handles.dat"), std::string::npos) << log[0];
  // The next session's records go into a new file.
  ASSERT_EQ(writeSessionFile(path, {{0x1001}, {}}), "");
  EXPECT_EQ(loadSessionFile(path).contents, (SessionFileContents{{0x1001}, {}}));
}

// Entries added one by one go to the journal beside the list; reading gives the list and then the journal's
// entries it lacks, and a whole write folds the journal in.
TEST_F(SessionFileOnDiskTest, AddedEntriesReadBackAfterTheListAndAWholeWriteFoldsThemIn) {
  ASSERT_EQ(writeSessionFile(path, {{0x1001}, {"a.JPG"}}), "");
  ASSERT_EQ(appendToSessionFile(path, {{0x1002}, {}}), "");
  ASSERT_EQ(appendToSessionFile(path, {{}, {"b c\n.ARW"}}), "");  // a line end inside a name stays in the name
  ASSERT_EQ(appendToSessionFile(path, {{0x1001}, {}}), "");        // already in the list: counted once
  ASSERT_EQ(appendToSessionFile(path, {{0xFFFFFFFF}, {}}), "");
  const SessionFileContents all{{0x1001, 0x1002, 0xFFFFFFFF}, {"a.JPG", "b c\n.ARW"}};
  SessionFileReadResult r = readSessionFile(path);
  ASSERT_EQ(r.status, SessionFileReadResult::Ok) << r.error;
  EXPECT_EQ(r.contents, all);
  ASSERT_EQ(writeSessionFile(path, r.contents), "");
  EXPECT_FALSE(fs::exists(sessionJournalPath(path)));
  EXPECT_EQ(readSessionFile(path).contents, all);
  // A journal left without its list (the list removed by hand) means nothing.
  ASSERT_EQ(appendToSessionFile(path, {{7}, {}}), "");
  fs::remove(path);
  EXPECT_EQ(readSessionFile(path).status, SessionFileReadResult::Missing);
  EXPECT_TRUE(removeSessionFile(path));
  EXPECT_FALSE(fs::exists(sessionJournalPath(path)));
  EXPECT_EQ(readSessionFile(path).status, SessionFileReadResult::Missing);
}

// An append cut short by a crash leaves a last line without its end: that entry was never reported as kept and is
// left out, and the next append does not continue it into an entry nobody added ("h 1" + "h 2\n" = "h 1h 2").
TEST_F(SessionFileOnDiskTest, AJournalLineCutShortIsLeftOutAndNotContinued) {
  ASSERT_EQ(writeSessionFile(path, {}), "");
  ASSERT_EQ(appendToSessionFile(path, {{0x10}, {}}), "");
  std::ofstream(sessionJournalPath(path), std::ios::binary | std::ios::app) << "h 1";
  EXPECT_EQ(readSessionFile(path).contents, (SessionFileContents{{0x10}, {}}));
  ASSERT_EQ(appendToSessionFile(path, {{0x20}, {}}), "");
  const SessionFileReadResult r = readSessionFile(path);
  ASSERT_EQ(r.status, SessionFileReadResult::Ok) << r.error;
  EXPECT_EQ(r.contents, (SessionFileContents{{0x10, 0x20}, {}}));
}

TEST_F(SessionFileOnDiskTest, AGarbledJournalLineMakesTheSessionUnreadableAndGoesAsideWithTheList) {
  const std::vector<std::pair<const char*, std::string>> cases{
      {"no kind", "4097\n"},
      {"an unknown kind", "x 4097\n"},
      {"a handle too large", "h 4294967296\n"},
      {"a handle with a sign", "h -1\n"},
      {"a name of odd hex", "n 414\n"},
      {"a name not in hex", "n zz\n"},
      {"a name with a NUL", "n 4100\n"},
      {"an empty line", "\n"},
  };
  for (const auto& [what, text] : cases) {
    ASSERT_EQ(writeSessionFile(path, {{0x1001}, {}}), "");
    std::ofstream(sessionJournalPath(path), std::ios::binary) << "h 4098\n" << text;
    EXPECT_EQ(readSessionFile(path).status, SessionFileReadResult::Unreadable) << what;
    const SessionFileReadResult r = loadSessionFile(path);
    EXPECT_EQ(r.contents, SessionFileContents{}) << what;
    EXPECT_FALSE(fs::exists(path)) << what;
    EXPECT_FALSE(fs::exists(sessionJournalPath(path))) << what;  // alone it would read as the whole session
    EXPECT_TRUE(fs::exists(sessionJournalPath(path + ".corrupt"))) << what;
    fs::remove(path + ".corrupt");
    fs::remove(sessionJournalPath(path + ".corrupt"));
  }
  EXPECT_NE(appendToSessionFile(path, {{}, {std::string("a\0b", 3)}}), "");
}

TEST(SessionHighMarkTest, HandlesAroundTheSignBitCountUnsigned) {
  using Handles = std::vector<uint32_t>;
  EXPECT_EQ(sessionHighMark({}), std::nullopt);
  struct Case {
    Handles stored, camera;
    Handles newerForReload, newerForPickUp;  // no mark: every handle for the reload, none for the pick-up
  };
  const std::vector<Case> cases{
      {{}, {0x1, 0x80000000}, {0x1, 0x80000000}, {}},
      {{0x1001}, {0x1001, 0x1002, 0x80000000}, {0x1002, 0x80000000}, {0x1002, 0x80000000}},
      {{0x7FFFFFFF}, {0x7FFFFFFF, 0x80000000, 0x80000001}, {0x80000000, 0x80000001}, {0x80000000, 0x80000001}},
      // A signed comparison would take 0x7FFFFFFF as the mark and announce 0x80000000 again.
      {{0x80000000, 0x7FFFFFFF}, {0x7FFFFFFF, 0x80000000, 0x80000001}, {0x80000001}, {0x80000001}},
      {{0xFFFFFFFE}, {0x1, 0xFFFFFFFE, 0xFFFFFFFF}, {0xFFFFFFFF}, {0xFFFFFFFF}},
      {{0xFFFFFFFF}, {0x1, 0xFFFFFFFF}, {}, {}},
      // Handle 0 stored is a mark like any other.
      {{0}, {0, 1}, {1}, {1}},
  };
  for (const Case& c : cases) {
    const std::optional<uint32_t> mark = sessionHighMark(c.stored);
    EXPECT_EQ(handlesAboveHighMark(c.camera, mark, true), c.newerForReload) << ::testing::PrintToString(c.stored);
    EXPECT_EQ(handlesAboveHighMark(c.camera, mark, false), c.newerForPickUp) << ::testing::PrintToString(c.stored);
  }
}

}  // namespace
