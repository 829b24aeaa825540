#include "platform/foundation/notification_center.h"

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = new NotificationCenter;  // never destroyed: threads may post at exit
    return *center;
}

ObserverToken NotificationCenter::addObserverForName(const std::string& name, const void* object,
                                                     NotificationHandler block) {
    return observers_.add(name, object, nullptr, std::move(block));
}

ObserverToken NotificationCenter::addObserver(const void* observer, NotificationHandler handler,
                                              const std::string& name, const void* object) {
    return observers_.add(name, object, observer, std::move(handler));
}

void NotificationCenter::removeObserver(ObserverToken token) { observers_.remove(token); }

void NotificationCenter::removeObserver(const void* observer) { observers_.removeOwner(observer); }

void NotificationCenter::removeObserver(const void* observer, const std::string& name, const void* object) {
    observers_.removeOwner(observer, name, object);
}

void NotificationCenter::postNotificationName(const std::string& name, const Value& object,
                                              const ValueDictionary& userInfo) {
    postNotification(Notification{name, object, userInfo});
}

void NotificationCenter::postNotification(const Notification& notification) {
    observers_.deliver(notification.name, notification.object.identity(), notification);
}

}  // namespace platform
