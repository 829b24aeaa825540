#pragma once
// Test support (header only, for *_test.cpp fixtures): polling a simulated camera until an event arrives.
#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"

// Polls the camera until an event with that code has arrived (or the time is up): the events collected, taken after
// each poll by `take` (the fixture's own collector).
template <class Take>
std::vector<CameraEvent> pollEventsUntil(uint32_t code, std::chrono::milliseconds limit, Take take) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::vector<CameraEvent> seen;
    while (std::chrono::steady_clock::now() < end) {
        camPollEvents(true, false);
        std::vector<CameraEvent> batch = take();
        seen.insert(seen.end(), batch.begin(), batch.end());
        for (const CameraEvent& e : seen)
            if (e.code == code) return seen;
    }
    return seen;
}
