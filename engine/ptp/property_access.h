#pragma once
// Reading and writing camera properties: descriptions and values read from the camera into the store, and the one
// routine through which every property is set (validation, the pause of the event thread, the vendor's setter and
// the optional confirmation). No routine here holds a record's mutex while it makes a transaction.
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"

enum : uint16_t {
    PTP_OC_GetDevicePropDesc = 0x1014,
    PTP_OC_GetDevicePropValue = 0x1015,
};

// GetDevicePropDesc of a code (0x1014, or the Fujifilm module's own request) into *data.
ResponseCode ptpGetPropertyDesc(uint32_t code, HeapBlock* data);
// The record's description read from the camera and parsed into it.
bool propRefreshDesc(PropertyStruct* record);
// The raw value of a property from the camera: 0xFF0A without an output, 0xFF1B when the store has no such record;
// the Fujifilm, Canon and Sony modules' own requests; GetDevicePropValue (0x1015) for the others.
ResponseCode ptpGetPropertyValue(uint32_t code, HeapBlock* data);
// The property read from the camera now and stored (Sony through its module); 0xFF01 when it cannot be stored.
ResponseCode camGetPropertyNow(uint32_t code);
// The vendor's refresh of one property (Fujifilm and Nikon: that code, 1 = done, 0 = failed; Canon: its whole event
// list, the ResponseCode); 0 for Sony and without a vendor.
int camRefreshProperty(uint32_t code);
// Sony: the property stepped one notch (-1 or +1) by its module; 0xFF0F for the others.
ResponseCode camStepProperty(uint32_t code, int direction);

// The vendor's confirmation wait: true once the camera reports the value (true for a vendor without one).
bool propConfirm(uint32_t code, uint32_t value);
// Sets a property. Unless the vendor is Fujifilm, a value the record does not allow is refused with 0x2006 before
// anything is sent. With confirm, the event thread is paused from before the set until the camera reports the value
// (0xFF0D when it does not). 0xFFFF without a vendor module.
ResponseCode propSet(uint32_t code, uint32_t value, bool confirm);
