#pragma once
// User-visible texts by key, from the string table resources/Localizable.strings (an XML property list whose
// root dictionary maps each key to its text). A key without a text shows as the key itself.
#include <string>

#include "platform/foundation/value.h"

namespace platform {

class StringTable {
public:
    // The application's table, loaded from ":/Localizable.strings" on first use.
    static const StringTable& mainTable();

    StringTable() = default;
    explicit StringTable(ValueDictionary texts) : texts_(std::move(texts)) {}
    // Loads a table from a file or resource path. An unreadable table leaves this one empty and returns the
    // error (empty on success).
    std::string load(const std::string& path);

    // The text for `key`; `fallback` when there is none (the key itself when no fallback is given).
    std::string lookup(const std::string& key) const;
    std::string lookup(const std::string& key, const std::string& fallback) const;
    size_t size() const { return texts_.size(); }

private:
    ValueDictionary texts_;
};

// The application table's text for `key`, or the key itself.
inline std::string localizedString(const std::string& key) { return StringTable::mainTable().lookup(key); }

}  // namespace platform
