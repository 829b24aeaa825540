#include "engine/ptp/camera_events.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <new>

namespace {
struct EventQueue {
    std::mutex mutex;  // leaf
    std::deque<CameraEvent> entries;
    std::mutex callbackMutex;  // guards the callback's installation only; it is called outside
    EventsDoneCallback eventsDone;
};

EventQueue& queue() {
    static EventQueue q;
    return q;
}
}  // namespace

CameraEvent camMakeEvent(uint32_t code) {
    CameraEvent e;
    std::memset(&e, 0, sizeof e);
    e.code = code;
    return e;
}

CameraEvent camMakePropertyEvent(PropertyStruct* record, uint32_t code) {
    CameraEvent e = camMakeEvent(PTP_EC_DevicePropChanged);
    e.property.record = record;
    e.property.propertyCode = code;
    return e;
}

void camSetEventsDoneCallback(EventsDoneCallback callback) {
    std::lock_guard<std::mutex> lock(queue().callbackMutex);
    queue().eventsDone = std::move(callback);
}

void camNotifyEventsDone() {
    EventsDoneCallback cb;
    {
        std::lock_guard<std::mutex> lock(queue().callbackMutex);
        cb = queue().eventsDone;
    }
    if (cb) cb();
}

bool camPushEvent(const CameraEvent& event, bool notify) {
    {
        std::lock_guard<std::mutex> lock(queue().mutex);
        try {
            queue().entries.push_back(event);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (notify) camNotifyEventsDone();
    return true;
}

CameraEvent* camPopEvent(CameraEvent* out) {
    if (!out) return out;
    std::lock_guard<std::mutex> lock(queue().mutex);
    if (queue().entries.empty()) {
        *out = camMakeEvent(0);
    } else {
        *out = queue().entries.front();
        queue().entries.pop_front();
    }
    return out;
}

size_t camEventCount() {
    std::lock_guard<std::mutex> lock(queue().mutex);
    return queue().entries.size();
}

void camClearEvents() {
    std::lock_guard<std::mutex> lock(queue().mutex);
    queue().entries.clear();
}

void camQueuePropertyChanged(uint32_t code) {
    if (PropertyStruct* r = propFind(code)) camPushEvent(camMakePropertyEvent(r, code), true);
}

void camEventQueueReset() {
    camClearEvents();
    camSetEventsDoneCallback(nullptr);
}
