#pragma once
// Property values: the camera's descriptions (DevicePropDesc) parsed into records, raw values stored, values turned
// into their display texts through the vendor's tables, and the check of a value against what a record allows.
// Every reader here stays inside the bytes it is given.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ptp/property_store.h"

// Most entries of a range that is listed value by value (pickers and brackets read the list); a longer one is kept
// as a range (bounds and step on the record) and values are checked against it.
inline constexpr uint64_t kPropMaxListedRange = 65535;

// Bytes of a value of a kind: 1 for kinds 1-2, 2 for 3-4, 4 for 5-6 and kind 0, 8 for 7-8, 0 for other kinds.
size_t ptpValueSize(int32_t kind);
// The record's value size; for a text-valued record the length of its value text.
size_t propValueSize(const PropertyStruct* record);
// Reads one value of a kind from at most `length` bytes: the bytes consumed, 0 when they are not there. 64-bit kinds
// keep their low 32 bits and consume 8; a text value (kPropKindText) consumes 1 + 2n bytes (1 when empty) and leaves
// *value as it was.
size_t ptpReadValue(int32_t kind, const uint8_t* data, size_t length, uint32_t* value);

// Fills a record from a PTP DevicePropDesc dataset: kind, enabled flag, name, current value and text, and the allowed
// values (enumeration, or range). False for an unknown data type or a dataset cut short (the record then keeps no
// list), or when memory runs out.
bool propParseDesc(PropertyStruct* record, const uint8_t* dataset, size_t length);

// Stores a raw value (as the camera sends it) into the record of the code, under the record's mutex: the record's
// index in the store, or -1 when there is no such record or too few bytes for its kind.
int propUpdateValue(uint32_t code, const uint8_t* data, size_t length);

// The display text of a value: the vendor module's own text, else its value-name table's name, else the decimal
// number; none when the vendor's table names no values for the code.
std::optional<std::string> propFormatValue(uint32_t code, uint32_t value);
// propFormatValue, or the decimal number when it gives none.
std::string propFormatValueOrNumber(uint32_t code, uint32_t value);

// True when the record of the code allows the value.
bool propValueAllowed(uint32_t code, uint32_t value);
