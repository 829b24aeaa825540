#include "engine/vendors/sony/sony_operations.h"

#include <chrono>
#include <cstdlib>

#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/sony/sony_properties.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
using namespace engine_timing;

ResponseCode button(uint32_t code, bool down) { return sonyWriteControl(code, down ? 2 : 1, 2); }

bool inList(uint32_t v, std::initializer_list<uint32_t> list) {
    for (uint32_t x : list)
        if (x == v) return true;
    return false;
}

const std::initializer_list<uint32_t> kContinuousBrackets = {0x8311, 0x8321, 0x8331, 0x8337, 0x8357, 0x8377,
                                                             0x8511, 0x8521, 0x8531, 0x8537, 0x8557, 0x8577,
                                                             0x8911, 0x8937, 0x8957, 0x8977};

// Extremes of the exposure-compensation list, starting from 0.
float compensationExtreme(bool largest) {
    PropertyStruct* r = propFind(0x5010, true);
    if (!r) return 0.0f;
    float best = 0.0f;
    for (uint16_t i = 0; i < r->valueCount; ++i) {
        float ev = sonyExposureCompToEv(r->values[i].value);
        if (largest ? ev > best : ev < best) best = ev;
    }
    propUnlock(r);
    return best;
}
}  // namespace

ResponseCode sonyCapture() {
    ResponseCode rc = button(kSonyButtonHalf, true);
    if (rc == PTP_RC_OK) rc = button(kSonyButtonFull, true);
    if (rc != PTP_RC_OK) {
        // Let go of both buttons so that the camera is never left pressed.
        button(kSonyButtonFull, false);
        button(kSonyButtonHalf, false);
    }
    return rc;
}

ResponseCode sonyRelease() {
    ResponseCode rc = button(kSonyButtonHalf, false);
    ResponseCode full = button(kSonyButtonFull, false);
    return rc != PTP_RC_OK ? rc : full;
}

ResponseCode sonyHalfPress() { return button(kSonyButtonHalf, true); }
ResponseCode sonyHalfPressRelease() { return button(kSonyButtonHalf, false); }
ResponseCode sonyMovieRecordStart() { return button(kSonyButtonMovie, true); }
ResponseCode sonyMovieRecordStop() { return button(kSonyButtonMovie, false); }
bool sonyMovieSupported() { return camModelIndex() != 165; }

bool sonyIsManualFocus() { return sonyValueIs(0x500A, 1); }
bool sonyIsAutoFocus() { return !sonyIsManualFocus(); }

bool sonyHasFocus() {
    uint32_t v = 0;
    return sonyPropertyValue(0xD213, &v) && (v == 2 || v == 6);
}

bool sonyFocusToggleAvailable() {
    SonyState& s = sonyState();
    if (!s.buttonControl) return false;
    return s.focusToggled || (camModelIndex() != 164 && !sonyIsManualFocus());
}

ResponseCode sonyToggleFocus(bool manual) {
    SonyState& s = sonyState();
    if (sonyIsManualFocus() == manual) return PTP_RC_OK;
    if (!s.buttonControl) return ERROR_CAMERA_NOT_SUPPORTED;
    uint32_t final = 0;
    if ((sonyIsAutoFocus() || s.focusToggled) && !s.invertedToggle) {
        final = manual ? 2 : 1;
    } else if (manual) {
        final = 1;
        s.invertedToggle = false;
    } else {
        final = 2;
        s.invertedToggle = true;
    }
    if (camModelIndex() == 180) {
        ResponseCode rc = sonyWriteControl(kSonyFocusToggle, 3 - final, 2);
        if (rc != PTP_RC_OK) return rc;
        sonySleep(kSonyFocusToggleSettle);
    }
    return sonyWriteControl(kSonyFocusToggle, final, 2);
}

ResponseCode sonySetManualFocus(bool manual) {
    if (sonyIsManualFocus() == manual) return PTP_RC_OK;
    if (!sonyFocusToggleAvailable()) return PTP_ERROR_UNSUPPORTED_COMMAND;
    const bool wasAuto = sonyIsAutoFocus();
    ResponseCode rc = sonyToggleFocus(manual);
    if (rc == PTP_RC_OK) sonyState().focusToggled = wasAuto;
    return rc;
}

ResponseCode sonyFocusStep(int steps) {
    return sonyWriteControl(kSonyDriveLens, static_cast<uint16_t>(static_cast<int16_t>(steps)), 2);
}

bool sonyIsBulb() {
    PropertyStruct* r = propFind(0xD20D, true);
    if (!r) return false;
    bool bulb = r->enabled && r->value == 0;
    propUnlock(r);
    return bulb;
}

bool sonyBulbAvailable() {
    uint32_t program = 0;
    if (!sonyPropertyValue(0x500E, &program)) return true;
    if (inList(program, {4, 0x8050, 0x30004, 0x78050})) return false;
    // Without a drive-mode record nothing says the drive is continuous.
    uint32_t drive = 0;
    if (!sonyPropertyValue(0x5013, &drive)) return true;
    return !sonyIsContinuousDrive(drive);
}

