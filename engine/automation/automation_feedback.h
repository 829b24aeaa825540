#pragma once
// The automation feedback packets (0xF7) that the device sends on its own while it runs a sequence: status and
// progress counts. The packet is checked against its own length before any field is read.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/response_code.h"

enum : uint8_t {
    kFeedbackTimeLapse = 0x01,  // flags bit 0
    kFeedbackHdr = 0x02,        // flags bit 1
};
inline constexpr uint32_t kFeedbackHeaderSize = 12;
inline constexpr uint32_t kTimeLapseFeedbackMin = 17;
inline constexpr uint32_t kHdrFeedbackMin = 22;

enum class AutomationState : uint8_t { Progress, Completed, Cancelled, Failed };

struct AutomationProgress {
    uint8_t flags = 0;
    ResponseCode status = 0;
    AutomationState state = AutomationState::Failed;
    uint32_t payloadLength = 0;  // as announced, and checked to lie inside the packet
    // Time-lapse part, when the flags have bit 0 and the payload holds it.
    bool hasTimeLapse = false;
    uint16_t timeLapseTotal = 0;
    float interval = 0;  // seconds
    uint16_t timeLapseTaken = 0;
    // HDR part, when the flags have bit 1 and the payload holds it.
    bool hasHdr = false;
    uint16_t hdrTotal = 0;
    uint16_t hdrTaken = 0;
};

AutomationState automationStateOf(ResponseCode status);

// Parses a whole 0xF7 packet (header included). ERROR_BAD_PACKET when it is not one, is shorter than its header,
// announces a total length other than the bytes given, or a payload that runs past them; ERROR_INVALID_INPUT for a
// missing output. A progress part whose payload is too short to hold it is left out (hasTimeLapse/hasHdr false).
ResponseCode automationParseFeedback(const uint8_t* packet, size_t length, AutomationProgress* out);

// The progress parts of a feedback payload alone (the bytes after the packet's header), as far as the flags ask for
// them and payloadLength holds them; the parts found are added to out (hasTimeLapse/hasHdr set).
void automationParseProgress(uint8_t flags, const uint8_t* payload, uint32_t payloadLength, AutomationProgress* out);

// The interval shown to the user, in whole seconds (never negative, NaN as 0).
uint32_t automationIntervalSeconds(float interval);
