#include "engine/vendors/fujifilm/fuji_operations.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/vendors/fujifilm/fuji_state.h"

namespace {
constexpr uint16_t kInitiateCapture = 0x100E;
constexpr uint32_t kAfUnknown = 1, kAfFocused = 2, kAfFailed = 3;
constexpr uint32_t kLongestTimedCode = 64000180;  // above this the shutter is in Bulb
constexpr uint64_t kOneSecondUs = 1000000;

void pause(std::chrono::milliseconds nominal) { std::this_thread::sleep_for(engineWait(nominal)); }

ResponseCode initiateCapture() { return ptpTransaction(kInitiateCapture, {0, 0}); }

bool holdEvents() {
    uint64_t ticket = camPauseEventsTicket();
    if (!ticket) return false;
    FujiState& s = fujiState();
    std::lock_guard<std::mutex> g(s.pressPauseMutex);
    s.pressPause = ticket;
    return true;
}

// Gives the press's pause back; true when there was none or it was given back.
bool resumeEvents() {
    FujiState& s = fujiState();
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> g(s.pressPauseMutex);
        ticket = s.pressPause;
        s.pressPause = 0;
    }
    return ticket == 0 || camResumeEventsTicket(ticket);
}

// A failure of the press after the pause: polling comes back before the failure is reported.
ResponseCode failPress(ResponseCode rc) { return resumeEvents() ? rc : ResponseCode{ERROR_BUSY}; }

bool allowedValue(uint32_t code, uint32_t value) { return propValueAllowed(code, value); }

bool isLiveViewRestartAnswer(ResponseCode rc) { return rc == PTP_RC_DEVICE_BUSY || rc == 0xA001 || rc == 0xA002; }

// Live view back after a shot, tried again while the camera is still busy with the picture.
ResponseCode restartLiveView(bool (*retryOn)(ResponseCode)) {
    ResponseCode rc = fujiSetLiveView(true);
    for (int attempt = 0; retryOn(rc) && attempt < kFujiLiveViewRetries; ++attempt) {
        pause(engine_timing::kFujiLiveViewRetry);
        rc = fujiSetLiveView(true);
    }
    return rc;
}

// Lists the camera's objects until it has handed every picture to the device.
ResponseCode drainObjects() {
    for (int round = 0; round < kFujiDrainRounds; ++round) {
        std::vector<uint32_t> handles;
        ResponseCode rc = camGetObjectHandles(0xFFFFFFFF, 0, 0, &handles);
        if (rc != PTP_RC_OK) return rc;
        if (handles.empty()) return PTP_RC_OK;
        pause(engine_timing::kFujiDrainInterval);
    }
    return PTP_RC_DEVICE_BUSY;
}

bool needsLiveViewStop() { return fujiState().liveViewOn && camModelIndex() != 35; }

// A focus position moved by `steps`, kept within the positions the camera describes (0 to 65535 at most): a drive
// past the near or far end stops there rather than wrapping round to the other end.
uint32_t focusTarget(uint32_t position, int steps) {
    int64_t lowest = 0, highest = 0xFFFF;
    if (PropertyCopy r = propCopyValues(0xD171); r && r->form == kPropFormRange && r->rangeMin <= r->rangeMax) {
        lowest = std::clamp<int64_t>(r->rangeMin, 0, 0xFFFF);
        highest = std::clamp<int64_t>(r->rangeMax, lowest, 0xFFFF);
    }
    return static_cast<uint32_t>(std::clamp<int64_t>(static_cast<int64_t>(position & 0xFFFF) + steps, lowest, highest));
}

// Of two steps' results, the first that failed (else the second's).
ResponseCode firstFailure(ResponseCode first, ResponseCode second) { return first != PTP_RC_OK ? first : second; }
}  // namespace

ResponseCode fujiCapture(bool bulb, bool release) {
    FujiState& s = fujiState();
    std::unique_lock<std::mutex> capture(s.captureMutex);
    if (needsLiveViewStop()) {
        ResponseCode rc = fujiSetLiveView(false);
        if (rc != PTP_RC_OK) return rc;
        s.liveViewRestart = true;
        rc = drainObjects();
        if (rc != PTP_RC_OK) return rc;
    }
    ResponseCode pressed = fujiPress(bulb);
    capture.unlock();
    if (!release) return pressed;
    pause(engine_timing::kFujiReleaseDelay);
    ResponseCode released = fujiRelease(bulb);
    // A failed press is reported as such, even though the release brought live view back.
    return firstFailure(pressed, released);
}

