#include <gtest/gtest.h>

#include <cstring>

#include "devicesim/automation_device.h"
#include "engine/automation/automation_feedback.h"
#include "engine/automation/automation_request.h"
#include "engine/automation/automation_test_support.h"
#include "engine/link/byte_order.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/session_open.h"

namespace {
float floatAt(const std::vector<uint8_t>& b, size_t at) {
    uint32_t bits = readLe32(b.data() + at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::vector<uint8_t> build(VendorType vendor, uint16_t tlShots, uint32_t property, uint16_t hdrShots, uint8_t order,
                           float bulb) {
    camSetVendor(vendor);
    AutomationRequest r;
    automationBuildRequest(tlShots, property, 0x50, 3, hdrShots, order, 2.0f, 10.0f, bulb, 0.5f, 1, true, &r);
    return automationEncodeRequest(r);
}

class AutomationRequestTest : public ::testing::Test {
protected:
    void SetUp() override { vendorStateReset(); }
    void TearDown() override { vendorStateReset(); }
};
}  // namespace

TEST_F(AutomationRequestTest, SectionsLengthsAndOffsets) {
    // HDR only, 5 shots of shutter speed: 28 bytes, shots at 6 + 12.
    std::vector<uint8_t> hdr = build(VENDOR_CANON, 0, 0xD102, 5, 0, 0);
    ASSERT_EQ(hdr.size(), 28u);
    EXPECT_EQ(hdr[0], 2);
    EXPECT_EQ(hdr[1], 1);
    EXPECT_EQ(readLe32(hdr.data() + 2), 22u);
    EXPECT_EQ(readLe32(hdr.data() + 6), 0xD102u);
    EXPECT_EQ(readLe32(hdr.data() + 10), 0x50u);
    EXPECT_EQ(readLe32(hdr.data() + 14), 3u);
    EXPECT_EQ(readLe16(hdr.data() + 18), 5);
    EXPECT_FLOAT_EQ(floatAt(hdr, 21), 0.5f);
    EXPECT_EQ(hdr[27], 1);  // manual focus

    // Time-lapse only: 23 bytes.
    std::vector<uint8_t> tl = build(VENDOR_CANON, 7, 0xD102, 0, 0, 0);
    ASSERT_EQ(tl.size(), 23u);
    EXPECT_EQ(tl[0], 1);
    EXPECT_EQ(readLe32(tl.data() + 2), 17u);
    EXPECT_EQ(readLe16(tl.data() + 6), 7);
    EXPECT_FLOAT_EQ(floatAt(tl, 8), 2.0f);
    EXPECT_FLOAT_EQ(floatAt(tl, 12), 10.0f);
    EXPECT_EQ(tl[22], 1);

    // Both with bulb: 45 bytes, HDR first and made of bulb exposures.
    std::vector<uint8_t> both = build(VENDOR_NIKON, 4, 0xD100, 3, 0, 30.0f);
    ASSERT_EQ(both.size(), 45u);
    EXPECT_EQ(both[0], 3);
    EXPECT_EQ(readLe32(both.data() + 2), 39u);
    EXPECT_EQ(readLe32(both.data() + 6), kHdrBulbProperty);
    EXPECT_EQ(readLe16(both.data() + 28), 4);
    EXPECT_FLOAT_EQ(floatAt(both, 38), 30.0f);

    AutomationRequest none;
    AutomationRequest noDelay;
    automationBuildRequest(0, 0xD102, 0, 1, 3, 0, 0, 0, 0, 0.0f, 1, false, &noDelay);
    EXPECT_FLOAT_EQ(noDelay.hdr.delay, 0.01f);

    EXPECT_FALSE(automationBuildRequest(0, 0xD102, 0, 1, 0, 0, 0, 0, 0, 0, 1, false, &none));
    EXPECT_TRUE(automationEncodeRequest(none).empty());
}

TEST_F(AutomationRequestTest, OrderSwappedOnlyForListsThatRunBackwards) {
    struct Case {
        VendorType vendor;
        uint32_t property;
        uint8_t order, sent;
    } cases[] = {
        {VENDOR_SONY, 0xD20D, 1, 2},  {VENDOR_SONY, 0xD20D, 2, 1}, {VENDOR_SONY, 0xD20D, 0, 0},
        {VENDOR_FUJI, 0x5007, 2, 1},  {VENDOR_SONY, 0x5007, 1, 1}, {VENDOR_CANON, 0xD102, 1, 1},
        {VENDOR_FUJI, 0x500D, 1, 1},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = build(c.vendor, 0, c.property, 3, c.order, 0);
        ASSERT_EQ(b.size(), 28u);
        EXPECT_EQ(b[6 + 14], c.sent) << std::hex << c.property << " order " << int(c.order);
    }
}

class AutomationDeviceTest : public DevicesimLinkTest {
protected:
    void SetUp() override {
        DevicesimLinkTest::SetUp();
        automation.install(device);
        DeviceMessageCollector::instance().install();
    }
    void TearDown() override {
        automation.stop();
        DevicesimLinkTest::TearDown();
        camSessionReset();
    }
    std::vector<AutomationProgress> feedback(size_t count) {
        std::vector<AutomationProgress> out;
        for (auto& m : DeviceMessageCollector::instance().pumpFor(count, std::chrono::seconds(5))) {
            AutomationProgress p;
            EXPECT_EQ(automationParseFeedback(m.data(), m.size(), &p), PTP_RC_OK);
            out.push_back(p);
        }
        return out;
    }
    devicesim::AutomationDevice automation;  // after the device: stopped before it goes away
};

TEST_F(AutomationDeviceTest, HdrSequenceRunsToCompletionWithProgress) {
    camSetVendor(VENDOR_CANON);
    camSetManualFocusFlag(1);
    ASSERT_EQ(linkStartSequence(0, 0xD102, 0x60, 2, 3, 0, 0, 0, 0, 0.25f, 1), PTP_RC_OK);
    std::vector<AutomationProgress> got = feedback(4);
    ASSERT_EQ(got.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].state, AutomationState::Progress);
        ASSERT_TRUE(got[i].hasHdr);
        EXPECT_FALSE(got[i].hasTimeLapse);
        EXPECT_EQ(got[i].hdrTotal, 3);
        EXPECT_EQ(got[i].hdrTaken, i + 1);
    }
    EXPECT_EQ(got[3].state, AutomationState::Completed);

