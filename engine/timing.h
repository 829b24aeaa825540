#pragma once
// Every wait of the engine lives here as a named constant, read through engineWait(), so that a test can scale
// them all down at once (a 22 s read time-out then runs in milliseconds). Add new waits to this list.
#include <atomic>
#include <chrono>

namespace engine_timing {
using std::chrono::milliseconds;

inline constexpr milliseconds kReadTimeout{22000};        // link read time-out
inline constexpr milliseconds kFormatReadTimeout{66000};  // read time-out while the device formats its SD card
inline constexpr milliseconds kConnectTimeout{11000};     // TCP connect
inline constexpr milliseconds kConnectRetryDelay{1000};   // between connect attempts on an unreachable host
inline constexpr milliseconds kBusyRetryDelay{100};       // before the one retry of a busy PTP transaction
inline constexpr milliseconds kEventPollInterval{500};    // event thread

// Scale applied to every wait; 1.0 in the product. Tests set it small.
inline std::atomic<double>& scale() {
    static std::atomic<double> s{1.0};
    return s;
}
}  // namespace engine_timing

// The wait to use for a named constant, after the test scale.
inline std::chrono::milliseconds engineWait(std::chrono::milliseconds nominal) {
    double ms = static_cast<double>(nominal.count()) * engine_timing::scale().load(std::memory_order_relaxed);
    return std::chrono::milliseconds(ms < 1.0 && nominal.count() > 0 ? 1 : static_cast<long long>(ms));
}
