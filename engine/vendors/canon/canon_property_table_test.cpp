#include "engine/vendors/canon/canon_property_table.h"

#include <gtest/gtest.h>

#include "engine/ptp/property_values.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_store_fixture.h"

namespace {

// Value texts as the store shows them for a Canon camera: the Canon table in force, the module registered.
class CanonValueTextTest : public CanonStoreTest {
protected:
    static std::string text(uint32_t code, uint32_t value) { return propFormatValueOrNumber(code, value); }
};

struct TextCase {
    uint32_t code;
    uint32_t value;
    const char* text;
};

// clang-format off
const TextCase kTexts[] = {
    // Aperture: eighths of a stop, thirds as 3 and 5, halves as 4.
    {0xD101, 0xFFFF, "Auto"}, {0xD101, 0x00, "Auto"}, {0xD101, 0xFF, "Auto"}, {0xD101, 0x08, "f1"},
    {0xD101, 0x0B, "f1.1"}, {0xD101, 0x0C, "f1.2"}, {0xD101, 0x0D, "f1.2"}, {0xD101, 0x10, "f1.4"},
    {0xD101, 0x2D, "f5"}, {0xD101, 0x30, "f5.6"}, {0xD101, 0x34, "f6.7"}, {0xD101, 0x38, "f8"},
    {0xD101, 0x50, "f22"}, {0xD101, 0x6D, "f80"}, {0xD101, 0x70, "f91"}, {0xD101, 0x31, "49"},
    // Shutter speed: long times with the seconds mark, then fractions.
    {0xD102, 0x00, "Auto"}, {0xD102, 0x04, "bulb"}, {0xD102, 0x0C, "bulb"}, {0xD102, 0x10, "30\""},
    {0xD102, 0x15, "20\""}, {0xD102, 0x2B, "3\"2"}, {0xD102, 0x38, "1\""}, {0xD102, 0x3B, "0\"8"},
    {0xD102, 0x45, "0\"3"}, {0xD102, 0x48, "1/4"}, {0xD102, 0x4B, "1/5"}, {0xD102, 0x64, "1/45"},
    {0xD102, 0x68, "1/60"}, {0xD102, 0xA0, "1/8000"}, {0xD102, 0xAB, "1/20000"}, {0xD102, 0xAD, "1/25600"},
    {0xD102, 0xB8, "1/64000"},
    // ISO: third steps from 100.
    {0xD103, 0xFFFF, "Factory Default"}, {0xD103, 0x28, "ISO 6"}, {0xD103, 0x45, "ISO 80"},
    {0xD103, 0x48, "ISO 100"}, {0xD103, 0x4B, "ISO 125"}, {0xD103, 0x4D, "ISO 160"}, {0xD103, 0x58, "ISO 400"},
    {0xD103, 0x73, "ISO 4000"}, {0xD103, 0x98, "ISO 102400"}, {0xD103, 0x00, "Auto ISO"}, {0xD103, 0x01, "Auto ISO"},
    // Exposure compensation: a signed byte in eighths.
    {0xD104, 0x28, "+5"}, {0xD104, 0x25, "+4 2/3"}, {0xD104, 0x24, "+4 1/2"}, {0xD104, 0x23, "+4 1/3"},
    {0xD104, 0x08, "+1"}, {0xD104, 0x05, "+2/3"}, {0xD104, 0x04, "+1/2"}, {0xD104, 0x03, "+1/3"},
    {0xD104, 0x00, "0"}, {0xD104, 0xFD, "-1/3"}, {0xD104, 0xFB, "-2/3"}, {0xD104, 0xF8, "-1"},
    {0xD104, 0xF4, "-1 1/2"}, {0xD104, 0xDB, "-4 2/3"}, {0xD104, 0xD8, "-5"},
    // Image format: the packed value named by its contents.
    {0xD120, 0x16010000, "RAW"}, {0xD120, 0x16050000, "Medium RAW"}, {0xD120, 0x16090000, "Small RAW"},
    {0xD120, 0x1100C000, "Large Fine JPEG"}, {0xD120, 0x11008000, "Large Normal JPEG"},
    {0xD120, 0x11000000, "Large None JPEG"}, {0xD120, 0x1108C000, "Small Fine JPEG"},
    {0xD120, 0x11408000, "S3 Normal JPEG"}, {0xD120, 0x26010403, "RAW + Large Fine JPEG"},
    {0xD120, 0x26050422, "Medium RAW + Small Normal JPEG"}, {0xD120, 0x26090460, "Small RAW + M2 None JPEG"},
    {0xD121, 0x1100C000, "Large Fine JPEG"}, {0xD120, 0x26010999, "637602201"},
    // Others.
    {0xD105, 20, "Movie"}, {0xD138, 55, "Fv"}, {0xD105, 30, "Creative Filters"}, {0xD106, 0x12, "Continuous high speed plus"},
    {0xD107, 3, "Evaluative"}, {0xD108, 3, "MF"}, {0xD109, 18, "Custom"}, {0xD109, 23, "AutoW"},
    {0xD10F, 2, "AdobeRGB"}, {0xD110, 0x86, "Monochrome"}, {0xD179, 1, "Servo On"}, {0xD1D9, 0x0D, "+/- 1 2/3"},
    {0xD1D9, 0x18, "+/- 3"},
};
// clang-format on

TEST_F(CanonValueTextTest, NamedValuesAndDecimalForTheRest) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value);
        EXPECT_EQ(text(c.code, c.value), c.text);
    }
}