bool sonyIsContinuousDrive(uint32_t mode) {
    return inList(mode, {2, 0x8008, 0x8009, 0x800C, 0x800D, 0x800E, 0x800F, 0x8012}) ||
           inList(mode, kContinuousBrackets);
}

int sonyBracketImages(uint32_t mode) {
    if (!inList(mode, kContinuousBrackets)) return 0;
    switch (mode >> 8) {
        case 0x83: return 3;
        case 0x85: return 5;
        case 0x89: return 9;
        default: return 0;
    }
}

bool sonyIsContinuousBracket() {
    uint32_t drive = 0;
    return sonyPropertyValue(0x5013, &drive) && sonyBracketImages(drive) != 0;
}

float sonyExposureSeconds(bool poll) {
    if (poll && camPollEvents(true, false) != PTP_RC_OK) return 0.0f;
    uint32_t v = 0;
    if (!sonyPropertyValue(0xD20D, &v)) return 0.0f;
    uint32_t num = v >> 16, den = v & 0xFFFF;
    if (num == 0 || den == 0) return 0.0f;
    return static_cast<float>(num) / static_cast<float>(den);
}

ResponseCode sonyTakeShot() {
    ResponseCode rc = sonyCapture();
    if (rc != PTP_RC_OK) return rc;
    if (!sonyIsManualFocus()) sonyConfirmValue(0xD213, 2);
    if (int images = [] {
            uint32_t d = 0;
            return sonyPropertyValue(0x5013, &d) ? sonyBracketImages(d) : 0;
        }()) {
        double us = images * (1.0 + sonyExposureSeconds(false) * 1000000.0);
        sonySleep(std::chrono::milliseconds(static_cast<long long>(us / 1000.0)) + kSonyBracketSettle);
    }
    sonySleep(sonyModelIn({176, 189}) ? kSonyShotSettleSlow : kSonyShotSettle);
    return sonyRelease();
}

ResponseCode sonyWaitImageSaved() { return sonyConfirmValue(0xD215, 0) ? PTP_RC_OK : PTP_ERROR_PROP_NOT_CONFIRMED; }

ResponseCode sonyFocusStackShot() {
    ResponseCode rc = sonyTakeShot();
    sonySleep(std::chrono::milliseconds(static_cast<long long>(sonyExposureSeconds(true) * 1000.0)));
    sonySleep(kSonyStackShotSettle);
    sonyWaitImageSaved();
    sonySleep(kSonyStackSaveSettle);
    return rc;
}

ResponseCode sonyFocusStackRun(int count, int step, uint32_t delayMs, const SonyFocusStackProgress& progress) {
    sonyClearFocusStackCancel();
    if (!sonyIsManualFocus()) return ERROR_GENERAL;
    if (count <= 0) return PTP_RC_OK;
    ResponseCode rc = sonyFocusStackShot();
    if (rc != PTP_RC_OK) return rc;
    for (int i = 1;; ++i) {
        if (progress) progress(i);
        if (i >= count) return PTP_RC_OK;
        if (sonyFocusStackCancelled()) return ERROR_CANCELLED;
        if (sonySleepUnlessCancelled(kSonyStackStepSettle) ||
            sonySleepUnlessCancelled(std::chrono::milliseconds(delayMs)))
            return ERROR_CANCELLED;
        rc = sonyWriteControl(kSonyDriveLens, static_cast<uint16_t>(static_cast<int16_t>(step)), 2);
        if (rc != PTP_RC_OK) return rc;
        if (sonyFocusStackCancelled() || sonySleepUnlessCancelled(kSonyStackStepSettle)) return ERROR_CANCELLED;
        rc = sonyFocusStackShot();
        if (rc != PTP_RC_OK) return rc;
    }
}

ResponseCode sonyDisableBracketing() { return propSet(0x5013, 1, true); }

bool sonyDriveAllowsHdr() {
    uint32_t d = 0;
    return sonyPropertyValue(0x5013, &d) && d != 0x8012 && d != 1;
}

bool sonyFocusStackSupported() {
    uint8_t m = camModelIndex();
    return m == 161 || m == 163 || m == 164 || m == 167 || m == 171 || (m >= 174 && m <= 190);
}

bool sonyHostModeAvailable() { return sonyState().buttonControl; }

bool camHasProperty0x5013() {
    uint32_t d = 0;
    return sonyPropertyValue(0x5013, &d) && d > 0x8000;
}

float sonyExposureCompToEv(uint32_t value) { return static_cast<int16_t>(value & 0xFFFF) / 1000.0f; }
uint32_t sonyExposureCompFromEv(float ev) {
    return static_cast<uint16_t>(static_cast<int16_t>(static_cast<int>(ev * 1000.0f)));
}
float sonyExposureCompMax() { return compensationExtreme(true); }
float sonyExposureCompMin() { return compensationExtreme(false); }
