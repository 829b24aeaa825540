#include "engine/vendors/sony/sony_state.h"

#include <thread>

#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"

SonyState& sonyState() {
    static SonyState s;
    return s;
}

void sonyResetState() {
    SonyState& s = sonyState();
    s.buttonControl = false;
    s.extendedFormat = false;
    s.rawJpegSubstitute = 0;
    s.steppingCount = 0;
    s.liveViewPosition = 0;
    s.focusToggled = false;
    s.invertedToggle = false;
    s.tapManual = false;
    focusStackStopClear();
}

bool sonyPropertyValue(uint32_t code, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    if (value) *value = r->value;
    propUnlock(r);
    return true;
}

bool sonyValueIs(uint32_t code, uint32_t value) {
    uint32_t v = 0;
    return sonyPropertyValue(code, &v) && v == value;
}

bool sonyModelIn(std::initializer_list<uint8_t> models) {
    uint8_t m = camModelIndex();
    for (uint8_t x : models)
        if (x == m) return true;
    return false;
}

void sonyCancelFocusStack() { focusStackStopRequest(); }

bool sonyFocusStackCancelled() { return focusStackStopRequested(); }

void sonyClearFocusStackCancel() { focusStackStopClear(); }

bool sonySleepUnlessCancelled(std::chrono::milliseconds wait) { return focusStackSleepUnlessStopped(engineWait(wait)); }

void sonySleep(std::chrono::milliseconds wait) { std::this_thread::sleep_for(engineWait(wait)); }
