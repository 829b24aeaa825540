#include "engine/automation/automation_request.h"

#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/link/link.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"

namespace {
constexpr float kMinHdrDelay = 0.01f;  // the device needs a pause between a bracket's shots

void writeFloat(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    writeLe32(p, bits);
}

void encodeTimeLapseSection(const TimeLapseSection& t, uint8_t* out) {
    std::memset(out, 0, kTimeLapseSectionSize);
    writeLe16(out, t.shots);
    writeFloat(out + 2, t.initialDelay);
    writeFloat(out + 6, t.interval);
    writeFloat(out + 10, t.bulbTime);
    out[16] = t.manualFocus;
}

// The Sony shutter list and the Fujifilm aperture list run the other way round from what the device assumes.
bool listRunsBackwards(uint32_t property) {
    return (camIsSony() && property == 0xD20D) || (camIsFuji() && property == 0x5007);
}
}  // namespace

void automationEncodeHdrSection(const HdrBracketRecord& hdr, uint8_t out[kHdrSectionSize]) {
    std::memset(out, 0, kHdrSectionSize);
    writeLe32(out, hdr.property);
    writeLe32(out + 4, hdr.startValue);
    writeLe32(out + 8, hdr.step);
    writeLe16(out + 12, hdr.shots);
    out[14] = hdr.order;
    writeFloat(out + 15, hdr.delay);
    writeLe16(out + 19, hdr.shotsTaken);
    out[21] = hdr.manualFocus;
}

std::vector<uint8_t> automationEncodeRequest(const AutomationRequest& request) {
    if (!request.hasHdr && !request.hasTimeLapse) return {};
    const uint32_t length =
        (request.hasHdr ? kHdrSectionSize : 0) + (request.hasTimeLapse ? kTimeLapseSectionSize : 0);
    std::vector<uint8_t> out(kAutomationHeaderSize + length, 0);
    out[0] = request.hasHdr ? (request.hasTimeLapse ? kAutomationHdrThenTimeLapse : kAutomationHdr)
                            : kAutomationTimeLapse;
    out[1] = request.flag;
    writeLe32(out.data() + 2, length);
    size_t at = kAutomationHeaderSize;
    if (request.hasHdr) {
        automationEncodeHdrSection(request.hdr, out.data() + at);
        at += kHdrSectionSize;
    }
    if (request.hasTimeLapse) encodeTimeLapseSection(request.timeLapse, out.data() + at);
    return out;
}

bool automationBuildRequest(uint16_t timeLapseShots, uint32_t hdrProperty, uint32_t hdrStartValue, uint32_t hdrStep,
                            uint16_t hdrShots, uint8_t hdrOrder, float initialDelay, float interval, float bulbTime,
                            float hdrDelay, uint8_t flag, bool manualFocus, AutomationRequest* out) {
    if (!out) return false;
    *out = AutomationRequest{};
    out->flag = flag;
    if (hdrShots > 0) {
        uint8_t order = hdrOrder;
        if (listRunsBackwards(hdrProperty) && (order == 1 || order == 2)) order = order == 1 ? 2 : 1;
        out->hasHdr = true;
        out->hdr.property = bulbTime > 0 ? kHdrBulbProperty : hdrProperty;
        out->hdr.startValue = hdrStartValue;
        out->hdr.step = hdrStep;
        out->hdr.shots = hdrShots;
        out->hdr.order = order;
        out->hdr.delay = hdrDelay >= kMinHdrDelay ? hdrDelay : kMinHdrDelay;  // also for a NaN
        out->hdr.manualFocus = manualFocus ? 1 : 0;
    }
    if (timeLapseShots > 0) {
        out->hasTimeLapse = true;
        out->timeLapse.shots = timeLapseShots;
        out->timeLapse.initialDelay = initialDelay;
        out->timeLapse.interval = interval;
        out->timeLapse.bulbTime = bulbTime;
        out->timeLapse.manualFocus = manualFocus ? 1 : 0;
    }
    return out->hasHdr || out->hasTimeLapse;
}

ResponseCode linkStartSequence(uint16_t timeLapseShots, uint32_t hdrProperty, uint32_t hdrStartValue, uint32_t hdrStep,
                               uint16_t hdrShots, uint8_t hdrOrder, float initialDelay, float interval, float bulbTime,
                               float hdrDelay, uint8_t flag) {
    if (timeLapseShots == 0 && hdrShots == 0) return ERROR_INVALID_INPUT;
    AutomationRequest request;
    automationBuildRequest(timeLapseShots, hdrProperty, hdrStartValue, hdrStep, hdrShots, hdrOrder, initialDelay,
                           interval, bulbTime, hdrDelay, flag, camIsManualFocus(), &request);
    const std::vector<uint8_t> bytes = automationEncodeRequest(request);
    return linkCommand(kCmdStartSequence, bytes.data(), static_cast<uint32_t>(bytes.size()));
}
