#include "engine/vendors/sony/sony_property_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/ptp/property_values.h"
#include "engine/vendors/sony/sony_store_fixture.h"

namespace {

TEST(SonyPropertyTable, RowsRunFromUnknownToTheSentinel) {
    ASSERT_EQ(sonyPropertyNameCount(), 48u);
    const PropertyNameStruct* rows = sonyPropertyNames();
    EXPECT_EQ(rows[0].code, 0u);
    EXPECT_STREQ(rows[0].name, "Unknown");
    EXPECT_EQ(rows[0].kind, 2);
    EXPECT_EQ(rows[47].code, kSonyPropertySentinel);
    EXPECT_STREQ(rows[47].name, "Pixel Shift Multi-Shoot");
    EXPECT_EQ(sonyPropertyEntry(0xD2CF)->kind, 4);
    EXPECT_STREQ(sonyPropertyEntry(0xD2D2)->name, "Focus Toggle/Engage");
    EXPECT_EQ(sonyPropertyEntry(0xD2DC), nullptr);  // used, but without a row
}

struct TextCase {
    uint32_t code, value;
    const char* text;  // nullptr: the module has no text of its own
};

TEST(SonyPropertyTable, TheModulesOwnValueTexts) {
    // clang-format off
    const TextCase cases[] = {
        {0x5007, 560, "5.6"},      {0x5007, 100, "1.0"},     {0x5007, 2200, "22.0"},
        {0x5010, 0, "+/-0"},       {0x5010, 700, "+0.7"},    {0x5010, 0xFD44, "-0.7"},  // -700 as 16 bits
        {0x5010, 0x10000, "+/-0"}, {0x5010, 3000, "+3.0"},
        {0xD200, 0, "0"},          {0xD200, 0xFC18, "-1.0"},
        {0xD20F, 5500, "5500"},
        {0x500A, 0x8004, "AF-C"},  {0x500B, 0x8005, "Spot Large"}, {0x500E, 0x8050, "Movie"},
        {0x500E, 0x20003, "Movie A"},  // the aperture-priority program the focus-stack check takes
        {0x500A, 0x1234, nullptr},
        // Shutter speeds and ISO numbers are named by rule, whether the list has them or not.
        {0xD20D, 0x1007D, "1/125"}, {0xD20D, 1u << 16 | 3, "1/3"},   {0xD20D, 15u << 16 | 10, "1.5\""},
        {0xD20D, 0, "Bulb"},        {0xD20D, 0x50000, nullptr},       {0xD21E, 12345, "ISO 12345"},
        {0xD21E, 100, "ISO 100"},   {0xD21E, kSonyIsoAuto, "AUTO"},   {0x5007, 235, "2.4"},
    };
    // clang-format on
    for (const TextCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value);
        auto text = sonyFormatValueText(c.code, c.value);
        if (c.text)
            EXPECT_EQ(text.value_or("(none)"), c.text);
        else
            EXPECT_FALSE(text);
    }
}

struct NameCase {
    uint32_t code, value;
    const char* name;
};

TEST(SonyPropertyTable, ValueNamesOfTheLists) {
    // clang-format off
    const NameCase cases[] = {
        {0x5004, 0x13, "RAW + Fine JPG"}, {0x5005, 0x8011, "Shade"}, {0x5005, 0x8012, "Custom Temp / Filer"},
        {0xD20D, 0, "Bulb"},              {0xD20D, 300u << 16 | 10, "30\""},     {0xD20D, 0xA000A, "1\""},
        {0xD20D, 32u << 16 | 10, "3.2\""}, {0xD20D, 8u << 16 | 10, "0.8\""}, {0xD20D, 0x11F40, "1/8000"},
        {0xD20D, 1u << 16 | 250, "1/250"},
        {0x5013, 0x8311, "Continuous 1.0EV 3 Image"}, {0x5013, 0x8320, "Single 2.0EV 3 Image"},
        {0x5013, 0x8537, "Continuous 0.3EV 5 Image"}, {0x5013, 0x8977, "Continuous 0.7EV 9 Image"},
        {0x5013, 0x8005, "Timer 2 Sec"},
        {0xD21E, 25, "ISO 25"}, {0xD21E, 409600, "ISO 409600"}, {0xD21E, kSonyIsoAuto, "AUTO"},
        {0xD201, 0x26, "Auto HDR 6.0EV"}, {0xD21B, 0x8000, "Off"}, {0xD22C, 0x1103, "C3"},
        {0xD253, 2, "RAW + JPG"}, {0xD25F, 3, "Clear Image"},
    };
    // clang-format on
    for (const NameCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value);
        const char* name = sonyValueName(c.code, c.value);
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, c.name);
    }
    // The example of a 1/8000 value that puts the numerator in the wrong place names nothing.
    EXPECT_EQ(sonyValueName(0xD20D, 0x10001F40), nullptr);
}

