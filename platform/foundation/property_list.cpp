#include "platform/foundation/property_list.h"

#include <plist/plist.h>

#include <cstring>
#include <limits>
#include <memory>

#include "platform/foundation/files.h"

namespace platform {
namespace {

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr int64_t kReferenceDateUnixSeconds = 978307200;

struct PlistDeleter {
    void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

bool fromPlist(plist_t node, int depth, Value& out, std::string& error) {
    if (depth > PropertyList::kMaxDepth) {
        error = "nested too deeply";
        return false;
    }
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            out = Value(b != 0);
            return true;
        }
        case PLIST_UINT: {
            // Stored as 64 bits; negative integers come back in two's complement.
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            out = Value(static_cast<int64_t>(u));
            return true;
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            out = Value(d);
            return true;
        }
        case PLIST_STRING: {
            // By pointer and length: the copying getter aborts on a string with a NUL inside, which a damaged
            // file can hold.
            uint64_t length = 0;
            const char* s = plist_get_string_ptr(node, &length);
            out = Value(s != nullptr ? std::string(s, length) : std::string());
            return true;
        }
        case PLIST_DATA: {
            char* d = nullptr;
            uint64_t len = 0;
            plist_get_data_val(node, &d, &len);
            Data bytes;
            if (d != nullptr && len > 0) bytes.assign(reinterpret_cast<uint8_t*>(d), reinterpret_cast<uint8_t*>(d) + len);
            free(d);
            out = Value(std::move(bytes));
            return true;
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            auto micros = (static_cast<int64_t>(sec) + kReferenceDateUnixSeconds) * 1000000 + usec;
            out = Value(Date(std::chrono::duration_cast<Date::duration>(std::chrono::microseconds(micros))));
            return true;
        }
        case PLIST_ARRAY: {
            ValueArray items;
            uint32_t n = plist_array_get_size(node);
            items.reserve(n);
            for (uint32_t i = 0; i < n; ++i) {
                Value item;
                if (!fromPlist(plist_array_get_item(node, i), depth + 1, item, error)) return false;
                items.push_back(std::move(item));
            }
            out = Value(std::move(items));
            return true;
        }
        case PLIST_DICT: {
            ValueDictionary entries;
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            bool ok = true;
            for (;;) {
                char* key = nullptr;
                plist_t item = nullptr;
                plist_dict_next_item(node, it, &key, &item);
                if (item == nullptr) {
                    free(key);
                    break;
                }
                Value v;
                ok = fromPlist(item, depth + 1, v, error);
                if (ok) entries[key != nullptr ? key : ""] = std::move(v);
                free(key);
                if (!ok) break;
            }
            free(it);
            if (!ok) return false;
            out = Value(std::move(entries));
            return true;
        }
        default:
            error = "unsupported element";
            return false;
    }
}

plist_t toPlist(const Value& value, int depth, std::string& error) {
    if (depth > PropertyList::kMaxDepth) {
        error = "nested too deeply";
        return nullptr;
    }
    switch (value.type()) {
        case Value::Type::Bool: return plist_new_bool(value.toBool() ? 1 : 0);
        case Value::Type::Integer: return plist_new_uint(static_cast<uint64_t>(value.toInteger()));
        case Value::Type::Real: return plist_new_real(value.toDouble());
        case Value::Type::String: {
            // The writer takes C strings: a NUL inside would silently cut the text short.
            const std::string text = value.toString();
            if (text.find('\0') != std::string::npos) {
                error = "a text with a NUL character cannot be stored in a property list";
                return nullptr;
            }
            return plist_new_string(text.c_str());
        }
        case Value::Type::Data: {
            const Data& d = value.toData();
            return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
        }
        case Value::Type::Date: {
            int64_t sec = std::chrono::floor<std::chrono::seconds>(value.toDate().time_since_epoch()).count() -
                          kReferenceDateUnixSeconds;
            if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max()) {
                error = "date out of range";
                return nullptr;
            }
            return plist_new_date(static_cast<int32_t>(sec), 0);
        }
        case Value::Type::Array: {
            PlistPtr array(plist_new_array());
            for (const Value& item : value.toArray()) {
                plist_t node = toPlist(item, depth + 1, error);
                if (node == nullptr) return nullptr;
                plist_array_append_item(array.get(), node);
            }
            return array.release();
        }
        case Value::Type::Dictionary: {
            PlistPtr dict(plist_new_dict());
            for (const auto& [key, item] : value.toDictionary()) {
                if (key.find('\0') != std::string::npos) {
                    error = "a key with a NUL character cannot be stored in a property list";
                    return nullptr;
                }
                plist_t node = toPlist(item, depth + 1, error);
                if (node == nullptr) {
                    if (error.find("key") == std::string::npos) error += " (key \"" + key + "\")";
                    return nullptr;
                }
                plist_dict_set_item(dict.get(), key.c_str(), node);
            }
            return dict.release();
        }
        case Value::Type::Null:
        case Value::Type::Object:
            error = std::string("a ") + Value::typeName(value.type()) + " value cannot be stored in a property list";
            return nullptr;
    }
    return nullptr;
}

}  // namespace

Value PropertyList::normalized(const Value& value) {
    switch (value.type()) {
        case Value::Type::Date: return Value(std::chrono::floor<std::chrono::seconds>(value.toDate()));
        case Value::Type::Array: {
            ValueArray items;
            for (const Value& item : value.toArray()) items.push_back(normalized(item));
            return Value(std::move(items));
        }
        case Value::Type::Dictionary: {
            ValueDictionary entries;
            for (const auto& [key, item] : value.toDictionary()) entries[key] = normalized(item);
            return Value(std::move(entries));
        }
        default: return value;
    }
}

PropertyList::Result PropertyList::parse(const void* data, size_t size) {
    Result result;
    if (size == 0) {
        result.error = "empty property list";
        return result;
    }
    if (size > kMaxSize) {
        result.error = "property list too large";
        return result;
    }
    if (size >= 6 && std::memcmp(data, "bplist", 6) == 0) {
        result.error = "binary property lists are not supported";
        return result;
    }
    plist_t root = nullptr;
    plist_from_xml(static_cast<const char*>(data), static_cast<uint32_t>(size), &root);
    PlistPtr owner(root);
    if (root == nullptr) {
        result.error = "not a well-formed XML property list";
        return result;
    }
    if (!fromPlist(root, 0, result.value, result.error)) {
        result.value = Value();
        if (result.error.empty()) result.error = "malformed property list";
    }
    return result;
}

PropertyList::Result PropertyList::read(const std::string& path) {
    std::string error;
    auto bytes = readWholeFile(path, kMaxSize, &error);
    if (!bytes) return Result{Value(), error};
    Result result = parse(bytes->data(), bytes->size());
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

bool PropertyList::toXml(const Value& value, std::string& xml, std::string* error) {
    std::string why;
    PlistPtr root(toPlist(value, 0, why));
    if (!root) {
        if (error != nullptr) *error = why;
        return false;
    }
    char* text = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &text, &length);
    if (text == nullptr) {
        if (error != nullptr) *error = "cannot encode the property list";
        return false;
    }
    xml.assign(text, length);
    plist_to_xml_free(text);
    return true;
}

std::string PropertyList::write(const std::string& path, const Value& value) {
    std::string xml, error;
    if (!toXml(value, xml, &error)) return path + ": " + error;
    return writeFileAtomically(path, xml);
}

}  // namespace platform
