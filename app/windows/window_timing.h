#pragma once
// The waits of the windows, in seconds. They run on the widgets' time source (platform/ui/time_source.h), so a
// test that installs a faster clock shortens every one of them.
namespace window_timing {

// The device card's free space is read once the "card changed" notices have been quiet this long.
inline constexpr double kCardRefreshDelay = 1.0;
// A connection message shown while the application reconnects by itself closes after this long.
inline constexpr double kReconnectMessageShown = 3.0;
// The device is called again this long after such a message.
inline constexpr double kReconnectDelay = 6.0;
// The device's battery is read this often while a status bar shows.
inline constexpr double kDeviceBatteryInterval = 30.0;

}  // namespace window_timing
