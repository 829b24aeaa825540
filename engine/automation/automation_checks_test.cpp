#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_module.h"

namespace {
class AutomationChecksTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        propStoreReset();
        camSessionReset();
        vendorStateReset();
    }
    // A record with a current value and, when given, an enumerated list named "v<value>".
    static void record(uint32_t code, uint32_t value, const std::vector<uint32_t>& list = {},
                       const char* text = nullptr, uint8_t enabled = 1) {
        PropertyStruct* r = propCreate(code, true);
        ASSERT_NE(r, nullptr);
        r->value = value;
        r->enabled = enabled;
        r->kind = PTP_DTC_UINT32;
        if (text) propCopyText(r->valueText, sizeof r->valueText, text);
        if (!list.empty()) {
            std::vector<PropertyValueNamesStruct> rows(list.size());
            for (size_t i = 0; i < list.size(); ++i) {
                std::snprintf(rows[i].name, sizeof rows[i].name, "v%u", list[i]);
                rows[i].value = list[i];
            }
            propSetValueList(r, rows.data(), static_cast<uint16_t>(rows.size()));
            r->form = kPropFormEnumeration;
        }
        propUnlock(r);
    }
    static std::vector<uint32_t> sequence(uint32_t count) {
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < count; ++i) v.push_back(100 + i);
        return v;
    }
};
}  // namespace

TEST_F(AutomationChecksTest, BatteryPercentPerVendor) {
    struct Case {
        VendorType vendor;
        uint32_t raw, percent;
    } cases[] = {
        {VENDOR_CANON, 4, 75}, {VENDOR_CANON, 1, 50}, {VENDOR_CANON, 6, 0},      {VENDOR_FUJI, 0xFF, 100},
        {VENDOR_FUJI, 3, 50},  {VENDOR_FUJI, 14, 0},  {VENDOR_FUJI, 0x0C000001, 100}, {VENDOR_SONY, 0x1234, 0x34},
        {VENDOR_NIKON, 80, 80}, {VENDOR_NONE, 80, 0},
    };
    for (const Case& c : cases) {
        camSetVendor(c.vendor);
        EXPECT_EQ(camBatteryLevel(c.raw), c.percent) << c.vendor << " " << c.raw;
    }
}

TEST_F(AutomationChecksTest, ExposureModeBulbAndAperture) {
    camSetVendor(VENDOR_NIKON);
    EXPECT_TRUE(camIsManualExposure(1));
    EXPECT_FALSE(camIsManualExposure(0x8051));  // user mode unknown
    record(0xD0FC, 22);
    EXPECT_TRUE(camIsManualExposure(0x8051));
    EXPECT_FALSE(camIsManualExposure(0x8053));
    record(0xD100, 0xFFFFFFFF);
    EXPECT_TRUE(camIsBulbMode());
    record(0x5007, 560);
    EXPECT_FLOAT_EQ(focusParseAperture(), 5.6f);

    reset();
    camSetVendor(VENDOR_CANON);
    EXPECT_TRUE(camIsManualExposure(3));
    EXPECT_FALSE(camIsManualExposure(1));
    EXPECT_FLOAT_EQ(focusParseAperture(), 0.0f);  // no aperture record
    record(0xD101, 0x30, {}, "f8.0");
    EXPECT_FLOAT_EQ(focusParseAperture(), 8.0f);
    record(0xD105, 3);
    record(0xD102, 12);
    EXPECT_TRUE(camIsBulbMode());
    record(0xD103, 0);
    EXPECT_TRUE(camIsAutoIso());

    reset();
    camSetVendor(VENDOR_SONY);
    record(0xD20D, 0, {}, nullptr, 0);
    EXPECT_FALSE(camIsBulbMode());  // bulb only while the shutter can be set
    record(0x5007, 0xFFFF);
    EXPECT_FLOAT_EQ(focusParseAperture(), 0.0f);
}

