// Exposure codes, the lens's aperture text, PTP strings, the exposure-compensation scale and the store rules of
// PC priority.
#include <gtest/gtest.h>

#include <string>

#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_values.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/vendors/fujifilm/fuji_state.h"
#include "engine/vendors/fujifilm/fuji_store_fixture.h"

namespace {

TEST(FujiExposure, CodesInMicroseconds) {
    struct Case {
        uint32_t value;
        uint64_t us;
    };
    const Case cases[] = {
        {0x3D09, 15625},          {1000000, 1000000},        {0x3D09000, 64000000},     {64000030, 120000000},
        {64000060, 240000000},    {64000090, 480000000},     {64000120, 900000000},     {64000150, 1800000000},
        {64000180, 3600000000u},  {64000045, 64000045},      {64000210, 64000210},      {0xFFFFFFFF, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(fujiExposureMicroseconds(c.value), c.us) << c.value;
}

TEST(FujiApertures, AsManyAsTheLensNames) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += (i ? "," : "") + std::to_string(100 + 10 * i);
    std::vector<PropertyValueNamesStruct> list = fujiParseApertures(text.c_str());
    ASSERT_EQ(list.size(), 40u);
    EXPECT_EQ(list[0].value, 100u);
    EXPECT_STREQ(list[0].name, "1.0");
    EXPECT_EQ(list[39].value, 490u);
    EXPECT_STREQ(list[39].name, "4.9");
    list = fujiParseApertures("280,x,,3200");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[1].name, "32.0");
    EXPECT_TRUE(fujiParseApertures("").empty());
    EXPECT_TRUE(fujiParseApertures(nullptr).empty());
}

TEST(FujiStrings, PtpStringLayout) {
    std::vector<uint8_t> s = fujiPtpString("6240x4160");
    ASSERT_EQ(s.size(), 2 * 9 + 3u);
    EXPECT_EQ(s[0], 10);
    EXPECT_EQ(s[1], '6');
    EXPECT_EQ(s[2], 0);
    EXPECT_EQ(s[15], '6');
    EXPECT_EQ(s[17], '0');
    EXPECT_EQ(s[19], 0);
    EXPECT_EQ(s[20], 0);
    EXPECT_EQ(fujiPtpString(std::string(254, 'a')).size(), 2 * 254 + 3u);
    EXPECT_TRUE(fujiPtpString(std::string(255, 'a')).empty());
    EXPECT_TRUE(fujiPtpString("").empty());
}

TEST(FujiExposureComp, ValuesAndStops) {
    struct Case {
        uint32_t value;
        float ev;
    };
    for (Case c : {Case{0, 0.0f}, {1000, 1.0f}, {0xFC18, -1.0f}, {0xFEAD, -0.339f}, {667, 0.667f}})
        EXPECT_FLOAT_EQ(fujiExposureCompToEv(c.value), c.ev) << c.value;
    struct Back {
        float ev;
        uint32_t value;
    };
    for (Back c : {Back{1.0f, 1000}, {-1.0f, 0xFC18}, {0.0625f, 63}, {-0.0625f, 0xFFC1}, {0.333f, 333}, {0.0f, 0}})
        EXPECT_EQ(fujiExposureCompFromEv(c.ev), c.value) << c.ev;
}

class FujiStore : public FujiStoreTest {};

TEST_F(FujiStore, CompensationLimitsFromTheAllowedList) {
    EXPECT_EQ(fujiExposureCompLimit(true), 0.0f);
    record(0x5010, 0, {0xF830, 0xFC18, 0, 1000, 0x0BB8});
    EXPECT_FLOAT_EQ(fujiExposureCompLimit(true), 3.0f);
    EXPECT_FLOAT_EQ(fujiExposureCompLimit(false), -2.0f);
}

TEST_F(FujiStore, DeviceRecordsEnableOnlyInPcPriority) {
    record(0x5005, 2);
    PropertyStruct* r = fujiApplyPropertyChange(0x5005, 0x8007, 1);
    ASSERT_NE(r, nullptr);
    PropertyCopy copy = propCopyValues(0x5005);
    EXPECT_EQ(copy->value, 0x8007u);
    EXPECT_STREQ(copy->valueText, "ColorTemperature");
    EXPECT_EQ(copy->enabled, 0);
    fujiState().pcPriority = true;
    fujiApplyPropertyChange(0x5005, 0x1234, 1);
    copy = propCopyValues(0x5005);
    EXPECT_EQ(copy->enabled, 1);
    EXPECT_STREQ(copy->valueText, "4660");
    EXPECT_EQ(fujiApplyPropertyChange(0x5006, 1, 1), nullptr);
}

TEST_F(FujiStore, BulbAndFocusTests) {
    EXPECT_FALSE(fujiIsBulb());
    EXPECT_FALSE(fujiIsAutoFocus());
    EXPECT_FALSE(fujiIsManualFocus());
    record(0x500E, 1);
    record(0x500D, 0xFFFFFFFF);
    EXPECT_TRUE(fujiIsBulb());
    setValue(0x500E, 3);
    EXPECT_FALSE(fujiIsBulb());
    record(0x500A, 1);
    EXPECT_TRUE(fujiIsManualFocus());
    setValue(0x500A, 0x8002);
    EXPECT_TRUE(fujiIsAutoFocus());
    EXPECT_EQ(fujiAutoFocus(7), PTP_ERROR_UNSUPPORTED_COMMAND);
    EXPECT_EQ(fujiAutoFocus(0), PTP_RC_OK);  // already in autofocus: nothing to send
}

// The automation panels' bulb test is the module's: manual exposure with the shutter's low 16 bits all set, which
// Fujifilm's 32-bit Bulb value 0xFFFFFFFF is.
TEST_F(FujiStore, TheAutomationBulbTestIsTheModules) {
    struct Case {
        uint32_t program, shutter;
        bool bulb;
    } cases[] = {
        {1, 0xFFFFFFFF, true}, {1, 0xFFFF, true},  {3, 0xFFFFFFFF, false}, {6, 0xFFFFFFFF, false},
        {1, 0x3D09, false},    {1, 64000180, false}, {1, 0xFFFF0000, false},
    };
    record(0x500E, 1);
    EXPECT_FALSE(camIsBulbMode());  // no shutter record
    record(0x500D, 0);
    for (const Case& c : cases) {
        setValue(0x500E, c.program);
        setValue(0x500D, c.shutter);
        EXPECT_EQ(camIsBulbMode(), c.bulb) << c.program << " " << std::hex << c.shutter;
    }
    // Without the module nothing answers for the vendor.
    setValue(0x500E, 1);
    setValue(0x500D, 0xFFFFFFFF);
    fujiUnregisterModule();
    EXPECT_FALSE(camIsBulbMode());
    fujiRegisterModule();
    EXPECT_TRUE(camIsBulbMode());
}

// Texts through the store: the compensation in thousandths of a stop, and an ISO the list does not name.
TEST_F(FujiStore, ValueTextsThroughTheStore) {
    EXPECT_EQ(propFormatValue(0x5010, 0xFEB3).value_or(""), "-0.3");  // -333
    EXPECT_EQ(propFormatValue(0x5010, 1000).value_or(""), "1.0");
    EXPECT_EQ(propFormatValue(0x500F, 125000).value_or(""), "ISO 125000");
    EXPECT_EQ(propFormatValue(0x500F, 0x8003).value_or(""), "AUTO 1600");
    EXPECT_EQ(propFormatValue(0x5005, 0x1234).value_or(""), "4660");  // no rule for white balance: the number
}

}  // namespace
