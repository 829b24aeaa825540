#include "session/property_object.h"

PropertyObject::PropertyObject(uint32_t code) : mPropertyPtr(propCopyValues(code)) {}

PropertyObject::~PropertyObject() { propFreeValues(mPropertyPtr); }

std::shared_ptr<PropertyObject> PropertyObject::initWithPropertyCode(uint32_t code) {
    return std::make_shared<PropertyObject>(code);
}
