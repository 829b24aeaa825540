// Nikon live-view frames turned into the 388-byte header and the JPEG behind it, from every form the bodies send,
// and replies that do not hold what they claim.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devicesim/nikon_frames.h"
#include "engine/vendors/nikon/nikon_live_view.h"

namespace {

using devicesim::NikonFrameForm;

uint32_t u32At(const HeapBlock& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t u16At(const HeapBlock& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

const std::vector<uint8_t> kPicture = {0xFF, 0xD8, 1, 2, 3, 4, 5, 0xFF, 0xD9};

struct FormCase {
    const char* name;
    uint8_t model;
    NikonFrameForm form;
    bool extended;
    uint32_t headerLength;
    uint8_t byte68;
};

TEST(NikonLiveViewFrame, EveryFormSplitsIntoHeaderAndPicture) {
    devicesim::NikonFrameFields f;
    f.frameWidth = 6000;
    f.frameHeight = 4000;
    f.orientation = 3;
    f.byte60 = 0x5A;
    const FormCase cases[] = {
        {"fixed 128", 203, NikonFrameForm::Fixed128, false, 136, 0},
        {"fixed 128 kept", 199 + 0, NikonFrameForm::Fixed128, false, 136, 0},
        {"fixed 384", 194, NikonFrameForm::Fixed384, false, 392, 0x5A},
        {"prefixed", 219, NikonFrameForm::LengthPrefixed, false, 388, 0x5A},
        {"extended", 220, NikonFrameForm::Extended, true, devicesim::kNikonExtendedHeaderLength, 0x11},
    };
    for (const FormCase& c : cases) {
        std::vector<uint8_t> reply = devicesim::nikonFrameReply(c.form, f, kPicture);
        HeapBlock frame;
        ASSERT_EQ(nikonConvertLiveViewFrame(c.model, c.extended, reply.data(), reply.size(), &frame), PTP_RC_OK)
            << c.name;
        ASSERT_EQ(frame.size(), kNikonLiveViewHeaderSize + kPicture.size()) << c.name;
        EXPECT_EQ(u32At(frame, 0), c.headerLength) << c.name;
        EXPECT_EQ(u32At(frame, 4), kPicture.size()) << c.name;
        EXPECT_EQ(u16At(frame, 8), 640) << c.name;
        EXPECT_EQ(u16At(frame, 10), 424) << c.name;
        EXPECT_EQ(u16At(frame, 12), 6000) << c.name;
        EXPECT_EQ(u16At(frame, 14), 4000) << c.name;
        EXPECT_EQ(frame[37], 3) << c.name;
        EXPECT_EQ(frame[68], c.byte68) << c.name;
        EXPECT_EQ(std::vector<uint8_t>(frame.begin() + kNikonLiveViewHeaderSize, frame.end()), kPicture) << c.name;
    }
}

TEST(NikonLiveViewFrame, SixtyFourByteHeaderAndModelFields) {
    // A 64-byte header: the picture starts 64 bytes in and the header's byte 60 is cleared on model 195.
    std::vector<uint8_t> reply(64, 0);
    reply[2] = 0x12, reply[3] = 0x34;   // word 1, big-endian
    reply[24] = 0xA1, reply[27] = 0xA4;  // bytes 24-27, big-endian u32
    reply[44] = 0x01, reply[45] = 0x02;  // big-endian u16 at 44, widened
    reply[60] = 0x77;
    reply.insert(reply.end(), kPicture.begin(), kPicture.end());
    HeapBlock frame;
    ASSERT_EQ(nikonConvertLiveViewFrame(195, false, reply.data(), reply.size(), &frame), PTP_RC_OK);
    EXPECT_EQ(u32At(frame, 0), 72u);
    EXPECT_EQ(u16At(frame, 10), 0x1234);
    EXPECT_EQ(u32At(frame, 32), 0xA10000A4u);
    EXPECT_EQ(u32At(frame, 52), 0x0102u);
    EXPECT_EQ(frame[68], 0);
    EXPECT_EQ(u32At(frame, 352), 0xFFFFFFFFu);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + kNikonLiveViewHeaderSize, frame.end()), kPicture);
    // Models 196 and 200 keep header bytes 344-347.
    std::vector<uint8_t> big(384, 0);
    big[344] = 0xDE, big[345] = 0xAD, big[346] = 0xBE, big[347] = 0xEF;
    big.insert(big.end(), kPicture.begin(), kPicture.end());
    ASSERT_EQ(nikonConvertLiveViewFrame(196, false, big.data(), big.size(), &frame), PTP_RC_OK);
    EXPECT_EQ(u32At(frame, 352), 0xDEADBEEFu);
    ASSERT_EQ(nikonConvertLiveViewFrame(194, false, big.data(), big.size(), &frame), PTP_RC_OK);
    EXPECT_EQ(u32At(frame, 352), 0xFFFFFFFFu);
    // A body without a header: the whole reply is the picture.
    ASSERT_EQ(nikonConvertLiveViewFrame(206, false, kPicture.data(), kPicture.size(), &frame), PTP_RC_OK);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + kNikonLiveViewHeaderSize, frame.end()), kPicture);
}

