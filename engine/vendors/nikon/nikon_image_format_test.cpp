// Nikon's combined image-format value: labels, the picker's choices and halves.
#include <gtest/gtest.h>

#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

TEST(NikonImageFormat, LabelsNameRawSizeThenJpegSizeAndQuality) {
    struct Case {
        uint8_t model;
        uint32_t value;
        const char* label;
    };
    const Case cases[] = {
        {205, 0x01000006, "M RAW + L JPG (NORM)"},
        {219, 0x00000009, "RAW + L JPG (BASIC)*"},
        {219, 0xFFFFFFFF, "--"},
        {219, 0x00020004, "S JPG (FINE)"},
        {219, 0x02000007, "S RAW"},
        {219, 0x0101000D, "M RAW + M JPG (FINE)*"},
        {219, 0x00000003, "L JPG (NORM)*"},
        {203, 0x00010000, "M JPG (BASIC)"},
        {203, 0x00000004, "RAW"},
        {203, 0x00000007, "RAW + L JPG (FINE)"},
        {203, 0x00000003, ""},  // TIFF: neither raw nor JPEG
    };
    for (const Case& c : cases)
        EXPECT_EQ(nikonImageFormatLabelFor(c.model, c.value), c.label) << int(c.model) << " " << std::hex << c.value;
}

class NikonImageFormatStore : public NikonStoreTest {
protected:
    // A 0x5004 record with the allowed qualities and a combined value.
    void quality(std::initializer_list<uint32_t> allowed, uint32_t value) {
        PropertyStruct* r = propCreate(0x5004, true);
        ASSERT_NE(r, nullptr);
        std::vector<PropertyValueNamesStruct> list;
        for (uint32_t v : allowed) list.push_back(PropertyValueNamesStruct{"", v});
        propSetValueList(r, list.data(), static_cast<uint16_t>(list.size()));
        r->kind = PTP_DTC_UINT8;
        r->value = value;
        propUnlock(r);
    }
};

TEST_F(NikonImageFormatStore, PickerChoicesByModel) {
    struct Case {
        const char* model;
        uint32_t type;
        bool rawSizes;
        std::vector<uint32_t> list;
    };
    const uint32_t N = kNikonNoFormat;
    const Case cases[] = {
        {"D850", 6, true, {N, 7, 0x1000007, 0x2000007}},
        {"D850", 6, false, {N, 7}},
        {"D5600", 6, false, {N, 4}},
        {"D90", 1, false, {N, 0, 0x10000, 0x20000, 1, 0x10001, 0x20001, 2, 0x10002, 0x20002}},
        {"Z fc", 1, false, {N, 0, 0x10000, 0x20000, 2, 0x10002, 0x20002, 4, 0x10004, 0x20004}},
    };
    for (const Case& c : cases) {
        propStoreClear();
        nikonIdentifyModelText(c.model);
        if (c.rawSizes) propCreate(0xD0B6);
        std::vector<uint32_t> list;
        ASSERT_EQ(nikonImageFormatChoices(c.type, &list), PTP_RC_OK);
        EXPECT_EQ(list, c.list) << c.model;
    }
    nikonIdentifyModelText("D850");
    std::vector<uint32_t> list;
    ASSERT_EQ(nikonImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list.size(), 19u);  // none, then 6 qualities in 3 sizes
}

TEST_F(NikonImageFormatStore, HalvesOfTheCurrentValue) {
    // Extended coding (more than 10 qualities): raw alone is 7, raw plus JPEG 8-13.
    quality({0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}, 0x0102000B);
    EXPECT_EQ(nikonImageFormatRawPart(), 0x01000007u);
    EXPECT_EQ(nikonImageFormatJpegPart(), 0x00020003u);
    EXPECT_TRUE(nikonImageFormatIsRawPlusJpeg());
    propStoreClear();
    nikonIdentifyModelText("D90");
    quality({0, 1, 2, 4, 5, 6, 7}, 0x00010006);
    EXPECT_EQ(nikonImageFormatRawPart(), 4u);
    EXPECT_EQ(nikonImageFormatJpegPart(), 0x00010001u);
    propStoreClear();
    quality({0, 1, 2, 4, 5, 6, 7}, 0x00000001);
    EXPECT_EQ(nikonImageFormatRawPart(), kNikonNoFormat);
    EXPECT_EQ(nikonImageFormatJpegPart(), 1u);
    EXPECT_FALSE(nikonImageFormatIsRawPlusJpeg());
    EXPECT_EQ(nikonSetImageFormat(kNikonNoFormat, kNikonNoFormat), ERROR_GENERAL);

    uint32_t size = 9, compression = 9;
    EXPECT_EQ(nikonImageFormatSizeQuality(0x02010006, kNikonImageTypeRaw, &size, &compression), PTP_RC_OK);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(compression, 0u);
    EXPECT_EQ(nikonImageFormatSizeQuality(0x02010006, kNikonImageTypeJpeg, &size, &compression), PTP_RC_OK);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(nikonImageFormatSizeQuality(0x00010001, kNikonImageTypeRaw, &size, &compression), ERROR_GENERAL);
    EXPECT_EQ(nikonImageFormatSizeQuality(0x00000004, kNikonImageTypeJpeg, &size, &compression), ERROR_GENERAL);
}

}  // namespace
