#include "engine/automation/focus_stack.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/automation/focus_stack_bracket.h"
#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/vendor_module.h"

void focusBracketWake();  // focus_stack_bracket.cpp

namespace {

// Busy answers waited out before a step gives up (every wait of a run is bounded).
constexpr int kBusyTries = 40;

// Lens-drive steps per focus-step class 1, 2, 3.
struct StepRow {
    int steps[3];
};
constexpr StepRow kCanonSteps{{1, 10, 25}};
constexpr StepRow kNikonSteps{{15, 75, 375}};
constexpr StepRow kSonySteps{{2, 5, 7}};
constexpr StepRow kFujiSteps{{6, 50, 140}};
constexpr StepRow kFujiLargeSteps{{20, 125, 500}};

bool valueOf(uint32_t code, uint32_t* value, uint8_t* enabled = nullptr) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    *value = r->value;
    if (enabled) *enabled = r->enabled;
    propUnlock(r);
    return true;
}

bool valueIs(uint32_t code, uint32_t expected) {
    uint32_t v = 0;
    return valueOf(code, &v) && v == expected;
}

// Canon's ready write after a stack shot: 0xD10F, or 0xD11C when that one is absent or disabled, set to its own
// value without confirmation, again while the camera is busy. 0 when neither can be written.
ResponseCode canonStackReadyWrite() {
    uint32_t value = 0, code = 0;
    uint8_t enabled = 0;
    if (valueOf(0xD10F, &value, &enabled) && enabled) code = 0xD10F;
    else if (valueOf(0xD11C, &value, &enabled) && enabled) code = 0xD11C;
    if (!code) return ERROR_SHOT_FAILED;
    for (int attempt = 0; attempt < kBusyTries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(engineWait(engine_timing::kFocusStackBusyRetry));
        ResponseCode rc = propSet(code, value, false);
        if (rc == PTP_RC_OK) return PTP_RC_OK;
        if (rc != PTP_RC_DEVICE_BUSY) return ERROR_SHOT_FAILED;
    }
    return ERROR_SHOT_FAILED;
}

ResponseCode canonStackShot() {
    ResponseCode rc = camTakeShot();
    if (rc != PTP_RC_OK) return rc;
    if (camNeedsSecondPress()) {
        std::this_thread::sleep_for(engineWait(engine_timing::kFocusStackSecondPress));
        if (camTakeShot() != PTP_RC_OK) return ERROR_SHOT_FAILED;
    }
    return canonStackReadyWrite();
}

// The classic Fujifilm run: the loop lives here, since the module has only the shot and the lens step.
ResponseCode fujiClassicRun(uint32_t shots, int step, uint32_t delayMs, const FocusStackProgress& progress) {
    focusStackStopClear();
    if (shots == 0) return PTP_RC_OK;
    ResponseCode rc = focusStackStep();
    if (rc != PTP_RC_OK) return rc;
    const std::chrono::milliseconds delay(delayMs);
    for (uint32_t shot = 1;; ++shot) {
        if (progress) progress(shot);
        if (shot >= shots) return PTP_RC_OK;
        if (focusStackStopRequested() || focusStackSleepUnlessStopped(delay)) return ERROR_CANCELLED;
        rc = camFocusStackStep(-step);
        if (rc != PTP_RC_OK) return rc;
        if (focusStackStopRequested() || focusStackSleepUnlessStopped(delay)) return ERROR_CANCELLED;
        rc = focusStackStep();
        if (rc != PTP_RC_OK) return rc;
    }
}

int sonyClassicStep(int step) {
    switch (step) {
        case 1: return 3;
        case 2: return 4;
        case 3: return 5;
        case -1: return -3;
        case -2: return -4;
        case -3: return -5;
        default: return step;
    }
}

}  // namespace

int focusStepForAperture(int stepClass) {
    if (stepClass < 1 || stepClass > 3) return stepClass;
    const int i = stepClass - 1;
    switch (camVendor()) {
        case VENDOR_CANON: return kCanonSteps.steps[i];
        case VENDOR_NIKON:
            // Bodies with the focus-stack property move less per step: the largest class is stretched by 2.5.
            return stepClass == 3 && nikonFocusStackProperty() ? kNikonSteps.steps[i] * 5 / 2 : kNikonSteps.steps[i];
        case VENDOR_SONY: return kSonySteps.steps[i];
        case VENDOR_FUJI:
            return fujiModelFeatureTest(camModelIndex()) ? kFujiLargeSteps.steps[i] : kFujiSteps.steps[i];
        default: return stepClass;
    }
}

