#pragma once
// XML property lists (the settings file, the session file, the bundle's defaults and string tables).
// Reading never trusts the input: a missing, truncated or malformed file is an error result with a reason.
// Dates are kept to the whole second, as the XML form writes them; a fraction is dropped on writing.
#include <string>

#include "platform/foundation/value.h"

namespace platform {

class PropertyList {
public:
    struct Result {
        Value value;        // the root object when ok()
        std::string error;  // empty on success
        bool ok() const { return error.empty(); }
    };

    // Parses an XML property list held in memory.
    static Result parse(const void* data, size_t size);
    static Result parse(const std::string& text) { return parse(text.data(), text.size()); }
    // Reads a file; `path` may also name a resource (":/DefaultValues.plist").
    static Result read(const std::string& path);

    // The XML text of `value`. Null values and objects cannot be stored: the error names the first one found.
    static bool toXml(const Value& value, std::string& xml, std::string* error = nullptr);
    // Writes `value` to `path` atomically (a temporary file renamed over the old one). Returns the error, or an
    // empty string on success.
    static std::string write(const std::string& path, const Value& value);

    // `value` as it reads back after a write (dates cut to the whole second, toward the past).
    static Value normalized(const Value& value);

    // Inputs above this size are refused rather than read into memory.
    static constexpr size_t kMaxSize = 64u * 1024 * 1024;
    // Arrays and dictionaries nested deeper than this are refused.
    static constexpr int kMaxDepth = 256;
};

}  // namespace platform
