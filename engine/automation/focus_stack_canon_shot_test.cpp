// Canon's focus-stack picture against a simulated body: the second press of a mirror-up body, and the write that
// tells the camera the picture is done (0xD10F set to its own value, 0xD11C when 0xD10F is absent or disabled,
// written again while the camera is busy).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/automation/focus_stack.h"
#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/vendors/canon/canon_test_fixture.h"

namespace {

using Writes = std::vector<std::pair<uint32_t, uint32_t>>;

struct ReadyCase {
    std::string name;
    std::vector<uint32_t> absent;           // properties the body lacks
    std::optional<uint32_t> onlyD10FValue;  // 0xD10F offered with this one value only (disabled)
    int refused = 0;                        // sets answered `refusedWith` first
    uint16_t refusedWith = 0x2019;
    ResponseCode expected;
    Writes writes;  // the sets the camera received, as (code, value)
};

// The body's values: 0xD10F is 1 (of 1, 2), 0xD11C is 4 (of 2, 4).
const ReadyCase kReadyCases[] = {
    {"D10FEnabled", {}, std::nullopt, 0, 0x2019, PTP_RC_OK, {{0xD10F, 1}}},
    {"D10FDisabled", {}, 1u, 0, 0x2019, PTP_RC_OK, {{0xD11C, 4}}},
    {"D10FAbsent", {0xD10F}, std::nullopt, 0, 0x2019, PTP_RC_OK, {{0xD11C, 4}}},
    {"NeitherWritable", {0xD10F, 0xD11C}, std::nullopt, 0, 0x2019, ERROR_SHOT_FAILED, {}},
    {"NeitherEnabled", {0xD11C}, 1u, 0, 0x2019, ERROR_SHOT_FAILED, {}},
    {"BusyTwice", {}, std::nullopt, 2, 0x2019, PTP_RC_OK, {{0xD10F, 1}, {0xD10F, 1}, {0xD10F, 1}}},
    {"Refused", {}, std::nullopt, 1, 0x2005, ERROR_SHOT_FAILED, {{0xD10F, 1}}},
};

// The mirror-up DSLR body, shaped by `body` (its absent properties, a disabled 0xD10F), in an open session.
class CanonShotTest : public CanonDeviceTest {
protected:
    devicesim::CanonCameraOptions cameraOptions() override {
        devicesim::CanonCameraOptions o;
        o.body = devicesim::CanonBody::DslrJpegLiveView;  // the body with mirror-up (0xD13A)
        o.jpegSize = 30 * 1024;
        o.absentProperties = body.absent;
        return o;
    }
    void SetUp() override {
        CanonDeviceTest::SetUp();
        if (body.onlyD10FValue) {
            devicesim::CanonSimProperty p = *canon->property(0xD10F);
            p.allowed = {*body.onlyD10FValue};
            canon->setProperty(p);
        }
        ASSERT_EQ(openCanonSession(), PTP_RC_OK);
        device.clearLog();
    }

    // The property sets the camera received: a set's data ends with its record (size, code, value).
    Writes writes() const {
        Writes out;
        for (const auto& p : ptpPackets(0x9110))
            if (p.bytes.size() >= 12)
                out.emplace_back(readLe32(p.bytes.data() + p.bytes.size() - 8),
                                 readLe32(p.bytes.data() + p.bytes.size() - 4));
        return out;
    }
    size_t fullPresses() const {
        size_t n = 0;
        for (const auto& params : sent(0x9128)) n += !params.empty() && params[0] == 2;
        return n;
    }

    ReadyCase body;
};

class CanonStackShot : public CanonShotTest, public ::testing::WithParamInterface<ReadyCase> {
protected:
    CanonStackShot() { body = GetParam(); }
};

TEST_P(CanonStackShot, ReadyWriteAfterThePicture) {
    const ReadyCase& c = GetParam();
    if (c.refused) canon->refuseSets(c.refused, c.refusedWith);
    EXPECT_EQ(focusStackStep(), c.expected);
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_EQ(fullPresses(), 1u);
    EXPECT_EQ(writes(), c.writes);
    EXPECT_FALSE(canon->fullPressed());
}

INSTANTIATE_TEST_SUITE_P(Cases, CanonStackShot, ::testing::ValuesIn(kReadyCases),
                         [](const ::testing::TestParamInfo<ReadyCase>& info) { return info.param.name; });

// With mirror-up on (0xD13A = 1) the first press only lifts the mirror: the shot presses a second time, and the
// ready write follows the picture.
using CanonTwoPressShot = CanonShotTest;

TEST_F(CanonTwoPressShot, MirrorUpTakesTheSecondPress) {
    EXPECT_FALSE(camNeedsSecondPress());
    ASSERT_EQ(propSet(0xD13A, 1, true), PTP_RC_OK);
    EXPECT_TRUE(camNeedsSecondPress());
    device.clearLog();
    EXPECT_EQ(focusStackStep(), PTP_RC_OK);
    EXPECT_EQ(fullPresses(), 2u);
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_EQ(writes(), (Writes{{0xD10F, 1}}));
    EXPECT_FALSE(canon->fullPressed());
}

// A second press the camera refuses fails the shot with 0xFF00, and no ready write follows.
TEST_F(CanonTwoPressShot, RefusedSecondPressFailsTheShot) {
    ASSERT_EQ(propSet(0xD13A, 1, true), PTP_RC_OK);
    device.clearLog();
    canon->failOperation(0x9128, 2u, 0x2002, 1, 1);
    EXPECT_EQ(focusStackStep(), ERROR_SHOT_FAILED);
    EXPECT_EQ(canon->shots(), 0);
    EXPECT_EQ(writes(), Writes{});
}

}  // namespace
