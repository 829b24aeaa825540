#include "engine/vendors/sony/sony_state.h"

#include <thread>

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
    std::lock_guard<std::mutex> g(s.cancelMutex);
    s.cancel = false;
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

void sonyCancelFocusStack() {
    SonyState& s = sonyState();
    {
        std::lock_guard<std::mutex> g(s.cancelMutex);
        s.cancel = true;
    }
    s.cancelCv.notify_all();
}

bool sonyFocusStackCancelled() {
    SonyState& s = sonyState();
    std::lock_guard<std::mutex> g(s.cancelMutex);
    return s.cancel;
}

void sonyClearFocusStackCancel() {
    SonyState& s = sonyState();
    std::lock_guard<std::mutex> g(s.cancelMutex);
    s.cancel = false;
}

bool sonySleepUnlessCancelled(std::chrono::milliseconds wait) {
    SonyState& s = sonyState();
    std::unique_lock<std::mutex> lock(s.cancelMutex);
    return s.cancelCv.wait_for(lock, engineWait(wait), [&] { return s.cancel; });
}

void sonySleep(std::chrono::milliseconds wait) { std::this_thread::sleep_for(engineWait(wait)); }
