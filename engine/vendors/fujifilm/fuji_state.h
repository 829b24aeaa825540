#pragma once
// The Fujifilm module's per-session values, kept in one object that a test can reset: the PC-priority flag, live
// view's on flag and restart mark, the full-press flag and the event-thread pause a press holds, the focus mode a
// live-view tap remembered, the routine that ends the camera's open capture, the capture mutex and the focus-stack
// cancel flag.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/ptp/response_code.h"

using FujiLiveViewStopHandler = ResponseCode (*)();

struct FujiState {
    std::atomic<bool> pcPriority{false};
    std::atomic<bool> liveViewOn{false};
    std::atomic<bool> liveViewRestart{false};  // live view was stopped for a shot or a set and is to come back
    std::atomic<bool> fullPress{false};
    std::atomic<uint32_t> rememberedFocusMode{0};
    std::atomic<FujiLiveViewStopHandler> liveViewStop{nullptr};

    std::mutex captureMutex;  // one capture at a time

    // The event-thread pause that a press holds until its release (0: none).
    std::mutex pressPauseMutex;  // leaf
    uint64_t pressPause = 0;

};

FujiState& fujiState();
// Back to a fresh session's values (the stop routine and the mutexes are left alone).
void fujiResetState();

// The current value of a property read under its lock; false when the store has no record of it.
bool fujiPropertyValue(uint32_t code, uint32_t* value);

// Focus-stack cancelling: set, clear, read; and a wait cut short by a cancel (true when cancelled).
void fujiCancelFocusStack();
void fujiClearFocusStackCancel();
bool fujiFocusStackCancelled();
bool fujiSleepUnlessCancelled(std::chrono::milliseconds wait);
