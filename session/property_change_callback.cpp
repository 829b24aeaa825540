#include "session/property_change_callback.h"

std::shared_ptr<PropertyChangeCallback> PropertyChangeCallback::initWithPropertyId(
    uint32_t propertyId, const std::shared_ptr<platform::Object>& delegate) {
    return std::make_shared<PropertyChangeCallback>(propertyId, delegate);
}

void PropertyChangeCallback::propertyUpdated(uint32_t propertyCode) const {
    const std::shared_ptr<platform::Object> delegate = delegate_.lock();
    if (auto* listener = dynamic_cast<PropertyChangeCallbackDelegate*>(delegate.get()))
        listener->propertyUpdated(propertyCode);
}