TEST_F(CanonValueTextTest, CamerasWritingCr3UseTheirOwnShutterNames) {
    canonIdentifyModelText("Canon EOS R6");
    EXPECT_EQ(text(0xD102, 0x04), "Auto");
    EXPECT_EQ(text(0xD102, 0x0C), "bulb");
    EXPECT_EQ(text(0xD102, 0xAB), "171");  // 1/20000 is not among them
    EXPECT_EQ(text(0xD102, 0xB0), "1/32000");
}

TEST(CanonPropertyTable, RowsAndTableSizes) {
    const PropertyNameStruct* rows = canonPropertyNames();
    size_t n = canonPropertyNameCount();
    EXPECT_EQ(rows[0].code, 0u);
    EXPECT_STREQ(rows[0].name, "Unknown");
    EXPECT_EQ(rows[n - 1].code, kCanonPropertySentinel);
    EXPECT_STREQ(rows[n - 1].name, "Lens ID");
    EXPECT_STREQ(canonPropertyEntry(0xD192)->name, "Custom Function 19");
    EXPECT_STREQ(canonPropertyEntry(0xD144)->name, "PC White Balance 5");
    EXPECT_STREQ(canonPropertyEntry(0xD162)->name, "Picture Style User Set 3");
    EXPECT_EQ(canonPropertyEntry(0xD055)->kind, 0);
    EXPECT_EQ(canonPropertyEntry(0xD1D8)->kind, kPropKindText);
    EXPECT_EQ(canonPropertyEntry(0xD122)->valueNames, canonImageFormatNames());
    EXPECT_EQ(canonPropertyEntry(0xD1F0), nullptr);

    EXPECT_EQ(canonValueNameCount(canonApertureNames()), 56u);
    EXPECT_EQ(canonValueNameCount(canonShutterNames()), 83u);
    EXPECT_EQ(canonValueNameCount(canonShutterNamesNewRaw()), 81u);
    EXPECT_EQ(canonValueNameCount(canonIsoNames()), 40u);
    EXPECT_EQ(canonValueNameCount(canonExposureModeNames()), 29u);
    EXPECT_EQ(canonValueNameCount(canonDriveModeNames()), 13u);
    EXPECT_EQ(canonValueNameCount(canonWhiteBalanceNames()), 14u);
    EXPECT_EQ(canonValueNameCount(canonExposureBracketNames()), 13u);
    EXPECT_EQ(canonValueNameCount(canonPictureStyleNames()), 9u);
    // Built from the rules: every exposure step from +5 to -5, every raw kind with every JPEG.
    EXPECT_EQ(canonValueNameCount(canonExposureCompNames()), 41u);
    EXPECT_EQ(canonValueNameCount(canonImageFormatNames()), 99u);
}

TEST(CanonPropertyTable, EventValueTypes) {
    const struct {
        uint32_t code;
        int32_t type;
    } cases[] = {{0xD101, 4}, {0xD1D9, 4}, {0xD104, 1}, {0xD107, 2}, {0xD133, 2}, {0xD155, 2}, {0xD17F, 2},
                 {0xD192, 2}, {0xD1A7, 2}, {0xD1D7, 2}, {0xD10B, 3}, {0xD10C, 3}, {0xD115, 0xFFFF},
                 {0xD1D8, 0xFFFF}, {0xD120, 6}, {0xD10A, 6}, {0xD1B8, 6}, {0xD193, 6}};
    for (const auto& c : cases) EXPECT_EQ(canonEventValueType(c.code), c.type) << std::hex << c.code;
}

TEST(CanonPropertyTable, ShutterMilliseconds) {
    const struct {
        uint32_t code;
        uint32_t ms;
    } cases[] = {{0x10, 30000}, {0x13, 25000}, {0x14, 20000}, {0x15, 20000}, {0x18, 15000}, {0x2B, 3200},
                 {0x38, 1000},  {0x3B, 800},   {0x40, 500},   {0x44, 300},   {0x48, 250},   {0x50, 125},
                 {0x64, 22},    {0x7B, 3},     {0x7C, 2},     {0x7D, 2},     {0x80, 2},     {0x83, 1},
                 {0x88, 1},     {0x90, 1},     {0x11, 0},     {0x0C, 0},     {0x93, 0},     {0xA0, 0}};
    for (const auto& c : cases) EXPECT_EQ(canonShutterMilliseconds(c.code), c.ms) << std::hex << c.code;
}

}  // namespace
