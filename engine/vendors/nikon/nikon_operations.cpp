#include "engine/vendors/nikon/nikon_operations.h"

#include <cmath>
#include <thread>
#include <vector>

#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_live_view_info.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {

using namespace std::chrono_literals;
constexpr int kManyTries = 1000;  // loops whose bound is the time limit alone

bool busy(uint16_t rc) { return rc == PTP_RC_DEVICE_BUSY; }

void sleepFor(std::chrono::milliseconds nominal) { std::this_thread::sleep_for(engineWait(nominal)); }

void markBufferFull() {
    nikonState().bufferFull.store(true);
    camPushEvent(camMakePropertyEvent(nullptr, 0xD1BF), true);
}

bool valueIs(uint32_t code, uint32_t expected) {
    uint32_t v = 0;
    return nikonPropertyValue(code, &v) && v == expected;
}

// The selector 0xD1A6 set, repeated while the camera refuses it for now (0xA005).
ResponseCode setSelector(uint32_t value) {
    return nikonRetryWhile([=] { return propSet(0xD1A6, value, true); }, [](uint16_t r) { return r == 0xA005; }, 20,
                           engine_timing::kNikonSelectorRetry);
}

ResponseCode sendWhileBusy(uint16_t op, std::vector<uint32_t> params, std::chrono::milliseconds interval) {
    return nikonRetryWhile(
        [&] {
            PtpRequest req;
            req.params = params.data();
            req.paramCount = static_cast<uint32_t>(params.size());
            return ptpTransaction(op, req);
        },
        busy, kManyTries, interval);
}

// The device-ready poll after a capture: the answer that ends it.
ResponseCode waitAfterCapture() {
    auto end = std::chrono::steady_clock::now() + engineWait(engine_timing::kNikonBusyLimit);
    for (;;) {
        ResponseCode rc = ptpTransaction(kNikonOpDeviceReady, {});
        switch (rc) {
            case PTP_RC_DEVICE_BUSY:
                if (std::chrono::steady_clock::now() >= end) return rc;
                sleepFor(engine_timing::kNikonCaptureRetry);
                continue;
            case PTP_RC_OK:
            case 0xA00C:
            case 0xA00E:
            case 0xA200:
            case 0xA201: return PTP_RC_OK;
            case 0xA002:
                ptpTransaction(kNikonOpStop, {});
                return rc;
            case kNikonBufferFull: markBufferFull(); return PTP_RC_OK;
            default: return rc;
        }
    }
}

}  // namespace

ResponseCode nikonSetHostMode(bool on, uint32_t refresh) {
    ResponseCode rc = ptpTransaction(kNikonOpHostMode, {on ? 1u : 0u});
    if (rc != PTP_RC_OK) return rc;
    nikonState().hostMode.store(on ? 1 : 0);
    if (refresh) {
        for (uint32_t code : {0x500Bu, 0x501Cu, 0x5013u, 0x500Eu, 0x500Fu}) nikonRefreshProperty(code);
        nikonRefreshProperty(nikonFocusModeCode());
    }
    return rc;
}

ResponseCode nikonOpenSession() {
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (!r || !propLock(r)) continue;
        if (r->valueCount) propFreeValueList(r);
        propUnlock(r);
    }
    DeviceInfoRecord scratch;
    return ptpGetDeviceInfo(&scratch);
}

ResponseCode nikonSetApplicationMode() {
    if (nikonListed(kNikonOpApplicationMode)) return ptpTransaction(kNikonOpApplicationMode, {1});
    return propSet(0xD1F0, 1, true);
}

ResponseCode nikonDeviceReady() { return ptpTransaction(kNikonOpDeviceReady, {}); }

ResponseCode nikonDeviceReadyWait() {
    return nikonRetryWhile(nikonDeviceReady, [](uint16_t r) { return r == 0xA002 || r == PTP_RC_DEVICE_BUSY; }, 20,
                           engine_timing::kNikonReadyInterval);
}