ResponseCode fujiPress(bool bulb) {
    FujiState& s = fujiState();
    s.fullPress = false;
    bool autoFocus = fujiIsAutoFocus();
    if (autoFocus && !propExists(0xD209)) return ERROR_GENERAL;
    if (!holdEvents()) return ERROR_BUSY;

    ResponseCode rc = fujiSetProperty(0xD208, kFujiCaptureS1);
    if (rc != PTP_RC_OK) return failPress(rc);
    rc = initiateCapture();
    if (rc != PTP_RC_OK) return failPress(rc);

    if (autoFocus) {
        uint32_t status = kAfUnknown;
        for (int round = 0; round < kFujiAfRounds; ++round) {
            ResponseCode read = camGetPropertyNow(0xD209);
            if (read != PTP_RC_OK) return failPress(read);
            if (!fujiPropertyValue(0xD209, &status) || status != kAfUnknown) break;
            pause(engine_timing::kFujiAfPollInterval);
        }
        // A focus still undecided when the wait ends is a failed one.
        if (status == kAfFailed || status == kAfUnknown) {
            fujiSetProperty(0xD208, kFujiCaptureAfFailed);
            rc = initiateCapture();
            return failPress(rc == PTP_RC_OK ? kFujiOutOfFocus : rc);
        }
    }
    if (!bulb) {
        s.fullPress = true;
        return PTP_RC_OK;
    }
    pause(engine_timing::kFujiPressStep);
    rc = fujiSetProperty(0xD208, kFujiCaptureBulbOpen);
    if (rc != PTP_RC_OK) return failPress(rc);
    pause(engine_timing::kFujiPressStep);
    rc = initiateCapture();
    if (rc != PTP_RC_OK) return failPress(rc);
    s.fullPress = true;
    return PTP_RC_OK;
}

ResponseCode fujiRelease(bool bulb) {
    FujiState& s = fujiState();
    if (!resumeEvents()) return ERROR_BUSY;
    ResponseCode rc = PTP_RC_OK;
    if (s.fullPress.exchange(false)) {
        rc = fujiSetProperty(0xD208, bulb ? kFujiCaptureBulbRelease : kFujiCaptureRelease);
        if (rc != PTP_RC_OK) return rc;
        rc = initiateCapture();
    }
    if (!s.liveViewRestart) return rc;
    // Live view comes back once the exposure is over; a Bulb exposure ended with this release.
    uint32_t shutter = 0;
    if (!bulb && fujiPropertyValue(0x500D, &shutter)) {
        uint64_t us = fujiExposureMicroseconds(shutter);
        if (us >= kOneSecondUs)
            std::this_thread::sleep_for(engineWait(std::chrono::milliseconds(us / 1000)));
    }
    // Live view comes back even after a refused release, but the refusal is what the caller hears of.
    return firstFailure(rc, restartLiveView(isLiveViewRestartAnswer));
}

ResponseCode fujiHalfPress() {
    if (needsLiveViewStop()) fujiState().liveViewRestart = true;
    uint32_t mode = allowedValue(0xD208, kFujiCaptureHalfPress) ? kFujiCaptureHalfPress : kFujiCaptureHalfPressOld;
    ResponseCode rc = fujiSetProperty(0xD208, mode);
    if (rc != PTP_RC_OK) return rc;
    return initiateCapture();
}

ResponseCode fujiHalfPressRelease() {
    if (!propExists(0xD209)) return ERROR_GENERAL;
    for (int round = 0; round < 50; ++round) {
        ResponseCode read = camGetPropertyNow(0xD209);
        if (read != PTP_RC_OK) return read;
        uint32_t status = 0;
        if (!fujiPropertyValue(0xD209, &status) || status != kAfUnknown) break;
        pause(engine_timing::kFujiAfPollInterval);
        if (!fujiPropertyValue(0xD209, &status) || status != kAfUnknown) break;
    }
    uint32_t mode = allowedValue(0xD208, kFujiCaptureHalfRelease) ? kFujiCaptureHalfRelease
                                                                  : kFujiCaptureHalfReleaseOld;
    ResponseCode rc = fujiSetProperty(0xD208, mode);
    if (rc != PTP_RC_OK) return rc;
    rc = initiateCapture();
    if (fujiState().liveViewRestart)
        rc = firstFailure(rc, restartLiveView([](ResponseCode r) { return r == PTP_RC_DEVICE_BUSY; }));
    return rc;
}

ResponseCode fujiFocusStackShot() {
    ResponseCode rc = fujiWaitNotBusy();
    if (rc != PTP_RC_OK) return rc;
    rc = fujiCapture(false, true);
    if (rc != PTP_RC_OK) return rc;
    if (!propExists(0x500D)) return ERROR_GENERAL;
    // The shutter speed is read under its lock and waited on without it, so the event thread can change it.
    uint32_t shutter = 0;
    for (int round = 0;; ++round) {
        if (!fujiPropertyValue(0x500D, &shutter)) return ERROR_GENERAL;
        if (shutter <= kLongestTimedCode) break;
        if (round >= kFujiBusyRounds) return ERROR_BULB_MODE_INVALID;  // still in Bulb: no timed shot to wait for
        if (fujiSleepUnlessCancelled(engineWait(engine_timing::kFujiStackPoll))) return ERROR_CANCELLED;
    }
    auto wait = std::chrono::milliseconds(fujiExposureMicroseconds(shutter) / 1000) + engine_timing::kFujiStackSettle;
    if (fujiLongExposureNrOn()) wait *= 2;
    if (fujiSleepUnlessCancelled(engineWait(wait))) return ERROR_CANCELLED;
    return PTP_RC_OK;
}

