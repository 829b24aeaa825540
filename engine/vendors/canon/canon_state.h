#pragma once
// The Canon module's per-session values, kept in one object that a test can reset: the exposure-mode code, the
// exposure mode live view last saw, the shutter press path and the event-thread pause a full press holds, the
// capture mutex, the focus-stack cancel flag, and live view's on flag and camera-busy mark.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

struct CanonState {
    std::atomic<uint32_t> exposureModeCode{0xD105};  // 0xD138 when the camera reports it
    std::atomic<int32_t> lastExposureMode{-1};       // seen by live view; -1 unknown
    std::atomic<uint32_t> savedExposureMode{0};      // 0xD105 when movie mode was entered

    std::atomic<bool> pressPath{false};  // the last capture pressed (0x9128) rather than released in one step
    std::atomic<bool> pressed{false};    // a full press holds the shutter down

    // The event-thread pause that a full press holds until its release (0: none). Only the release of that press,
    // or a failed press itself, gives it back.
    std::mutex pressPauseMutex;  // leaf
    uint64_t pressPause = 0;

    std::mutex captureMutex;  // one capture at a time


    std::atomic<bool> liveViewOn{false};
    std::atomic<bool> cameraBusy{false};  // the camera's last status event said busy
};

CanonState& canonState();
// Back to a fresh session's values (the mutexes are left alone).
void canonResetState();

// The exposure-mode code and its current value (false when the store has no such record).
uint32_t canonExposureModeCode();
bool canonExposureModeValue(uint32_t* value);
// The current value of a property read under its lock; false when the store has no record of it.
bool canonPropertyValue(uint32_t code, uint32_t* value);
// Whether the camera's DeviceInfo lists an operation.
bool canonListed(uint16_t operation);

// Bulb: the exposure mode is 4, or it is 3 and the shutter speed 0xD102 is 4 or 12.
bool canonIsBulb();
// Bracketing can be used in the current exposure mode (0-3, 7, 16 or 17); with needBracketProperty, the camera must
// also report 0xD1D9.
bool canonBracketingUsable(bool needBracketProperty);

// The focus-stack cancel: the stop flag shared by every vendor's loop (focus_stack_stop.h).
void canonCancelFocusStack();
bool canonFocusStackCancelled();
void canonClearFocusStackCancel();
// Sleeps a wait, cut short by a cancel; true when cancelled.
bool canonSleepUnlessCancelled(std::chrono::milliseconds wait);
