// Arbitrary bytes as the device's SD-card listing reply: split into names, then every name checked before it
// may become a path. A name let through is one safe file-name component that fits an object record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/link/device_commands.h"
#include "engine/store/sd_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> names = linkParseSdCardImageList(data, size);
    size_t total = 0;
    for (const std::string& name : names) total += name.size();
    if (total > size) __builtin_trap();
    const SdCardListing listing = sdCardListingCheck(names);
    if (listing.names.size() + listing.refused.size() != names.size()) __builtin_trap();
    for (const std::string& name : listing.names) {
        if (name.empty() || name.size() > kSdCardNameMax) __builtin_trap();
        if (name == "." || name == "..") __builtin_trap();
        if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) __builtin_trap();
    }
    for (const SdCardRefusedName& r : listing.refused)
        if (r.reason != ERROR_INVALID_INPUT && r.reason != ERROR_TOO_LARGE) __builtin_trap();
    return 0;
}
