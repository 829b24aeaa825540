#include "engine/vendors/fujifilm/fuji_state.h"

#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_store.h"

FujiState& fujiState() {
    static FujiState s;
    return s;
}

void fujiResetState() {
    FujiState& s = fujiState();
    s.pcPriority = false;
    s.liveViewOn = false;
    s.liveViewRestart = false;
    s.fullPress = false;
    s.rememberedFocusMode = 0;
    {
        std::lock_guard<std::mutex> g(s.pressPauseMutex);
        s.pressPause = 0;
    }
    fujiClearFocusStackCancel();
}

bool fujiPropertyValue(uint32_t code, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    if (value) *value = r->value;
    propUnlock(r);
    return true;
}

void fujiCancelFocusStack() { focusStackStopRequest(); }

void fujiClearFocusStackCancel() { focusStackStopClear(); }

bool fujiFocusStackCancelled() { return focusStackStopRequested(); }

bool fujiSleepUnlessCancelled(std::chrono::milliseconds wait) { return focusStackSleepUnlessStopped(wait); }
