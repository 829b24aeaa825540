// The stand-in device's live-view frames read by the display's cuts: the device writes them from the frame layouts
// alone, the display reads them from its own; both must agree on every overlay field. Canon through the engine's
// split (three AF frames by state, whole-image and zoom-area coordinates, audio, movie time), Sony's focus block at
// 1093 and at 581 and its malformed frames, Fujifilm's AF area in the event poll and its malformed frames.
#include <gtest/gtest.h>

#include "app/viewing/af_overlay.h"
#include "app/viewing/live_view_frame_cut.h"
#include "app/viewing/live_view_test_frames.h"
#include "devicesim/canon_frames.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/fuji_frames.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/sony_frames.h"
#include "engine/link/heap_block.h"
#include "engine/vendors/canon/canon_live_view.h"

namespace {

using platform::Color;

std::vector<uint8_t> smallBareJpeg() {
  devicesim::JpegRecipe r;
  r.width = 96;
  r.height = 64;
  r.size = 8 * 1024;
  return devicesim::canonBareJpeg(devicesim::jpegImage(r)->bytes);
}

std::optional<LiveViewFrameCut> cutCanonReply(const std::vector<uint8_t>& reply, LiveViewCutInputs in = {}) {
  HeapBlock frame;
  if (!canonSplitLiveViewFrame(reply.data(), reply.size(), &frame)) return std::nullopt;
  LiveViewMovieClock clock;
  return cutLiveViewFrame(frame.data(), frame.size(), kLiveViewVendorCanon, in, clock);
}

TEST(StandInFrames, CanonThreeFramesByStateInBothCoordinateModes) {
  const int camera = 0;
  devicesim::CanonLiveViewInfo info;
  devicesim::canonStandInLiveViewInfo(&camera, true, 3, info);
  LiveViewCutInputs recording;
  recording.liveViewStatus = 3;
  const auto cut = cutCanonReply(devicesim::canonJpegLiveViewReply(smallBareJpeg(), info), recording);
  ASSERT_TRUE(cut && cut->canonHeader);
  EXPECT_DOUBLE_EQ(cut->angle, 1.5);
  EXPECT_DOUBLE_EQ(cut->pitch, -10);
  EXPECT_TRUE(cut->audio.present());
  EXPECT_EQ(cut->movieSeconds, 0) << "the first recording frame";
  const AfOverlayPlan plan = canonAfOverlay(*cut->canonHeader, {{960, 640}, {96, 64}, 1});
  ASSERT_EQ(plan.frames.size(), 3u);
  EXPECT_EQ(plan.frames[0].color, Color::rgb(0, 1, 0));
  EXPECT_EQ(plan.frames[1].color, Color::rgb(1, 0, 0));
  EXPECT_EQ(plan.frames[2].color, Color::whiteColor());
  // The in-focus frame in the middle of the picture (45 % + half of 10 %).
  EXPECT_NEAR(plan.frames[0].rect.midX(), 480, 1);
  EXPECT_NEAR(plan.frames[0].rect.midY(), 320, 1);

  devicesim::CanonLiveViewInfo zoomed;
  zoomed.zoom = 5;
  zoomed.zoomX = 2000, zoomed.zoomY = 1500;
  devicesim::canonStandInLiveViewInfo(&camera, true, 0, zoomed);
  const auto zoomCut = cutCanonReply(devicesim::canonJpegLiveViewReply(smallBareJpeg(), zoomed));
  ASSERT_TRUE(zoomCut && zoomCut->canonHeader);
  const AfOverlayPlan zoomPlan = canonAfOverlay(*zoomCut->canonHeader, {{960, 640}, {96, 64}, 1});
  ASSERT_EQ(zoomPlan.frames.size(), 3u);
  EXPECT_NEAR(zoomPlan.frames[0].rect.midX(), 480, 1) << "in the middle of the zoom area";
  EXPECT_NEAR(zoomPlan.frames[0].rect.width(), 192, 1) << "a fifth of the area";
}

TEST(StandInFrames, CanonFaultsOnDemand) {
  const int camera = 0;
  struct Case {
    devicesim::CanonFrameFault fault;
    AfOverlayPlan::Action action;
    size_t frames;
  };
  const Case cases[] = {{devicesim::CanonFrameFault::NoAfFrames, AfOverlayPlan::Action::Keep, 0},
                        {devicesim::CanonFrameFault::ZeroFrameSpace, AfOverlayPlan::Action::Remove, 0},
                        {devicesim::CanonFrameFault::ManyAfFrames, AfOverlayPlan::Action::Draw, 64}};
  for (const Case& c : cases) {
    devicesim::canonFaultNextFrames(&camera, c.fault, 1);
    devicesim::CanonLiveViewInfo info;
    devicesim::canonStandInLiveViewInfo(&camera, true, 0, info);
    const auto cut = cutCanonReply(devicesim::canonJpegLiveViewReply(smallBareJpeg(), info));
    ASSERT_TRUE(cut && cut->canonHeader);
    const AfOverlayPlan plan = canonAfOverlay(*cut->canonHeader, {{960, 640}, {96, 64}, 1});
    EXPECT_EQ(plan.action, c.action);
    EXPECT_EQ(plan.frames.size(), c.frames);
  }
  devicesim::canonFaultNextFrames(&camera, devicesim::CanonFrameFault::AudioOffTheScale, 1);
  devicesim::CanonLiveViewInfo loud;
  devicesim::canonStandInLiveViewInfo(&camera, true, 0, loud);
  LiveViewCutInputs movie;
  movie.liveViewStatus = 2;
  const auto cut = cutCanonReply(devicesim::canonJpegLiveViewReply(smallBareJpeg(), loud), movie);
  EXPECT_EQ(cut->audio.levelLeft, 0);
  EXPECT_EQ(cut->audio.levelRight, 22);
  devicesim::CanonLiveViewInfo after;
  devicesim::canonStandInLiveViewInfo(&camera, true, 0, after);
  EXPECT_EQ(after.afFrames.size(), 3u) << "the fault lasts the frames asked for";
}

TEST(StandInFrames, SonyFocusBlockAt1093AndAt581) {
  devicesim::SonyFrameFields f;
  f.roll = 4;
  f.focusX = 1290, f.focusY = 950, f.focusWidth = 258, f.focusHeight = 190;
  for (bool early : {false, true}) {
    f.earlyFocusBlock = early;
    const std::vector<uint8_t> frame = devicesim::sonyLiveViewFrame(smallBareJpeg(), f);
    LiveViewCutInputs in;
    in.sonyHasLocationProperty = true;
    in.modelIndex = early ? 0xB0 : 0xA3;
    LiveViewMovieClock clock;
    const auto cut = cutLiveViewFrame(frame.data(), frame.size(), kLiveViewVendorSony, in, clock);
    ASSERT_TRUE(cut) << early;
    EXPECT_EQ(cut->pictureOffset, devicesim::kSonyFrameJpegAt);
    EXPECT_EQ(cut->angle, 4);
    EXPECT_EQ(cut->sonyFocus.x, 1290);
    EXPECT_EQ(cut->sonyFocus.y, 950);
    EXPECT_EQ(cut->sonyFocus.width, 258);
    EXPECT_EQ(cut->sonyFocus.height, 190);
  }
}

TEST(StandInFrames, SonyMalformedFramesOnDemand) {
  const int camera = 0;
  LiveViewCutInputs in;
  in.sonyHasLocationProperty = true;
  LiveViewMovieClock clock;
  devicesim::sonyFaultNextFrames(&camera, devicesim::SonyFrameFault::NoJpegStart, 1);
  std::vector<uint8_t> frame = devicesim::sonyStandInLiveViewFrame(&camera, smallBareJpeg(), 0x014000F0, false);
  EXPECT_FALSE(cutLiveViewFrame(frame.data(), frame.size(), kLiveViewVendorSony, in, clock)) << "dropped";
  devicesim::sonyFaultNextFrames(&camera, devicesim::SonyFrameFault::ShortFrame, 1);
  frame = devicesim::sonyStandInLiveViewFrame(&camera, smallBareJpeg(), 0x014000F0, false);
  ASSERT_LT(frame.size(), 1038u);
  const auto cut = cutLiveViewFrame(frame.data(), frame.size(), kLiveViewVendorSony, in, clock);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->angle, 0);
  EXPECT_TRUE(cut->sonyFocus.empty());
  frame = devicesim::sonyStandInLiveViewFrame(&camera, smallBareJpeg(), 0x014000F0, false);
  const auto whole = cutLiveViewFrame(frame.data(), frame.size(), kLiveViewVendorSony, in, clock);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->sonyFocus.x, 1290) << "320 of 640 in the 2580-wide space";
  EXPECT_EQ(whole->sonyFocus.y, 1065) << "240 of 428 in the 1900-high space";
}

