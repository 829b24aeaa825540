// The chunked movie download against the stand-in device: byte for byte, progress, and what a cancel, a lost
// link or a bad name leave in the folder.
#include <gtest/gtest.h>

#include <atomic>

#include "devicesim/movie_objects.h"
#include "session/image_transfer_test_fixture.h"
#include "session/movie_download.h"

namespace {

constexpr uint32_t kMiB = 1024 * 1024;

class MovieDownloadTest : public ImageTransferTest {
 protected:
  PtpObjectInfoStruct addMovie(uint32_t size, const std::string& name, uint32_t seed = 1) {
    return cameraRecord(camera->addObject(devicesim::movieObject(size, name, seed)));
  }
  // What an earlier download of the same name left; must survive any failed attempt.
  std::vector<uint8_t> placeEarlierFile(const std::string& name) {
    const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    writeFile(save + "/" + name, earlier);
    return earlier;
  }
  bool noPartialFiles() const {
    for (const auto& entry : std::filesystem::directory_iterator(save))
      if (entry.path().extension() == ".part") return false;
    return true;
  }
};

TEST_F(MovieDownloadTest, FiveMiBArriveInThreeChunksWithProgressAndReplaceAnEarlierFile) {
  const PtpObjectInfoStruct record = addMovie(5 * kMiB, "MVI_0001.MOV");
  placeEarlierFile("MVI_0001.MOV");
  std::vector<double> progress;
  MovieDownloadHooks hooks;
  hooks.progress = [&progress](double f) { progress.push_back(f); };

  const MovieDownloadResult result = downloadMovieToFolder(record, save, hooks);

  ASSERT_EQ(result.outcome, MovieDownloadOutcome::Saved);
  EXPECT_EQ(result.path, save + "/MVI_0001.MOV");
  EXPECT_EQ(readFile(result.path), *devicesim::movieBytes(5 * kMiB));
  const auto reads = commandPackets(0x41);
  ASSERT_EQ(reads.size(), 3u);
  ASSERT_EQ(progress.size(), 3u);  // each chunk's start over the whole: 0, 2/5 and 4/5
  EXPECT_DOUBLE_EQ(progress[0], 0.0);
  EXPECT_DOUBLE_EQ(progress[1], 0.4);
  EXPECT_DOUBLE_EQ(progress[2], 0.8);
  EXPECT_TRUE(noPartialFiles());
}

TEST_F(MovieDownloadTest, ALargeMovieArrivesByteForByte) {
  const PtpObjectInfoStruct record = addMovie(devicesim::kLargeMovieSize, "MVI_0002.MOV", 7);
  const MovieDownloadResult result = downloadMovieToFolder(record, save, {});
  ASSERT_EQ(result.outcome, MovieDownloadOutcome::Saved);
  EXPECT_EQ(readFile(result.path), *devicesim::movieBytes(devicesim::kLargeMovieSize, 7));
  EXPECT_EQ(commandPackets(0x41).size(), (devicesim::kLargeMovieSize + kMovieChunkSize - 1) / kMovieChunkSize);
}

// A cancel between chunks, the link lost in the middle of a chunk, and a chunk the device refuses: no file under
// the final name but the earlier one, and no partial file.
TEST_F(MovieDownloadTest, AnInterruptedDownloadLeavesTheEarlierFileAndNoPartialFile) {
  enum class Stop { Cancel, Disconnect, Refused };
  struct Case {
    Stop stop;
    MovieDownloadOutcome outcome;
  };
  const Case cases[] = {
      {Stop::Cancel, MovieDownloadOutcome::Cancelled},
      {Stop::Refused, MovieDownloadOutcome::ChunkFailed},
      {Stop::Disconnect, MovieDownloadOutcome::ChunkFailed},  // last: the link stays down
  };
  uint32_t seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stop));
    const std::string name = "MVI_10" + std::to_string(seed) + ".MOV";
    const PtpObjectInfoStruct record = addMovie(devicesim::kLargeMovieSize, name, ++seed);
    const std::vector<uint8_t> earlier = placeEarlierFile(name);
    std::atomic<bool> cancel{false};
    int chunks = 0;
    MovieDownloadHooks hooks;
    hooks.cancel = &cancel;
    hooks.progress = [&](double) {
      if (++chunks != 3) return;
      if (c.stop == Stop::Cancel) cancel.store(true);
      if (c.stop == Stop::Disconnect) device.scriptFault(devicesim::Fault::closeMidPacket(64 * 1024));
      if (c.stop == Stop::Refused) device.scriptFault(devicesim::Fault::busy(0x2002));
    };

    const MovieDownloadResult result = downloadMovieToFolder(record, save, hooks);

    EXPECT_EQ(result.outcome, c.outcome);
    if (c.outcome == MovieDownloadOutcome::ChunkFailed) {
      EXPECT_NE(result.code, PTP_RC_OK);
    }
    EXPECT_EQ(readFile(save + "/" + name), earlier);
    EXPECT_TRUE(noPartialFiles());
    EXPECT_EQ(chunks, 3);
  }
}

TEST_F(MovieDownloadTest, OnlyTheBaseOfASafeNameBecomesAPath) {
  struct Case {
    const char* fileName;
    const char* saved;  // nullptr: refused
  };
  const Case cases[] = {
      {"DCIM/100CANON/MVI_0003.MOV", "MVI_0003.MOV"},
      {"../../MVI_0004.MOV", "MVI_0004.MOV"},
      {"", nullptr},
      {"..", nullptr},
      {"DCIM/..", nullptr},
      {"DCIM/", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileName);
    PtpObjectInfoStruct record = addMovie(3 * kMiB, "MVI_0009.MOV");
    std::snprintf(record.fileName, sizeof record.fileName, "%s", c.fileName);
    device.clearLog();
    const MovieDownloadResult result = downloadMovieToFolder(record, save, {});
    if (c.saved == nullptr) {
      EXPECT_EQ(result.outcome, MovieDownloadOutcome::BadName);
      EXPECT_EQ(device.logSize(), 0u);
    } else {
      ASSERT_EQ(result.outcome, MovieDownloadOutcome::Saved);
      EXPECT_EQ(result.path, save + "/" + c.saved);
      EXPECT_EQ(readFile(result.path), *devicesim::movieBytes(3 * kMiB));
    }
  }
  // Nothing was written outside the save folder.
  EXPECT_FALSE(exists(root + "/MVI_0004.MOV"));
  EXPECT_FALSE(exists("/tmp/MVI_0004.MOV"));
}

TEST_F(MovieDownloadTest, AFolderThatCannotBeWrittenIsReportedBeforeAnythingIsRead) {
  const PtpObjectInfoStruct record = addMovie(kMiB, "MVI_0005.MOV");
  device.clearLog();
  const MovieDownloadResult result = downloadMovieToFolder(record, save + "/missing", {});
  EXPECT_EQ(result.outcome, MovieDownloadOutcome::CreateFailed);
  EXPECT_EQ(device.logSize(), 0u);
}

}  // namespace
