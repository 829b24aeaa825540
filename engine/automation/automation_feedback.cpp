#include "engine/automation/automation_feedback.h"

#include <cmath>
#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/link/link.h"

AutomationState automationStateOf(ResponseCode status) {
    switch (status) {
        case AUTOMATION_PROGRESS: return AutomationState::Progress;
        case AUTOMATION_COMPLETED: return AutomationState::Completed;
        case AUTOMATION_CANCELLED: return AutomationState::Cancelled;
        default: return AutomationState::Failed;
    }
}

void automationParseProgress(uint8_t flags, const uint8_t* payload, uint32_t payloadLength, AutomationProgress* out) {
    if (!out || !payload) return;
    if ((flags & kFeedbackTimeLapse) && payloadLength >= kTimeLapseFeedbackMin) {
        out->hasTimeLapse = true;
        out->timeLapseTotal = readLe16(payload);
        uint32_t bits = readLe32(payload + 6);
        std::memcpy(&out->interval, &bits, sizeof bits);
        out->timeLapseTaken = readLe16(payload + 14);
    }
    if ((flags & kFeedbackHdr) && payloadLength >= kHdrFeedbackMin) {
        out->hasHdr = true;
        out->hdrTotal = readLe16(payload + 12);
        out->hdrTaken = readLe16(payload + 19);
    }
}

ResponseCode automationParseFeedback(const uint8_t* packet, size_t length, AutomationProgress* out) {
    if (!out) return ERROR_INVALID_INPUT;
    *out = AutomationProgress{};
    if (!packet || length < kFeedbackHeaderSize) return ERROR_BAD_PACKET;
    if (packet[4] != AutomationFeedback) return ERROR_BAD_PACKET;
    const uint32_t total = readLe32(packet);
    if (total != length) return ERROR_BAD_PACKET;
    const uint32_t payloadLength = readLe32(packet + 8);
    // The payload must lie inside the packet; the device's count is never trusted beyond it.
    if (payloadLength > length - kFeedbackHeaderSize) return ERROR_BAD_PACKET;
    out->flags = packet[5];
    out->status = readLe16(packet + 6);
    out->state = automationStateOf(out->status);
    out->payloadLength = payloadLength;
    automationParseProgress(out->flags, packet + kFeedbackHeaderSize, payloadLength, out);
    return PTP_RC_OK;
}

uint32_t automationIntervalSeconds(float interval) {
    if (!std::isfinite(interval) || interval <= 0) return 0;
    if (interval >= 4294967295.0f) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(interval);
}
