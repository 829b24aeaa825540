// The Nikon event list: its bounds, and what each event does against the stand-in device.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/automation/automation_checks.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_events.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

std::vector<uint8_t> eventList(uint16_t count, std::vector<std::pair<uint16_t, uint32_t>> entries) {
    std::vector<uint8_t> out = {uint8_t(count), uint8_t(count >> 8)};
    for (auto [code, p] : entries) {
        out.push_back(uint8_t(code));
        out.push_back(uint8_t(code >> 8));
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(p >> (8 * i)));
    }
    return out;
}

TEST(NikonEventList, EntriesAreReadInsideTheDataAndUpToTheCount) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t entries;
    };
    std::vector<uint8_t> cut = eventList(2, {{0x4002, 1}, {0x4003, 2}});
    cut.pop_back();
    const Case cases[] = {
        {"empty", {}, 0},
        {"count only", {5, 0}, 0},
        {"count zero", eventList(0, {{0x4002, 1}}), 0},
        {"two", eventList(2, {{0x4002, 1}, {0x4006, 0x5007}}), 2},
        {"count below entries", eventList(1, {{0x4002, 1}, {0x4003, 2}}), 1},
        {"count above entries", eventList(9, {{0x4002, 1}}), 1},
        {"last entry cut", cut, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(nikonSplitEvents(c.bytes.data(), c.bytes.size()).size(), c.entries) << c.name;
    std::vector<NikonEventEntry> e = nikonSplitEvents(cases[3].bytes.data(), cases[3].bytes.size());
    EXPECT_EQ(e[1].code, 0x4006);
    EXPECT_EQ(e[1].parameter, 0x5007u);
}

class NikonEvents : public NikonDeviceTest {
protected:
    std::vector<uint32_t> propertyCodes(const std::vector<CameraEvent>& seen) {
        std::vector<uint32_t> out;
        for (const CameraEvent& e : seen)
            if (e.code == PTP_EC_DevicePropChanged) out.push_back(e.property.propertyCode);
        return out;
    }
};

TEST_F(NikonEvents, EachEventQueuesWhatItMeans) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    std::vector<uint8_t> none = eventList(0, {});
    EXPECT_EQ(nikonParseEvents(none.data(), none.size()), PTP_RC_OK);
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_EQ(nikonParseEvents(nullptr, 0), ERROR_INVALID_INPUT);

    std::vector<uint8_t> list = eventList(4, {{0x4003, 0x1234}, {0x4007, 0x99}, {0xC101, 1}, {0x4006, 0xD407}});
    ASSERT_EQ(nikonParseEvents(list.data(), list.size()), PTP_RC_OK);
    std::vector<CameraEvent> seen = takeEvents();
    ASSERT_EQ(seen.size(), 2u);  // the vendor event and the property the store lacks are ignored
    EXPECT_EQ(seen[0].code, PTP_EC_ObjectRemovedEvent);
    EXPECT_EQ(seen[0].objectHandle, 0x1234u);
    EXPECT_EQ(seen[1].code, PTP_EC_ObjectInfoChanged);
    EXPECT_EQ(seen[1].objectHandle, 0x99u);
}

TEST_F(NikonEvents, AnExposureModeChangeRefreshesItsDependents) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    size_t apertureReads = 0, shutterReads = 0;
    for (const auto& p : sent(0x1014)) {
        apertureReads += p == std::vector<uint32_t>{0x5007};
        shutterReads += p == std::vector<uint32_t>{0xD100};
    }
    nikon->turnDial(0x500E, 1);
    std::vector<uint32_t> codes = propertyCodes(pollUntil(PTP_EC_DevicePropChanged));
    EXPECT_EQ(nikonStoreValue(0x500E), 1u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x500Eu), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x5010u), 1);
    size_t apertureAfter = 0, shutterAfter = 0;
    for (const auto& p : sent(0x1014)) {
        apertureAfter += p == std::vector<uint32_t>{0x5007};
        shutterAfter += p == std::vector<uint32_t>{0xD100};
    }
    EXPECT_EQ(apertureAfter, apertureReads + 1);
    EXPECT_EQ(shutterAfter, shutterReads + 1);
}

TEST_F(NikonEvents, ImageSizeChangesReachTheCombinedFormat) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    nikon->turnDial(0x5004, 8);
    std::vector<uint32_t> codes = propertyCodes(pollUntil(PTP_EC_DevicePropChanged));
    EXPECT_EQ(codes, std::vector<uint32_t>{0x5004});
    EXPECT_EQ(nikonStoreValue(0x5004) & 0xFFFF, 8u);
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
}

// A size is a record of its own and a part of the combined image format: observers of both hear of it.
TEST_F(NikonEvents, ASizeChangeIsHeardOnItsOwnRecordAndOnTheCombinedFormat) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    nikon->turnTextDial(0x5003, "4528x3016");
    EXPECT_EQ(propertyCodes(pollUntil(PTP_EC_DevicePropChanged)), (std::vector<uint32_t>{0x5003, 0x5004}));
    EXPECT_EQ((nikonStoreValue(0x5004) >> 16) & 0xFF, 1u);
    nikon->turnTextDial(0xD0B6, "S");
    EXPECT_EQ(propertyCodes(pollUntil(PTP_EC_DevicePropChanged)), (std::vector<uint32_t>{0xD0B6, 0x5004}));
    EXPECT_EQ(nikonStoreValue(0x5004) >> 24, 2u);
}

// The mirror-up state is known from the session's start, and follows the camera's reports.
TEST_F(NikonEvents, TheMirrorUpStateComesFromTheSnapshotAndFromItsEvents) {
    nikon->turnDial(0xD1F7, 1);
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_TRUE(camMirrorUp());
    nikon->turnDial(0xD1F7, 0);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_FALSE(camMirrorUp());
}

// With RAW + JPEG, a body that lists 0x941C announces each picture twice: its copy in memory below the mark
// 0x09999999 and its copy on the card from the mark up. Only the card copies are taken.
class NikonEventsInMemory : public NikonEvents {
protected:
    devicesim::NikonCameraOptions cameraOptions() override {
        devicesim::NikonCameraOptions o;
        o.extraOperations = {0x941C};
        return o;
    }
    std::vector<uint32_t> announced(std::initializer_list<uint32_t> handles) {
        for (uint32_t h : handles) nikon->announcePicture(h);
        std::vector<uint32_t> out;
        for (const CameraEvent& e : pollUntil(PTP_EC_ObjectAdded))
            if (e.code == PTP_EC_ObjectAdded) out.push_back(e.objectInfo.objectId);
        return out;
    }
};

TEST_F(NikonEventsInMemory, WithRawPlusJpegOnlyHandlesFromTheMarkUpAreAnnounced) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camSetImageFormat(7, 0), PTP_RC_OK);  // RAW + JPEG (BASIC)
    ASSERT_TRUE(camFormatIsRawPlusJpeg());
    takeEvents();
    EXPECT_EQ(announced({0x09999998, 0x09999999, 0x0999999A}), (std::vector<uint32_t>{0x09999999, 0x0999999A}));
    ASSERT_EQ(camSetImageFormat(-1, 0), PTP_RC_OK);  // JPEG alone: every picture counts
    takeEvents();
    EXPECT_EQ(announced({0x1001F, 0x0999999B}), (std::vector<uint32_t>{0x1001F, 0x0999999B}));
}

}  // namespace
