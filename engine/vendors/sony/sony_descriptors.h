#pragma once
// The camera's reply to the all-properties read: an 8-byte header, then one descriptor per property, back to back.
// A descriptor: u16 code, u16 data type, a byte not read, the state byte (1 = settable), the factory default and
// the current value (sized by the type; a text is a PTP string), the form byte (1 range, 2 enumeration) and the
// form's values. Extended-format cameras follow an enumeration with a second count and list.
//
// Every read stays inside the bytes given: a descriptor whose fields, counts or lists do not fit is refused with
// 0xFF15, and the others are still found.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ptp/response_code.h"

inline constexpr size_t kSonyAllPropertiesHeader = 8;
inline constexpr ResponseCode kSonyPropertyNotFound = 0x2000;

struct SonyDescriptor {
    uint16_t code = 0;
    uint16_t type = 0;
    uint8_t state = 0;
    uint32_t current = 0;  // low 32 bits of the current value
    char text[64] = {};    // the current value of a text-typed property
    uint8_t form = 0;      // 0 none, 1 range, 2 enumeration
    int64_t rangeMin = 0, rangeMax = 0, rangeStep = 0;
    std::vector<uint32_t> values;  // the (first) enumeration, when collected
    size_t size = 0;               // bytes the descriptor takes
};

// Reads the descriptor at the start of `data`; with collect the enumeration's values are kept. 0xFF15 when it does
// not fit or its type is unknown.
ResponseCode sonyReadDescriptor(const uint8_t* data, size_t length, bool extended, bool collect, SonyDescriptor* out);

// The offsets of the descriptors of a block (after the header), walked by their sizes up to the first one that
// cannot be read; *end is where the walk stopped (length when it read everything).
struct SonyDescriptorIndex {
    std::vector<std::pair<uint16_t, size_t>> entries;  // code, offset
    size_t end = 0;
};
SonyDescriptorIndex sonyIndexDescriptors(const uint8_t* data, size_t length, bool extended);

// Reads one descriptor into the store (creating the record when it is new); *changed tells whether the record is
// new or its enabled flag, value or list length changed. The bytes taken go to *consumed.
ResponseCode sonyParseDescriptor(const uint8_t* data, size_t length, bool* changed, size_t* consumed);

// Finds a code's descriptor in a block (after the header) and parses it, queueing a property-changed event when
// asked and the record changed. 0x201D without data, 0x2000 when the code is not there. Descriptors are found by
// their sizes; only past the last one that could be walked is the block scanned byte by byte.
ResponseCode sonyFindPropertyInData(uint32_t code, const uint8_t* data, size_t length, bool queue);
// Every row of the property table (the sentinel row included) found and parsed, changes queued, under the module's
// property mutex. 0xFF01 when the Sony table is not the one in force.
ResponseCode sonyParseAllProperties(const uint8_t* data, size_t length);

// The combined image-format value rebuilt into the record that carries it (0xD253 when the camera has it, else
// 0x5004): format byte, compression (0xD252) << 8, size (0xD203) << 16. The record, or none.
struct PropertyStruct;
PropertyStruct* sonyRebuildImageFormat();
bool sonyIsImageFormatPart(uint32_t code);
