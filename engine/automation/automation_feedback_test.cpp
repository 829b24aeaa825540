#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/automation/automation_feedback.h"
#include "engine/link/byte_order.h"

namespace {
std::vector<uint8_t> packet(uint8_t flags, uint16_t status, const std::vector<uint8_t>& payload,
                            int32_t announcedPayloadDelta = 0, int32_t totalDelta = 0) {
    std::vector<uint8_t> p(12 + payload.size());
    writeLe32(p.data(), uint32_t(int64_t(p.size()) + totalDelta));
    p[4] = 0xF7;
    p[5] = flags;
    writeLe16(p.data() + 6, status);
    writeLe32(p.data() + 8, uint32_t(int64_t(payload.size()) + announcedPayloadDelta));
    std::copy(payload.begin(), payload.end(), p.begin() + 12);
    return p;
}

std::vector<uint8_t> progressPayload(size_t size) {
    std::vector<uint8_t> p(size, 0);
    if (size >= 2) writeLe16(p.data(), 10);
    if (size >= 10) {
        float f = 3.75f;
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        writeLe32(p.data() + 6, bits);
    }
    if (size >= 14) writeLe16(p.data() + 12, 5);
    if (size >= 16) writeLe16(p.data() + 14, 4);
    if (size >= 21) writeLe16(p.data() + 19, 2);
    return p;
}
}  // namespace

TEST(AutomationFeedback, ProgressParts) {
    struct Case {
        uint8_t flags;
        size_t payload;
        bool timeLapse, hdr;
    } cases[] = {
        {1, 17, true, false}, {2, 22, false, true}, {3, 22, true, true}, {3, 17, true, false},
        {3, 21, true, false},  // HDR needs 22 bytes; 21 holds only the time-lapse part
        {2, 21, false, false}, {1, 16, false, false}, {0, 22, false, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> p = packet(c.flags, AUTOMATION_PROGRESS, progressPayload(c.payload));
        AutomationProgress out;
        ASSERT_EQ(automationParseFeedback(p.data(), p.size(), &out), PTP_RC_OK);
        EXPECT_EQ(out.state, AutomationState::Progress);
        EXPECT_EQ(out.hasTimeLapse, c.timeLapse) << int(c.flags) << "/" << c.payload;
        EXPECT_EQ(out.hasHdr, c.hdr) << int(c.flags) << "/" << c.payload;
        if (out.hasTimeLapse) {
            EXPECT_EQ(out.timeLapseTotal, 10);
            EXPECT_EQ(out.timeLapseTaken, 4);
            EXPECT_EQ(automationIntervalSeconds(out.interval), 3u);
        }
        if (out.hasHdr) {
            EXPECT_EQ(out.hdrTotal, 5);
            EXPECT_EQ(out.hdrTaken, 2);
        }
    }
}

TEST(AutomationFeedback, StatusesAndRefusedPackets) {
    EXPECT_EQ(automationStateOf(AUTOMATION_COMPLETED), AutomationState::Completed);
    EXPECT_EQ(automationStateOf(AUTOMATION_CANCELLED), AutomationState::Cancelled);
    EXPECT_EQ(automationStateOf(AUTOMATION_PROGRESS), AutomationState::Progress);
    EXPECT_EQ(automationStateOf(AUTOMATION_BUSY), AutomationState::Failed);
    EXPECT_EQ(automationStateOf(0x2019), AutomationState::Failed);

    AutomationProgress out;
    std::vector<uint8_t> end = packet(1, AUTOMATION_COMPLETED, {});
    ASSERT_EQ(automationParseFeedback(end.data(), end.size(), &out), PTP_RC_OK);
    EXPECT_EQ(out.state, AutomationState::Completed);
    EXPECT_FALSE(out.hasTimeLapse);

    // A payload length that runs past the packet, a total that disagrees with the bytes, another type, a stub.
    std::vector<std::vector<uint8_t>> bad = {
        packet(1, AUTOMATION_PROGRESS, progressPayload(17), +1),
        packet(1, AUTOMATION_PROGRESS, progressPayload(17), 0x7FFFFFF0),
        packet(1, AUTOMATION_PROGRESS, progressPayload(17), 0, -1),
        packet(1, AUTOMATION_PROGRESS, progressPayload(17), 0, +100),
        std::vector<uint8_t>(11, 0),
    };
    std::vector<uint8_t> wrongType = packet(1, AUTOMATION_PROGRESS, progressPayload(17));
    wrongType[4] = 0xFD;
    bad.push_back(wrongType);
    for (auto& b : bad) EXPECT_EQ(automationParseFeedback(b.data(), b.size(), &out), ERROR_BAD_PACKET);
    EXPECT_EQ(automationParseFeedback(nullptr, 0, &out), ERROR_BAD_PACKET);
    EXPECT_EQ(automationParseFeedback(end.data(), end.size(), nullptr), ERROR_INVALID_INPUT);

    EXPECT_EQ(automationIntervalSeconds(-2.0f), 0u);
    EXPECT_EQ(automationIntervalSeconds(std::nanf("")), 0u);
}