ResponseCode focusDriveSteps(int step, uint32_t count) {
    if (count == 0) return PTP_RC_OK;
    const int64_t total = static_cast<int64_t>(step) * count;
    ResponseCode rc;
    switch (camVendor()) {
        case VENDOR_CANON:
            // Packets of at most 300 repetitions; the manual-focus flag is set by the drive itself.
            return canonDriveLensSteps(step, count);
        case VENDOR_NIKON: {
            const uint64_t amount = static_cast<uint64_t>(std::llabs(total));
            rc = nikonMfDrive(step < 0 ? 2 : 1, static_cast<uint32_t>(std::min<uint64_t>(amount, 0xFFFFFFFFu)));
            break;
        }
        case VENDOR_SONY:
            // The camera takes a signed 16-bit amount: a larger one is held at the limit rather than wrapped.
            rc = sonyFocusStep(static_cast<int>(std::clamp<int64_t>(-total, -32767, 32767)));
            break;
        case VENDOR_FUJI: {
            FujiModule* fuji = vendorFuji();
            if (!fuji) return ERROR_CAMERA_NOT_SUPPORTED;
            rc = fuji->driveFocus(static_cast<int>(std::clamp<int64_t>(total, -65535, 65535)));
            break;
        }
        default: return ERROR_CAMERA_NOT_SUPPORTED;
    }
    if (rc == PTP_RC_OK) camSetManualFocus(1, true);
    return rc;
}

bool camNeedsSecondPress() {
    if (camIsNikon()) return valueIs(0x5013, 0x8012);
    if (camIsCanon()) return valueIs(0xD13A, 1);
    return false;
}

ResponseCode focusStackStep() {
    switch (camVendor()) {
        case VENDOR_FUJI: {
            FujiModule* fuji = vendorFuji();
            if (!fuji) return ERROR_CAMERA_NOT_SUPPORTED;
            return fuji->focusStackShot();
        }
        case VENDOR_CANON: return canonStackShot();
        case VENDOR_SONY: return sonyFocusStackShot();
        case VENDOR_NIKON: return nikonFocusStackShot();
        default: return ERROR_CAMERA_NOT_SUPPORTED;
    }
}

ResponseCode focusStackClassicRun(uint32_t shots, int step, uint32_t delayMs, const FocusStackProgress& progress) {
    const VendorType vendor = camVendor();
    if (vendor != VENDOR_FUJI && vendor != VENDOR_CANON && vendor != VENDOR_SONY && vendor != VENDOR_NIKON)
        return ERROR_NO_VENDOR;
    camDisableBracketing();
    switch (vendor) {
        case VENDOR_FUJI: return fujiClassicRun(shots, step, delayMs, progress);
        case VENDOR_CANON: {
            const uint32_t parameter = step < 1 ? static_cast<uint32_t>(-static_cast<int64_t>(step))
                                                : 0x8000u + static_cast<uint32_t>(step);
            return canonFocusStackRun(shots, parameter, delayMs, progress);
        }
        case VENDOR_SONY:
            return sonyFocusStackRun(static_cast<int>(std::min<uint32_t>(shots, 0x7FFFFFFF)), sonyClassicStep(step),
                                     delayMs, [&progress](int shot) {
                                         if (progress) progress(static_cast<uint32_t>(shot));
                                     });
        default: {
            const uint64_t s = static_cast<uint64_t>(std::llabs(step));
            return nikonFocusStackRun(shots, 2, static_cast<uint32_t>(std::min<uint64_t>(s * s * 32, 0xFFFFFFFFu)),
                                      delayMs, progress);
        }
    }
}

void focusStackCancel() {
    focusStackStopRequest();
    focusBracketWake();
}

bool focusStackEnabled() {
    switch (camVendor()) {
        case VENDOR_FUJI: return camModelIndex() != 16;
        case VENDOR_CANON: return true;
        case VENDOR_SONY: return sonyFocusStackSupported();
        case VENDOR_NIKON: return nikonFocusStackSupported();
        default: return false;
    }
}

bool focusStackCheck() {
    const VendorPropertyCodes codes = camVendorPropertyCodes();
    if (camIsCanon()) {
        uint32_t value = 0;
        uint8_t enabled = 0;
        const uint32_t aperture = codes.aperture ? codes.aperture : 0xD101;
        return !valueOf(aperture, &value, &enabled) || enabled != 0;
    }
    uint32_t mode = 0;
    const uint32_t exposure = codes.exposureMode ? codes.exposureMode : 0x500E;
    if (!valueOf(exposure, &mode)) return true;
    switch (camVendor()) {
        case VENDOR_FUJI: return mode == 1 || mode == 3;
        case VENDOR_SONY: return mode == 1 || mode == 3 || mode == 0x20003;
        case VENDOR_NIKON: {
            if (mode == 1 || mode == 3) return true;
            uint32_t scene = 0;
            return mode >= 0x8050 && mode <= 0x8052 && valueOf(0xD0FC, &scene) && (scene == 21 || scene == 22);
        }
        default: return true;
    }
}
