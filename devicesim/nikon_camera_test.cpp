// The simulated Nikon body's own wire forms: the event list, the snapshot reply and the live-view frame forms.
#include <gtest/gtest.h>

#include "devicesim/nikon_camera.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

TEST(NikonCamera, SetsAreReportedInTheNikonEventList) {
    NikonCamera camera;
    PtpOperation set;
    set.code = 0x1016;
    set.params = {0x5007};
    set.dataOut = std::vector<uint8_t>{0x20, 0x03};  // 800
    EXPECT_EQ(camera.handleOperation(set).code, 0x2001);
    camera.queueNikonEvent(0x4002, 0x1234);
    std::vector<uint8_t> list = camera.pollEvents(0);
    ASSERT_EQ(list.size(), 2u + 2 * 6);
    EXPECT_EQ(wire::get16(list.data()), 2);
    EXPECT_EQ(wire::get16(list.data() + 2), 0x4006);
    EXPECT_EQ(wire::get32(list.data() + 4), 0x5007u);
    EXPECT_EQ(wire::get16(list.data() + 8), 0x4002);
    EXPECT_EQ(wire::get32(list.data() + 10), 0x1234u);
    EXPECT_EQ(camera.pollEvents(0), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(camera.value(0x5007), 800);
}

TEST(NikonCamera, SnapshotHasALengthPerCodeAsked) {
    NikonCamera camera;
    std::vector<uint8_t> reply = camera.snapshot({0x5007, 0x1234, 0x5001});
    size_t at = 0, records = 0;
    std::vector<uint32_t> lengths;
    while (at + 4 <= reply.size()) {
        uint32_t n = wire::get32(reply.data() + at);
        lengths.push_back(n);
        at += 4 + n;
        ++records;
    }
    EXPECT_EQ(at, reply.size());
    ASSERT_EQ(records, 3u);
    EXPECT_GT(lengths[0], 5u);
    EXPECT_EQ(lengths[1], 0u);
    EXPECT_EQ(wire::get16(reply.data() + 4), 0x5007);
}

TEST(NikonCamera, FrameFormsCarryTheirLengths) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    NikonFrameFields f;
    EXPECT_EQ(nikonFrameReply(NikonFrameForm::Fixed128, f, jpeg).size(), 128u + 4);
    EXPECT_EQ(nikonFrameReply(NikonFrameForm::Fixed384, f, jpeg).size(), 384u + 4);
    std::vector<uint8_t> prefixed = nikonFrameReply(NikonFrameForm::LengthPrefixed, f, jpeg);
    ASSERT_EQ(prefixed.size(), 8u + kNikonPrefixedHeaderLength + 4);
    EXPECT_EQ(prefixed[3], kNikonPrefixedHeaderLength & 0xFF);  // big-endian
    EXPECT_EQ(prefixed[7], 4);
    std::vector<uint8_t> extended = nikonFrameReply(NikonFrameForm::Extended, f, jpeg);
    ASSERT_EQ(extended.size(), kNikonExtendedHeaderLength + 4);
    EXPECT_EQ(extended[0], 2);
    EXPECT_EQ(extended[15], 4);
}

TEST(NikonCamera, LensStopsAtTheEndsOfItsTravel) {
    NikonCameraOptions o;
    o.body = NikonBody::Z6;  // live view always on
    o.focusTravel = 100;
    NikonCamera camera(o);
    PtpOperation drive;
    drive.code = 0x9204;
    drive.params = {1, 80};
    PtpOperation ready;
    ready.code = 0x90C8;
    EXPECT_EQ(camera.handleOperation(drive).code, 0x2001);
    EXPECT_EQ(camera.handleOperation(ready).code, 0xA00C);  // 50 - 80 stops at 0
    EXPECT_EQ(camera.focusPosition(), 0);
    drive.params = {2, 30};
    EXPECT_EQ(camera.handleOperation(drive).code, 0x2001);
    EXPECT_EQ(camera.handleOperation(ready).code, 0x2001);
    EXPECT_EQ(camera.focusPosition(), 30);
}

}  // namespace
}  // namespace devicesim
