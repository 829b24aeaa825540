#pragma once
// Keeps the computer awake while the program does something the user is waiting for (a shoot that runs for
// hours), by asking the desktop's screensaver service over D-Bus to hold off idle sleep and blanking for as long
// as the activity lives. Where no such service runs (no session bus, or a desktop without the service) the
// activity inhibits nothing: a line goes to the system log, and the computer may sleep as it would anyway.
#include <QDBusConnection>
#include <cstdint>
#include <string>

namespace platform {

class ProcessActivity {
public:
    // Begins the activity on the session bus.
    explicit ProcessActivity(const std::string& reason);
    // Begins it on the given bus (tests run a private one).
    ProcessActivity(const std::string& reason, const QDBusConnection& bus);
    // Ends it: the service is told the inhibition is over.
    ~ProcessActivity();
    ProcessActivity(const ProcessActivity&) = delete;
    ProcessActivity& operator=(const ProcessActivity&) = delete;

    // True while the service holds an inhibition for this activity.
    bool isInhibiting() const { return inhibiting_; }

private:
    QDBusConnection bus_;
    std::uint32_t cookie_ = 0;
    bool inhibiting_ = false;
};

}  // namespace platform
