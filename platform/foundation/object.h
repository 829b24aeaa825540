#pragma once
// The root of the reference-counted objects that the layers hand to each other (notification objects, delegates):
// shared through std::shared_ptr, with an identity-based equality that subclasses may refine.
#include <memory>

namespace platform {

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    // Equal to itself only, unless a subclass says more.
    virtual bool isEqual(const Object* other) const { return other == this; }
};

}  // namespace platform