TEST(NikonLiveViewFrame, RepliesThatDoNotHoldTheirHeaderAreRefused) {
    devicesim::NikonFrameFields f;
    std::vector<uint8_t> prefixed = devicesim::nikonFrameReply(NikonFrameForm::LengthPrefixed, f, kPicture);
    std::vector<uint8_t> extended = devicesim::nikonFrameReply(NikonFrameForm::Extended, f, kPicture);
    std::vector<uint8_t> fixed = devicesim::nikonFrameReply(NikonFrameForm::Fixed384, f, kPicture);
    std::vector<uint8_t> headerPastEnd = prefixed;
    headerPastEnd[0] = 0x7F;  // header length far past the reply
    std::vector<uint8_t> extendedPastEnd = extended;
    extendedPastEnd[8] = 0x10;
    std::vector<uint8_t> badVersion = extended;
    badVersion[0] = 3;
    struct Case {
        const char* name;
        uint8_t model;
        bool extendedForm;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", 219, false, {}},
        {"prefix cut", 219, false, std::vector<uint8_t>(prefixed.begin(), prefixed.begin() + 7)},
        {"header past end", 219, false, headerPastEnd},
        {"header cut", 219, false, std::vector<uint8_t>(prefixed.begin(), prefixed.begin() + 100)},
        {"fixed cut", 194, false, std::vector<uint8_t>(fixed.begin(), fixed.begin() + 383)},
        {"extended cut", 220, true, std::vector<uint8_t>(extended.begin(), extended.begin() + 851)},
        {"extended header past end", 220, true, extendedPastEnd},
        {"extended version", 220, true, badVersion},
    };
    for (const Case& c : cases) {
        HeapBlock frame = HeapBlock::allocate(4);
        EXPECT_EQ(nikonConvertLiveViewFrame(c.model, c.extendedForm, c.bytes.data(), c.bytes.size(), &frame),
                  ERROR_BUILD)
            << c.name;
        EXPECT_EQ(frame.size(), 0u) << c.name;
    }
    // A picture length larger than what came is cut to it.
    std::vector<uint8_t> longer = prefixed;
    longer[7] = 0xFF;
    HeapBlock frame;
    ASSERT_EQ(nikonConvertLiveViewFrame(219, false, longer.data(), longer.size(), &frame), PTP_RC_OK);
    EXPECT_EQ(u32At(frame, 4), kPicture.size());
}

TEST(NikonLiveViewFrame, OrientationCodes) {
    const int expected[] = {1, 8, 6, 3, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(camOrientationCode(i), expected[i]) << i;
    EXPECT_EQ(camOrientationCode(7), 1);
    EXPECT_EQ(camOrientationCode(-1), 1);
}

}  // namespace
