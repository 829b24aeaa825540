#include "engine/ptp/camera_events.h"

#include <cstring>
#include <vector>
#include <mutex>
#include <new>

namespace {
struct EventQueue {
    std::mutex mutex;  // leaf
    // FIFO: entries from `head` on are queued. Storage is reused once the queue runs empty, so a steady flow of events
    // does not allocate per event.
    std::vector<CameraEvent> entries;
    size_t head = 0;
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
    EventQueue& q = queue();
    if (q.head >= q.entries.size()) {
        *out = camMakeEvent(0);
        return out;
    }
    *out = q.entries[q.head++];
    if (q.head == q.entries.size()) {
        q.entries.clear();
        q.head = 0;
    } else if (q.head >= 1024 && q.head * 2 >= q.entries.size()) {
        q.entries.erase(q.entries.begin(), q.entries.begin() + static_cast<std::ptrdiff_t>(q.head));
        q.head = 0;
    }
    return out;
}

size_t camEventCount() {
    std::lock_guard<std::mutex> lock(queue().mutex);
    return queue().entries.size() - queue().head;
}

void camClearEvents() {
    std::lock_guard<std::mutex> lock(queue().mutex);
    queue().entries.clear();
    queue().head = 0;
}

void camQueuePropertyChanged(uint32_t code) {
    if (PropertyStruct* r = propFind(code)) camPushEvent(camMakePropertyEvent(r, code), true);
}

void camEventQueueReset() {
    camClearEvents();
    camSetEventsDoneCallback(nullptr);
}
