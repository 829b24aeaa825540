#pragma once
// The camera-event queue: events that the vendors' event parsers and a few camera operations queue on whichever
// thread they run, taken off by the session controller's event pump. A FIFO of heap entries under its own mutex (a
// leaf: nothing else is taken while it is held; the pump is called outside it).
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/ptp/datasets.h"
#include "engine/ptp/property_store.h"

// PTP and vendor event codes the core queues.
enum : uint32_t {
    PTP_EC_ObjectAdded = 0x4002,
    PTP_EC_ObjectRemovedEvent = 0x4003,
    PTP_EC_DevicePropChanged = 0x4006,
    PTP_EC_ObjectInfoChanged = 0x4007,
    PTP_EC_CANON_ObjectRemoved = 0xC188,
    PTP_EC_CANON_OlcInfoChanged = 0xC1A5,
};

// One item of Canon's on-screen exposure display.
struct OlcInfoStruct {
    uint8_t item;
    uint32_t value;
};

// One queued event, copied in and out whole. What follows the code depends on it.
struct CameraEvent {
    uint32_t code;  // 0 = empty (what a pop of an empty queue gives)
    uint32_t reserved;
    union {
        PtpObjectInfoStruct objectInfo;  // 0x4002
        uint32_t objectHandle;           // 0x4003, 0x4007, 0xC188
        struct {
            // 0x4006: the record in the store (none when the property is unknown) and the property's code. Records
            // keep their addresses, but a later session refills them: a receiver checks that the record still
            // holds propertyCode before reading it.
            PropertyStruct* record;
            uint32_t propertyCode;
        } property;
        OlcInfoStruct olcInfo;  // 0xC1A5
    };
};
static_assert(sizeof(CameraEvent) == 616);
static_assert(offsetof(CameraEvent, objectInfo) == 8);

// A cleared event with a code.
CameraEvent camMakeEvent(uint32_t code);
// A DevicePropChanged event for a record (none allowed) and its code.
CameraEvent camMakePropertyEvent(PropertyStruct* record, uint32_t code);

// The events-done callback: the session controller's event pump.
using EventsDoneCallback = std::function<void()>;
void camSetEventsDoneCallback(EventsDoneCallback callback);
// Calls the events-done callback when one is installed (outside every lock of the queue).
void camNotifyEventsDone();

// Copies the event into a new entry at the tail; with notify, tells the pump afterwards. Returns false when no memory
// is left for the entry (the event is dropped).
bool camPushEvent(const CameraEvent& event, bool notify);
// Moves the head entry's event into *out and frees the entry; an empty queue gives code 0. Returns out.
CameraEvent* camPopEvent(CameraEvent* out);
// Number of queued events.
size_t camEventCount();
// Drops every queued event. Called when a session starts, so that no event of the last camera reaches the next.
void camClearEvents();

// Queues a DevicePropChanged event for the record of the code, when the store has one, and tells the pump.
void camQueuePropertyChanged(uint32_t code);

// Test reset: queue emptied, no callback.
void camEventQueueReset();
