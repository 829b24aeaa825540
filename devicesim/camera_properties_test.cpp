#include "devicesim/camera_properties.h"

#include <gtest/gtest.h>

namespace devicesim {
namespace {

PtpOperation op(uint16_t code, std::vector<uint32_t> params, std::optional<std::vector<uint8_t>> data = {}) {
    PtpOperation o;
    o.code = code;
    o.params = std::move(params);
    o.dataOut = std::move(data);
    return o;
}

class PropertyCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera.handleOperation(op(0x1002, {1}));
        camera.addProperty(SimProperty::range(0x500F, kSimUint16, 100, 1600, 100, 400));
        camera.addProperty(SimProperty::enumeration(0x5010, kSimInt16, {-3000, 0, 3000}, 0));
        camera.addProperty(SimProperty::textEnumeration(0xD203, {"Standard", "Fine"}, "Fine"));
    }
    PropertyCamera camera;
};

TEST_F(PropertyCameraTest, SetsOnlyWhatTheDescriptorAllows) {
    const struct {
        uint16_t code;
        std::vector<uint8_t> data;
        uint16_t answer;
    } cases[] = {
        {0x500F, {0x20, 0x03}, 0x2001},        // 800
        {0x500F, {0x5E, 0x01}, 0x201C},        // 350: off the step
        {0x500F, {0x40, 0x06}, 0x2001},        // 1600
        {0x500F, {0xA4, 0x06}, 0x201C},        // 1700: past the maximum
        {0x500F, {0x20}, 0x201C},              // too short for the type
        {0x5010, {0x48, 0xF4}, 0x2001},        // -3000, signed
        {0x5010, {0x01, 0x00}, 0x201C},
        {0xD203, {9, 'S', 0, 't', 0, 'a', 0, 'n', 0, 'd', 0, 'a', 0, 'r', 0, 'd', 0, 0, 0}, 0x2001},
        {0xD203, {3, 'X', 0, 'Y', 0, 0, 0}, 0x201C},
        {0x5011, {1, 0}, 0x200A},              // no such property
    };
    for (const auto& c : cases) EXPECT_EQ(camera.handleOperation(op(0x1016, {c.code}, c.data)).code, c.answer);
    EXPECT_EQ(camera.property(0x500F)->current, 1600);
    EXPECT_EQ(camera.property(0x5010)->current, -3000);
    EXPECT_EQ(camera.property(0xD203)->currentText, "Standard");
    EXPECT_EQ(camera.setRequests(), 10);
    // Each accepted set became one property-changed record.
    EXPECT_EQ(camera.pollEvents(0).size(), 4 * kEventRecordSize);
}

TEST_F(PropertyCameraTest, DescriptorAndValueBytes) {
    auto desc = camera.handleOperation(op(0x1014, {0x500F}));
    ASSERT_TRUE(desc.dataIn);
    // code, type, get/set, default 100, current 400, range form, 100, 1600, 100.
    EXPECT_EQ(*desc.dataIn, (std::vector<uint8_t>{0x0F, 0x50, 4, 0, 1, 100, 0, 0x90, 1, 1, 100, 0, 0x40, 6, 100, 0}));
    auto text = camera.handleOperation(op(0x1015, {0xD203}));
    EXPECT_EQ(*text.dataIn, (std::vector<uint8_t>{5, 'F', 0, 'i', 0, 'n', 0, 'e', 0, 0, 0}));
}

TEST_F(PropertyCameraTest, DelayedSetTakesEffectOnTheReadThatEndsItsWait) {
    camera.setApplyAfterReads(2);
    ASSERT_EQ(camera.handleOperation(op(0x1016, {0x500F}, std::vector<uint8_t>{0xC8, 0})).code, 0x2001);
    EXPECT_EQ(camera.handleOperation(op(0x1015, {0x500F})).dataIn->at(0), 0x90);  // still 400
    EXPECT_EQ(camera.handleOperation(op(0x1015, {0x500F})).dataIn->at(0), 0xC8);  // now 200
    auto records = camera.pollEvents(0);
    ASSERT_EQ(records.size(), kEventRecordSize);
    EXPECT_EQ(records, propertyChangedRecord(0x500F, 200, 1));
}

TEST(EventRecordsTest, Layout) {
    auto p = propertyChangedRecord(0xD20D, 0x0001000A, 1);
    EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 11),
              (std::vector<uint8_t>{0xF1, 0x4F, 0x0D, 0xD2, 0, 0, 0x0A, 0, 1, 0, 1}));
    auto o = objectAddedRecord(0x01020304, std::string(40, 'N'));
    EXPECT_EQ(o.size(), kEventRecordSize);
    EXPECT_EQ(o[0], 0xF0);
    EXPECT_EQ(o[2], 0x04);
    EXPECT_EQ(o[37], 'N');  // 32 characters, no room for a terminator
}

}  // namespace
}  // namespace devicesim