ResponseCode nikonCapture() {
    NikonState& s = nikonState();
    uint8_t m = camModelIndex();
    if (nikonListed(kNikonOpCaptureWithAf)) {
        uint32_t first = 0xFFFFFFFE;
        bool liveViewWasOn = s.liveViewOn.load();
        bool manual = camManualFocusFlag() != 0;
        if (manual || s.bufferFull.load()) first = 0xFFFFFFFF;
        // In live view the camera does not focus for the capture itself: focus first, whatever the buffer holds.
        if (!manual && liveViewWasOn && !nikonIsZModel(m)) {
            nikonAutoFocus(true, false);
            first = 0xFFFFFFFF;
        }
        std::vector<uint32_t> params = m == 198 ? std::vector<uint32_t>{0xFFFFFFFF} : std::vector<uint32_t>{first, 0};
        ResponseCode rc = sendWhileBusy(kNikonOpCaptureWithAf, params, engine_timing::kNikonCaptureRetry);
        if (rc == kNikonBufferFull) {
            markBufferFull();
            return rc;
        }
        if (rc != PTP_RC_OK) return rc;
        camSetKeptZoom(0);
        if (s.bufferFull.exchange(false)) camPushEvent(camMakePropertyEvent(nullptr, 0xD1BF), true);
        rc = waitAfterCapture();
        if (rc != PTP_RC_OK) return rc;
        bool on = true;
        if (liveViewWasOn && nikonLiveViewStatus(&on, true) == PTP_RC_OK && !on) {
            s.liveViewOn.store(false);
            camQueuePropertyChanged(nikonFocusModeCode());
        }
        return PTP_RC_OK;
    }
    if (s.liveViewOn.load()) nikonSetLiveView(false, false);
    ResponseCode rc = sendWhileBusy(kNikonOpInitiateCapture, {0, 0}, engine_timing::kNikonCaptureRetry);
    if (rc != PTP_RC_OK) return rc;
    nikonDeviceReadyWait();
    return PTP_RC_OK;
}

ResponseCode nikonAutoFocus(bool wait, bool switchFirst) {
    NikonState& s = nikonState();
    bool contrast = nikonModelFacts().contrastAf;
    bool liveView = s.liveViewOn.load();
    if (switchFirst) {
        bool manual = camManualFocusFlag() != 0;
        if (liveView && !manual && !contrast) {
            nikonSetManualFocus(true);
            camSetManualFocus(1, true);
        } else if (manual && contrast) {
            nikonSetManualFocus(false);
        }
    }
    ResponseCode rc = ptpTransaction(kNikonOpAutoFocus, {});
    if (rc == PTP_RC_OK && wait) nikonDeviceReadyWait();
    if (liveView && contrast) {
        sleepFor(engine_timing::kNikonContrastAfSettle);
        nikonSetManualFocus(true);
    }
    return rc;
}

ResponseCode nikonBulbStart() {
    uint32_t kept = camManualFocusFlag();
    camSetManualFocusFlag(1);
    if (!kept) nikonAutoFocus(true, false);
    ResponseCode rc = nikonCapture();
    camSetManualFocusFlag(kept);
    return rc == 0xA008 ? ResponseCode{PTP_RC_DEVICE_BUSY} : rc;
}

ResponseCode nikonBulbStop() { return ptpTransaction(kNikonOpBulbEnd, {0, 0}); }

