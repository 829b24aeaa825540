// Arbitrary bytes as an automation feedback packet from the device.
#include <cstddef>
#include <cstdint>

#include "engine/automation/automation_feedback.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AutomationProgress p;
    if (automationParseFeedback(data, size, &p) == PTP_RC_OK) {
        if (size < kFeedbackHeaderSize || p.payloadLength > size - kFeedbackHeaderSize) __builtin_trap();
        if (p.hasTimeLapse && p.payloadLength < kTimeLapseFeedbackMin) __builtin_trap();
        if (p.hasHdr && p.payloadLength < kHdrFeedbackMin) __builtin_trap();
        (void)automationIntervalSeconds(p.interval);
    }
    return 0;
}
