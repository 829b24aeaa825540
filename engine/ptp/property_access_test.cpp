#include "engine/ptp/property_access.h"

#include <gtest/gtest.h>

#include <thread>

#include "devicesim/camera_properties.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

using devicesim::SimProperty;

constexpr uint32_t kIso = 0x500F;
constexpr uint32_t kWhiteBalance = 0x5005;
constexpr uint32_t kColourTemperature = 0xD10A;

// Property reads and sets against the stand-in device, driven by a Canon-style test module.
class PropertyAccessTest : public DevicesimLinkTest {
protected:
    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        devicesim::GenericCameraConfig config;
        config.manufacturer = "Canon Inc.";
        config.model = "Canon EOS R6";
        propertyCamera = std::make_shared<devicesim::PropertyCamera>(config);
        propertyCamera->addProperty(SimProperty::enumeration(kIso, devicesim::kSimUint16, {100, 200, 400, 800}, 100));
        propertyCamera->addProperty(SimProperty::enumeration(kWhiteBalance, devicesim::kSimUint16, {2, 4, 6}, 2));
        // A range too long to list: every whole kelvin from 2000 to 40000.
        propertyCamera->addProperty(SimProperty::range(kColourTemperature, devicesim::kSimUint32, 2000, 40000, 1, 5200));
        return propertyCamera;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        vendorRegisterCanon(&canon);
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, nullptr);
        ptpSetEventPollFunction(linkPollEvents);
        camSetVendor(VENDOR_CANON);
        openSession();
        ASSERT_EQ(test_vendor::describeAll({kIso, kWhiteBalance, kColourTemperature}), PTP_RC_OK);
        device.clearLog();
    }

    void TearDown() override {
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    uint32_t storedValue(uint32_t code) {
        PropertyStruct* r = propFind(code, true);
        uint32_t v = r ? r->value : 0xDEAD;
        propUnlock(r);
        return v;
    }

    test_vendor::FakeCanon canon;
    std::shared_ptr<devicesim::PropertyCamera> propertyCamera;
};

TEST_F(PropertyAccessTest, ValueOutsideTheDescriptionIsRefusedBeforeReachingTheCamera) {
    EXPECT_EQ(propSet(kIso, 300, false), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(propSet(kIso, 300, true), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(propSet(0x5011, 1, false), PTP_RC_PARAMETER_NOT_SUPPORTED);  // not in the store
    EXPECT_EQ(propSet(kColourTemperature, 41000, false), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(propertyCamera->setRequests(), 0);
    EXPECT_TRUE(ptpPackets(0x1016).empty());
    EXPECT_FALSE(camEventsPaused());

    // Allowed values, listed or inside the long range, go through.
    EXPECT_EQ(propSet(kIso, 800, false), PTP_RC_OK);
    EXPECT_EQ(propSet(kColourTemperature, 33333, false), PTP_RC_OK);
    EXPECT_EQ(propertyCamera->property(kColourTemperature)->current, 33333);
    EXPECT_EQ(propertyCamera->setRequests(), 2);
}

TEST_F(PropertyAccessTest, SetWithConfirmationWaitsUntilTheCameraReportsTheValue) {
    propertyCamera->setApplyAfterReads(3);  // the camera takes a while to report the new value
    propertyCamera->setReportSetsAsEvents(false);
    camStartEventThread(nullptr);
    ASSERT_TRUE([&] {
        for (int i = 0; i < 5000 && commandPackets(0x82).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !commandPackets(0x82).empty();
    }());

    EXPECT_EQ(propSet(kIso, 400, true), PTP_RC_OK);
    EXPECT_EQ(storedValue(kIso), 400u);
    EXPECT_EQ(propertyCamera->property(kIso)->current, 400);
    EXPECT_GE(propertyCamera->valueReads(), 3);
    EXPECT_FALSE(camEventsPaused());
    camStopEventThread(true);

    // The event thread did not poll between the set and the read that confirmed it.
    auto log = device.log();
    size_t set = 0, lastRead = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].ptpOperation == 0x1016) set = i;
        if (log[i].ptpOperation == 0x1015) lastRead = i;
    }
    ASSERT_GT(lastRead, set);
    for (size_t i = set; i <= lastRead; ++i) EXPECT_NE(log[i].command, std::optional<uint8_t>(0x82)) << i;
}

TEST_F(PropertyAccessTest, UnconfirmedSetReportsItAndReleasesThePause) {
    propertyCamera->setApplyAfterReads(50);
    canon.confirmRounds = 3;
    EXPECT_EQ(propSet(kWhiteBalance, 6, true), PTP_ERROR_PROP_NOT_CONFIRMED);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(storedValue(kWhiteBalance), 2u);  // what the camera reports stays in the record
}

TEST_F(PropertyAccessTest, FailedSetWithoutConfirmationLeavesThePauseAsItWas) {
    camPauseEvents();  // a vendor routine holds the thread paused
    propertyCamera->answerBusy(2, 0x2002);
    EXPECT_EQ(propSet(kWhiteBalance, 4, false), 0x2002);
    EXPECT_TRUE(camEventsPaused());
    EXPECT_TRUE(camResumeEvents());
}

TEST_F(PropertyAccessTest, WithoutAVendorModuleTheSetAnswersNoVendor) {
    vendorRegisterCanon(nullptr);
    EXPECT_EQ(propSet(kIso, 200, true), ERROR_NO_VENDOR);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(propertyCamera->setRequests(), 0);
}

TEST_F(PropertyAccessTest, ReadingValuesNowStoresThem) {
    HeapBlock data;
    EXPECT_EQ(ptpGetPropertyValue(kIso, nullptr), ERROR_BAD_PACKET);
    EXPECT_EQ(ptpGetPropertyValue(0x5011, &data), PTP_ERROR_UNSUPPORTED_COMMAND);
    propertyCamera->changeOnCamera(kWhiteBalance, 6);
    EXPECT_EQ(camGetPropertyNow(kWhiteBalance), PTP_RC_OK);
    EXPECT_EQ(storedValue(kWhiteBalance), 6u);
    PropertyStruct* r = propFind(kWhiteBalance);
    propertyCamera->addProperty(SimProperty::enumeration(kWhiteBalance, devicesim::kSimUint16, {2, 4}, 4));
    EXPECT_TRUE(propRefreshDesc(r));
    EXPECT_EQ(r->valueCount, 2);
    EXPECT_EQ(camRefreshProperty(kWhiteBalance), ERROR_CAMERA_NOT_SUPPORTED);  // the test module has no event list
    EXPECT_EQ(camStepProperty(kWhiteBalance, 1), ERROR_CAMERA_NOT_SUPPORTED);  // only Sony steps
}

// The Sony rules of the set, with a module that answers as told.
class SonySetTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        vendorRegisterSony(&sony);
        camSetVendor(VENDOR_SONY);
        PropertyStruct* r = propCreate(0x500E);
        r->kind = PTP_DTC_UINT32;
        PropertyStruct* d = propCreate(0xD20D);
        d->kind = PTP_DTC_UINT32;
    }
    void TearDown() override { test_vendor::resetCoreState(); }
    test_vendor::FakeSony sony;
};

