// The Fujifilm model table and model groups.
#include <gtest/gtest.h>

#include "engine/vendors/fujifilm/fuji_models.h"

namespace {

TEST(FujiModels, ModelTextsFindTheirIndex) {
    struct Case {
        const char* text;
        int index;  // -1: not supported
    };
    const Case cases[] = {
        {"X-T3", 22},        {"X-T30", 32},       {"X-T30 II", 32},     {"x-t30", 32},     {"X-T1", 16},
        {"X-T10", -1},       {"X-T2", 17},        {"X-T20", -1},        {"X-T4", 25},      {"X-T5", 36},
        {"X-T100", -1},      {"X-T200", -1},      {"X-T3 ", 22},        {"X-E50", -1},     {"X-H20", -1},
        {"X-E5", 36},        {"X-H1", 18},        {"X-H2", 35},         {"X-H2S", 35},     {"X-Pro2", 19},
        {"X-Pro3", 24},      {"GFX 100", 23},     {"GFX100S", 33},      {"GFX100S II", 37}, {"GFX100 II", 37},
        {"GFX100 RF", 37},   {"GFX 50S", 20},     {"GFX 50R", 21},      {"GFX50S II", 34}, {"X100V", -1},
        {"X-S10", -1},       {"", -1},
    };
    for (const Case& c : cases) {
        std::optional<uint8_t> index = fujiLookupModel(c.text);
        if (c.index < 0) {
            EXPECT_FALSE(index) << c.text;
        } else {
            ASSERT_TRUE(index) << c.text;
            EXPECT_EQ(*index, c.index) << c.text;
        }
    }
}

// The whole table, row by row: each pattern, alone and inside a longer text, gives its own row's index.
TEST(FujiModels, EveryRowOfTheTable) {
    const std::pair<const char*, int> kRows[] = {
        {"X-T30", 32},     {"X-T1", 16},      {"X-T2", 17},      {"X-T3", 22},     {"X-T4", 25},
        {"X-T5", 36},      {"X-E5", 36},      {"GFX50S II", 34}, {"GFX 50S", 20},  {"GFX 50R", 21},
        {"GFX100S II", 37}, {"GFX100S", 33},  {"GFX100 II", 37}, {"GFX100 RF", 37}, {"GFX 100", 23},
        {"X-H1", 18},      {"X-H2", 35},      {"X-Pro2", 19},    {"X-Pro3", 24},
    };
    for (const auto& [pattern, index] : kRows) {
        for (const std::string& text : {std::string(pattern), "FUJIFILM " + std::string(pattern) + " (body)"}) {
            std::optional<uint8_t> found = fujiLookupModel(text);
            ASSERT_TRUE(found) << text;
            EXPECT_EQ(*found, index) << text;
        }
    }
}

TEST(FujiModels, Groups) {
    for (int m = 0; m < 256; ++m) {
        const uint8_t model = static_cast<uint8_t>(m);
        const bool medium = m == 20 || m == 21 || m == 23 || m == 33 || m == 34 || m == 37;
        EXPECT_EQ(fujiModelFeatureTest(model), medium) << m;
        EXPECT_EQ(fujiIsGfx50(model), m == 20 || m == 21) << m;
        EXPECT_EQ(fujiIsGfx100(model), medium && m != 20 && m != 21) << m;
        const bool tap = m == 19 || m == 22 || m == 24 || m == 25 || (m >= 33 && m <= 37);
        EXPECT_EQ(fujiIsTapFocusModel(model), tap) << m;
    }
}

}  // namespace