    auto requests = automation.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].sections, 2);
    EXPECT_EQ(requests[0].hdrProperty, 0xD102u);
    EXPECT_EQ(requests[0].hdrStart, 0x60u);
    EXPECT_EQ(requests[0].hdrShots, 3);
    EXPECT_FLOAT_EQ(requests[0].hdrDelay, 0.25f);
    EXPECT_EQ(requests[0].hdrManualFocus, 1);
}

TEST_F(AutomationDeviceTest, StartWhileRunningIsBusyAndCancelEndsIt) {
    automation.setShotTime(std::chrono::seconds(30));  // the sequence stays on its first shot until cancelled
    ASSERT_EQ(linkStartSequence(5, 0, 0, 0, 0, 0, 1.0f, 12.5f, 0, 0, 1), PTP_RC_OK);
    EXPECT_EQ(linkStartSequence(5, 0, 0, 0, 0, 0, 1.0f, 12.5f, 0, 0, 1), AUTOMATION_BUSY);
    EXPECT_EQ(automation.busyAnswers(), 1);
    EXPECT_EQ(linkCancelSequence(), PTP_RC_OK);
    std::vector<AutomationProgress> got = feedback(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].state, AutomationState::Cancelled);
    EXPECT_EQ(got[0].flags, kFeedbackTimeLapse);
    EXPECT_TRUE(automation.waitUntilIdle(std::chrono::seconds(5)));
    // Once it has ended, a new start is accepted.
    automation.setShotTime(std::chrono::milliseconds(1));
    EXPECT_EQ(linkStartSequence(1, 0, 0, 0, 0, 0, 0, 2.0f, 0, 0, 1), PTP_RC_OK);
}

TEST_F(AutomationDeviceTest, TimeLapseProgressAndFailureStatus) {
    automation.setFailureStatus(0x2019);
    ASSERT_EQ(linkStartSequence(4, 0, 0, 0, 0, 0, 0, 7.9f, 0, 0, 1), PTP_RC_OK);
    std::vector<AutomationProgress> got = feedback(2);
    ASSERT_EQ(got.size(), 2u);
    ASSERT_TRUE(got[0].hasTimeLapse);
    EXPECT_EQ(got[0].timeLapseTotal, 4);
    EXPECT_EQ(got[0].timeLapseTaken, 1);
    EXPECT_EQ(automationIntervalSeconds(got[0].interval), 7u);
    EXPECT_EQ(got[1].state, AutomationState::Failed);
    EXPECT_EQ(got[1].status, 0x2019);
}

TEST_F(AutomationDeviceTest, NothingToRunIsRefusedWithoutSending) {
    EXPECT_EQ(linkStartSequence(0, 0xD102, 0, 1, 0, 0, 0, 0, 0, 0, 1), ERROR_INVALID_INPUT);
    EXPECT_TRUE(commandPackets(kCmdStartSequence).empty());
}

TEST_F(AutomationDeviceTest, LinkFailureIsNotSuccess) {
    device.scriptFault(devicesim::Fault::closeMidPacket(3));
    ResponseCode rc = linkStartSequence(2, 0, 0, 0, 0, 0, 0, 1.0f, 0, 0, 1);
    EXPECT_NE(rc, PTP_RC_OK);
    EXPECT_NE(linkCancelSequence(), PTP_RC_OK);
}