TEST(StandInFrames, FujifilmAreaInTheEventPollAndMalformedFrames) {
  devicesim::FujiCamera camera;
  camera.pollEvents(0);  // what session set-up queued
  const std::vector<uint8_t> jpeg = smallBareJpeg();
  EXPECT_EQ(devicesim::fujiStandInLiveViewFrame(camera, jpeg), jpeg);
  EXPECT_FALSE(camera.pollEvents(0).empty()) << "the first frame reports the AF area";
  for (int i = 1; i < 25; ++i) devicesim::fujiStandInLiveViewFrame(camera, jpeg);
  EXPECT_TRUE(camera.pollEvents(0).empty());
  devicesim::fujiStandInLiveViewFrame(camera, jpeg);
  EXPECT_FALSE(camera.pollEvents(0).empty()) << "again at the 25th";

  devicesim::fujiFaultNextFrames(&camera, devicesim::FujiFrameFault::TruncatedJpeg, 1);
  const std::vector<uint8_t> cut = devicesim::fujiStandInLiveViewFrame(camera, jpeg);
  EXPECT_EQ(cut.size(), jpeg.size() / 2);
  devicesim::fujiFaultNextFrames(&camera, devicesim::FujiFrameFault::NotAJpeg, 1);
  EXPECT_TRUE(QImage::fromData(devicesim::fujiStandInLiveViewFrame(camera, jpeg).data(), 512).isNull());
}

}  // namespace
