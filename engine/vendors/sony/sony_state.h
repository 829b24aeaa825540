#pragma once
// The Sony module's per-session values, kept in one object that a test can reset: the model flags the model table
// sets, the stepping counter and mutex that let a newer stepped set cancel an older one, the mutex that serialises
// parsing of whole-property replies, the live-view position, the focus-toggle marks and the focus-stack cancel flag.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

struct SonyState {
    std::atomic<bool> buttonControl{false};      // the model has the newer control properties (focus toggle ...)
    std::atomic<bool> extendedFormat{false};     // descriptors carry a second list; every property set directly
    std::atomic<uint8_t> rawJpegSubstitute{0};   // 0 or 19: written in place of an image-format code above 16

    std::atomic<int> steppingCount{0};  // stepped sets waiting for or running a stepped set
    std::mutex steppingMutex;
    std::recursive_mutex propertyMutex;  // held while a whole-property reply is parsed into the store

    std::atomic<uint32_t> liveViewPosition{0};  // x in the low 16 bits, y in the high 16 bits

    std::atomic<bool> focusToggled{false};   // the module, not the user, left automatic focus
    std::atomic<bool> invertedToggle{false};
    std::atomic<bool> tapManual{false};      // the camera was in manual focus when a live-view tap began

};

SonyState& sonyState();
// Back to a fresh session's values (the mutexes are left alone).
void sonyResetState();

// The current value of a property read under its lock; false when the store has no record of it.
bool sonyPropertyValue(uint32_t code, uint32_t* value);
bool sonyValueIs(uint32_t code, uint32_t value);
bool sonyModelIn(std::initializer_list<uint8_t> models);

// The focus-stack cancel: the stop flag shared by every vendor's loop (focus_stack_stop.h).
void sonyCancelFocusStack();
bool sonyFocusStackCancelled();
void sonyClearFocusStackCancel();
// Sleeps a wait (scaled), cut short by a cancel; true when cancelled.
bool sonySleepUnlessCancelled(std::chrono::milliseconds wait);
// Sleeps a named wait, scaled.
void sonySleep(std::chrono::milliseconds wait);
