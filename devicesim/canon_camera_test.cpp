// The simulated Canon camera on its own: what it refuses, and that its event data and pictures hold what they say.
#include "devicesim/canon_camera.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "devicesim/wire.h"

namespace devicesim {
namespace {

PtpResult run(CanonCamera& c, uint16_t code, std::vector<uint32_t> params, std::optional<std::vector<uint8_t>> data = {}) {
    PtpOperation op;
    op.code = code;
    op.params = std::move(params);
    op.dataOut = std::move(data);
    return c.handleOperation(op);
}

std::vector<uint8_t> setData(uint32_t code, std::vector<uint8_t> value) {
    std::vector<uint8_t> d;
    wire::put32(d, uint32_t(8 + value.size()));
    wire::put32(d, code);
    wire::putBytes(d, value);
    return d;
}

TEST(CanonCamera, SetsAreCheckedAndEchoed) {
    CanonCamera camera;
    EXPECT_TRUE(camera.pollEvents(0).empty());
    std::vector<uint8_t> bad = setData(0xD101, {0x38, 0, 0, 0});
    bad[0] = 99;  // a length that is not the data's
    EXPECT_EQ(run(camera, 0x9110, {}, bad).code, 0x201D);
    EXPECT_EQ(run(camera, 0x9110, {}, setData(0xD101, {0x31, 0, 0, 0})).code, 0xA005);  // not an allowed value
    EXPECT_EQ(run(camera, 0x9110, {}, setData(0xD101, {0x38, 0, 0, 0})).code, 0x2001);
    EXPECT_EQ(camera.propertyValue(0xD101), 0x38u);
    std::vector<uint8_t> events = camera.pollEvents(0);
    ASSERT_GE(events.size(), 14u);
    EXPECT_EQ(wire::get32(events.data() + 4), 0xC189u);
    EXPECT_EQ(wire::get32(events.data() + 8), 0xD101u);
    EXPECT_EQ(wire::get16(events.data() + 12), 0x38);
    // A format the camera does not offer.
    EXPECT_EQ(run(camera, 0x9110, {}, setData(0xD120, canonFormatRecord({{1, 0x10, 2}}))).code, 0xA005);
    EXPECT_EQ(run(camera, 0x9110, {}, setData(0xD120, canonFormatRecord({{6, 0, 4}, {1, 0, 3}}))).code, 0x2001);
    EXPECT_EQ(camera.property(0xD120)->format.size(), 2u);
}

TEST(CanonCamera, EventModeSendsEverythingOnce) {
    CanonCamera camera;
    EXPECT_EQ(run(camera, 0x9115, {1}).code, 0x2001);
    std::vector<uint8_t> events = camera.pollEvents(0);
    // Records one after another, each length covering its header, ending with the end record.
    size_t at = 0, records = 0;
    while (at + 8 <= events.size()) {
        uint32_t length = wire::get32(events.data() + at);
        ASSERT_GE(length, 8u);
        ASSERT_LE(at + length, events.size());
        at += length;
        ++records;
    }
    EXPECT_EQ(at, events.size());
    EXPECT_GT(records, 30u);
    EXPECT_TRUE(camera.pollEvents(0).empty());
}

TEST(CanonCamera, RepeatPacketsDriveTheLensOrAreRefused) {
    CanonCamera camera;
    auto body = [](uint16_t repetitions, uint16_t operation, uint32_t step) {
        std::vector<uint8_t> b;
        wire::put32(b, 26);
        wire::put16(b, repetitions);
        wire::putBytes(b, {0, 0, 0x4B, 0});
        wire::putBytes(b, Device::ptpContainer(1, operation, 5, {step}));
        return b;
    };
    auto code = [](const std::vector<uint8_t>& answer) { return wire::get16(answer.data() + 10); };
    EXPECT_EQ(code(camera.repeatPacket(body(3, 0x9155, 0x8002))), 0x2001);
    EXPECT_EQ(camera.lensPosition(), -6);
    EXPECT_EQ(code(camera.repeatPacket(body(3, 0x9156, 1))), 0x2002);   // not the lens drive
    EXPECT_EQ(code(camera.repeatPacket(body(301, 0x9155, 1))), 0x2002);  // more than 300 repetitions
    std::vector<uint8_t> cut = body(1, 0x9155, 1);
    cut.pop_back();
    EXPECT_EQ(code(camera.repeatPacket(cut)), 0x2002);
    EXPECT_EQ(camera.lensDrives().size(), 1u);
}

TEST(CanonCamera, ListingOfAFolderItDoesNotHaveIsEmpty) {
    CanonCamera camera;
    PtpResult r = run(camera, 0x9109, {CanonCamera::kStorage, 0x12345, 0x200000});
    ASSERT_TRUE(r.dataIn);
    ASSERT_EQ(r.dataIn->size(), 4u);
    EXPECT_EQ(wire::get32(r.dataIn->data()), 0u);
    EXPECT_EQ(run(camera, 0x9135, {0, 0x12345, 3, 0x200000}).code, 0x201D);
    EXPECT_EQ(run(camera, 0x9153, {0x100000}).code, 0xA102);  // live view off
}

// The event records of one poll, as (type, first u32 of the data) pairs.
std::vector<std::pair<uint32_t, uint32_t>> records(const std::vector<uint8_t>& events) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (size_t at = 0; at + 8 <= events.size();) {
        const uint32_t length = wire::get32(events.data() + at);
        if (length < 8 || at + length > events.size()) break;
        out.emplace_back(wire::get32(events.data() + at + 4), length >= 12 ? wire::get32(events.data() + at + 8) : 0);
        at += length;
    }
    return out;
}

// With mirror-up on, a full press locks the mirror up (0xD1BF 2, reported) and the next one takes the picture and
// lets it down; with mirror-up off every full press is a picture.
TEST(CanonCamera, MirrorUpTakesTwoPresses) {
    CanonCameraOptions options;
    options.body = CanonBody::DslrJpegLiveView;
    options.model = "Canon EOS 90D";
    CanonCamera camera(options);
    EXPECT_EQ(run(camera, 0x9128, {3, 0}).code, 0x2001);
    EXPECT_EQ(camera.shots(), 1);
    EXPECT_EQ(camera.propertyValue(0xD1BF), 0u);
    ASSERT_EQ(run(camera, 0x9110, {}, setData(0xD13A, {1, 0, 0, 0})).code, 0x2001);
    camera.pollEvents(0);

    const struct {
        uint32_t kind;
        int shots;
        uint32_t mirror;
    } presses[] = {{3, 1, 2}, {3, 2, 0}, {2, 2, 2}, {2, 3, 0}};
    for (const auto& p : presses) {
        EXPECT_EQ(run(camera, 0x9128, {p.kind, 0}).code, 0x2001);
        EXPECT_EQ(run(camera, 0x9129, {2}).code, 0x2001);
        EXPECT_EQ(camera.shots(), p.shots);
        EXPECT_EQ(camera.propertyValue(0xD1BF), p.mirror);
        bool reported = false;
        for (const auto& [type, code] : records(camera.pollEvents(0))) reported |= type == 0xC189 && code == 0xD1BF;
        EXPECT_TRUE(reported) << "shot " << p.shots;
    }
}

// DeleteObject removes the object and reports it removed; an unknown handle is refused. The mirrorless body lists
// the extended object-added event.
TEST(CanonCamera, DeletionIsReportedAndTheMirrorlessBodyListsItsEvents) {
    CanonCamera camera;
    EXPECT_EQ(run(camera, 0x9128, {2, 0}).code, 0x2001);
    ASSERT_EQ(camera.captured().size(), 1u);
    const uint32_t handle = camera.captured()[0];
    camera.pollEvents(0);
    EXPECT_EQ(run(camera, 0x100B, {handle, 0}).code, 0x2001);
    EXPECT_FALSE(camera.object(handle));
    const auto removed = records(camera.pollEvents(0));
    ASSERT_FALSE(removed.empty());
    EXPECT_EQ(removed.front(), (std::pair<uint32_t, uint32_t>{0xC182, handle}));
    EXPECT_EQ(run(camera, 0x100B, {handle, 0}).code, 0x2009);
    const auto events = camera.config().events;
    EXPECT_NE(std::find(events.begin(), events.end(), 0xC1B6), events.end());
}

}  // namespace
}  // namespace devicesim
