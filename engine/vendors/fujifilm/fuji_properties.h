#pragma once
// Fujifilm properties: the records made at session open from the camera's descriptions, PC priority, the setters
// (numbers, and texts as PTP strings), the confirmation after a set, refreshes, the device's property-changed
// records, the aperture list read from the lens, and the session's focal length.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"

// Bounds of the waits on the camera (each round lasts one of the named intervals of engine/timing.h).
inline constexpr int kFujiConfirmRounds = 10;
inline constexpr int kFujiBusyRounds = 20;       // the not-busy probe gives up after 10 s
inline constexpr int kFujiAfRounds = 100;        // an autofocus still undecided after 10 s counts as failed
inline constexpr int kFujiDrainRounds = 100;     // pictures still being handed over after 10 s: busy
inline constexpr int kFujiLiveViewRetries = 7;   // further attempts to bring live view back
inline constexpr size_t kFujiMaxTextUnits = 255;  // a PTP string's count byte, the terminator included

ResponseCode fujiOpenSession();
// Empties the store and makes the session's records: 0xEEE0-0xEEE3 as local values, every other from the camera's
// description (a code the camera does not describe is left out).
void fujiCreateProperties();
ResponseCode fujiSetPriorityMode(bool on);

// SetDevicePropValue of a number, sized by the record's kind (or the table's); a text-valued record is sent the
// text of the value as a PTP string. Stops live view first on the bodies that cannot take a set while it runs.
ResponseCode fujiSetProperty(uint32_t code, uint32_t value);
// SetDevicePropValue of a text as a PTP string.
ResponseCode fujiSetTextProperty(uint32_t code, const char* text);
// A PTP string: count byte (units, terminator included), then UTF-16LE units; empty for a text that cannot be one.
std::vector<uint8_t> fujiPtpString(const std::string& text);

ResponseCode fujiGetPropValue(uint32_t code, HeapBlock* data);
ResponseCode fujiGetPropDesc(uint32_t code, HeapBlock* data);
// Reads the value back until it equals `value` (at most 10 reads).
bool fujiConfirmValue(uint32_t code, uint32_t value);
PropertyStruct* fujiApplyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled);
bool fujiRefreshProperty(uint32_t code);
ResponseCode fujiRefreshAllProperties();
// The allowed apertures of 0x5007 from the lens's f-stop text.
ResponseCode fujiApertureList();
// Parses the lens's f-stop text ("280,320,...") into aperture entries (value = number, name = number / 100).
std::vector<PropertyValueNamesStruct> fujiParseApertures(const char* text);

// The lens's focal length in mm from 0xD38E ("wide,current" in 1/100 mm).
ResponseCode fujiReadFocalLength(int32_t* millimetres);

// The exposure time in microseconds that a shutter value stands for: the long-exposure codes decoded, 0 for Bulb.
uint64_t fujiExposureMicroseconds(uint32_t value);
