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

TEST(NikonModels, RowsCarryTheirZoomTableAndFlags) {
    using Z = std::array<uint32_t, 5>;
    struct FactCase {
        const char* text;
        Z zoom;
        bool contrastAf, restore, mirrorless;
    };
    const FactCase cases[] = {
        {"D5000", {0, 1, 3, 5, 5}, true, false, false}, {"D90", {0, 1, 3, 5, 5}, true, false, false},
        {"D800", {0, 2, 3, 4, 5}, false, false, false}, {"D3X", {0, 1, 3, 5, 6}, false, true, false},
        {"Df", {0, 1, 2, 3, 4}, false, false, false},   {"D850", {0, 2, 4, 6, 7}, false, false, false},
        {"Z 6", {0, 2, 4, 6, 7}, false, false, true},   {"Z fc", {0, 2, 4, 6, 7}, false, false, true},
    };
    for (const FactCase& c : cases) {
        NikonModelFacts f = nikonLookupModel(c.text);
        EXPECT_EQ(f.zoom, c.zoom) << c.text;
        EXPECT_EQ(f.contrastAf, c.contrastAf) << c.text;
        EXPECT_EQ(f.captureModeRestore, c.restore) << c.text;
        EXPECT_EQ(f.mirrorless, c.mirrorless) << c.text;
    }
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