TEST_F(AutomationChecksTest, ModelIndexFeatures) {
    camSetVendor(VENDOR_FUJI);
    camSetModelIndex(16);
    EXPECT_FALSE(camBulbAvailable());
    EXPECT_FALSE(camHostModeAvailable());
    camSetModelIndex(35);
    EXPECT_TRUE(camBulbAvailable());
    EXPECT_TRUE(camStatusFeatureAvailable());
    camSetVendor(VENDOR_CANON);
    camSetModelIndex(232);
    EXPECT_FALSE(camHostModeAvailable());
    EXPECT_TRUE(camBulbAvailable());
    record(0xD1BF, 2);
    EXPECT_TRUE(camMirrorUp());
    record(0xD1B1, 2);
    EXPECT_TRUE(camLiveViewSelectorIsMovie());
    camSetVendor(VENDOR_FUJI);
    EXPECT_EQ(camDriveModeSingle(), ERROR_CAMERA_NOT_SUPPORTED);
    camSetVendor(VENDOR_NONE);
    EXPECT_EQ(camDriveModeSingle(), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(camToggleFlash(true), PTP_ERROR_UNSUPPORTED_COMMAND);
    EXPECT_FALSE(camBulbAvailable());
    EXPECT_FALSE(camMirrorUp());
}

TEST_F(AutomationChecksTest, ShutterTimesAndBulbBrackets) {
    camSetVendor(VENDOR_NIKON);
    EXPECT_EQ(camShutterTimeMs(0x00010004), 250u);
    EXPECT_EQ(camShutterTimeMs(0x001E0001), 30000u);
    EXPECT_EQ(camShutterTimeMs(0xFFFF0001), 0u);
    EXPECT_EQ(camShutterTimeMs(0x00000001), 0u);
    EXPECT_EQ(camShutterTimeMs(0x00050000), 0u);  // no denominator: no time, never a division by zero
    camSetVendor(VENDOR_FUJI);
    EXPECT_EQ(camShutterTimeMs(0x00010004), 0u);

    EXPECT_EQ(hdrEndPoints(1000, 3, 1), (std::vector<uint32_t>{500, 1000, 2000}));
    EXPECT_EQ(hdrEndPoints(1000, 2, 1.0 / 3), (std::vector<uint32_t>{891, 1122}));
    EXPECT_EQ(hdrEndPoints(4000000000u, 3, 8).back(), 0xFFFFFFFFu);  // saturates, never wraps

    EXPECT_EQ(hdrNumShots(30000, 2, 1), 100);
    EXPECT_EQ(hdrNumShots(50, 0, 1), 1);
    // 1000 halves to 500, 250, 125, 62: three passes stay at 100 or more.
    EXPECT_EQ(hdrNumShots(1000, 1, 1), 4);
    EXPECT_EQ(hdrNumShots(1000, 0, 1), 7);
    EXPECT_EQ(hdrNumShots(1000, 0, 0), 201);  // a step that never shrinks the range stops at 100 passes
}

TEST_F(AutomationChecksTest, BracketStepsAndEnds) {
    camSetVendor(VENDOR_NIKON);
    record(0x5007, 560, {400, 450, 500, 560, 630, 710, 800, 900});
    EXPECT_EQ(hdrStepSize(0x5007), 3);
    record(0x500F, 400, {100, 200, 400, 800});
    EXPECT_EQ(hdrStepSize(0x500F), 1);
    EXPECT_EQ(hdrStepSize(0xD100), 3);  // absent

    // 20 entries, value at index 10, step 3: 3 steps toward the start, 3 toward the end.
    record(0x5010, 110, sequence(20));
    EXPECT_EQ(hdrStepCount(0x5010, 110, 3, 0), 7);
    EXPECT_EQ(hdrStepCount(0x5010, 110, 4, 1), 3);  // toward the start: floor(10 / 4) = 2
    EXPECT_EQ(hdrStepCount(0x5010, 110, 4, 2), 3);  // toward the end: 14, 18
    EXPECT_EQ(hdrStepCount(0x5010, 110, 4, 3), 1);
    EXPECT_EQ(hdrStepCount(0x5010, 110, 0, 0), 0);
    EXPECT_EQ(hdrStepCount(0x5010, 999, 1, 0), 0);
    // Aperture: direction 1 runs toward the start, so mode 1 (direction 2) has the whole list ahead of the first entry.
    EXPECT_EQ(hdrStepCount(0x5007, 400, 1, 1), 8);
    EXPECT_EQ(hdrStepCount(0x5007, 400, 1, 2), 1);
    EXPECT_EQ(hdrStepCount(0x5007, 400, 1, 0), 1);

    // From the middle, 3 shots of step 3 at index 10: ends at indexes 13 and 7.
    EXPECT_EQ(hdrCalculateEndPoints(0x5010, 110, 3, 3, 0, 2), std::optional<std::string>("v113"));
    EXPECT_EQ(hdrCalculateEndPoints(0x5010, 110, 3, 3, 0, 1), std::optional<std::string>("v107"));
    // One-sided, 5 shots of step 3 from index 10 leaves the list.
    EXPECT_EQ(hdrCalculateEndPoints(0x5010, 110, 3, 5, 1, 2), std::nullopt);
    // Nikon ISO runs the other way.
    EXPECT_EQ(hdrCalculateEndPoints(0x500F, 400, 1, 3, 0, 2), std::optional<std::string>("v200"));
}

// A camera that describes a property as a range gets its values listed by the store; the bracket steps, counts and
// ends read that list as they read an enumeration.
TEST_F(AutomationChecksTest, BracketsReadARangeFormAsItsList) {
    camSetVendor(VENDOR_CANON);
    std::vector<uint32_t> shutter;  // 0x10 to 0xA0 step 1: 0x5D at index 0x4D, 0x65 one EV further at 0x55
    for (uint32_t v = 0x10; v <= 0xA0; ++v) shutter.push_back(v);
    record(0xD102, 0x5D, shutter);
    PropertyStruct* r = propFind(0xD102, true);
    r->form = kPropFormRange;
    r->rangeMin = 0x10;
    r->rangeMax = 0xA0;
    r->rangeStep = 1;
    propUnlock(r);

    EXPECT_EQ(hdrStepSize(0xD102), 8);
    // Index 0x4D of 0x91 entries, step 8: 9 whole steps toward the start, 8 toward the end (0x4D + 8k < 0x91).
    EXPECT_EQ(hdrStepCount(0xD102, 0x5D, 8, 1), 9);
    EXPECT_EQ(hdrStepCount(0xD102, 0x5D, 8, 2), 10);
    EXPECT_EQ(hdrStepCount(0xD102, 0x5D, 8, 0), 17);
    // 3 shots from the middle, one EV apart: the ends are the rows 8 entries either side.
    EXPECT_EQ(hdrCalculateEndPoints(0xD102, 0x5D, 8, 3, 0, 2), std::optional<std::string>("v101"));  // 0x65
    EXPECT_EQ(hdrCalculateEndPoints(0xD102, 0x5D, 8, 3, 0, 1), std::optional<std::string>("v85"));   // 0x55
    // Steps and counts far beyond the list leave it (their product would not fit 64 bits).
    EXPECT_EQ(hdrCalculateEndPoints(0xD102, 0x5D, 0xFFFFFFFF, 0xFFFFFFFF, 1, 2), std::nullopt);
    EXPECT_EQ(hdrCalculateEndPoints(0xD102, 0x5D, 0xFFFFFFFF, 2, 1, 1), std::nullopt);
    EXPECT_EQ(hdrCalculateEndPoints(0xD102, 0x5D, 1, 0xFFFFFFFF, 1, 2), std::nullopt);
}

// The Canon module answers the two drive checks: which drive values are bursts, and whether a sequence must set
// single drive first (a burst drive on a body with the stepped shutter press while focus is manual).
TEST_F(AutomationChecksTest, CanonDriveChecksForSequences) {
    canonRegisterModule();
    camSetVendor(VENDOR_CANON);
    // Continuous, high, low and the three silent bursts; not single, the timers, "S", "Custom", silent single or
    // high speed plus.
    const std::vector<uint32_t> bursts = {0x01, 0x04, 0x05, 0x14, 0x15, 0x16};
    for (uint32_t value = 0; value <= 0x20; ++value) {
        const bool burst = std::find(bursts.begin(), bursts.end(), value) != bursts.end();
        EXPECT_EQ(camStillCaptureMode(0xD106, value), burst) << std::hex << value;
    }

    const struct {
        uint32_t drive;
        bool listsPress;
        uint32_t manual;
        bool prepare;
    } cases[] = {
        {0x01, true, 1, true},   {0x15, true, 1, true},   {0x00, true, 1, false}, {0x10, true, 1, false},
        {0x01, false, 1, false}, {0x01, true, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "drive " << c.drive << " press " << c.listsPress << " manual " << c.manual);
        DeviceInfoRecord info;
        info.vendorExtensionId = 11;
        info.operationsSupported.codes[info.operationsSupported.count++] = 0x9101;
        if (c.listsPress) info.operationsSupported.codes[info.operationsSupported.count++] = 0x9128;
        ptpSetSessionDeviceInfo(info);
        propStoreReset();
        record(0xD106, c.drive);
        camSetManualFocusFlag(c.manual);
        EXPECT_EQ(hdrPrepareCapture(), c.prepare);
    }
    // Without a drive-mode record there is nothing to spoil the sequence.
    propStoreReset();
    EXPECT_FALSE(hdrPrepareCapture());
    canonUnregisterModule();
    ptpSetSessionDeviceInfo(DeviceInfoRecord{});
}

TEST_F(AutomationChecksTest, JpegEnd) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0xFF, 0xD9,  // APP0 hides an end marker
                                       0xFF, 0xDA, 0x00, 0x02, 0x11, 0xFF, 0xDA, 0x22, 0xFF, 0xD9, 0x33,
                                       0xFF, 0xD9, 0x00, 0x00};
    EXPECT_EQ(jpegEndOffset(jpeg.data(), jpeg.size()), 21u);
    const std::vector<uint8_t> plain = {0xFF, 0xD8, 0xFF, 0xD9, 1, 2};
    EXPECT_EQ(jpegEndOffset(plain.data(), plain.size()), 4u);
    const std::vector<uint8_t> notJpeg = {0x89, 0x50, 0xFF, 0xD9};
    EXPECT_EQ(jpegEndOffset(notJpeg.data(), notJpeg.size()), 0u);
    const std::vector<uint8_t> runsOff = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xF0, 0xFF, 0xD9};
    EXPECT_EQ(jpegEndOffset(runsOff.data(), runsOff.size()), 0u);
    const std::vector<uint8_t> zeroSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x00, 0xFF, 0xD9};
    EXPECT_EQ(jpegEndOffset(zeroSegment.data(), zeroSegment.size()), 0u);
}
