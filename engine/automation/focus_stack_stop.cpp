#include "engine/automation/focus_stack_stop.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace {
struct StopFlag {
    std::atomic<uint8_t> stop{0};
    std::mutex mutex;  // only for the sleepers' wake-up; the flag itself is the atomic
    std::condition_variable wake;
};

StopFlag& stopFlag() {
    static StopFlag f;
    return f;
}
}  // namespace

void focusStackStopRequest() {
    StopFlag& f = stopFlag();
    {
        // Set under the mutex so that a sleeper between its test and its wait cannot miss the wake-up.
        std::lock_guard<std::mutex> g(f.mutex);
        f.stop.store(1);
    }
    f.wake.notify_all();
}

void focusStackStopClear() { stopFlag().stop.store(0); }

bool focusStackStopRequested() { return stopFlag().stop.load() != 0; }

bool focusStackSleepUnlessStopped(std::chrono::milliseconds wait) {
    StopFlag& f = stopFlag();
    std::unique_lock<std::mutex> g(f.mutex);
    return f.wake.wait_for(g, wait, [&f] { return f.stop.load() != 0; });
}
