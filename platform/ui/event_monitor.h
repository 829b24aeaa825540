#pragma once
// Local event monitors: handlers that see the application's key-down and key-up events before any window or
// control does, and may swallow them. They see the events as the windowing system hands them to the
// application's windows (one call per key press or release, however far the event then travels among the
// widgets), which is where a shortcut such as a space-bar shutter has to catch them. Main thread only.
#include <QKeyEvent>
#include <cstdint>
#include <functional>

namespace platform {

// Which events a monitor wants; the values are the event-type bits the application's code was written with.
enum EventMask : std::uint32_t {
    KeyDownMask = 1u << 10,
    KeyUpMask = 1u << 11,
};

// What a handler does with the event: let it go on to its window, or end its delivery.
enum class EventDisposition { Pass, Swallow };

using LocalEventHandler = std::function<EventDisposition(const QKeyEvent& event)>;

// A handle to remove the monitor with; 0 is never a monitor.
using EventMonitorId = std::uint64_t;

// Adds a monitor for the events in `mask` (KeyDownMask, KeyUpMask or both). Monitors are called in the order
// they were added; one that swallows the event ends it, and the later ones do not see it. Needs a
// QApplication.
EventMonitorId addLocalMonitorForEvents(std::uint32_t mask, LocalEventHandler handler);
// Removes the monitor; an unknown or removed id is ignored. Safe from inside a handler (its own or another's):
// a monitor removed during a delivery is not called again, in that delivery either.
void removeMonitor(EventMonitorId id);

}  // namespace platform