ResponseCode nikonSetManualFocus(bool on) {
    NikonState& s = nikonState();
    uint8_t m = camModelIndex();
    if (nikonIsZModel(m)) {
        if (on) {
            camSetManualFocusFlag(1);
            return PTP_RC_OK;
        }
        if (!nikonIsAutoFocus(true)) {
            ResponseCode rc = propSet(0xD061, 0, true);
            if (rc == PTP_RC_OK) camSetManualFocusFlag(0);
            return rc;
        }
    }
    if (!s.liveViewOn.load() || !propExists(0xD061)) {
        if (nikonPropertyEnabledFlag(0xD161)) {
            ResponseCode rc;
            if (on) {
                uint32_t now = 0;
                if (nikonPropertyValue(0xD161, &now)) s.savedFocusMode.store(now);
                rc = propSet(0xD161, 4, true);
            } else {
                int64_t saved = s.savedFocusMode.load();
                rc = propSet(0xD161, (saved < 0 || saved == 4) ? 0 : static_cast<uint32_t>(saved), true);
            }
            if (rc != PTP_RC_OK) return rc;
        } else {
            uint32_t mode = 0;
            if (!nikonPropertyValue(0x500A, &mode)) return PTP_ERROR_UNSUPPORTED_COMMAND;
            bool afC;
            if (m == 195) {
                if (on && mode != 0x8011) return 0;
                afC = true;
            } else {
                if (mode != 0x8010 && mode != 0x8011) return PTP_ERROR_UNSUPPORTED_COMMAND;
                afC = mode == 0x8011;
            }
            uint32_t code = afC ? 0xD048 : 0xD049;
            if (!propExists(code)) return PTP_ERROR_UNSUPPORTED_COMMAND;
            ResponseCode rc = propSet(code, afC ? (on ? 0 : 1) : (on ? 1 : 0), true);
            if (rc != PTP_RC_OK) return rc;
        }
    }
    camSetManualFocusFlag(on ? 1 : 0);
    return PTP_RC_OK;
}

bool nikonIsAutoFocus(bool pressed) {
    uint8_t m = camModelIndex();
    bool manual = camManualFocusFlag() != 0;
    uint32_t v = 0;
    if (nikonIsZModel(m)) {
        if (nikonPropertyValue(0xD061, &v) && v == 4) return false;
        return pressed || !manual;
    }
    if (nikonState().liveViewOn.load() && nikonPropertyValue(0xD061, &v))
        return pressed ? v != 3 : (!manual && v != 3 && v != 4);
    if (nikonPropertyValue(0xD161, &v)) return v != 3 && v != 4;
    if (nikonPropertyValue(0x500A, &v)) {
        if (v == 1) return false;
        if (pressed) return true;
        uint32_t priority = 0;
        if (m == 195 || m == 204) {
            if (v != 0x8011) return true;
            return nikonPropertyValue(0xD048, &priority) && priority != 0;
        }
        if (v == 0x8010) return nikonPropertyValue(0xD049, &priority) && priority == 0;
        if (v == 0x8011) return nikonPropertyValue(0xD048, &priority) && priority != 0;
        return false;
    }
    return false;
}

bool nikonFocusAchieved() {
    uint8_t m = camModelIndex();
    uint32_t v = 0;
    if (nikonIsZModel(m)) return nikonPropertyEnabledFlag(0xD061);
    if (nikonState().liveViewOn.load() && nikonPropertyValue(0xD061, &v)) return v != 3;
    if (nikonPropertyValue(0xD161, &v)) return nikonState().hostMode.load() != 0 && v != 3;
    if (nikonPropertyValue(0x500A, &v)) {
        if (v == 1) return false;
        if (m == 198) return true;
        return v == 0x8011;
    }
    return false;
}

ResponseCode nikonMfDrive(uint32_t direction, uint32_t steps) {
    NikonState& s = nikonState();
    bool contrast = nikonModelFacts().contrastAf;
    bool manual = camManualFocusFlag() != 0;
    if (!manual && !contrast) camSetManualFocus(1, true);
    else if (manual && contrast) nikonSetManualFocus(false);
    if (s.liveViewOn.load() && valueIs(0xD061, 2) && propSet(0xD061, 0, true) != PTP_RC_OK) return ERROR_INVALID_INPUT;
    ResponseCode rc = sendWhileBusy(kNikonOpMfDrive, {direction, steps}, engine_timing::kNikonReadyInterval);
    if (rc == 0xA00B) {
        nikonSetLiveView(true, false);
        nikonDeviceReadyWait();
        rc = sendWhileBusy(kNikonOpMfDrive, {direction, steps}, engine_timing::kNikonReadyInterval);
    }
    if (rc == PTP_RC_OK) {
        ResponseCode ready = nikonDeviceReadyWait();
        if (ready == 0xA00E) ready = nikonDeviceReadyWait();
        if (ready == 0xA00C) rc = ready;  // the lens reached the end of its travel
    }
    if (contrast) {
        sleepFor(engine_timing::kNikonContrastAfSettle);
        nikonSetManualFocus(true);
    }
    return rc;
}