TEST_F(SonySetTest, BusyAnswerIsNotTurnedIntoSuccess) {
    sony.setAnswer = PTP_RC_DEVICE_BUSY;
    EXPECT_EQ(propSet(0xD20D, 0x10000A, true), PTP_RC_DEVICE_BUSY);   // no confirmation possible: the setter's code
    EXPECT_EQ(propSet(0xD20D, 0x10000A, false), PTP_RC_DEVICE_BUSY);  // without confirmation: the setter's code
    sony.extended = true;
    EXPECT_EQ(propSet(0xD20D, 0x10000A, true), PTP_RC_OK);  // confirmed by the camera after all
    EXPECT_FALSE(camEventsPaused());
    auto calls = sony.log.all();
    EXPECT_EQ(calls.front(), "waitForStepping");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "confirm"), 1);
}

TEST_F(SonySetTest, ExposureModesFromTheMovieRangeAreNotConfirmed) {
    sony.extended = true;
    EXPECT_EQ(propSet(0x500E, 0x78050, true), PTP_RC_OK);
    EXPECT_EQ(std::count(sony.log.calls.begin(), sony.log.calls.end(), "confirm"), 0);
    sony.confirmAnswer = false;
    EXPECT_EQ(propSet(0x500E, 0x8050, true), PTP_ERROR_PROP_NOT_CONFIRMED);
}

TEST(FujiSetTest, SkipsValidationQueuesTheChangeAndRestartsLiveView) {
    test_vendor::resetCoreState();
    struct AcceptingFuji : test_vendor::FakeFuji {
        ResponseCode setProperty(uint32_t code, uint32_t) override {
            log.add("set " + std::to_string(code));
            return PTP_RC_OK;
        }
    } fuji;
    vendorRegisterFuji(&fuji);
    camSetVendor(VENDOR_FUJI);
    PropertyStruct* r = propCreate(0x5010);
    r->kind = PTP_DTC_INT16;
    const PropertyValueNamesStruct only[] = {{"0", 0}};
    propSetValueList(r, only, 1);
    int pumps = 0;
    camSetEventsDoneCallback([&] { ++pumps; });
    fuji.restartPending = true;

    // Not in the list, but Fujifilm sets go through.
    EXPECT_EQ(propSet(0x5010, 9, false), PTP_RC_OK);
    CameraEvent e;
    EXPECT_EQ(camPopEvent(&e)->code, PTP_EC_DevicePropChanged);
    EXPECT_EQ(e.property.record, r);
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(fuji.log.all(), (std::vector<std::string>{"set " + std::to_string(0x5010), "liveView on"}));
    EXPECT_FALSE(fuji.restartPending.load());
    test_vendor::resetCoreState();
}

}  // namespace
