#include "engine/ptp/camera_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "devicesim/event_records.h"
#include "engine/ptp/event_records.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

class CameraEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        camSetEventsDoneCallback([this] { pumps.fetch_add(1); });
    }
    void TearDown() override { test_vendor::resetCoreState(); }

    std::vector<CameraEvent> drain() {
        std::vector<CameraEvent> out;
        for (CameraEvent e; camPopEvent(&e)->code != 0;) out.push_back(e);
        return out;
    }
    static std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> out;
        for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }

    std::atomic<int> pumps{0};
};

TEST_F(CameraEventsTest, QueueIsFifoAndCopiesWholeEvents) {
    CameraEvent empty;
    std::memset(&empty, 0xAB, sizeof empty);
    EXPECT_EQ(camPopEvent(&empty)->code, 0u);
    EXPECT_EQ(camEventCount(), 0u);

    CameraEvent added = camMakeEvent(PTP_EC_ObjectAdded);
    for (size_t i = 0; i < sizeof added.objectInfo; ++i) reinterpret_cast<uint8_t*>(&added.objectInfo)[i] = uint8_t(i);
    CameraEvent removed = camMakeEvent(PTP_EC_ObjectRemovedEvent);
    removed.objectHandle = 0x1234;
    EXPECT_TRUE(camPushEvent(added, false));
    EXPECT_TRUE(camPushEvent(removed, true));
    EXPECT_EQ(pumps.load(), 1);  // notify tells the pump, outside the queue's lock

    CameraEvent out;
    camPopEvent(&out);
    EXPECT_EQ(std::memcmp(&out, &added, sizeof out), 0);  // the same 616 bytes
    camPopEvent(&out);
    EXPECT_EQ(out.objectHandle, 0x1234u);
    EXPECT_EQ(camPopEvent(&out)->code, 0u);
}

TEST_F(CameraEventsTest, PumpMayPopFromInsideTheCallback) {
    std::vector<uint32_t> seen;
    camSetEventsDoneCallback([&] {
        for (CameraEvent e; camPopEvent(&e)->code != 0;) seen.push_back(e.code);
    });
    camPushEvent(camMakeEvent(PTP_EC_ObjectAdded), true);
    EXPECT_EQ(seen, std::vector<uint32_t>{PTP_EC_ObjectAdded});
}

TEST_F(CameraEventsTest, ObjectAddedRecordAndSkippedKindMakeOneEventAndOnePump) {
    camSetVendor(VENDOR_SONY);
    auto block = join({devicesim::objectAddedRecord(2345678, "DSC01234.ARW"), devicesim::otherRecord(0)});
    ASSERT_EQ(block.size(), 76u);
    EXPECT_EQ(camProcessEvents(block.data(), block.size()), PTP_RC_OK);
    EXPECT_EQ(pumps.load(), 1);
    auto events = drain();
    ASSERT_EQ(events.size(), 1u);
    const PtpObjectInfoStruct& info = events[0].objectInfo;
    EXPECT_EQ(events[0].code, PTP_EC_ObjectAdded);
    EXPECT_EQ(info.objectId, kObjectIdByName);
    EXPECT_STREQ(info.fileName, "DSC01234.ARW");
    EXPECT_EQ(info.fileNameLength, 13);
    EXPECT_EQ(info.objectFormat, 0xB101);
    EXPECT_EQ(info.objectCompressedSize, 2345678u);
    EXPECT_EQ(info.thumbFormat, 1);
    EXPECT_EQ(info.captureDate, 0u);
}

TEST_F(CameraEventsTest, NamesFillingAllThirtyTwoBytesAndPartialRecords) {
    camSetVendor(VENDOR_FUJI);
    std::string longName(40, 'A');
    longName.replace(28, 4, ".JPG");
    auto block = devicesim::objectAddedRecord(10, longName);
    block.resize(block.size() + 37, 0xFF);  // a partial record after a whole one is not read
    EXPECT_EQ(camProcessEvents(block.data(), block.size()), PTP_RC_OK);
    auto events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::strlen(events[0].objectInfo.fileName), 32u);
    EXPECT_EQ(events[0].objectInfo.objectFormat, 0x3801);

    // A block of 37 bytes queues nothing and still tells the pump once.
    pumps = 0;
    std::vector<uint8_t> short37(37, 0);
    EXPECT_EQ(camProcessEvents(short37.data(), short37.size()), PTP_RC_OK);
    EXPECT_EQ(camEventCount(), 0u);
    EXPECT_EQ(pumps.load(), 1);
}

TEST_F(CameraEventsTest, FujiPropertyChangeTakesItsEnabledFlagFromTheExposureProgram) {
    test_vendor::FakeFuji fuji;
    fuji.clientModeOn = true;
    vendorRegisterFuji(&fuji);
    camSetVendor(VENDOR_FUJI);
    PropertyStruct* program = propCreate(0x500E);
    program->kind = PTP_DTC_UINT16;
    program->value = 2;  // program: neither aperture nor shutter settable
    PropertyStruct* aperture = propCreate(0x5007);
    aperture->kind = PTP_DTC_UINT16;

    auto block = join({devicesim::propertyChangedRecord(0x5007, 560, 1)});
    camProcessEvents(block.data(), block.size());
    EXPECT_EQ(aperture->value, 560u);
    EXPECT_EQ(aperture->enabled, 0);
    auto events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, PTP_EC_DevicePropChanged);
    EXPECT_EQ(events[0].property.record, aperture);
    EXPECT_EQ(events[0].property.propertyCode, 0x5007u);

    // A change of the program itself makes the three dependants be read again.
    block = devicesim::propertyChangedRecord(0x500E, 1, 1);
    camProcessEvents(block.data(), block.size());
    auto calls = fuji.log.all();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "refresh " + std::to_string(0x5007)), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "refresh " + std::to_string(0x5010)), 1);
}

TEST_F(CameraEventsTest, SonyReloadRecordRunsTheFullRefreshAndQueuesNothing) {
    test_vendor::FakeSony sony;
    vendorRegisterSony(&sony);
    camSetVendor(VENDOR_SONY);
    auto block = devicesim::propertyChangedRecord(kSonyReloadAllCode, 0, 0);
    camProcessEvents(block.data(), block.size());
    EXPECT_EQ(camEventCount(), 0u);
    EXPECT_EQ(sony.log.all(), std::vector<std::string>{"loadProperties"});
    // An unknown property still gives an event, without a record.
    block = devicesim::propertyChangedRecord(0xD2FF, 3, 1);
    camProcessEvents(block.data(), block.size());
    auto events = drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].property.record, nullptr);
}

TEST_F(CameraEventsTest, VendorsWithoutEventProcessingAnswerNotSupported) {
    uint8_t block[38] = {};
    camSetVendor(VENDOR_NONE);
    EXPECT_EQ(camProcessEvents(block, sizeof block), ERROR_CAMERA_NOT_SUPPORTED);
    camSetVendor(VENDOR_CANON);  // no Canon module registered
    EXPECT_EQ(camProcessEvents(block, sizeof block), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(pumps.load(), 0);
}

TEST_F(CameraEventsTest, NewSessionStartsWithAnEmptyQueue) {
    camPushEvent(camMakePropertyEvent(propCreate(0x5001), 0x5001), false);
    ptpInstallTransport(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(camEventCount(), 0u);
    EXPECT_EQ(propCount(), 0u);
}

}  // namespace
