// Arbitrary bytes as the session file "handles.dat". A readable result must hold only usable entries (names that
// fit a record's field, no empty name), an unreadable one nothing at all; a readable one must come back the same
// through a write and a read. Any property list the reader takes, whatever its values, must come back the same
// (dates to the second) through the writer too, or the writer must refuse it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/foundation/property_list.h"
#include "session/session_file.h"

namespace {

// Each value read as every kind a caller may ask of it (the settings' typed getters read stored values so).
void readAsEveryKind(const platform::Value& v) {
    v.toBool();
    v.toInteger();
    v.toDouble();
    v.toString();
    v.toData();
    v.toDate();
    for (const platform::Value& item : v.toArray()) readAsEveryKind(item);
    for (const auto& [key, item] : v.toDictionary()) readAsEveryKind(item);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const platform::PropertyList::Result plist = platform::PropertyList::parse(data, size); plist.ok()) {
        readAsEveryKind(plist.value);
        std::string xml;
        if (platform::PropertyList::toXml(plist.value, xml)) {
            const platform::PropertyList::Result back = platform::PropertyList::parse(xml.data(), xml.size());
            if (!back.ok() || !(back.value == platform::PropertyList::normalized(plist.value))) __builtin_trap();
        }
    }
    const SessionFileReadResult r = parseSessionFile(data, size);
    if (r.status != SessionFileReadResult::Ok) {
        if (!r.contents.handles.empty() || !r.contents.fileNames.empty()) __builtin_trap();
        return 0;
    }
    for (const std::string& name : r.contents.fileNames)
        if (name.empty() || name.size() > kSessionFileNameMax || name.find('\0') != std::string::npos)
            __builtin_trap();
    // The written form reads back as it was.
    platform::ValueArray handles, names;
    for (uint32_t h : r.contents.handles) handles.emplace_back(h);
    for (const std::string& n : r.contents.fileNames) names.emplace_back(n);
    std::string xml;
    if (!platform::PropertyList::toXml(
            platform::Value(platform::ValueDictionary{{"handles", platform::Value(std::move(handles))},
                                                      {"fileNames", platform::Value(std::move(names))}}),
            xml))
        return 0;
    const SessionFileReadResult again = parseSessionFile(xml.data(), xml.size());
    if (again.status != SessionFileReadResult::Ok || !(again.contents == r.contents)) __builtin_trap();
    return 0;
}
