#include "engine/vendors/canon/canon_state.h"

#include <chrono>

#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/transaction.h"

CanonState& canonState() {
    static CanonState s;
    return s;
}

void canonResetState() {
    CanonState& s = canonState();
    s.exposureModeCode.store(0xD105);
    s.lastExposureMode.store(-1);
    s.savedExposureMode.store(0);
    s.pressPath.store(false);
    s.pressed.store(false);
    {
        std::lock_guard<std::mutex> g(s.pressPauseMutex);
        s.pressPause = 0;
    }
    focusStackStopClear();
    s.liveViewOn.store(false);
    s.cameraBusy.store(false);
}

uint32_t canonExposureModeCode() { return canonState().exposureModeCode.load(); }

bool canonPropertyValue(uint32_t code, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    if (value) *value = r->value;
    propUnlock(r);
    return true;
}

bool canonExposureModeValue(uint32_t* value) { return canonPropertyValue(canonExposureModeCode(), value); }

bool canonListed(uint16_t operation) { return ptpSessionDeviceInfo().operationsSupported.contains(operation); }

bool canonIsBulb() {
    uint32_t mode = 0, shutter = 0;
    if (!canonExposureModeValue(&mode)) return false;
    if (mode == 4) return true;
    return mode == 3 && canonPropertyValue(0xD102, &shutter) && (shutter == 4 || shutter == 12);
}

bool canonBracketingUsable(bool needBracketProperty) {
    uint32_t mode = 0;
    if (!canonExposureModeValue(&mode)) return false;
    bool usable = mode <= 3 || mode == 7 || mode == 16 || mode == 17;
    if (needBracketProperty && !propExists(0xD1D9)) return false;
    return usable;
}

void canonCancelFocusStack() { focusStackStopRequest(); }

bool canonFocusStackCancelled() { return focusStackStopRequested(); }

void canonClearFocusStackCancel() { focusStackStopClear(); }

bool canonSleepUnlessCancelled(std::chrono::milliseconds wait) { return focusStackSleepUnlessStopped(wait); }
