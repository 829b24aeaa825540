#pragma once
// Requests that start and cancel an automation (HDR bracket, time-lapse, timed bulb) that the device runs on its
// own, and the record of one HDR bracket that both the device request and the application-run bracket use.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ptp/response_code.h"

// The property code that marks a bracket made of bulb exposures.
inline constexpr uint32_t kHdrBulbProperty = 0x1234;

// Sections of an AutomationRequest.
enum : uint8_t {
    kAutomationTimeLapse = 1,
    kAutomationHdr = 2,
    kAutomationHdrThenTimeLapse = 3,
};
inline constexpr uint32_t kHdrSectionSize = 22;
inline constexpr uint32_t kTimeLapseSectionSize = 17;
inline constexpr uint32_t kAutomationHeaderSize = 6;

// One HDR bracket; encoded as the 22-byte HDR section, field for field.
struct HdrBracketRecord {
    uint32_t property = 0;  // the bracketed property, or kHdrBulbProperty
    uint32_t startValue = 0;
    uint32_t step = 0;  // entries of the allowed-value list (bulb: thirds of an EV)
    uint16_t shots = 0;
    uint8_t order = 0;       // 0 from the middle outward, 1 or 2 one-sided
    float delay = 0;         // seconds between the bracket's shots
    uint16_t shotsTaken = 0;
    uint8_t manualFocus = 0;
};

struct TimeLapseSection {
    uint16_t shots = 0;
    float initialDelay = 0;  // seconds
    float interval = 0;      // seconds
    float bulbTime = 0;      // seconds, 0 = no bulb
    uint8_t manualFocus = 0;
};

// What goes out with 0xD3: either section or both, HDR first.
struct AutomationRequest {
    uint8_t flag = 0;  // 1 from the HDR and time-lapse panels, 0 for a timed bulb exposure alone
    bool hasHdr = false;
    HdrBracketRecord hdr;
    bool hasTimeLapse = false;
    TimeLapseSection timeLapse;
};

// The request's bytes (28, 23 or 45); empty when it has no section.
std::vector<uint8_t> automationEncodeRequest(const AutomationRequest& request);
void automationEncodeHdrSection(const HdrBracketRecord& hdr, uint8_t out[kHdrSectionSize]);

// Builds the request from the panels' values: orders 1 and 2 swapped for the lists that run the other way (Sony
// 0xD20D, Fujifilm 0x5007), the bulb property when a bulb time is given, the camera's manual-focus state in both
// sections. False when neither section has shots.
bool automationBuildRequest(uint16_t timeLapseShots, uint32_t hdrProperty, uint32_t hdrStartValue, uint32_t hdrStep,
                            uint16_t hdrShots, uint8_t hdrOrder, float initialDelay, float interval, float bulbTime,
                            float hdrDelay, uint8_t flag, bool manualFocus, AutomationRequest* out);

// 0xD3: starts the automation on the device. No shots in either section -> 0xFF15 without sending; a sequence that
// already runs -> 0xFF41 from the device; link failures as their code.
ResponseCode linkStartSequence(uint16_t timeLapseShots, uint32_t hdrProperty, uint32_t hdrStartValue, uint32_t hdrStep,
                               uint16_t hdrShots, uint8_t hdrOrder, float initialDelay, float interval, float bulbTime,
                               float hdrDelay, uint8_t flag);