ResponseCode nikonLiveViewZoom(uint32_t percent) {
    uint8_t m = camModelIndex();
    if (nikonModelIn(m, {222, 225, 229, 240}))
        return propSet(0xD1BD, percent == 100 ? 720 : percent == 200 ? 360 : 0, true);
    if (nikonModelInRange(m, 220, 233))
        return propSet(0xD1BD, percent == 100 ? 1024 : percent == 200 ? 512 : 0, true);
    NikonModelFacts f = nikonModelFacts();
    size_t slot = percent == 25 ? 1 : percent == 50 ? 2 : percent == 100 ? 3 : percent == 200 ? 4 : 0;
    return propSet(0xD1A3, f.zoom[slot], true);
}

ResponseCode nikonLiveViewMoveArea(uint32_t x, uint32_t y) {
    uint32_t selector = 0;
    if (nikonPropertyValue(0xD1A6, &selector) && selector != 0 && valueIs(0xD1F8, 0x8011))
        propSet(0xD1F8, 0x8010, false);
    if (valueIs(0xD05D, 0x8011)) propSet(0xD05D, 0x8010, true);
    return ptpTransaction(kNikonOpZoomArea, {x, y});
}

ResponseCode nikonLiveViewZoomArea(double x, double y) {
    uint32_t w = 0, h = 0;
    if (!nikonLiveViewFrameSize(&w, &h)) return ERROR_BAD_PACKET;
    if (!(x >= 0.0 && x <= 1.0 && y >= 0.0 && y <= 1.0)) return ERROR_INVALID_INPUT;
    return nikonLiveViewMoveArea(static_cast<uint32_t>(std::lround(x * w)), static_cast<uint32_t>(std::lround(y * h)));
}

bool nikonLiveViewPosition(uint32_t* x, uint32_t* y) {
    // The zoom area's position is the centre of the area shown.
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLastLiveViewInfo();
    if (!info) return false;
    if (x) *x = info->displayCentreX;
    if (y) *y = info->displayCentreY;
    return true;
}

bool nikonDoubleTapSupported() { return !nikonModelFacts().zoomTableA; }

ResponseCode nikonMovieModeOn() {
    NikonState& s = nikonState();
    uint8_t m = camModelIndex();
    if (s.hostMode.load() == 0) {
        ResponseCode rc = nikonSetHostMode(true, 0);
        if (rc != PTP_RC_OK) return rc;
        s.movieSwitchedHostMode.store(true);
    }
    bool selectorFirst = nikonModelIn(m, {200, 211, 215, 224});
    if (selectorFirst) {
        ResponseCode rc = setSelector(1);
        if (rc != PTP_RC_OK) return rc;
    }
    ResponseCode rc = nikonSetLiveView(true, true);
    if (rc != PTP_RC_OK) return rc;
    if (nikonReports(0xD1A6)) {
        if (!(nikonModelInRange(m, 214, 233) || m == 240)) rc = nikonSetApplicationMode();
        if (rc == PTP_RC_OK && !selectorFirst) rc = setSelector(1);
        if (rc != PTP_RC_OK) {
            nikonSetLiveView(false, true);
            return rc;
        }
    }
    camSetKeptZoom(0);
    for (uint32_t code : {0xD1A8u, 0xD1A9u, 0xD1AAu, 0xD1ABu, 0xD1AFu})
        if (propExists(code)) camGetPropertyNow(code);
    return PTP_RC_OK;
}

ResponseCode nikonMovieModeOff() {
    NikonState& s = nikonState();
    ResponseCode rc = nikonSetLiveView(false, true);
    if (s.movieSwitchedHostMode.exchange(false)) {
        nikonSetHostMode(false, 0);
    } else if (camModelFeatureTest()) {
        nikonSetHostMode(false, 0);
        nikonSetHostMode(true, 0);
    }
    camQueuePropertyChanged(0xD161);
    return rc;
}

