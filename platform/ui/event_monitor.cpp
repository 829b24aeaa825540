#include "platform/ui/event_monitor.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct Monitor {
    EventMonitorId id = 0;
    std::uint32_t mask = 0;
    LocalEventHandler handler;
    bool removed = false;
};

class MonitorFilter final : public QObject {
public:
    std::vector<std::shared_ptr<Monitor>> monitors;
    EventMonitorId lastId = 0;

    bool eventFilter(QObject* receiver, QEvent* event) override {
        // The application hands each key event to a window first, which passes it on to its widgets (and they
        // to their parents): taking it at the window sees it once. The receiver is looked at before the event:
        // events for other objects include the main queue's wake-ups, made on other threads.
        if (!receiver->isWindowType()) return false;
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
        const std::uint32_t bit = type == QEvent::KeyPress ? KeyDownMask : KeyUpMask;
        // A copy: handlers may add or remove monitors while the event is being delivered.
        const auto snapshot = monitors;
        for (const auto& monitor : snapshot) {
            if (monitor->removed || !(monitor->mask & bit)) continue;
            // Copied too: removing its own monitor must not destroy the handler while it runs.
            const LocalEventHandler handler = monitor->handler;
            if (handler(static_cast<const QKeyEvent&>(*event)) == EventDisposition::Swallow) return true;
        }
        return false;
    }
};

MonitorFilter& filter() {
    static MonitorFilter instance;
    static QPointer<QCoreApplication> installedOn;
    // Installed on the application that exists now (a test program may make its application late).
    if (QCoreApplication* app = QCoreApplication::instance(); app && installedOn != app) {
        app->installEventFilter(&instance);
        installedOn = app;
    }
    return instance;
}

}  // namespace

EventMonitorId addLocalMonitorForEvents(std::uint32_t mask, LocalEventHandler handler) {
    MonitorFilter& f = filter();
    auto monitor = std::make_shared<Monitor>();
    monitor->id = ++f.lastId;
    monitor->mask = mask;
    monitor->handler = std::move(handler);
    f.monitors.push_back(monitor);
    return monitor->id;
}

void removeMonitor(EventMonitorId id) {
    auto& monitors = filter().monitors;
    for (auto it = monitors.begin(); it != monitors.end(); ++it) {
        if ((*it)->id == id) {
            (*it)->removed = true;
            monitors.erase(it);
            return;
        }
    }
}

}  // namespace platform
