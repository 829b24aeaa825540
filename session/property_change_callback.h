#pragma once
// Pairs a property code with a listener of the control panels. The callback is called on whatever thread delivers
// the change; the delegate hops to the main queue itself.
#include <cstdint>
#include <memory>

#include "platform/foundation/object.h"

// What a listener of property changes answers. Adopted by objects that derive from platform::Object.
class PropertyChangeCallbackDelegate {
public:
    virtual ~PropertyChangeCallbackDelegate() = default;
    virtual void propertyUpdated(uint32_t propertyCode) = 0;
};

class PropertyChangeCallback : public platform::Object {
public:
    // The delegate is not owned: once it is gone the callback does nothing.
    static std::shared_ptr<PropertyChangeCallback> initWithPropertyId(uint32_t propertyId,
                                                                      const std::shared_ptr<platform::Object>& delegate);

    uint32_t propertyId() const { return propertyId_; }
    // Passed on to the delegate when it answers propertyUpdated (adopts PropertyChangeCallbackDelegate); ignored
    // otherwise.
    void propertyUpdated(uint32_t propertyCode) const;

    PropertyChangeCallback(uint32_t propertyId, std::weak_ptr<platform::Object> delegate)
        : propertyId_(propertyId), delegate_(std::move(delegate)) {}

private:
    uint32_t propertyId_;
    std::weak_ptr<platform::Object> delegate_;
};
