#pragma once
// The names of the device's SD-card listing, checked before any of them can become a path. A name is usable
// only when the object cache could keep it as one file-name component: not empty, not "." or "..", without "/"
// or NUL, and short enough that every file the object cache keeps under it (the name with ".obj", ".thumb",
// ".mod.jpg", ".ext.jpg" and the like) still fits in one file name of 255 bytes.
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

inline constexpr size_t kSdCardNameMax = 255 - 8;  // bytes: room for the longest side-file suffix

struct SdCardRefusedName {
    std::string name;     // as the device sent it (may hold any byte)
    ResponseCode reason;  // 0xFF15: unusable as a file name; 0xFF07: too long to keep
};

struct SdCardListing {
    std::vector<std::string> names;  // usable names, in the device's order
    std::vector<SdCardRefusedName> refused;
};

// 0x2001 when the name is usable, else the reason it is refused.
ResponseCode sdCardNameCheck(const std::string& name);
SdCardListing sdCardListingCheck(const std::vector<std::string>& names);
