#pragma once
// Named notifications. A post runs every matching observer synchronously on the posting thread, in the order
// the observers were added; observers that must touch views hop to the main queue themselves. Observers may be
// added and removed at any time, from any thread, also from inside a handler; one removed during a post is not
// called afterwards.
#include <functional>
#include <string>

#include "platform/foundation/observer_registry.h"
#include "platform/foundation/value.h"

namespace platform {

struct Notification {
    std::string name;
    Value object;                // the payload (a number, data, a dictionary, an object), or null
    ValueDictionary userInfo;
};

using NotificationHandler = std::function<void(const Notification&)>;

class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes `name` (empty: every name); with a non-null `object`, only posts whose object has that identity
    // (Value::identity()).
    ObserverToken addObserverForName(const std::string& name, const void* object, NotificationHandler block);
    // The same on behalf of `observer`, so that removeObserver(observer) ends all of its registrations.
    ObserverToken addObserver(const void* observer, NotificationHandler handler, const std::string& name,
                              const void* object = nullptr);

    void removeObserver(ObserverToken token);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, const std::string& name, const void* object = nullptr);

    void postNotificationName(const std::string& name, const Value& object = {},
                              const ValueDictionary& userInfo = {});
    void postNotification(const Notification& notification);

private:
    ObserverRegistry<NotificationHandler> observers_;
};

}  // namespace platform
