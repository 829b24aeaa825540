// The simulated Sony camera on its own: its all-properties reply laid out byte by byte as the cameras send it, the
// notch stepping of the older bodies, the buttons, and the pictures it announces.
#include "devicesim/sony_camera.h"

#include <gtest/gtest.h>

#include "devicesim/wire.h"

namespace devicesim {
namespace {

PtpResult run(SonyCamera& c, uint16_t code, std::vector<uint32_t> params, std::optional<std::vector<uint8_t>> data = {}) {
    PtpOperation op;
    op.code = code;
    op.params = std::move(params);
    op.dataOut = std::move(data);
    return c.handleOperation(op);
}

std::vector<uint8_t> le(uint32_t v, size_t n) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < n; ++i) out.push_back(uint8_t(v >> (8 * i)));
    return out;
}

// The bytes from a property's descriptor on, found by its code followed by its type.
std::vector<uint8_t> descriptorAt(const std::vector<uint8_t>& reply, uint16_t code, uint16_t type, size_t n) {
    for (size_t i = 8; i + 4 <= reply.size(); ++i)
        if (wire::get16(&reply[i]) == code && wire::get16(&reply[i + 2]) == type)
            return std::vector<uint8_t>(reply.begin() + long(i), reply.begin() + long(std::min(reply.size(), i + n)));
    return {};
}

TEST(SonyCamera, TheAllPropertiesReplyIsLaidOutAsTheCamerasSendIt) {
    SonyCamera older;
    std::vector<uint8_t> reply = run(older, 0x9209, {}).dataIn.value();
    EXPECT_EQ(wire::get32(reply.data() + 4), 0u);
    // White balance: code, type 4, a byte, state 1, default 2, current 2, enumeration of 6.
    std::vector<uint8_t> wb = descriptorAt(reply, 0x5005, 4, 13);
    EXPECT_EQ(wb, (std::vector<uint8_t>{0x05, 0x50, 0x04, 0x00, 0x01, 0x01, 0x02, 0x00, 0x02, 0x00, 0x02, 0x06, 0x00}));
    // Colour temperature as a range: minimum, maximum, step.
    std::vector<uint8_t> t = descriptorAt(reply, 0xD20F, 4, 17);
    EXPECT_EQ(t, (std::vector<uint8_t>{0x0F, 0xD2, 0x04, 0x00, 0x01, 0x01, 0x7C, 0x15, 0x7C, 0x15, 0x01, 0xC4, 0x09,
                                       0xAC, 0x26, 0x64, 0x00}));

    SonyCameraOptions o;
    o.body = SonyBody::A6300;
    SonyCamera a6300(o);
    reply = run(a6300, 0x9209, {}).dataIn.value();
    // The display-only program: state 2, and two words before its count of 12.
    std::vector<uint8_t> program = descriptorAt(reply, 0x500E, 4, 17);
    EXPECT_EQ(program, (std::vector<uint8_t>{0x0E, 0x50, 0x04, 0x00, 0x01, 0x02, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00,
                                             0x00, 0x03, 0x00, 0x0C, 0x00}));

    o.body = SonyBody::A7RM4;
    SonyCamera a7rm4(o);
    reply = run(a7rm4, 0x9209, {}).dataIn.value();
    // The extended body follows each enumeration with a second count and list.
    std::vector<uint8_t> size = descriptorAt(reply, 0xD203, 2, 17);
    EXPECT_EQ(size, (std::vector<uint8_t>{0x03, 0xD2, 0x02, 0x00, 0x01, 0x01, 0x01, 0x01, 0x02, 0x03, 0x00, 0x01, 0x02,
                                          0x03, 0x03, 0x00, 0x01}));
    // A text: count byte (characters and terminator), then 16-bit characters.
    std::vector<uint8_t> bar = descriptorAt(reply, 0xD25D, 0xFFFF, 7);
    ASSERT_EQ(bar.size(), 7u);
    EXPECT_EQ(bar[6], 5);
}

TEST(SonyCamera, OlderBodiesStepByNotchesAndRefuseDirectSets) {
    SonyCamera camera;
    EXPECT_EQ(run(camera, 0x9205, {0xD20D}, le(1u << 16 | 250, 4)).code, 0x2006);
    EXPECT_EQ(run(camera, 0x9207, {0xD20D}, le(2, 4)).code, 0x2001);
    EXPECT_EQ(camera.propertyValue(0xD20D), 1u << 16 | 200);
    EXPECT_EQ(run(camera, 0x9207, {0xD20D}, le(uint32_t(-100), 4)).code, 0x2001);
    EXPECT_EQ(camera.propertyValue(0xD20D), 0u);  // stops at Bulb, the list's first entry
    std::vector<uint8_t> records = camera.pollEvents(0);
    ASSERT_EQ(records.size(), 2 * kEventRecordSize);
    EXPECT_EQ(wire::get16(records.data()), kRecordPropertyChanged);
    EXPECT_EQ(wire::get32(records.data() + 2), 0xD20Du);
    EXPECT_EQ(wire::get32(records.data() + 6), 1u << 16 | 200);
    EXPECT_EQ(records[10], 1);
    // Direct sets of other properties must name a listed value.
    EXPECT_EQ(run(camera, 0x9205, {0x5005}, le(5, 4)).code, 0x2006);
    EXPECT_EQ(run(camera, 0x9205, {0x5005}, le(4, 4)).code, 0x2001);
}

TEST(SonyCamera, AFullPressWithTheHalfPressTakesAPicture) {
    SonyCamera camera;
    EXPECT_EQ(run(camera, 0x9207, {0xD2C2}, le(2, 2)).code, 0x2001);  // alone: no picture
    EXPECT_EQ(run(camera, 0x9207, {0xD2C2}, le(1, 2)).code, 0x2001);
    EXPECT_EQ(camera.shots(), 0);
    EXPECT_EQ(run(camera, 0x9207, {0xD2C1}, le(2, 2)).code, 0x2001);
    EXPECT_EQ(run(camera, 0x9207, {0xD2C2}, le(2, 2)).code, 0x2001);
    EXPECT_EQ(run(camera, 0x9207, {0xD2C1}, le(3, 2)).code, 0x2006);  // neither down nor up
    camera.waitForPictures();
    ASSERT_EQ(camera.pictures(), std::vector<std::string>{"DSC00001.JPG"});
    auto file = camera.card()->file("DSC00001.JPG");
    ASSERT_TRUE(file);
    std::vector<uint8_t> records = camera.pollEvents(0);
    bool announced = false;
    for (size_t at = 0; at + kEventRecordSize <= records.size(); at += kEventRecordSize)
        if (wire::get16(&records[at]) == kRecordObjectAdded) {
            announced = true;
            EXPECT_EQ(wire::get32(&records[at + 2]), file->bytes->size());
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&records[at + 6]), 12), "DSC00001.JPG");
        }
    EXPECT_TRUE(announced);
    EXPECT_EQ(camera.propertyValue(0xD215), 0u);
}

}  // namespace
}  // namespace devicesim
