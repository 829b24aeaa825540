// The typed record in front of each Nikon live-view picture, read from frames the module made of the stand-in
// bodies' replies in every form, and its bounds.
#include "engine/vendors/nikon/nikon_live_view_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devicesim/nikon_frames.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

using devicesim::NikonBody;

TEST(NikonLiveViewInfo, ABufferShorterThanTheRecordHasNone) {
    std::vector<uint8_t> buffer(kNikonLiveViewHeaderSize + 10, 0xAB);
    uint32_t claimed = 100;  // more than the buffer holds
    std::memcpy(buffer.data() + 4, &claimed, 4);
    EXPECT_FALSE(nikonLiveViewInfo(nullptr, 0));
    EXPECT_FALSE(nikonLiveViewInfo(buffer.data(), kNikonLiveViewHeaderSize - 1));
    EXPECT_FALSE(nikonLiveViewPicture(buffer.data(), kNikonLiveViewHeaderSize - 1));
    ASSERT_TRUE(nikonLiveViewInfo(buffer.data(), kNikonLiveViewHeaderSize));
    EXPECT_EQ(nikonLiveViewInfo(buffer.data(), buffer.size())->jpegLength, 100u);
    std::optional<NikonLiveViewPicture> picture = nikonLiveViewPicture(buffer.data(), buffer.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->data, buffer.data() + kNikonLiveViewHeaderSize);
    EXPECT_EQ(picture->length, 10u);  // cut to the buffer
    EXPECT_EQ(nikonLiveViewPicture(buffer.data(), kNikonLiveViewHeaderSize)->length, 0u);
}

struct BodyCase {
    NikonBody body;
    const char* model;
    uint32_t headerLength;
    bool audio;  // the body's header is long enough to carry the audio bytes
};

class NikonLiveViewInfoFrames : public NikonDeviceTest, public ::testing::WithParamInterface<BodyCase> {
protected:
    devicesim::NikonCameraOptions cameraOptions() override {
        devicesim::NikonCameraOptions o;
        o.body = GetParam().body;
        o.model = GetParam().model;
        o.liveViewWidth = 5568;
        o.liveViewHeight = 3712;
        return o;
    }
};

TEST_P(NikonLiveViewInfoFrames, TheRecordHoldsWhatTheCameraSent) {
    const BodyCase& c = GetParam();
    const devicesim::NikonFrameFields sent;  // the stand-in's values besides the frame size and orientation
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_FALSE(nikonLastLiveViewInfo());
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    HeapBlock frame;
    ASSERT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLiveViewInfo(frame.data(), frame.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->headerLength, c.headerLength);
    EXPECT_EQ(info->frameWidth, 5568);
    EXPECT_EQ(info->frameHeight, 3712);
    EXPECT_EQ(info->displayWidth, sent.displayWidth);
    EXPECT_EQ(info->displayHeight, sent.displayHeight);
    EXPECT_EQ(info->displayCentreX, sent.displayCentreX);
    EXPECT_EQ(info->displayCentreY, sent.displayCentreY);
    EXPECT_EQ(info->afWidth, sent.afWidth);
    EXPECT_EQ(info->afHeight, sent.afHeight);
    EXPECT_EQ(info->afCentreX, sent.afCentreX);
    EXPECT_EQ(info->afCentreY, sent.afCentreY);
    EXPECT_EQ(info->orientation, 2);
    EXPECT_EQ(camOrientation(), 6);
    EXPECT_EQ(info->afSelected, sent.afSelected);
    EXPECT_EQ(info->afState, sent.afState);
    EXPECT_EQ(info->levelRoll, sent.levelRoll);
    EXPECT_EQ(info->levelPitch, sent.levelPitch);
    EXPECT_EQ(info->movieTimeRemaining, sent.movieTimeRemaining);
    if (c.audio) {
        EXPECT_EQ(info->audioPeakLeft, sent.audioPeakLeft);
        EXPECT_EQ(info->audioPeakRight, sent.audioPeakRight);
        EXPECT_EQ(info->audioLevelLeft, sent.audioLevelLeft);
        EXPECT_EQ(info->audioLevelRight, sent.audioLevelRight);
    } else {
        EXPECT_EQ(info->audioLevelLeft, 255);  // no audio data
        EXPECT_EQ(info->audioLevelRight, 255);
    }
    // The picture is the whole JPEG, and the module keeps the record it handed out.
    std::optional<NikonLiveViewPicture> picture = nikonLiveViewPicture(frame.data(), frame.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->length, info->jpegLength);
    EXPECT_EQ(picture->length, frame.size() - kNikonLiveViewHeaderSize);
    ASSERT_GE(picture->length, 4u);
    EXPECT_EQ(picture->data[0], 0xFF);
    EXPECT_EQ(picture->data[1], 0xD8);
    EXPECT_EQ(picture->data[picture->length - 2], 0xFF);
    EXPECT_EQ(picture->data[picture->length - 1], 0xD9);
    std::optional<Nikon_LiveViewInfoStruct2> kept = nikonLastLiveViewInfo();
    ASSERT_TRUE(kept);
    EXPECT_EQ(std::memcmp(&*kept, frame.data(), kNikonLiveViewHeaderSize), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryForm, NikonLiveViewInfoFrames,
                         ::testing::Values(BodyCase{NikonBody::D850, "", 388, false},
                                           BodyCase{NikonBody::D90, "", 136, false},
                                           BodyCase{NikonBody::D7000, "", 392, false},
                                           BodyCase{NikonBody::D7000, "D800", 392, true},
                                           BodyCase{NikonBody::Z6, "", devicesim::kNikonExtendedHeaderLength, true}),
                         [](const ::testing::TestParamInfo<BodyCase>& info) {
                             std::string name = info.param.model[0] ? info.param.model
                                                                    : devicesim::nikonBodyModel(info.param.body);
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
