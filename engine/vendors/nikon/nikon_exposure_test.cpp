// Nikon exposure-compensation codes and bracketing steps.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/vendors/nikon/nikon_exposure.h"
#include "engine/vendors/nikon/nikon_properties.h"

namespace {

TEST(NikonExposure, CompensationCodesInThousandthsSnapToThirds) {
    struct Case {
        float stops;
        int32_t code;
    };
    // Rounded half away from zero, then a last digit of 1, 4, 7 moves toward zero and 2, 5, 9 away from it.
    const Case cases[] = {{0.0f, 0},      {0.05f, 0},      {-0.09f, 0},   {1.0f / 3, 333}, {2.0f / 3, 666},
                          {-1.0f / 3, -333}, {-2.0f / 3, -666}, {0.5f, 500}, {1.0f, 1000},    {0.301f, 300},
                          {0.302f, 303},  {-0.305f, -306}, {0.309f, 310}, {1.7f, 1700},    {5.0f, 5000}};
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<int32_t>(nikonEvFloatToCode(c.stops)), c.code) << c.stops;
    EXPECT_FLOAT_EQ(nikonEvCodeToFloat(0xFD65), -0.667f);
    EXPECT_FLOAT_EQ(nikonEvCodeToFloat(1000), 1.0f);
    EXPECT_FLOAT_EQ(nikonEvCodeToFloat(0xFFFF0000 | 333), 0.333f);
}

TEST(NikonExposure, BracketStepsByModelBothWays) {
    struct ToFloat {
        uint8_t model;
        uint32_t step;
        float stops;
    };
    const ToFloat toFloat[] = {{205, 0, 1.0f / 3}, {205, 1, 0.0f},  {205, 2, 2.0f / 3}, {205, 5, 3.0f},
                               {205, 6, 0.0f},     {227, 3, 0.5f},  {223, 6, 1.0f},     {233, 333, 0.333f},
                               {233, 0xFEB3, -0.332f}, {203, 1, 0.5f}, {203, 7, 2.0f},  {203, 8, 0.0f}};
    for (const ToFloat& c : toFloat)
        EXPECT_FLOAT_EQ(nikonBracketStepToFloatFor(c.model, c.step), c.stops) << int(c.model) << " " << c.step;

    struct ToStep {
        uint8_t model;
        float stops;
        uint32_t step;
    };
    const ToStep toStep[] = {{205, 0.5f, 1},      {227, 0.5f, 3},      {205, 0.05f, 0xFFFF}, {205, 0.3f, 0},
                             {205, 1.0f, 3},      {205, 1.6f, 6},      {205, 2.0f, 7},       {219, 2.0f, 4},
                             {219, 3.0f, 5},      {205, 3.0f, 0xFFFF}, {219, 3.5f, 0xFFFF},  {233, 0.7f, 700},
                             {233, 0.005f, 0xFFFF}, {228, 1.0f, 6}};
    for (const ToStep& c : toStep)
        EXPECT_EQ(nikonFloatToBracketStepFor(c.model, c.stops), c.step) << int(c.model) << " " << c.stops;
}

TEST(NikonExposure, BracketShotsBelowAndAboveTheCentre) {
    struct Case {
        uint8_t model;
        int64_t bracketing, pattern;
        bool known;
        uint8_t below, above;
    };
    const Case cases[] = {
        {192, -1, -1, true, 1, 1}, {205, -1, -1, false, 0, 0}, {205, 0, -1, true, 1, 1}, {205, 1, -1, false, 0, 0},
        {194, 1, 1, true, 0, 1},   {194, 1, 2, true, 1, 1},    {194, 1, 3, true, 0, 0},  {217, 1, 5, true, 1, 1},
        {223, 1, 259, true, 2, 0}, {223, 1, 514, true, 0, 1},  {223, 1, 7, true, 1, 1},  {227, 1, 0, true, 0, 0},
        {227, 1, 258, true, 0, 1}, {227, 1, 514, true, 1, 0},  {227, 1, 999, true, 0, 2}, {205, 1, 5, true, 2, 2},
        {205, 1, 2, true, 2, 0},   {205, 1, 9, true, 1, 1},    {250, 1, 0, true, 1, 1},
    };
    for (const Case& c : cases) {
        uint8_t below = 0, above = 0;
        EXPECT_EQ(nikonExposureCompValuesFor(c.model, c.bracketing, c.pattern, &below, &above), c.known)
            << int(c.model) << " " << c.pattern;
        if (!c.known) continue;
        EXPECT_EQ(below, c.below) << int(c.model) << " " << c.pattern;
        EXPECT_EQ(above, c.above) << int(c.model) << " " << c.pattern;
    }
}

// The pattern tables whole, as the bodies' bracketing programs give them: each pattern's shots below and above.
TEST(NikonExposure, EveryBracketPatternOfEachModelGroup) {
    struct Group {
        uint8_t model;
        std::vector<std::array<int, 3>> patterns;  // pattern, below, above
    };
    const Group groups[] = {
        {205, {{0, 1, 0}, {1, 0, 1}, {2, 2, 0}, {3, 0, 2}, {4, 1, 1}, {5, 2, 2}, {6, 3, 3}, {7, 4, 4}, {8, 1, 1}}},
        {194, {{0, 1, 0}, {1, 0, 1}, {2, 1, 1}, {3, 0, 0}}},
        {218, {{0, 1, 1}, {3, 1, 1}, {7, 1, 1}}},
        {223, {{258, 1, 0}, {259, 2, 0}, {514, 0, 1}, {515, 0, 2}, {1029, 2, 2}, {1031, 3, 3}, {1033, 4, 4}, {0, 1, 1}}},
        {230, {{0, 0, 0}, {258, 0, 1}, {259, 2, 0}, {514, 1, 0}, {1027, 1, 1}, {1029, 2, 2}, {1031, 3, 3},
               {1033, 4, 4}, {515, 0, 2}}},
    };
    for (const Group& g : groups) {
        for (const auto& [pattern, below, above] : g.patterns) {
            uint8_t b = 9, a = 9;
            ASSERT_TRUE(nikonExposureCompValuesFor(g.model, 1, pattern, &b, &a)) << int(g.model) << " " << pattern;
            EXPECT_EQ(b, below) << int(g.model) << " pattern " << pattern;
            EXPECT_EQ(a, above) << int(g.model) << " pattern " << pattern;
        }
    }
}

TEST(NikonExposure, StepKindAndShutterTimes) {
    struct Kind {
        uint8_t model;
        uint32_t step;
        int kind;
    };
    for (Kind c : {Kind{224, 2, 1}, Kind{224, 1, 2}, Kind{225, 0, 3}, Kind{227, 6, 1}, Kind{227, 3, 2},
                   Kind{227, 2, 3}, Kind{205, 2, 1}, Kind{205, 1, 2}, Kind{205, 0, 3}})
        EXPECT_EQ(nikonExposureStepKindFor(c.model, c.step), c.kind) << int(c.model) << " " << c.step;
    struct Time {
        uint32_t value, ms;
    };
    for (Time c : {Time{0x000100FA, 4}, Time{0x001E0001, 30000}, Time{0x000D000A, 1300}, Time{0xFFFFFFFF, 0},
                   Time{0xFFFE0001, 0}, Time{0x0000FFFF, 0}, Time{0x00050000, 0}})
        EXPECT_EQ(nikonShutterMilliseconds(c.value), c.ms) << std::hex << c.value;
}

}  // namespace
