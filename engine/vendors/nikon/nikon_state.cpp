#include "engine/vendors/nikon/nikon_state.h"

#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/transaction.h"

NikonState& nikonState() {
    static NikonState s;
    return s;
}

void nikonResetState() {
    NikonState& s = nikonState();
    s.hostMode.store(0);
    s.liveViewOn.store(false);
    s.bufferFull.store(false);
    s.savedFocusMode.store(-1);
    s.savedFlashMode.store(-1);
    s.savedCaptureMode.store(-1);
    s.movieSwitchedHostMode.store(false);
    s.mirrorUp.store(false);
    s.colourKind.store(PTP_DTC_UINT8);
    {
        std::lock_guard<std::mutex> g(s.movieMutex);
        s.movieStopPending = false;
    }
    {
        std::lock_guard<std::mutex> g(s.liveViewMutex);
        s.focusStackRunning = false;
    }
    focusStackStopClear();
    {
        std::lock_guard<std::mutex> g(s.headerMutex);
        s.lastHeader.fill(0);
        s.haveHeader = false;
    }
    s.bracketMaxKnown.store(false);
    s.bracketMax.store(0.0f);
}

bool nikonPropertyValue(uint32_t code, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    if (value) *value = r->value;
    propUnlock(r);
    return true;
}

bool nikonPropertyEnabledFlag(uint32_t code) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    bool enabled = r->enabled != 0;
    propUnlock(r);
    return enabled;
}

bool nikonListed(uint16_t operation) { return ptpSessionDeviceInfo().operationsSupported.contains(operation); }
bool nikonReports(uint16_t property) {
    return propExists(property) || ptpSessionDeviceInfo().devicePropertiesSupported.contains(property);
}

bool nikonSleepUnlessCancelled(std::chrono::milliseconds wait) { return focusStackSleepUnlessStopped(wait); }

bool nikonFocusStackCancelled() { return focusStackStopRequested(); }

void nikonCancelFocusStack() { focusStackStopRequest(); }
