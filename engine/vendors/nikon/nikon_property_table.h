#pragma once
// The Nikon property table (each property code's display name, value type and value names) and the value-name
// tables of the properties whose values have names. Built once, on first use; never changed afterwards.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ptp/property_store.h"

inline constexpr uint32_t kNikonPropertySentinel = 0xD407;  // the table's last row ("Perceived Device Type")

// The table in row order: {0x0000 "Unknown"} first, the sentinel row last.
const PropertyNameStruct* nikonPropertyNames();
size_t nikonPropertyNameCount();
// The row of a code (up to and including the sentinel), or none.
const PropertyNameStruct* nikonPropertyEntry(uint32_t code);
// The ISO names of a group of bodies (the groups the property store picks by model index; any other number: the
// table of the property rows). Inside the group's native range the number as "ISO n"; below and above it the stops
// to the range ("ISO Lo 1", "ISO Hi 0.3", "ISO Hi 2"); "Auto" for 0xFFFF.
const PropertyValueNamesStruct* nikonIsoNamesFor(int group);
// The table of the property rows.
const PropertyValueNamesStruct* nikonIsoNames();
// The name of one ISO value on a body with that native range.
std::string nikonIsoName(uint32_t nativeLow, uint32_t nativeHigh, uint32_t iso);
// The image-quality names of the models with the newer coding (0x5004).
const PropertyValueNamesStruct* nikonNewerQualityNames();
// The name of a shutter-speed value (numerator in the high 16 bits, denominator in the low 16 bits).
std::string nikonShutterName(uint32_t value);
