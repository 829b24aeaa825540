#include "engine/vendors/fujifilm/fuji_state.h"

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

void fujiCancelFocusStack() {
    FujiState& s = fujiState();
    {
        std::lock_guard<std::mutex> g(s.cancelMutex);
        s.cancel = true;
    }
    s.cancelCv.notify_all();
}

void fujiClearFocusStackCancel() {
    FujiState& s = fujiState();
    std::lock_guard<std::mutex> g(s.cancelMutex);
    s.cancel = false;
}

bool fujiFocusStackCancelled() {
    FujiState& s = fujiState();
    std::lock_guard<std::mutex> g(s.cancelMutex);
    return s.cancel;
}

bool fujiSleepUnlessCancelled(std::chrono::milliseconds wait) {
    FujiState& s = fujiState();
    std::unique_lock<std::mutex> g(s.cancelMutex);
    return s.cancelCv.wait_for(g, wait, [&s] { return s.cancel; });
}
