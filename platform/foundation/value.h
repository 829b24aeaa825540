#pragma once
// A small dynamic value: what property lists, user defaults and notifications carry. Arrays and dictionaries
// are immutable once built and shared between copies, so values pass between threads freely.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <variant>
#include <vector>

namespace platform {

class Value;
using Data = std::vector<uint8_t>;
using Date = std::chrono::system_clock::time_point;
using ValueArray = std::vector<Value>;
using ValueDictionary = std::map<std::string, Value>;

class Value {
public:
    enum class Type { Null, Bool, Integer, Real, String, Data, Date, Array, Dictionary, Object };

    Value() = default;
    Value(bool b) : v_(b) {}
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    Value(T i) : v_(static_cast<int64_t>(i)) {}
    Value(double d) : v_(d) {}
    Value(float f) : v_(static_cast<double>(f)) {}
    Value(std::nullptr_t) {}
    Value(const char* s) {
        if (s != nullptr) v_ = std::string(s);
    }
    Value(std::string s) : v_(std::move(s)) {}
    Value(Data d) : v_(std::move(d)) {}
    Value(Date d) : v_(d) {}
    Value(ValueArray a) : v_(std::make_shared<const ValueArray>(std::move(a))) {}
    Value(ValueDictionary d) : v_(std::make_shared<const ValueDictionary>(std::move(d))) {}

    // A shared object (a record wrapper, a frame buffer): kept alive by the value, read back with object<T>().
    template <class T>
    static Value object(std::shared_ptr<T> p) {
        Value v;
        v.v_ = ObjectRef{std::const_pointer_cast<const void>(std::static_pointer_cast<const void>(p)),
                         std::type_index(typeid(T))};
        return v;
    }
    // Identifies an object that the value does not own (a sender such as a window), for observers that filter
    // on the object. object<T>() returns the pointer without ownership.
    template <class T>
    static Value reference(const T* p) {
        Value v;
        v.v_ = ObjectRef{std::shared_ptr<const void>(std::shared_ptr<const void>(), p), std::type_index(typeid(T))};
        return v;
    }

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isNumber() const { return type() == Type::Bool || type() == Type::Integer || type() == Type::Real; }

    // Conversions in the manner of the platform's number and string objects: numbers convert among themselves,
    // strings parse ("YES", "true" and non-zero numbers are true); anything else gives the type's empty value.
    bool toBool() const;
    int64_t toInteger() const;
    double toDouble() const;
    std::string toString() const;  // numbers as decimal text
    const Data& toData() const;
    Date toDate() const;  // the epoch when not a date
    const ValueArray& toArray() const;
    const ValueDictionary& toDictionary() const;

    // Dictionary member, or a null value.
    const Value& operator[](const std::string& key) const;

    template <class T>
    std::shared_ptr<const T> object() const {
        auto* ref = std::get_if<ObjectRef>(&v_);
        if (ref == nullptr || ref->type != std::type_index(typeid(T))) return nullptr;
        return std::static_pointer_cast<const T>(ref->ptr);
    }
    // The address of an object or reference; nullptr for other types.
    const void* identity() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    static const char* typeName(Type t);
    // A readable rendering for messages and test output.
    std::string description() const;

private:
    struct ObjectRef {
        std::shared_ptr<const void> ptr;
        std::type_index type;
    };
    std::variant<std::monostate, bool, int64_t, double, std::string, Data, Date, std::shared_ptr<const ValueArray>,
                 std::shared_ptr<const ValueDictionary>, ObjectRef>
        v_;
};

std::ostream& operator<<(std::ostream& os, const Value& value);

}  // namespace platform
