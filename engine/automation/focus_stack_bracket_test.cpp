// Brackets run from the application against a simulated Canon body: the values of a property bracket and the
// picture taken at each, the times of a bulb bracket, the jobs refused before any shot, and the cancel.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/automation/focus_stack.h"
#include "engine/automation/focus_stack_bracket.h"
#include "engine/automation/focus_stack_bracket_test_support.h"
#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/canon/canon_test_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using bracket_test::job;

// The body's lists (devicesim/canon_camera.cpp).
const std::vector<uint32_t> kAperture = {0x20, 0x23, 0x25, 0x28, 0x2B, 0x2D, 0x30, 0x33, 0x35,
                                         0x38, 0x3B, 0x3D, 0x40, 0x43, 0x45, 0x48, 0x50};
const std::vector<uint32_t> kShutter = {0x0C, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48, 0x50, 0x58,
                                        0x5D, 0x60, 0x65, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x98, 0xA0};
const std::vector<uint32_t> kIso = {0x00, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55, 0x58, 0x60, 0x68, 0x70, 0x78};

class BracketTest : public CanonDeviceTest {
protected:
    devicesim::CanonCameraOptions cameraOptions() override {
        devicesim::CanonCameraOptions o;
        o.body = devicesim::CanonBody::Mirrorless;
        o.jpegSize = 30 * 1024;
        return o;
    }
    void SetUp() override {
        CanonDeviceTest::SetUp();
        ASSERT_EQ(openCanonSession(), PTP_RC_OK);
        device.clearLog();
    }
    // The body in its bulb program, where a full press holds the shutter open until released.
    void bulbMode() {
        ASSERT_EQ(propSet(camVendorPropertyCodes().exposureMode, 4, true), PTP_RC_OK);
        device.clearLog();
    }

    // From the device's log: the value of `property` last set when each full press arrived.
    std::vector<uint32_t> valueAtEachShot(uint32_t property) const {
        std::vector<uint32_t> out;
        uint32_t current = 0xFFFFFFFF;
        for (const auto& p : device.log()) {
            if (!p.ptpOperation) continue;
            // A set's data ends with its record: size, code, value.
            if (*p.ptpOperation == 0x9110 && p.bytes.size() >= 12 &&
                readLe32(p.bytes.data() + p.bytes.size() - 8) == property)
                current = readLe32(p.bytes.data() + p.bytes.size() - 4);
            if (*p.ptpOperation == 0x9128 && !p.ptpParams.empty() && p.ptpParams[0] == 2) out.push_back(current);
        }
        return out;
    }
};

// Directions: aperture and shutter lists are walked downward, others upward; order 1 runs the other way.
TEST_F(BracketTest, ValueTablesFollowTheListAndItsDirection) {
    struct Case {
        const char* name;
        HdrBracketRecord job;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"aperture from the middle", job(0xD101, 0x30, 2, 5, 0),
         {kAperture[10], kAperture[8], kAperture[6], kAperture[4], kAperture[2]}},
        {"shutter index 10, step 3, middle", job(0xD102, kShutter[10], 3, 3, 0),
         {kShutter[13], kShutter[10], kShutter[7]}},
        {"iso from the middle", job(0xD103, kIso[5], 1, 4, 0), {kIso[3], kIso[4], kIso[5], kIso[6]}},
        {"iso order 1", job(0xD103, kIso[5], 2, 3, 1), {kIso[5], kIso[3], kIso[1]}},
        {"iso order 2", job(0xD103, kIso[5], 2, 3, 2), {kIso[5], kIso[7], kIso[9]}},
        {"bulb, one EV", job(kHdrBulbProperty, 400, 3, 3, 0), {200, 400, 800}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> values;
        ASSERT_EQ(focusBracketValues(c.job, &values), PTP_RC_OK);
        EXPECT_EQ(values, c.expected);
    }
}

TEST_F(BracketTest, BadJobsAreRefusedBeforeAnyShot) {
    struct Case {
        const char* name;
        HdrBracketRecord job;
    };
    const Case cases[] = {
        {"zero bulb base", job(kHdrBulbProperty, 0, 3, 3, 0)},
        {"zero step", job(0xD103, kIso[5], 0, 3, 0)},
        {"zero bulb step", job(kHdrBulbProperty, 400, 0, 3, 0)},
        {"no shots", job(0xD103, kIso[5], 1, 0, 0)},
        {"61 bulb shots", job(kHdrBulbProperty, 400, 1, 61, 0)},
        {"leaves the list", job(0xD103, kIso[5], 2, 5, 2)},
        {"start not in the list", job(0xD103, 0x49, 1, 3, 0)},
        {"not a listed property", job(0xD11B, 1234, 1, 3, 0)},
        {"absent property", job(0xD1FE, 1, 1, 3, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HdrBracketRecord j = c.job;
        EXPECT_EQ(focusStackRun(&j), ERROR_INVALID_INPUT);
        EXPECT_EQ(j.shotsTaken, 0);
        EXPECT_EQ(focusBracketRunning(), 0);
    }
    EXPECT_EQ(canon->shots(), 0);
    EXPECT_EQ(ptpPackets(0x9110).size(), 0u);
}

TEST_F(BracketTest, PropertyBracketTakesAPictureAtEachValue) {
    HdrBracketRecord j = job(0xD101, 0x30, 2, 5, 0);
    j.delay = 0.01f;
    EXPECT_EQ(focusStackRun(&j), PTP_RC_OK);
    EXPECT_EQ(j.shotsTaken, 5);
    EXPECT_EQ(canon->shots(), 5);
    EXPECT_EQ(valueAtEachShot(0xD101),
              (std::vector<uint32_t>{kAperture[10], kAperture[8], kAperture[6], kAperture[4], kAperture[2]}));
    EXPECT_EQ(focusBracketRunning(), 0);
    EXPECT_FALSE(canon->fullPressed());
}

// The shared check: each exposure held for its time (one EV apart, so a wrong step shows), a picture each, nothing
// held after.
TEST_F(BracketTest, BulbBracketHoldsEachExposureForItsTime) {
    bulbMode();
    bracket_test::expectBulbBracket(
        {[this] { device.clearLog(); }, [this] { return canon->shots(); }, [this] { return canon->fullPressed(); },
         [this] { return canon->bulbExposures(); },
         [this] { return !canon->fullPressed() && !canon->halfPressed(); },
         [this](uint32_t property) { return valueAtEachShot(property); }});
}

// A cancel during a long exposure closes the shutter at once and ends the run with 0xFF16.
TEST_F(BracketTest, CancelCutsABulbExposureShortAndClosesTheShutter) {
    bulbMode();
    std::thread canceller([&] {
        const auto limit = Clock::now() + std::chrono::seconds(10);
        while (!canon->fullPressed() && Clock::now() < limit) std::this_thread::yield();
        focusStackCancel();
    });
    HdrBracketRecord j = job(kHdrBulbProperty, 30000, 3, 3, 0);
    const auto start = Clock::now();
    ResponseCode rc = focusStackRun(&j);
    canceller.join();
    EXPECT_EQ(rc, ERROR_CANCELLED);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(j.shotsTaken, 0);
    EXPECT_FALSE(canon->fullPressed());
    EXPECT_EQ(focusBracketRunning(), 0);
    // The next run has a wake-up of its own and is not stopped by the old cancel.
    HdrBracketRecord next = job(kHdrBulbProperty, 40, 3, 1, 0);
    EXPECT_EQ(focusStackRun(&next), PTP_RC_OK);
    EXPECT_EQ(next.shotsTaken, 1);
}

}  // namespace
