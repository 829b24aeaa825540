// The Nikon model table on real model names, and the facts each row leaves.
#include <gtest/gtest.h>

#include <array>

#include "engine/vendors/nikon/nikon_models.h"

namespace {

struct ModelCase {
    const char* text;
    bool supported;
    uint8_t index;
};

TEST(NikonModels, RealNamesTakeTheirOwnRowAndNoShorterOne) {
    const ModelCase cases[] = {
        {"D850", true, 219},          {"D7500", true, 217},    {"D3200", false, 0},       {"D3S", true, 199},
        {"D5600", true, 218},         {"D60", false, 0},       {"Z 6_2", true, 226},      {"Z6_3", true, 232},
        {"Z 5", true, 225},           {"Z fc", true, 229},     {"Z f", true, 231},        {"Z 9", true, 228},
        {"COOLPIX P1000", false, 0},  {"D7000", true, 194},    {"D700", true, 195},       {"D5", true, 215},
        {"D500", true, 216},          {"D6", true, 224},       {"D3X", true, 198},        {"D3", true, 204},
        {"D2Xs", true, 204},          {"Df", true, 209},       {"D610", true, 197},       {"D600", true, 197},
        {"Nikon D4S", true, 211},     {"D4", true, 200},       {"D300S", true, 202},      {"D300", true, 201},
        {"Z 50", true, 222},          {"Z 30", true, 240},     {"Z 6", true, 220},        {"Z 7_2", true, 227},
        {"Z 7", true, 221},           {"Z5_2", true, 233},     {"Z 8", true, 230},        {"d90", true, 203},
        {"D5000", true, 192},         {"D5100", true, 193},    {"", false, 0},            {"Z 60", false, 0},
    };
    for (const ModelCase& c : cases) {
        NikonModelFacts f = nikonLookupModel(c.text);
        EXPECT_EQ(f.supported, c.supported) << c.text;
        EXPECT_EQ(f.modelIndex, c.index) << c.text;
    }
}

// The whole model table, row by row, as the bodies' documentation gives it: the text of each row looked up alone
// takes that row, with its index, zoom table and flags.
TEST(NikonModels, EveryRowOfTheModelTableWithItsIndexAndFacts) {
    using Z = std::array<uint32_t, 5>;
    const Z a{0, 1, 3, 5, 5}, c{0, 2, 3, 4, 5}, d{0, 1, 3, 5, 6}, e{0, 1, 2, 3, 4}, plain{0, 2, 4, 6, 7};
    struct Row {
        const char* text;
        uint8_t index;
        Z zoom;
        bool contrastAf, restore, mirrorless;
    };
    const Row rows[] = {
        {"D5000", 192, a, true, false, false},     {"D5100", 193, a, false, false, false},
        {"D5200", 207, a, false, false, false},    {"D5300", 208, a, false, false, false},
        {"D5500", 213, a, false, false, false},    {"D5600", 218, a, false, false, false},
        {"D7000", 194, a, false, false, false},    {"D7100", 205, plain, false, false, false},
        {"D7200", 214, plain, false, false, false}, {"D7500", 217, plain, false, false, false},
        {"D700", 195, d, false, false, false},     {"D750", 212, plain, false, false, false},
        {"D780", 223, plain, false, false, false}, {"D800", 196, c, false, false, false},
        {"D810", 210, plain, false, false, false}, {"D850", 219, plain, false, false, false},
        {"Z6_3", 232, plain, false, false, true},  {"Z 6_2", 226, plain, false, false, true},
        {"Z 6", 220, plain, false, false, true},   {"Z 7_2", 227, plain, false, false, true},
        {"Z f", 231, plain, false, false, true},   {"Z fc", 229, plain, false, false, true},
        {"Z 7", 221, plain, false, false, true},   {"Z 50", 222, plain, false, false, true},
        {"Z 30", 240, plain, false, false, true},  {"Z 5", 225, plain, false, false, true},
        {"Z 9", 228, plain, false, false, true},   {"Z 8", 230, plain, false, false, true},
        {"Z5_2", 233, plain, false, false, true},  {"D600", 197, plain, false, false, false},
        {"D610", 197, plain, false, false, false}, {"D3X", 198, d, false, true, false},
        {"D500", 216, plain, false, false, false}, {"D5", 215, plain, false, false, false},
        {"D6", 224, plain, false, false, false},   {"D4S", 211, plain, false, false, false},
        {"D4", 200, c, false, false, false},       {"D3S", 199, d, false, false, false},
        {"D300S", 202, d, false, false, false},    {"D300", 201, d, false, false, false},
        {"D200", 206, plain, false, false, false}, {"D90", 203, a, true, false, false},
        {"D3", 204, d, false, false, false},       {"D2x", 204, plain, false, false, false},
        {"DF", 209, e, false, false, false},
    };
    for (const Row& r : rows) {
        NikonModelFacts f = nikonLookupModel(r.text);
        ASSERT_TRUE(f.supported) << r.text;
        EXPECT_EQ(f.modelIndex, r.index) << r.text;
        EXPECT_EQ(f.zoom, r.zoom) << r.text;
        EXPECT_EQ(f.zoomTableA, r.zoom == a) << r.text;
        EXPECT_EQ(f.contrastAf, r.contrastAf) << r.text;
        EXPECT_EQ(f.captureModeRestore, r.restore) << r.text;
        EXPECT_EQ(f.mirrorless, r.mirrorless) << r.text;
    }
}

// Decision: a "Z fc" takes its own row (229), although the "Z f" row stands before it and a plain substring search
// would hand the Z fc the Z f's index 231. Everything the module does for 229 in particular (the extended quality
// coding, JPEG qualities in steps of two, zoom values 720 and 360, the ISO table's client-mode switch) would
// otherwise never reach a Z fc, and a Z fc would be driven as a Z f.
TEST(NikonModels, AZfcTakesItsOwnRowNotTheZfRow) {
    EXPECT_EQ(nikonLookupModel("Z fc").modelIndex, 229);
    EXPECT_EQ(nikonLookupModel("NIKON Z FC").modelIndex, 229);
    EXPECT_EQ(nikonLookupModel("Z f").modelIndex, 231);
    EXPECT_EQ(nikonLookupModel("NIKON Z f").modelIndex, 231);
}

TEST(NikonModels, ModelSets) {
    for (int m = 180; m <= 250; ++m) {
        auto i = static_cast<uint8_t>(m);
        bool z = (m >= 220 && m <= 222) || (m >= 225 && m <= 233) || m == 240;
        bool newer = (m >= 215 && m <= 217) || (m >= 219 && m <= 233) || m == 240;
        bool older = m == 194 || m == 195 || (m >= 197 && m <= 199) || (m >= 201 && m <= 205);
        EXPECT_EQ(nikonIsZModel(i), z) << m;
        EXPECT_EQ(nikonNewerFormatModel(i), newer) << m;
        EXPECT_EQ(nikonOlderModel(i), older) << m;
    }
}

}  // namespace
