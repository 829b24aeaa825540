#include "platform/foundation/value.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>

namespace platform {
namespace {

std::string trimmedLeading(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

int64_t clampToInteger(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (d <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(d);
}

}  // namespace

bool Value::toBool() const {
    switch (type()) {
        case Type::Bool: return std::get<bool>(v_);
        case Type::Integer: return std::get<int64_t>(v_) != 0;
        case Type::Real: return std::get<double>(v_) != 0.0;
        case Type::String: {
            std::string s = trimmedLeading(std::get<std::string>(v_));
            if (s.empty()) return false;
            char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
            if (c == 'Y' || c == 'T') return true;
            return toInteger() != 0;
        }
        default: return false;
    }
}

int64_t Value::toInteger() const {
    switch (type()) {
        case Type::Bool: return std::get<bool>(v_) ? 1 : 0;
        case Type::Integer: return std::get<int64_t>(v_);
        case Type::Real: return clampToInteger(std::get<double>(v_));
        case Type::String: {
            std::string s = trimmedLeading(std::get<std::string>(v_));
            if (!s.empty() && s[0] == '+') s.erase(0, 1);
            int64_t i = 0;
            auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), i);
            if (ec == std::errc::result_out_of_range) {
                return (!s.empty() && s[0] == '-') ? std::numeric_limits<int64_t>::min()
                                                   : std::numeric_limits<int64_t>::max();
            }
            return ec == std::errc() ? i : 0;
        }
        default: return 0;
    }
}

double Value::toDouble() const {
    switch (type()) {
        case Type::Bool: return std::get<bool>(v_) ? 1.0 : 0.0;
        case Type::Integer: return static_cast<double>(std::get<int64_t>(v_));
        case Type::Real: return std::get<double>(v_);
        case Type::String: {
            std::string s = trimmedLeading(std::get<std::string>(v_));
            if (!s.empty() && s[0] == '+') s.erase(0, 1);
            double d = 0;
            auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
            return ec == std::errc() ? d : 0.0;
        }
        default: return 0.0;
    }
}

std::string Value::toString() const {
    switch (type()) {
        case Type::String: return std::get<std::string>(v_);
        case Type::Bool: return std::get<bool>(v_) ? "1" : "0";
        case Type::Integer: return std::to_string(std::get<int64_t>(v_));
        case Type::Real: {
            char buf[64];
            auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::get<double>(v_));
            return ec == std::errc() ? std::string(buf, end) : std::string();
        }
        default: return {};
    }
}

const Data& Value::toData() const {
    static const Data empty;
    auto* d = std::get_if<Data>(&v_);
    return d != nullptr ? *d : empty;
}

Date Value::toDate() const {
    auto* d = std::get_if<Date>(&v_);
    return d != nullptr ? *d : Date{};
}

const ValueArray& Value::toArray() const {
    static const ValueArray empty;
    auto* a = std::get_if<std::shared_ptr<const ValueArray>>(&v_);
    return a != nullptr ? **a : empty;
}

const ValueDictionary& Value::toDictionary() const {
    static const ValueDictionary empty;
    auto* d = std::get_if<std::shared_ptr<const ValueDictionary>>(&v_);
    return d != nullptr ? **d : empty;
}

const Value& Value::operator[](const std::string& key) const {
    static const Value null;
    const ValueDictionary& d = toDictionary();
    auto it = d.find(key);
    return it != d.end() ? it->second : null;
}

const void* Value::identity() const {
    auto* ref = std::get_if<ObjectRef>(&v_);
    return ref != nullptr ? ref->ptr.get() : nullptr;
}

bool Value::operator==(const Value& other) const {
    if (type() != other.type()) return false;
    switch (type()) {
        case Type::Null: return true;
        case Type::Bool: return std::get<bool>(v_) == std::get<bool>(other.v_);
        case Type::Integer: return std::get<int64_t>(v_) == std::get<int64_t>(other.v_);
        case Type::Real: return std::get<double>(v_) == std::get<double>(other.v_);
        case Type::String: return std::get<std::string>(v_) == std::get<std::string>(other.v_);
        case Type::Data: return std::get<Data>(v_) == std::get<Data>(other.v_);
        case Type::Date: return std::get<Date>(v_) == std::get<Date>(other.v_);
        case Type::Array: return toArray() == other.toArray();
        case Type::Dictionary: return toDictionary() == other.toDictionary();
        case Type::Object: return identity() == other.identity();
    }
    return false;
}

const char* Value::typeName(Type t) {
    switch (t) {
        case Type::Null: return "null";
        case Type::Bool: return "boolean";
        case Type::Integer: return "integer";
        case Type::Real: return "real";
        case Type::String: return "string";
        case Type::Data: return "data";
        case Type::Date: return "date";
        case Type::Array: return "array";
        case Type::Dictionary: return "dictionary";
        case Type::Object: return "object";
    }
    return "?";
}

std::string Value::description() const {
    switch (type()) {
        case Type::Null: return "null";
        case Type::Bool: return std::get<bool>(v_) ? "true" : "false";
        case Type::Integer:
        case Type::Real: return toString();
        case Type::String: {
            std::string quoted(1, '"');  // built by appending: gcc 12 misreads "\"" + string at -O3 (-Wrestrict)
            quoted += toString();
            quoted += '"';
            return quoted;
        }
        case Type::Data: {
            static const char hex[] = "0123456789abcdef";
            std::string out = "<";
            for (uint8_t b : toData()) {
                out += hex[b >> 4];
                out += hex[b & 15];
            }
            return out + ">";
        }
        case Type::Date: {
            auto us = std::chrono::duration_cast<std::chrono::microseconds>(toDate().time_since_epoch()).count();
            return "date(" + std::to_string(us) + "us)";
        }
        case Type::Array: {
            std::string out = "(";
            for (const Value& item : toArray()) out += (out.size() > 1 ? ", " : "") + item.description();
            return out + ")";
        }
        case Type::Dictionary: {
            std::string out = "{";
            for (const auto& [key, item] : toDictionary()) {
                out += (out.size() > 1 ? ", \"" : "\"") + key + "\" = " + item.description();
            }
            return out + "}";
        }
        case Type::Object: return "object";
    }
    return {};
}

std::ostream& operator<<(std::ostream& os, const Value& value) { return os << value.description(); }

}  // namespace platform
