#pragma once
// The Fujifilm property table: one row per property the module knows (code, display name, value kind and value
// names), ending with the row 0xEEE3; the codes created at session open, in order; and the value texts the module
// makes itself.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ptp/property_store.h"

inline constexpr uint32_t kFujiSentinelCode = 0xEEE3;

// The table, whose last row is the sentinel 0xEEE3.
const PropertyNameStruct* fujiPropertyNames();
size_t fujiPropertyRowCount();
// The row of a code, or none.
const PropertyNameStruct* fujiPropertyRow(uint32_t code);

// The records made at session open, in order.
const uint32_t* fujiCreationCodes(size_t* count);

// The module's own text for a value: the size text of 0x5003, the f-number of 0x5007, the compensation of 0x5010;
// none for other codes (the value names then apply).
std::optional<std::string> fujiFormatValueText(uint32_t code, uint32_t value);
