// The four cuts of a live-view frame, table by table: frames built here byte by byte at the offsets the frame
// formats give (not through the engine's structures), each truncated length, lengths that would wrap, the
// orientation maps, the audio bins and the movie clock.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/viewing/live_view_frame_cut.h"
#include "app/viewing/live_view_test_frames.h"

namespace {

using live_view_testing::Bytes;
using live_view_testing::put16;
using live_view_testing::put32;
using live_view_testing::putFloat;

const Bytes kJpeg = {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 4, 0xFF, 0xD9};

// A Canon frame of the kind with the picture at 1364 and its length at 1360.
Bytes canonFrame(uint8_t kind, const Bytes& picture = kJpeg) {
  Bytes b(1364, 0);
  b[0] = kind;
  put32(b, 1360, uint32_t(picture.size()));
  b.insert(b.end(), picture.begin(), picture.end());
  return b;
}

Bytes nikonFrame(const Bytes& picture = kJpeg) {
  Bytes b(388, 0);
  put32(b, 4, uint32_t(picture.size()));
  b.insert(b.end(), picture.begin(), picture.end());
  return b;
}

std::optional<LiveViewFrameCut> cut(const Bytes& b, uint8_t vendor, LiveViewCutInputs in = {}) {
  LiveViewMovieClock clock;
  return cutLiveViewFrame(b.data(), b.size(), vendor, in, clock);
}

TEST(LiveViewCut, CanonLengthsAndKinds) {
  struct Case {
    const char* what;
    Bytes frame;
    bool kept;
  };
  Bytes truncatedPicture = canonFrame(1);
  truncatedPicture.pop_back();
  Bytes huge = canonFrame(1);
  put32(huge, 1360, 0xFFFFFFFF);
  Bytes justPast = canonFrame(1);
  put32(justPast, 1360, uint32_t(justPast.size() - 1364 + 1));
  const Case cases[] = {
      {"empty", {}, false},
      {"one byte short of the header", Bytes(1363, 0), false},
      {"the header alone, no picture", canonFrame(1, {}), true},
      {"kind 3: no image", canonFrame(3), false},
      {"kind 1", canonFrame(1), true},
      {"kind 2", canonFrame(2), true},
      {"picture one byte short", truncatedPicture, false},
      {"length one past the buffer", justPast, false},
      {"length 0xFFFFFFFF", huge, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto got = cut(c.frame, kLiveViewVendorCanon);
    ASSERT_EQ(got.has_value(), c.kept);
    if (!got) continue;
    EXPECT_EQ(got->pictureOffset, 1364u);
    EXPECT_EQ(got->pictureLength, c.frame.size() - 1364);
  }
}

TEST(LiveViewCut, CanonKindOneCarriesLevelOrientationAndFramesOtherKindsDoNot) {
  const uint8_t expected[] = {1, 6, 8, 1, 3, 1, 1};  // indexes 0 to 5, then 0xFFFFFFFF
  const uint32_t index[] = {0, 1, 2, 3, 4, 5, 0xFFFFFFFF};
  for (size_t i = 0; i < std::size(index); ++i) {
    Bytes b = canonFrame(1);
    put32(b, 4, index[i]);
    putFloat(b, 8, 12.5f);
    putFloat(b, 12, -3.25f);
    put32(b, 52, 100);  // more frames than the record holds
    const auto got = cut(b, kLiveViewVendorCanon);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->orientation, expected[i]) << "index " << index[i];
    EXPECT_DOUBLE_EQ(got->angle, 12.5);
    EXPECT_DOUBLE_EQ(got->pitch, -3.25);
    ASSERT_TRUE(got->canonHeader);
    EXPECT_EQ(got->canonHeader->afFrameCount, 64u);
  }
  Bytes other = canonFrame(2);
  put32(other, 4, 1);
  putFloat(other, 8, 12.5f);
  const auto got = cut(other, kLiveViewVendorCanon);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->orientation, 1);
  EXPECT_EQ(got->angle, 0);
  EXPECT_EQ(got->pitch, 1000);
  EXPECT_FALSE(got->canonHeader);
}