TEST(SonyPropertyTable, ExposureTimeEncoding) {
    struct Case {
        uint32_t value, ms;
    } cases[] = {
        {sonyShutterValue(300, 10), 30000}, {sonyShutterValue(10, 10), 1000}, {sonyShutterValue(1, 4), 250},
        {sonyShutterValue(1, 8000), 0},     {sonyShutterValue(8, 10), 800},   {0, 0},
        {0xFFFF, 0},                         {0xFFFF0001, 0},                   {0xFFFEFFFF, 65534000 / 65535},
        {0x10000, 0},  // a zero denominator never divides
    };
    for (const Case& c : cases) EXPECT_EQ(sonyExposureMs(c.value), c.ms) << std::hex << c.value;
}

TEST(SonyPropertyTable, FixedListsOfTheOlderBodies) {
    auto shutter = sonyFixedShutterList(163, 1);
    ASSERT_EQ(shutter.size(), 56u);
    EXPECT_STREQ(shutter.front().name, "Bulb");
    EXPECT_EQ(shutter[1].value, sonyShutterValue(300, 10));
    EXPECT_STREQ(shutter.back().name, "1/8000");
    for (uint8_t model : {166, 167, 168, 174, 175}) {
        auto s = sonyFixedShutterList(model, 1);
        ASSERT_EQ(s.size(), 53u) << int(model);
        EXPECT_STREQ(s.back().name, "1/4000");
    }
    // A movie program keeps the speeds from 1/4 on.
    for (uint32_t program : {0x8050u, 0x78050u}) {
        auto movie = sonyFixedShutterList(163, program);
        ASSERT_FALSE(movie.empty());
        EXPECT_EQ(movie.front().value, sonyShutterValue(1, 4));
        EXPECT_EQ(movie.size(), 34u);
    }
    auto aperture = sonyFixedApertureList();
    ASSERT_EQ(aperture.size(), 34u);
    EXPECT_STREQ(aperture.front().name, "1.0");
    EXPECT_EQ(aperture.back().value, 4500u);

    struct IsoCase {
        uint8_t model;
        size_t stills, movie;
    } isoCases[] = {{160, 35, 26}, {169, 35, 26}, {161, 35, 29}, {162, 29, 29}, {163, 36, 32}, {164, 36, 32},
                    {165, 29, 1},  {172, 29, 1},  {166, 29, 26}, {168, 29, 26}, {175, 29, 26}, {167, 32, 20},
                    {170, 32, 26}, {173, 37, 34}, {174, 35, 27}};
    for (const IsoCase& c : isoCases) {
        SCOPED_TRACE(int(c.model));
        for (bool movie : {false, true}) {
            auto iso = sonyFixedIsoList(c.model, movie);
            ASSERT_EQ(iso.size(), movie ? c.movie : c.stills);
            EXPECT_EQ(iso.back().value, kSonyIsoAuto);
            for (size_t i = 1; i < iso.size(); ++i) EXPECT_LT(iso[i - 1].value, iso[i].value);
        }
    }
    auto temps = sonyColourTemperatureList();
    ASSERT_EQ(temps.size(), 75u);
    EXPECT_EQ(temps.front().value, 2500u);
    EXPECT_STREQ(temps.back().name, "9900");
    // Every one of the 75: 2500 K to 9900 K in steps of 100, each named by its number.
    for (size_t i = 0; i < temps.size(); ++i) {
        const uint32_t kelvin = 2500 + 100 * static_cast<uint32_t>(i);
        EXPECT_EQ(temps[i].value, kelvin);
        EXPECT_EQ(std::string(temps[i].name), std::to_string(kelvin));
    }
}

// Through the store's formatting, the module's texts come before the table names and numbers come last.
using SonyValueTextTest = SonyStoreTest;
TEST_F(SonyValueTextTest, TheStoreFormatsThroughTheModule) {
    EXPECT_EQ(propFormatValue(0x5010, 0).value_or(""), "+/-0");
    EXPECT_EQ(propFormatValue(0xD20D, 0).value_or(""), "Bulb");
    EXPECT_EQ(propFormatValue(0x5005, 0x7777).value_or(""), "30583");
    // A speed or ISO the list lacks is named, not shown as a bare number.
    EXPECT_EQ(propFormatValue(0xD20D, 2u << 16 | 3).value_or(""), "2/3");
    EXPECT_EQ(propFormatValue(0xD21E, 3600).value_or(""), "ISO 3600");
    EXPECT_FALSE(propFormatValue(0xD2C1, 1));
}

}  // namespace
