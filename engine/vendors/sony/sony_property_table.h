#pragma once
// The Sony property table (display name, value kind and value names of each property the module reads), the value
// names, the fixed lists that older bodies get for shutter speed, ISO and aperture, and the module's own value texts.
// The tables are built once, on first use, and never change.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ptp/property_store.h"

inline constexpr uint32_t kSonyPropertySentinel = 0xD2D4;  // the table's last row ("Pixel Shift Multi-Shoot")
inline constexpr uint32_t kSonyIsoAuto = 0xFFFFFF;

// The table in row order: {0x0000 "Unknown"} first, the sentinel row last.
const PropertyNameStruct* sonyPropertyNames();
size_t sonyPropertyNameCount();
const PropertyNameStruct* sonyPropertyEntry(uint32_t code);

// The value names of a code (ending with an empty name), or none.
const PropertyValueNamesStruct* sonyValueNames(uint32_t code);
// The name of a value in a code's own list, or none.
const char* sonyValueName(uint32_t code, uint32_t value);

// A shutter speed from its numerator and denominator: numerator << 16 | denominator ("Bulb" is 0).
constexpr uint32_t sonyShutterValue(uint32_t numerator, uint32_t denominator) {
    return numerator << 16 | denominator;
}
// The shutter speeds the camera steps through, "Bulb" first, then 30 s down to 1/8000.
const std::vector<uint32_t>& sonyShutterSpeeds();
// Exposure time in ms of a shutter value: (value >> 16) x 1000 / (value & 0xFFFF) for values from 0x10000 to
// 0xFFFEFFFF, else 0.
uint32_t sonyExposureMs(uint32_t value);

// The fixed lists of the older bodies, as value lists with their names.
std::vector<PropertyValueNamesStruct> sonyFixedShutterList(uint8_t model, uint32_t exposureProgram);
std::vector<PropertyValueNamesStruct> sonyFixedApertureList();
std::vector<PropertyValueNamesStruct> sonyFixedIsoList(uint8_t model, bool movie);
// The 75 colour temperatures of a range-described 0xD20F: 2500 to 9900 K in steps of 100.
std::vector<PropertyValueNamesStruct> sonyColourTemperatureList();

// The module's own text for a value, before the value-name tables; none when it has none.
std::optional<std::string> sonyFormatValueText(uint32_t code, uint32_t value);
// An exposure program of the movie range.
bool sonyIsMovieProgram(uint32_t program);