TEST(LiveViewCut, CanonAudioBinsClampToTheMeter) {
  struct Case {
    int32_t decibels;
    int64_t bin;
  };
  // round(0.5475 dB + 21.823): -40 gives -0.077 -> 0; 0 gives 22 of 23; below -40.8 and above 0 clamp.
  const Case cases[] = {{-40, 0}, {0, 22}, {-45, 0}, {-20, 11}, {-21, 10}, {-2, 21}, {6, 22}, {-1000, 0}};
  for (const Case& c : cases) EXPECT_EQ(canonAudioBin(c.decibels), c.bin) << c.decibels << " dB";

  Bytes b = canonFrame(2);
  put32(b, 1336, uint32_t(-40));
  put32(b, 1340, 0);
  put32(b, 1344, uint32_t(-45));
  put32(b, 1348, uint32_t(-20));
  LiveViewCutInputs movie;
  movie.liveViewStatus = 2;
  auto got = cut(b, kLiveViewVendorCanon, movie);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->audio.bins, 23u);
  EXPECT_EQ(got->audio.levelLeft, 0);
  EXPECT_EQ(got->audio.levelRight, 22);
  EXPECT_EQ(got->audio.peakLeft, 0);
  EXPECT_EQ(got->audio.peakRight, 11);
  EXPECT_FALSE(got->recording) << "movie mode alone lights nothing on Canon";
  EXPECT_FALSE(cut(b, kLiveViewVendorCanon)->audio.present()) << "live view has no audio";
  put32(b, 1336, uint32_t(-1));
  EXPECT_FALSE(cut(b, kLiveViewVendorCanon, movie)->audio.present()) << "-1: no audio data";
}

TEST(LiveViewCut, CanonMovieTimeCountsFromTheFirstRecordingFrame) {
  LiveViewCutInputs recording;
  recording.liveViewStatus = 3;
  LiveViewMovieClock clock;
  auto frameAt = [](int32_t s, int32_t ms) {
    Bytes b = canonFrame(1);
    put32(b, 1352, uint32_t(s));
    put32(b, 1356, uint32_t(ms));
    return b;
  };
  Bytes first = frameAt(10, 500), later = frameAt(135, 600), none = frameAt(-1, 0);
  auto got = cutLiveViewFrame(first.data(), first.size(), kLiveViewVendorCanon, recording, clock);
  ASSERT_TRUE(got);
  EXPECT_TRUE(got->recording);
  EXPECT_EQ(got->movieSeconds, 0);
  EXPECT_DOUBLE_EQ(clock.initialMovieDuration, 10.5);
  got = cutLiveViewFrame(later.data(), later.size(), kLiveViewVendorCanon, recording, clock);
  EXPECT_EQ(got->movieSeconds, 125);  // "2:05"
  got = cutLiveViewFrame(none.data(), none.size(), kLiveViewVendorCanon, recording, clock);
  EXPECT_TRUE(got->recording);
  EXPECT_LT(got->movieSeconds, 0) << "a negative time shows the light without a time";

  // A dropped frame leaves the clock alone.
  LiveViewMovieClock fresh;
  Bytes broken = frameAt(30, 0);
  put32(broken, 1360, 0xFFFFFFFF);
  EXPECT_FALSE(cutLiveViewFrame(broken.data(), broken.size(), kLiveViewVendorCanon, recording, fresh));
  EXPECT_EQ(fresh.initialMovieDuration, 0);
}

