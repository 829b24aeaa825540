#pragma once
// Canon's event data: a block of records (u32 length with the 8 header bytes included, u32 type, then the record's
// data; little-endian) that the event poll hands over, turned into property-store updates and camera events. The
// same parser fills the store at session open.
//
// Every length in the block is checked against the bytes received before anything is read: a record that runs past
// the block ends the walk, a record too short for its fields is skipped.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/response_code.h"

// Record types.
enum : uint32_t {
    kCanonEventObjectAddedInfo = 0xC181,  // handle; the object's record is read from the camera
    kCanonEventObjectRemoved = 0xC182,
    kCanonEventQueued = 0xC186,  // queued as it is
    kCanonEventObjectChanged = 0xC188,
    kCanonEventPropertyValue = 0xC189,
    kCanonEventAllowedValues = 0xC18A,
    kCanonEventCameraStatus = 0xC18B,
    kCanonEventOlcInfo = 0xC1A5,
    kCanonEventObjectAdded = 0xC1A7,      // handle, format, size, file name as 8-bit text
    kCanonEventObjectAddedEx = 0xC1B6,    // same, file name as a PTP string
};

// Values waiting for their property's record at most (more are dropped).
inline constexpr size_t kCanonDeferredValues = 768;

// Parses one block: ERROR_INVALID_INPUT (0xFF15) for no data, ERROR_NO_MEMORY when the deferred values cannot be
// kept, else PTP_RC_OK. A property the full store cannot take is skipped and the walk goes on.
ResponseCode canonParseEvents(const uint8_t* data, size_t length);

// Applies a property value as the camera sent it to the store's record of the code; false when the store has no
// such record. Text-valued records take up to 63 characters of the bytes.
bool canonApplyPropertyValue(uint32_t code, const uint8_t* bytes, size_t length);

// The on-screen exposure block of a 0xC1A5 record: `block` holds `available` bytes (the record's data), and
// recordLength is the record's own length. Queues one 0xC1A5 event per item read; ERROR_INVALID_INPUT for a block
// length below 6 or beyond the record.
ResponseCode canonParseOlcInfo(const uint8_t* block, size_t available, uint32_t recordLength);

// Maps a 24-bit exposure-level value of the on-screen data to eighths of a stop (99999 and -99999 for beyond the
// scale, 0 for an unknown value).
int32_t canonOlcExposureLevel(uint32_t raw);