ResponseCode nikonMovieRecordStart() {
    NikonState& s = nikonState();
    if (!s.liveViewOn.load()) return 0xA004;
    for (int i = 0; i < 10; ++i) {
        {
            std::lock_guard<std::mutex> g(s.movieMutex);
            if (!s.movieStopPending) return ptpTransaction(kNikonOpMovieStart, {});
        }
        sleepFor(engine_timing::kNikonMovieWait);
    }
    return PTP_RC_DEVICE_BUSY;
}

ResponseCode nikonMovieRecordStop() {
    NikonState& s = nikonState();
    {
        std::lock_guard<std::mutex> g(s.movieMutex);
        s.movieStopPending = true;
    }
    ResponseCode rc = ptpTransaction(kNikonOpMovieStop, {});
    if (rc != PTP_RC_OK) {
        std::lock_guard<std::mutex> g(s.movieMutex);
        s.movieStopPending = false;
        return rc;
    }
    for (int i = 0; i < 20; ++i) {
        {
            std::lock_guard<std::mutex> g(s.movieMutex);
            if (!s.movieStopPending) return PTP_RC_OK;
        }
        sleepFor(engine_timing::kNikonMovieWait);
    }
    return PTP_RC_OK;
}

bool nikonHasMovieOps() { return nikonListed(kNikonOpMovieStart); }

void nikonMovieObjectArrived() {
    NikonState& s = nikonState();
    std::lock_guard<std::mutex> g(s.movieMutex);
    s.movieStopPending = false;
}

ResponseCode nikonFocusStackShot() {
    // A shot that left the buffer full (answered by the capture or by the device-ready poll after it) is taken
    // again until the camera has room.
    ResponseCode rc = nikonRetryWhile(
        nikonCapture,
        [](uint16_t r) { return r == kNikonBufferFull || (r == PTP_RC_OK && nikonState().bufferFull.load()); },
        kManyTries, engine_timing::kNikonCaptureRetry);
    if (rc == PTP_RC_OK && nikonState().bufferFull.load()) return kNikonBufferFull;  // no room within the time
    if (rc != PTP_RC_OK) return rc;
    if (nikonPropertyEnabledFlag(0xD032)) {
        uint32_t v = 0;
        nikonPropertyValue(0xD032, &v);
        ResponseCode w = nikonRetryWhile([=] { return nikonSetProperty(0xD032, v); }, busy, kManyTries,
                                         engine_timing::kNikonReadyInterval);
        if (w != PTP_RC_OK) return 0;
    }
    return rc;
}

bool nikonFocusStackSupported() { return !nikonModelIn(camModelIndex(), {192, 204}); }

ResponseCode nikonFocusStackRun(uint32_t shots, uint32_t direction, uint32_t steps, uint32_t delayMs,
                                const NikonFocusStackProgress& progress) {
    NikonState& s = nikonState();
    camSetManualFocusFlag(1);
    focusStackStopClear();
    {
        std::lock_guard<std::mutex> g(s.liveViewMutex);
        s.focusStackRunning = true;
    }
    ResponseCode result = PTP_RC_OK;
    for (uint32_t i = 1; shots > 0; ++i) {
        ResponseCode rc = nikonFocusStackShot();
        if (rc != PTP_RC_OK) {
            result = rc;
            break;
        }
        if (progress) progress(i);
        if (i >= shots) break;
        if (nikonFocusStackCancelled() ||
            nikonSleepUnlessCancelled(engineWait(engine_timing::kNikonStackSettle + std::chrono::milliseconds(delayMs)))) {
            result = ERROR_CANCELLED;
            break;
        }
        nikonMfDrive(direction, steps);
        if (nikonSleepUnlessCancelled(engineWait(engine_timing::kNikonStackSettle))) {
            result = ERROR_CANCELLED;
            break;
        }
    }
    std::lock_guard<std::mutex> g(s.liveViewMutex);
    s.focusStackRunning = false;
    return result;
}