TEST(LiveViewCut, NikonLengthsAndOrientations) {
  Bytes huge = nikonFrame();
  put32(huge, 4, 0xFFFFFFFF);
  Bytes past = nikonFrame();
  put32(past, 4, uint32_t(kJpeg.size() + 1));
  EXPECT_FALSE(cut(Bytes(387, 0), kLiveViewVendorNikon));
  EXPECT_FALSE(cut(huge, kLiveViewVendorNikon));
  EXPECT_FALSE(cut(past, kLiveViewVendorNikon));
  const auto empty = cut(nikonFrame({}), kLiveViewVendorNikon);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->pictureLength, 0u);

  const uint8_t expected[] = {1, 8, 6, 3, 1, 1};
  for (uint8_t index = 0; index < 6; ++index) {
    Bytes b = nikonFrame();
    b[37] = index == 5 ? 200 : index;
    put32(b, 52, 359);
    put32(b, 56, 3);
    const auto got = cut(b, kLiveViewVendorNikon);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->pictureOffset, 388u);
    EXPECT_EQ(got->pictureLength, kJpeg.size());
    EXPECT_EQ(got->orientation, expected[index]) << int(b[37]);
    EXPECT_EQ(got->angle, 359);
    EXPECT_EQ(got->pitch, 3);
  }
}

TEST(LiveViewCut, NikonSubstituteFrameGoesIntoTheCopyNotTheSharedBuffer) {
  Bytes b = nikonFrame();
  put16(b, 16, 3000);  // display area 3000 x 2000 at (3100, 2050)
  put16(b, 18, 2000);
  put16(b, 20, 3100);
  put16(b, 22, 2050);
  const Bytes before = b;
  const auto got = cut(b, kLiveViewVendorNikon);
  ASSERT_TRUE(got && got->nikonRecord);
  EXPECT_EQ(got->nikonRecord->afWidth, 2010);  // 0.67 x 3000
  EXPECT_EQ(got->nikonRecord->afHeight, 1340);
  EXPECT_EQ(got->nikonRecord->afCentreX, 3100);
  EXPECT_EQ(got->nikonRecord->afCentreY, 2050);
  EXPECT_EQ(b, before);

  put16(b, 24, 400);  // a frame the camera reported is kept
  put16(b, 26, 300);
  put16(b, 28, 2800);
  EXPECT_EQ(cut(b, kLiveViewVendorNikon)->nikonRecord->afWidth, 400);
  EXPECT_EQ(cut(b, kLiveViewVendorNikon)->nikonRecord->afCentreX, 2800);
}

TEST(LiveViewCut, NikonMovieModeLightsTheLightAtZeroAndAudio255RemovesTheBars) {
  LiveViewCutInputs movie;
  movie.liveViewStatus = 2;
  LiveViewMovieClock clock;
  Bytes b = nikonFrame();
  put32(b, 64, 1234567);
  b[352] = 3, b[353] = 200, b[354] = 7, b[355] = 9;
  auto got = cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorNikon, movie, clock);
  ASSERT_TRUE(got);
  EXPECT_TRUE(got->recording) << "movie mode lights it too";
  EXPECT_EQ(got->movieSeconds, 0);
  EXPECT_EQ(got->audio.bins, 15u);
  EXPECT_EQ(got->audio.levelLeft, 7);
  EXPECT_EQ(got->audio.levelRight, 9);
  EXPECT_EQ(got->audio.peakLeft, 3);
  EXPECT_EQ(got->audio.peakRight, 14) << "200 is past the meter: its last bin";
  put32(b, 64, 1234567 - 125400);  // 125.4 s of movie used
  movie.liveViewStatus = 3;
  EXPECT_EQ(cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorNikon, movie, clock)->movieSeconds, 125);
  b[354] = 255;
  EXPECT_FALSE(cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorNikon, movie, clock)->audio.present());
  movie.liveViewStatus = 1;
  got = cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorNikon, movie, clock);
  EXPECT_FALSE(got->recording);
  EXPECT_FALSE(got->audio.present());
}

// A Sony frame of `length` bytes with the JPEG start at `k` (none when k is past the end).
Bytes sonyFrame(size_t length, size_t k) {
  Bytes b(length, 0x11);
  if (k + 4 <= length) b[k] = 0xFF, b[k + 1] = 0xD8, b[k + 2] = 0xFF, b[k + 3] = 0xDB;
  return b;
}

