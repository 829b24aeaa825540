#include "platform/foundation/localized_strings.h"

#include <mutex>

#include "platform/foundation/property_list.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/system_log.h"

namespace platform {

const StringTable& StringTable::mainTable() {
    static const StringTable* table = [] {
        auto* t = new StringTable;  // never destroyed: texts are looked up until exit
        std::string error = t->load(resourcePath("Localizable", "strings"));
        if (!error.empty()) systemLog("string table: " + error, LogLevel::Error);
        return t;
    }();
    return *table;
}

std::string StringTable::load(const std::string& path) {
    texts_.clear();
    PropertyList::Result r = PropertyList::read(path);
    if (!r.ok()) return r.error;
    if (r.value.type() != Value::Type::Dictionary) return path + ": the string table is not a dictionary";
    texts_ = r.value.toDictionary();
    return {};
}

std::string StringTable::lookup(const std::string& key) const { return lookup(key, key); }

std::string StringTable::lookup(const std::string& key, const std::string& fallback) const {
    auto it = texts_.find(key);
    if (it == texts_.end() || it->second.type() != Value::Type::String) return fallback;
    return it->second.toString();
}

}  // namespace platform
