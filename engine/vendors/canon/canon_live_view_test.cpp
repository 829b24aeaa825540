#include "engine/vendors/canon/canon_live_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"
#include "engine/link/byte_order.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_bitmap.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bareJpeg() {
    devicesim::JpegRecipe recipe;
    recipe.width = 160;
    recipe.height = 120;
    recipe.size = 8000;
    return devicesim::canonBareJpeg(devicesim::jpegImage(recipe)->bytes);
}

EOS_LiveViewInfoStruct headerOf(const HeapBlock& frame) {
    EOS_LiveViewInfoStruct h;
    std::memcpy(&h, frame.data(), sizeof h);
    return h;
}

class CanonLiveViewSplitTest : public ::testing::Test {
protected:
    void SetUp() override {
        vendorStateReset();
        canonResetModule();
        canonIdentifyModelText("Canon EOS 5D Mark IV");  // 6720 x 4480
    }
    void TearDown() override {
        canonResetModule();
        vendorStateReset();
    }
};

TEST_F(CanonLiveViewSplitTest, JpegFramesSplitIntoHeaderAndImage) {
    const Bytes jpeg = bareJpeg();
    devicesim::CanonLiveViewInfo info;
    info.zoom = 5;
    info.zoomX = 1000;
    info.zoomY = 500;
    info.frameWidth = 6000;
    info.frameHeight = 4000;
    info.orientationState = 4;
    info.rollHundredths = 150;
    info.pitchHundredths = 35000;
    info.afFrames = {{100, 200, 300, 400, 1}, {5, 6, 7, 8, 0}};
    Bytes reply = devicesim::canonJpegLiveViewReply(jpeg, info);
    HeapBlock frame;
    ASSERT_TRUE(canonSplitLiveViewFrame(reply.data(), reply.size(), &frame));
    ASSERT_EQ(frame.size(), sizeof(EOS_LiveViewInfoStruct) + jpeg.size());
    EOS_LiveViewInfoStruct h = headerOf(frame);
    EXPECT_EQ(h.kind, 1);
    EXPECT_EQ(h.imageLength, jpeg.size());
    EXPECT_EQ(0, std::memcmp(frame.data() + kCanonLiveViewHeaderSize, jpeg.data(), jpeg.size()));
    EXPECT_EQ(h.zoom, 5u);
    EXPECT_EQ(h.zoomX, 1000u);
    EXPECT_EQ(h.zoomY, 500u);
    EXPECT_EQ(h.frameWidth, 6000u);
    EXPECT_EQ(h.frameHeight, 4000u);
    EXPECT_EQ(h.orientationState, 4u);
    EXPECT_FLOAT_EQ(h.levelRoll, 1.5f);
    EXPECT_FLOAT_EQ(h.levelPitch, -10.0f);
    ASSERT_EQ(h.afFrameCount, 2u);
    // Each entry holds the state, a reserved word, x, y, width and height: the u32 at 0, 8, 12, 16 and 20 go to the
    // five arrays in that order.
    EXPECT_EQ(h.afFrame[0][0], 1u);
    EXPECT_EQ(h.afFrame[1][0], 100u);
    EXPECT_EQ(h.afFrame[2][0], 200u);
    EXPECT_EQ(h.afFrame[4][0], 400u);
    EXPECT_EQ(h.afFrame[3][1], 7u);
    EXPECT_EQ(h.record15[0], 10);
    EXPECT_EQ(h.record15[3], 40);
    EXPECT_EQ(h.record10[0], 7);
    EXPECT_EQ(h.record13[0], 1200u);
    EXPECT_EQ(h.record18[1], 400u);
    // The kept copy and what it tells.
    EXPECT_EQ(canonLiveViewOrientation(), 3);
    uint32_t x = 0, y = 0;
    EXPECT_TRUE(canonLiveViewPosition(&x, &y));
    EXPECT_EQ(x, 1000u);
    EXPECT_EQ(y, 500u);
}

TEST_F(CanonLiveViewSplitTest, AFrameWithoutRecordsGetsTheDefaults) {
    Bytes reply = bareJpeg();
    reply.resize(4100, 0);  // padding after the picture, no records
    HeapBlock frame;
    ASSERT_TRUE(canonSplitLiveViewFrame(reply.data(), reply.size(), &frame));
    EOS_LiveViewInfoStruct h = headerOf(frame);
    EXPECT_EQ(h.zoom, 1u);
    EXPECT_EQ(h.frameWidth, 6720u);
    EXPECT_EQ(h.frameHeight, 4480u);
    EXPECT_EQ(h.record18[0], 6720u);
    EXPECT_EQ(h.record13[1], 4480u);
    EXPECT_EQ(h.record15[0], -1);
    EXPECT_EQ(h.record15[1], -1);
    EXPECT_EQ(h.record15[2], 0);
    EXPECT_EQ(h.afFrameCount, 0u);
}

