#pragma once
// A snapshot of one camera property record with its own copy of the allowed values, taken under the record's lock,
// so that a picker can read it without holding the engine's lock. Later changes of the camera do not reach it.
#include <cstdint>
#include <memory>

#include "engine/ptp/property_store.h"
#include "platform/foundation/object.h"

class PropertyObject : public platform::Object {
public:
    // The snapshot of the record with that code; its copy is null when the store has no such record or memory ran
    // out.
    static std::shared_ptr<PropertyObject> initWithPropertyCode(uint32_t code);
    ~PropertyObject() override;

    // The copy, or null.
    const PropertyStruct* getProperty() const { return mPropertyPtr.get(); }

    explicit PropertyObject(uint32_t code);
    PropertyObject(const PropertyObject&) = delete;
    PropertyObject& operator=(const PropertyObject&) = delete;

private:
    PropertyCopy mPropertyPtr;
};
