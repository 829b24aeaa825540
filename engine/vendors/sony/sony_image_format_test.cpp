#include "engine/vendors/sony/sony_image_format.h"

#include <gtest/gtest.h>

#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/sony/sony_store_fixture.h"

namespace {

using SonyImageFormatTest = SonyStoreTest;

TEST_F(SonyImageFormatTest, LabelsOfTheOlderCodes) {
    putRecord(0x5004, 3);
    struct Case {
        int32_t value;
        const char* label;
    } cases[] = {
        {-1, "--"},
        {0x10, "RAW"},
        {0x13 | 1 << 16, "RAW + L JPG (FINE)"},
        {0x14 | 3 << 16, "RAW + S JPG (X-FINE)"},
        {0x02 | 2 << 16, "M JPG (STD)"},
        {0x01, "JPG (LIGHT)"},
    };
    for (const Case& c : cases) EXPECT_EQ(sonyImageFormatLabel(c.value), c.label) << std::hex << c.value;
}

TEST_F(SonyImageFormatTest, LabelsOfTheNewerCodes) {
    putRecord(0xD253, 3);
    struct Case {
        int32_t value;
        const char* label;
    } cases[] = {
        {1, "RAW"},
        {2 | 1 << 8 | 3 << 16, "RAW + S JPG (X-FINE)"},
        {3 | 4 << 8 | 1 << 16, "L JPG (LIGHT)"},
        {3 | 3 << 8 | 2 << 16, "M JPG (STD)"},
    };
    for (const Case& c : cases) EXPECT_EQ(sonyImageFormatLabel(c.value), c.label) << std::hex << c.value;
}

TEST_F(SonyImageFormatTest, RawAndJpegHalves) {
    struct Case {
        uint32_t code, value;
        int32_t raw, jpeg;
    } cases[] = {
        {0x5004, 0x13 | 1 << 16, 16, 0x03 | 1 << 16},
        {0x5004, 0x10 | 1 << 16, 16, -1},  // RAW alone: no JPEG, whatever size the camera reports
        {0x5004, 0x04 | 2 << 16, -1, 0x04 | 2 << 16},
        {0xD253, 2 | 2 << 8 | 1 << 16, 1, 3 | 2 << 8 | 1 << 16},
        {0xD253, 1 | 2 << 8 | 1 << 16, 1, -1},
        {0xD253, 3 | 1 << 8 | 3 << 16, -1, 3 | 1 << 8 | 3 << 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value);
        propStoreClear();
        putRecord(c.code, c.value);
        int32_t raw = 0, jpeg = 0;
        ASSERT_EQ(sonyRawFormatValue(&raw), PTP_RC_OK);
        ASSERT_EQ(sonyJpegFormatValue(&jpeg), PTP_RC_OK);
        EXPECT_EQ(raw, c.raw);
        EXPECT_EQ(jpeg, c.jpeg);
    }
    propStoreClear();
    int32_t out = 0;
    EXPECT_EQ(sonyRawFormatValue(&out), ERROR_GENERAL);
    EXPECT_EQ(sonySetImageFormat(-1, -1), ERROR_GENERAL);
}

TEST_F(SonyImageFormatTest, PickerChoices) {
    std::vector<int32_t> list;
    putRecord(0x5004, 3);
    ASSERT_EQ(sonyImageFormatChoices(6, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 16}));
    ASSERT_EQ(sonyImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x10002, 0x20002, 0x30002, 0x10003, 0x20003, 0x30003, 0x10004,
                                          0x20004, 0x30004}));
    propStoreClear();
    putRecord(0xD253, 3);
    ASSERT_EQ(sonyImageFormatChoices(6, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 1}));
    ASSERT_EQ(sonyImageFormatChoices(1, &list), PTP_RC_OK);
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[1], 0x10303);
    EXPECT_EQ(list[9], 0x30103);
    sonyIdentifyModelText("ILCE-7M4");  // model 182 also offers the lightest compression
    ASSERT_EQ(sonyImageFormatChoices(1, &list), PTP_RC_OK);
    ASSERT_EQ(list.size(), 13u);
    EXPECT_EQ(list[1], 0x10403);
}

TEST_F(SonyImageFormatTest, ModelsWhoseFormatIsChecked) {
    struct Case {
        const char* model;
        bool checked;
    } cases[] = {{"ILCE-7RM3", true}, {"ILCE-7RM4", true}, {"ILCE-9", true}, {"ILCE-6300", false},
                 {"ILCE-6500", true}, {"ILCE-7SM2", false}, {"ILCE-7SM3", true}, {"ILCE-7RM2", false}, {"ILCE-7M3", true}};
    for (const Case& c : cases) {
        sonyIdentifyModelText(c.model);
        EXPECT_EQ(sonyImageFormatCheck(), c.checked) << c.model;
    }
}

TEST_F(SonyImageFormatTest, DriveModesAndExposureCompensation) {
    struct DriveCase {
        uint32_t mode;
        bool continuous;
        int images;
    } drives[] = {{1, false, 0},      {2, true, 0},       {0x8012, true, 0},  {0x8010, false, 0},
                  {0x800C, true, 0},  {0x8311, true, 3},  {0x8320, false, 0}, {0x8537, true, 5},
                  {0x8977, true, 9},  {0x8911, true, 9},  {0x8917, false, 0}, {0x8005, false, 0}};
    for (const DriveCase& d : drives) {
        EXPECT_EQ(sonyIsContinuousDrive(d.mode), d.continuous) << std::hex << d.mode;
        EXPECT_EQ(sonyBracketImages(d.mode), d.images) << std::hex << d.mode;
    }
    struct EvCase {
        float ev;
        uint32_t value;
    } evs[] = {{0.7f, 700}, {-0.3333f, 0xFEB3}, {3.0f, 3000}, {-0.0004f, 0}, {1.9999f, 1999}};
    for (const EvCase& e : evs) EXPECT_EQ(sonyExposureCompFromEv(e.ev), e.value) << e.ev;
    EXPECT_FLOAT_EQ(sonyExposureCompToEv(0xFD44), -0.7f);
    EXPECT_FLOAT_EQ(sonyExposureCompToEv(0x10000 | 300), 0.3f);
    // The extremes of the list, starting from 0.
    EXPECT_FLOAT_EQ(sonyExposureCompMax(), 0.0f);
    putRecord(0x5010, 0, {0xFD44, 0xFED4, 0, 300});
    EXPECT_FLOAT_EQ(sonyExposureCompMax(), 0.3f);
    EXPECT_FLOAT_EQ(sonyExposureCompMin(), -0.7f);
}

}  // namespace