bool fujiIsBulb() {
    uint32_t program = 0, shutter = 0;
    return fujiPropertyValue(0x500E, &program) && program == 1 && fujiPropertyValue(0x500D, &shutter) &&
           (shutter & 0xFFFF) == 0xFFFF;
}

ResponseCode fujiWaitNotBusy() {
    uint32_t space = 0;
    if (!fujiPropertyValue(0xD00A, &space)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    ResponseCode rc = fujiSetProperty(0xD00A, space);
    for (int round = 0; rc == PTP_RC_DEVICE_BUSY && round < kFujiBusyRounds; ++round) {
        pause(engine_timing::kFujiBusyRetryInterval);
        rc = fujiSetProperty(0xD00A, space);
    }
    return rc;
}

bool fujiLongExposureNrOn() {
    HeapBlock data;
    return fujiGetPropValue(0xD322, &data) == PTP_RC_OK && data.size() >= 1 && data.data()[0] == 1;
}

bool fujiMovieSupported() { return false; }
ResponseCode fujiMovieModeOn() { return fujiSetProperty(0xD201, 8); }
ResponseCode fujiMovieModeOff() { return fujiSetProperty(0xD201, 4); }
ResponseCode fujiMovieRecordStart() {
    ResponseCode rc = fujiSetProperty(0xD208, kFujiMovieStart);
    return rc == PTP_RC_OK ? initiateCapture() : rc;
}
ResponseCode fujiMovieRecordStop() {
    ResponseCode rc = fujiSetProperty(0xD208, kFujiMovieStop);
    return rc == PTP_RC_OK ? initiateCapture() : rc;
}

bool fujiIsAutoFocus() {
    uint32_t v = 0;
    return fujiPropertyValue(0x500A, &v) && v != 1;
}
bool fujiIsManualFocus() {
    uint32_t v = 0;
    return fujiPropertyValue(0x500A, &v) && v == 1;
}
bool fujiFocusModeEnabled() {
    PropertyStruct* r = propFind(0x500A, true);
    if (!r) return false;
    bool enabled = r->enabled != 0;
    propUnlock(r);
    return enabled;
}
bool fujiIsFocused() {
    uint32_t v = 0;
    return fujiPropertyValue(0xD209, &v) && v == kAfFocused;
}

ResponseCode fujiAutoFocus(uint32_t mode) {
    if (mode == 1) return fujiIsAutoFocus() ? propSet(0x500A, 1, true) : ResponseCode{PTP_RC_OK};
    if (mode == 0) return fujiIsManualFocus() ? propSet(0x500A, 0x8001, true) : ResponseCode{PTP_RC_OK};
    return PTP_ERROR_UNSUPPORTED_COMMAND;
}

ResponseCode fujiDriveFocus(int steps) {
    ResponseCode rc = fujiWaitNotBusy();
    if (rc != PTP_RC_OK) return rc;
    if (!propExists(0xD171)) return ERROR_INVALID_INPUT;
    rc = camGetPropertyNow(0xD171);
    if (rc != PTP_RC_OK) return rc;
    uint32_t position = 0;
    fujiPropertyValue(0xD171, &position);
    if (position == 0) {
        // The lens reports 0 while it settles.
        pause(engine_timing::kFujiFocusSettle);
        rc = camGetPropertyNow(0xD171);
        if (rc != PTP_RC_OK) return rc;
        fujiPropertyValue(0xD171, &position);
    }
    return fujiSetProperty(0xD171, focusTarget(position, steps));
}

ResponseCode fujiFocusPosition(uint32_t position) { return fujiSetProperty(0xD171, position); }

float fujiExposureCompToEv(uint32_t value) {
    return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(value))) / 1000.0f;
}

uint32_t fujiExposureCompFromEv(float ev) {
    return static_cast<uint16_t>(static_cast<int16_t>(std::lround(static_cast<double>(ev) * 1000.0)));
}

float fujiExposureCompLimit(bool largest) {
    PropertyCopy r = propCopyValues(0x5010);
    float limit = 0.0f;
    if (!r) return limit;
    for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
        float ev = fujiExposureCompToEv(r->values[i].value);
        limit = largest ? std::max(limit, ev) : std::min(limit, ev);
    }
    return limit;
}
