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

// The value-name lists the camera's documentation gives in full, written out here row by row: each table holds
// exactly these rows, in this order, with these values.
struct NamedRow {
    const char* name;
    uint32_t value;
};
struct NamedList {
    const char* what;
    const PropertyValueNamesStruct* table;
    std::vector<NamedRow> rows;
};

TEST(CanonPropertyTable, FullyGivenValueListsRowByRow) {
    const NamedList lists[] = {
        {"white balance", canonWhiteBalanceNames(),
         {{"Auto", 0}, {"Daylight", 1}, {"Cloudy", 2}, {"Tungsten", 3}, {"Fluorescent", 4}, {"Flash", 5},
          {"Custom", 6}, {"Shade", 8}, {"Color Temperature", 9}, {"Custom", 15}, {"Custom", 16}, {"Custom", 18},
          {"Custom", 19}, {"AutoW", 23}}},
        {"drive", canonDriveModeNames(),
         {{"Single", 0x0}, {"Continuous", 0x1}, {"Continuous high speed", 0x4}, {"Continuous low speed", 0x5},
          {"S", 0x6}, {"Custom", 0x7}, {"Timer", 0x10}, {"Timer 2 sec", 0x11}, {"Continuous high speed plus", 0x12},
          {"Silent", 0x13}, {"Silent Continuous", 0x14}, {"Silent Continuous High", 0x15},
          {"Silent Continuous Low", 0x16}}},
        {"metering", canonMeteringNames(),
         {{"Center-weighted", 0}, {"Spot", 1}, {"Average", 2}, {"Evaluative", 3}, {"Partial", 4},
          {"Center-weighted average", 5}, {"Spot metering with AF frame", 6}, {"Multi spot", 7}}},
        {"focus", canonFocusModeNames(), {{"One Shot", 0}, {"AI Servo", 1}, {"AI Focus", 2}, {"MF", 3}}},
        {"picture style", canonPictureStyleNames(),
         {{"Standard", 0x81}, {"Portrait", 0x82}, {"Landscape", 0x83}, {"Neutral", 0x84}, {"Faithful", 0x85},
          {"Monochrome", 0x86}, {"User defined 1", 0x21}, {"User defined 2", 0x22}, {"User defined 3", 0x23}}},
        {"exposure modes", canonExposureModeNames(),
         {{"P", 0},           {"Tv", 1},           {"Av", 2},           {"Manual", 3},          {"Bulb", 4},
          {"A-DEP", 5},       {"DEP", 6},          {"Custom", 7},       {"Lock", 8},            {"Full Auto", 9},
          {"Night Portrait", 10}, {"Sports", 11},  {"Portrait", 12},    {"Landscape", 13},      {"Closeup", 14},
          {"Flash Off", 15},  {"Custom 2", 16},    {"Custom 3", 17},    {"Creative Auto", 19},  {"Movie", 20},
          {"Auto+", 22},      {"Night Scene", 23}, {"HDR", 24},         {"Special Scene", 25},
          {"Creative Filters", 29}, {"Creative Filters", 30}, {"Creative Filters", 35}, {"Hybrid Auto", 51},
          {"Fv", 55}}},
        {"bracketing", canonExposureBracketNames(),
         {{"Off", 0}, {"+/- 1/3", 3}, {"+/- 1/2", 4}, {"+/- 2/3", 5}, {"+/- 1", 8}, {"+/- 1 1/3", 0x0B},
          {"+/- 1 1/2", 0x0C}, {"+/- 1 2/3", 0x0D}, {"+/- 2", 0x10}, {"+/- 2 1/3", 0x13}, {"+/- 2 1/2", 0x14},
          {"+/- 2 2/3", 0x15}, {"+/- 3", 0x18}}},
        {"colour space", canonColorSpaceNames(), {{"sRGB", 1}, {"AdobeRGB", 2}}},
        {"movie servo", canonMovieServoNames(), {{"Servo Off", 0}, {"Servo On", 1}}},
    };
    for (const NamedList& list : lists) {
        SCOPED_TRACE(list.what);
        ASSERT_NE(list.table, nullptr);
        ASSERT_EQ(canonValueNameCount(list.table), list.rows.size());
        for (size_t i = 0; i < list.rows.size(); ++i) {
            EXPECT_STREQ(list.table[i].name, list.rows[i].name) << "row " << i;
            EXPECT_EQ(list.table[i].value, list.rows[i].value) << "row " << i << " " << list.rows[i].name;
        }
    }
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
