#pragma once
// The Nikon event list (u16 count, then 6-byte entries of u16 event code and u32 parameter, little-endian) turned
// into camera events and property refreshes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ptp/response_code.h"

struct NikonEventEntry {
    uint16_t code;
    uint32_t parameter;
};

// The entries that lie inside the data, at most the count it gives (pure).
std::vector<NikonEventEntry> nikonSplitEvents(const uint8_t* data, size_t length);
// 0xFF15 without data; else 0x2001.
ResponseCode nikonParseEvents(const uint8_t* data, size_t length);