TEST_F(CanonLiveViewSplitTest, RecordsAreReadOnlyWithinThemselves) {
    Bytes reply = bareJpeg();
    // An AF record claiming 1000 frames but holding 3, and one claiming more than 64 that holds 70.
    Bytes af;
    devicesim::wire::put32(af, 12 + 24 * 3);
    devicesim::wire::put32(af, 8);
    devicesim::wire::put32(af, 1000);
    for (uint32_t i = 0; i < 3 * 6; ++i) devicesim::wire::put32(af, i);
    reply.insert(reply.end(), af.begin(), af.end());
    Bytes zoomShort = {9, 0, 0, 0, 4, 0, 0, 0, 7};  // a zoom record too short for its value
    reply.insert(reply.end(), zoomShort.begin(), zoomShort.end());
    reply.resize(4100, 0);
    HeapBlock frame;
    ASSERT_TRUE(canonSplitLiveViewFrame(reply.data(), reply.size(), &frame));
    EXPECT_EQ(headerOf(frame).afFrameCount, 3u);
    EXPECT_EQ(headerOf(frame).zoom, 1u);

    Bytes many = bareJpeg();
    Bytes big;
    devicesim::wire::put32(big, 12 + 24 * 70);
    devicesim::wire::put32(big, 8);
    devicesim::wire::put32(big, 70);
    big.resize(12 + 24 * 70, 1);
    many.insert(many.end(), big.begin(), big.end());
    many.resize(std::max<size_t>(many.size(), 4100), 0);
    ASSERT_TRUE(canonSplitLiveViewFrame(many.data(), many.size(), &frame));
    EXPECT_EQ(headerOf(frame).afFrameCount, 64u);

    // A record whose length runs past the reply ends the walk.
    Bytes past = bareJpeg();
    Bytes zoom = {12, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0};
    past.insert(past.end(), zoom.begin(), zoom.end());
    Bytes runaway = {0xFF, 0xFF, 0, 0, 5, 0, 0, 0};
    past.insert(past.end(), runaway.begin(), runaway.end());
    past.resize(4100, 0);
    ASSERT_TRUE(canonSplitLiveViewFrame(past.data(), past.size(), &frame));
    EXPECT_EQ(headerOf(frame).zoom, 3u);
    EXPECT_EQ(headerOf(frame).zoomX, 0u);
}

TEST_F(CanonLiveViewSplitTest, RepliesThatCannotBeSplit) {
    HeapBlock frame;
    Bytes jpeg = bareJpeg();
    Bytes small(jpeg.begin(), jpeg.end());
    small.resize(3999, 0);
    EXPECT_FALSE(canonSplitLiveViewFrame(small.data(), small.size(), &frame));
    Bytes noEnd = jpeg;
    noEnd.resize(noEnd.size() - 2);  // without FF D9
    noEnd.resize(4100, 0x11);
    EXPECT_FALSE(canonSplitLiveViewFrame(noEnd.data(), noEnd.size(), &frame));
    Bytes neither(5000, 0x22);  // no JPEG start, no valid YUV picture
    EXPECT_FALSE(canonSplitLiveViewFrame(neither.data(), neither.size(), &frame));
    Bytes late(300, 0x11);  // a JPEG start beyond the first 256 bytes is not looked for
    late.insert(late.end(), jpeg.begin(), jpeg.end());
    late.resize(4100, 0);
    EXPECT_FALSE(canonSplitLiveViewFrame(late.data(), late.size(), &frame));
    EXPECT_FALSE(frame);
    EXPECT_FALSE(camLiveViewState(nullptr));
}

TEST_F(CanonLiveViewSplitTest, YuvFramesBecomeBitmapFrames) {
    Bytes reply = devicesim::canonYuvLiveViewReply(96, 64, 0, 2);
    HeapBlock frame;
    ASSERT_TRUE(canonSplitLiveViewFrame(reply.data(), reply.size(), &frame));
    EOS_LiveViewInfoStruct h = headerOf(frame);
    EXPECT_EQ(h.kind, 2);
    EXPECT_EQ(h.imageLength, kBmpHeaderSize + 96 * 64 * 4);
    EXPECT_EQ(h.record15[0], -1);
    EXPECT_EQ(h.record15[1], 0);
    EXPECT_EQ(h.record10[0], -1);
    EXPECT_EQ(h.zoom, 0u);  // nothing else filled
    EXPECT_EQ(frame[kCanonLiveViewHeaderSize], 'B');
    EXPECT_EQ(readLe32(frame.data() + kCanonLiveViewHeaderSize + 18), 96u);
}

// The camera's orientation states reach the display and the nudge directions as EXIF orientations.
TEST(CanonLiveViewOrientation, StatesToExifOrientations) {
    EOS_LiveViewInfoStruct h{};
    const struct {
        uint32_t state;
        int exif;
    } cases[] = {{0, 1}, {1, 6}, {2, 8}, {3, 1}, {4, 3}, {5, 1}, {0xFFFFFFFF, 1}};
    for (const auto& c : cases) {
        h.orientationState = c.state;
        EXPECT_EQ(canonOrientationToExif(&h), c.exif) << c.state;
    }
    EXPECT_EQ(canonOrientationToExif(nullptr), 1);
}

}  // namespace