TEST(LiveViewCut, SonyMarkerAtKAndFieldsPastTheEnd) {
  for (size_t k : {0u, 1u, 600u, 1200u, 1996u}) {
    const auto got = cut(sonyFrame(2000, k), kLiveViewVendorSony);
    ASSERT_TRUE(got) << k;
    EXPECT_EQ(got->pictureOffset, k);
    EXPECT_EQ(got->pictureLength, 2000 - k);
    EXPECT_EQ(got->orientation, 1);
  }
  EXPECT_FALSE(cut(sonyFrame(2000, 1997), kLiveViewVendorSony)) << "a start cut off by the end";
  EXPECT_FALSE(cut(sonyFrame(2000, 5000), kLiveViewVendorSony));
  EXPECT_FALSE(cut({}, kLiveViewVendorSony));

  struct Case {
    size_t length;
    uint8_t model;
    bool location;
    double angle;
    double x, y, width, height;  // 0: no frame
    double spaceWidth;
  };
  const Case cases[] = {
      {1200, 0, true, 77, 1300, 950, 200, 100, 2580},  // the block at 1093
      {1106, 0, true, 77, 0, 0, 0, 0, 2580},           // one byte short of the block
      {1037, 0, true, 0, 0, 0, 0, 0, 2580},             // roll cut off too
      {700, 0xB0, true, 0, 1300, 950, 200, 100, 2580},  // the block at 581
      {594, 0xB7, true, 0, 0, 0, 0, 0, 2580},
      {1200, 0, false, 77, 0, 0, 0, 0, 640},  // without 0xD2DC: no frame, the 640 x 428 space
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " bytes, model " << int(c.model));
    Bytes b = sonyFrame(c.length, 0);
    for (size_t block : {581u, 1093u}) {
      if (block + 14 > b.size()) continue;
      put16(b, block, 1300);
      put16(b, block + 4, 950);
      put16(b, block + 8, 100);  // height
      put16(b, block + 12, 200);
    }
    if (b.size() >= 1038) put16(b, 1036, 77);
    LiveViewCutInputs in;
    in.modelIndex = c.model;
    in.sonyHasLocationProperty = c.location;
    const auto got = cut(b, kLiveViewVendorSony, in);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->angle, c.angle);
    EXPECT_EQ(got->sonyFocus.x, c.x);
    EXPECT_EQ(got->sonyFocus.y, c.y);
    EXPECT_EQ(got->sonyFocus.width, c.width);
    EXPECT_EQ(got->sonyFocus.height, c.height);
    EXPECT_EQ(got->sonySpaceWidth, c.spaceWidth);
    EXPECT_EQ(got->sonySpaceHeight, c.location ? 1900 : 428);
  }
}

TEST(LiveViewCut, SonyMovieSecondsComeFromTheMonotonicClock) {
  LiveViewCutInputs in;
  in.liveViewStatus = 3;
  in.now = 500.25;
  LiveViewMovieClock clock;
  const Bytes b = sonyFrame(64, 0);
  EXPECT_EQ(cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorSony, in, clock)->movieSeconds, 0);
  in.now = 625.3;
  auto got = cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorSony, in, clock);
  EXPECT_TRUE(got->recording);
  EXPECT_EQ(got->movieSeconds, 125);
  in.liveViewStatus = 2;
  got = cutLiveViewFrame(b.data(), b.size(), kLiveViewVendorSony, in, clock);
  EXPECT_FALSE(got->recording);
  EXPECT_EQ(got->movieSeconds, 0);
  EXPECT_FALSE(clock.sonyRecordingStart) << "the next recording starts again from 0";
}

TEST(LiveViewCut, FujifilmAndUnknownVendorsAreTheJpegAndNoFrameIsEverWritten) {
  for (uint8_t vendor : {uint8_t(kLiveViewVendorFuji), uint8_t(0), uint8_t(99)}) {
    const auto got = cut(kJpeg, vendor);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->pictureOffset, 0u);
    EXPECT_EQ(got->pictureLength, kJpeg.size());
  }
  LiveViewMovieClock clock;
  EXPECT_TRUE(cutLiveViewFrame(nullptr, 12, kLiveViewVendorFuji, {}, clock)->pictureLength == 0);
  EXPECT_FALSE(cutLiveViewFrame(nullptr, 12, kLiveViewVendorCanon, {}, clock));
}

}  // namespace
