#include "engine/vendors/sony/sony_models.h"

#include <gtest/gtest.h>

#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_state.h"

namespace {

struct ModelCase {
    const char* text;
    uint8_t index;
    bool buttonControl, extendedFormat;
    uint8_t substitute;
};

// clang-format off
const ModelCase kCases[] = {
    {"ILCE-7M3",        163, true,  false, 0},
    {"ILCE-7RM4",       171, true,  true,  0},
    {"ILCE-7RM4A",      171, true,  true,  0},
    {"ILCE-6300",       166, false, false, 19},
    {"ILCE-1",          180, true,  true,  0},
    {"DSC-RX100M7",       0, false, false, 0},   // no row names it: not supported
    {"ZV-E10",          187, true,  true,  0},   // before "ZV-E1"
    {"ZV-E1",           188, true,  true,  0},
    {"ZV-1",            179, true,  true,  0},
    {"ILCE-7RM2",       160, false, false, 19},  // holds "7RM2", not "7M2"
    {"ILCE-7M2",        162, false, false, 0},
    {"ILCE-7SM3",       177, true,  true,  0},   // before "7S"
    {"ILCE-7SM2",       169, false, false, 0},
    {"ILCE-7S",         173, false, false, 0},
    {"ILCE-7CR",        186, true,  true,  0},   // before "ILCE-7C"
    {"ILCE-7CM2",       185, true,  true,  0},
    {"ILCE-7C",         178, true,  true,  0},
    {"ILCE-9M2",        176, true,  true,  0},
    {"ILCE-9",          164, true,  false, 0},
    {"ilce-7m4",        182, true,  true,  0},   // case does not matter
    {"SLT-A99V",        165, false, false, 19},
    {"ILCA-99M2",       170, false, false, 0},
    {"ILCA-77M2",       172, false, false, 0},
    {"ILCE-6700",       184, true,  true,  0},
    {"ILCE-6100",       175, true,  false, 0},
    {"ILCE-6600",       174, true,  false, 0},
    {"ILCE-6500",       168, false, false, 0},
    {"ILCE-6400",       167, true,  false, 0},
    {"ILCE-FX3",        181, true,  true,  0},
    {"",                  0, false, false, 0},
};
// clang-format on

TEST(SonyModels, TheFirstContainedPatternWins) {
    for (const ModelCase& c : kCases) {
        SCOPED_TRACE(c.text);
        SonyModelFacts f = sonyLookupModel(c.text);
        EXPECT_EQ(f.modelIndex, c.index);
        EXPECT_EQ(f.buttonControl, c.buttonControl);
        EXPECT_EQ(f.extendedFormat, c.extendedFormat);
        EXPECT_EQ(f.rawJpegSubstitute, c.substitute);
    }
}

// The whole model table, row by row: each pattern is found as the model text of its own row, with that row's index
// and flags (B button control, X extended format, R the RAW + JPEG substitute 19).
TEST(SonyModels, EveryRowOfTheTable) {
    struct Row {
        const char* pattern;
        uint8_t index;
        const char* flags;
    };
    // clang-format off
    const Row kRows[] = {
        {"SLT-A99V", 165, "R"},   {"77M2", 172, ""},        {"99M2", 170, ""},        {"7M2", 162, ""},
        {"7RM2", 160, "R"},       {"7SM2", 169, ""},        {"7SM3", 177, "BX"},      {"FX3", 181, "BX"},
        {"7S", 173, ""},          {"7M4", 182, "BX"},       {"7M3", 163, "B"},        {"7RM3", 161, "B"},
        {"7RM4", 171, "BX"},      {"7RM5", 183, "BX"},      {"ILCE-7M5", 190, "BX"},  {"ILCE-7CM2", 185, "BX"},
        {"ILCE-7CR", 186, "BX"},  {"ILCE-7C", 178, "BX"},   {"ZV-1", 179, "BX"},      {"ZV-E10", 187, "BX"},
        {"ZV-E1", 188, "BX"},     {"ILCE-9M2", 176, "BX"},  {"ILCE-9M3", 189, "BX"},  {"ILCE-9", 164, "B"},
        {"ILCE-1", 180, "BX"},    {"6300", 166, "R"},       {"6400", 167, "B"},       {"6500", 168, ""},
        {"6600", 174, "B"},       {"6700", 184, "BX"},      {"6100", 175, "B"},
    };
    // clang-format on
    for (const Row& row : kRows) {
        const std::string flags = row.flags;
        for (const std::string& text : {std::string(row.pattern), "Sony " + std::string(row.pattern) + " body"}) {
            SCOPED_TRACE(text);
            SonyModelFacts f = sonyLookupModel(text);
            EXPECT_EQ(f.modelIndex, row.index);
            EXPECT_EQ(f.buttonControl, flags.find('B') != std::string::npos);
            EXPECT_EQ(f.extendedFormat, flags.find('X') != std::string::npos);
            EXPECT_EQ(f.rawJpegSubstitute, flags.find('R') != std::string::npos ? 19 : 0);
        }
    }
}

TEST(SonyModels, IdentifyingClearsTheFlagsOfTheLastBody) {
    vendorStateReset();
    sonyResetState();
    ASSERT_TRUE(sonyIdentifyModelText("ILCE-7RM4"));
    EXPECT_EQ(camModelIndex(), 171);
    EXPECT_TRUE(sonyState().extendedFormat);
    EXPECT_FALSE(sonyIdentifyModelText("DSC-RX100M7"));
    EXPECT_FALSE(sonyState().extendedFormat);
    EXPECT_FALSE(sonyState().buttonControl);
    ASSERT_TRUE(sonyIdentifyModelText("ILCE-6300"));
    EXPECT_EQ(sonyState().rawJpegSubstitute, 19);
    EXPECT_FALSE(sonyState().buttonControl);
    vendorStateReset();
    sonyResetState();
}

}  // namespace
