#include "engine/vendors/canon/canon_exposure.h"

#include <gtest/gtest.h>

#include "engine/ptp/property_store.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

TEST(CanonExposure, CodesToStops) {
    const struct {
        uint32_t code;
        float stops;
    } cases[] = {{0x00, 0.0f},       {0x03, 1 / 3.0f},   {0x04, 0.5f},  {0x05, 2 / 3.0f},  {0x08, 1.0f},
                 {0x0C, 1.5f},       {0x0D, 5 / 3.0f},   {0x18, 3.0f},  {0x28, 5.0f},      {0xFD, -1 / 3.0f},
                 {0xFB, -2 / 3.0f},  {0xF8, -1.0f},      {0xF4, -1.5f}, {0xD8, -5.0f},     {0xA1, -40 / 3.0f},
                 {0xA0, 160 / 8.0f}, {0x01, 1 / 3.0f}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(canonEvCodeToFloat(c.code), c.stops) << std::hex << c.code;
}

// Fractions past two thirds go to the nearest step, never back to the whole stop below; every exposure code the
// camera names (whole stops, thirds, halves and two thirds from -5 to +5) comes back from its stops unchanged.
TEST(CanonExposure, StopsGoToTheNearestStepAndEveryNamedCodeRoundTrips) {
    const struct {
        float stops;
        uint32_t code;
    } cases[] = {{0.767f, 0x05}, {0.8f, 0x05}, {0.82f, 0x05}, {0.84f, 0x08}, {0.849f, 0x08}, {1.8f, 0x0D},
                 {-0.8f, 0xFB},  {-1.8f, 0xF3}, {4.8f, 0x25},  {4.84f, 0x28}};
    for (const auto& c : cases) EXPECT_EQ(canonEvFloatToCode(c.stops), c.code) << c.stops;

    std::vector<uint32_t> named = {0x00};
    for (uint32_t whole = 0; whole < 5; ++whole)
        for (uint32_t step : {3u, 4u, 5u, 8u}) {
            named.push_back(8 * whole + step);
            named.push_back(256 - (8 * whole + step));
        }
    ASSERT_EQ(named.size(), 41u);
    for (uint32_t code : named)
        EXPECT_EQ(canonEvFloatToCode(canonEvCodeToFloat(code)), code) << std::hex << code;
}

TEST(CanonExposure, StopsToCodes) {
    const struct {
        float stops;
        uint32_t code;
    } cases[] = {{0.0f, 0x00},   {0.05f, 0x00},  {-0.09f, 0x00}, {1 / 3.0f, 0x03}, {0.5f, 0x04},  {2 / 3.0f, 0x05},
                 {1.0f, 0x08},   {0.9f, 0x08},   {1.5f, 0x0C},   {5 / 3.0f, 0x0D}, {3.0f, 0x18},  {-1.0f, 0xF8},
                 {-2 / 3.0f, 0xFB}, {-1.5f, 0xF4}, {-5.0f, 0xD8}, {2.95f, 0x18}};
    for (const auto& c : cases) EXPECT_EQ(canonEvFloatToCode(c.stops), c.code) << c.stops;
    // Every named step survives the round trip.
    for (int code : {0x00, 0x03, 0x04, 0x05, 0x08, 0x0B, 0x0C, 0x0D, 0x10, 0x15, 0x28, 0xFD, 0xFC, 0xFB, 0xF8, 0xD8})
        EXPECT_EQ(canonEvFloatToCode(canonEvCodeToFloat(code)), static_cast<uint32_t>(code)) << code;
}

class CanonExposureStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        canonForgetBracketMax();
    }
    void TearDown() override {
        test_vendor::resetCoreState();
        canonForgetBracketMax();
    }
    static void list(uint32_t code, std::vector<PropertyValueNamesStruct> rows) {
        PropertyStruct* r = propFind(code, true);
        if (!r) r = propCreate(code, true);
        propSetValueList(r, rows.data(), static_cast<uint16_t>(rows.size()));
        propUnlock(r);
    }
};

TEST_F(CanonExposureStoreTest, CompensationLimitsAndStepKind) {
    EXPECT_EQ(canonExposureStepKind(), 3);  // no 0xD104
    EXPECT_EQ(canonExposureCompMax(), 0.0f);
    list(0xD104, {{"-3", 0xE8}, {"-2 2/3", 0xEB}, {"-1/3", 0xFD}, {"0", 0}, {"+1/3", 3}, {"+2", 0x10}, {"+1", 8}});
    EXPECT_EQ(canonExposureCompMax(), 2.0f);
    EXPECT_EQ(canonExposureCompMin(), -3.0f);
    EXPECT_EQ(canonExposureStepKind(), 3);
    list(0xD104, {{"-1/2", 0xFC}, {"0", 0}, {"+1/2", 4}});
    EXPECT_EQ(canonExposureStepKind(), 2);
    // Without 0xD104's values, 0xD1D9's decide, then 0xD102's "1/45".
    list(0xD104, {});
    list(0xD1D9, {{"Off", 0}, {"+/- 1/2", 4}});
    EXPECT_EQ(canonExposureStepKind(), 2);
    list(0xD1D9, {});
    list(0xD102, {{"1/45", 0x64}});
    EXPECT_EQ(canonExposureStepKind(), 2);
    list(0xD102, {{"1/40", 0x63}});
    EXPECT_EQ(canonExposureStepKind(), 3);
}

TEST_F(CanonExposureStoreTest, BracketMaximumIsComputedOncePerSession) {
    list(0xD1D9, {{"Off", 0}, {"+/- 1", 8}, {"+/- 3", 0x18}});
    EXPECT_EQ(canonBracketMax(), 3.0f);
    list(0xD1D9, {{"Off", 0}, {"+/- 2", 0x10}});
    EXPECT_EQ(canonBracketMax(), 3.0f);  // kept for the session
    canonForgetBracketMax();
    EXPECT_EQ(canonBracketMax(), 2.0f);
    float pair[2];
    EXPECT_EQ(canonBracketValues(pair, 1.5f), 2);
    EXPECT_EQ(pair[0], 1.5f);
    EXPECT_EQ(pair[1], -1.5f);
    EXPECT_EQ(canonBracketValues(nullptr, 1.0f), 0);
}

TEST(CanonExposure, SmallTests) {
    uint32_t a = 0, b = 0;
    EXPECT_TRUE(canonHdrReferenceCodes(0xD102, &a, &b));
    EXPECT_EQ(a, 0x5Du);
    EXPECT_EQ(b, 0x65u);
    EXPECT_FALSE(canonHdrReferenceCodes(0xD104, &a, &b));
    for (uint32_t v : {1u, 4u, 5u, 20u, 21u, 22u}) EXPECT_TRUE(canonIsContinuousDrive(v));
    for (uint32_t v : {0u, 6u, 0x10u, 0x12u}) EXPECT_FALSE(canonIsContinuousDrive(v));
}

}  // namespace
