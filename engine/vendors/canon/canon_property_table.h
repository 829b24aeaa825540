#pragma once
// The Canon property table (each property code's display name, value type and value names) and the value-name tables
// of the properties whose values have names. The tables are built once, on first use, and never change.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/property_store.h"

inline constexpr uint32_t kCanonPropertySentinel = 0xD1DD;  // the table's last row ("Lens ID")

// The table in row order: {0x0000 "Unknown"} first, the sentinel row last.
const PropertyNameStruct* canonPropertyNames();
size_t canonPropertyNameCount();
// The row of a code (up to and including the sentinel), or none.
const PropertyNameStruct* canonPropertyEntry(uint32_t code);

// The camera's own data type of a property value as events deliver it (PTP data type code; 0xFFFF for text).
int32_t canonEventValueType(uint32_t code);

// Value-name tables; each ends with a row whose name is empty. Several values may share a name; the first row with a
// matching value wins.
const PropertyValueNamesStruct* canonApertureNames();
const PropertyValueNamesStruct* canonShutterNames();        // DSLR names
const PropertyValueNamesStruct* canonShutterNamesNewRaw();  // names of the cameras that write CR3 files
const PropertyValueNamesStruct* canonIsoNames();
const PropertyValueNamesStruct* canonExposureCompNames();
const PropertyValueNamesStruct* canonExposureModeNames();
const PropertyValueNamesStruct* canonDriveModeNames();
const PropertyValueNamesStruct* canonMeteringNames();
const PropertyValueNamesStruct* canonFocusModeNames();
const PropertyValueNamesStruct* canonWhiteBalanceNames();
const PropertyValueNamesStruct* canonColorSpaceNames();
const PropertyValueNamesStruct* canonPictureStyleNames();
const PropertyValueNamesStruct* canonMovieServoNames();
const PropertyValueNamesStruct* canonExposureBracketNames();
const PropertyValueNamesStruct* canonImageFormatNames();

// Rows of a value-name table (the empty row not counted).
size_t canonValueNameCount(const PropertyValueNamesStruct* table);
// The name of a value in a table, or none.
const char* canonValueName(const PropertyValueNamesStruct* table, uint32_t value);

// The table that replaces a property's own for the attached model: the CR3 shutter names for 0xD102 on cameras
// that write CR3 files; none otherwise.
const PropertyValueNamesStruct* canonAlternativeValueNames(uint32_t code);

// Exposure time of a shutter code from 0x10 to 0x90 in whole milliseconds (truncated, at least 1), from the listed
// speeds; 0 outside that range and for codes the table does not list.
uint32_t canonShutterMilliseconds(uint32_t code);
