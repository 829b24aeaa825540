#pragma once
// The Nikon module's per-session values, kept in one object that a test can reset: host mode, live view and its
// zoom, the buffer-full mark, the values saved for switching back (focus mode, flash mode, capture mode), the
// movie-stop mark, the focus-stack marks, the last live-view header and the bracket maximum.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/timing.h"

namespace engine_timing {
inline constexpr milliseconds kNikonConfirmInterval{100};  // between the reads of a set's confirmation
inline constexpr milliseconds kNikonReadyInterval{250};    // between the device-ready polls of a wait
inline constexpr milliseconds kNikonCaptureRetry{200};     // before a busy capture or device-ready poll is repeated
inline constexpr milliseconds kNikonSelectorRetry{100};    // before a refused live-view selector set is repeated
inline constexpr milliseconds kNikonContrastAfSettle{500};  // after a contrast-detect focus, before manual focus
inline constexpr milliseconds kNikonMovieWait{500};        // between the looks at the movie-stop mark
inline constexpr milliseconds kNikonStackSettle{1000};     // around the lens move of a classic focus stack
inline constexpr milliseconds kNikonBusyLimit{20000};      // the longest any busy loop of the module keeps trying
}  // namespace engine_timing

inline constexpr size_t kNikonLiveViewHeaderSize = 388;

struct NikonState {
    std::atomic<uint32_t> hostMode{0};
    std::atomic<bool> liveViewOn{false};
    std::atomic<bool> bufferFull{false};
    std::atomic<int64_t> savedFocusMode{-1};    // 0xD161 before manual focus; -1 none
    std::atomic<int64_t> savedFlashMode{-1};    // 0x500C before the flash was switched off; -1 none
    std::atomic<int64_t> savedCaptureMode{-1};  // 0x5013 before live view; -1 none
    std::atomic<bool> movieSwitchedHostMode{false};
    std::atomic<bool> mirrorUp{false};
    std::atomic<int32_t> colourKind{2};  // the camera's own data type of the colour-temperature index (u8)

    std::mutex movieMutex;  // leaf; guards movieStopPending
    bool movieStopPending = false;

    std::mutex liveViewMutex;  // frame fetches and the classic focus-stack loop; guards focusStackRunning
    bool focusStackRunning = false;


    std::mutex headerMutex;  // leaf; guards the last header
    std::array<uint8_t, kNikonLiveViewHeaderSize> lastHeader{};
    bool haveHeader = false;

    std::atomic<bool> bracketMaxKnown{false};
    std::atomic<float> bracketMax{0.0f};
};

NikonState& nikonState();
// Back to a fresh session's values (the mutexes are left alone).
void nikonResetState();

// The current value of a property read under its lock; false when the store has no record of it.
bool nikonPropertyValue(uint32_t code, uint32_t* value);
// The record exists and the camera lets it be set.
bool nikonPropertyEnabledFlag(uint32_t code);
// Whether the camera's DeviceInfo lists an operation or reports a property.
bool nikonListed(uint16_t operation);
bool nikonReports(uint16_t property);

// Sleeps a wait, cut short by a cancel of the focus stack; true when cancelled.
bool nikonSleepUnlessCancelled(std::chrono::milliseconds wait);
bool nikonFocusStackCancelled();
void nikonCancelFocusStack();

// Repeats an attempt while it answers one of the busy codes, `interval` apart, for at most `attempts` tries and
// at most kNikonBusyLimit in all: the last answer.
template <class Attempt, class Busy>
uint16_t nikonRetryWhile(Attempt attempt, Busy busy, int attempts, std::chrono::milliseconds interval) {
    auto end = std::chrono::steady_clock::now() + engineWait(engine_timing::kNikonBusyLimit);
    uint16_t rc = attempt();
    for (int i = 1; i < attempts && busy(rc) && std::chrono::steady_clock::now() < end; ++i) {
        std::this_thread::sleep_for(engineWait(interval));
        rc = attempt();
    }
    return rc;
}
