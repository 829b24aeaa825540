#pragma once
// Processing of one event-poll block: Canon and Nikon send their own event lists, which their modules parse; for
// Fujifilm and Sony cameras the device makes 38-byte records (property changed, object added), turned here into
// store updates and camera events.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"

// Processes one block by the current vendor; on 0x2001 the events-done callback is told once for the whole block.
// 0xFF0F for a vendor without event processing.
ResponseCode camProcessEvents(const uint8_t* data, size_t length);
// The device's property-changed record applied through the Fujifilm or Sony module: the record, or none (other
// vendors, no module, or no such record).
PropertyStruct* camApplyDeviceProperty(uint32_t code, uint32_t value, uint8_t enabled);

// The code of a Sony property-changed record that asks for every property to be read again.
inline constexpr uint32_t kSonyReloadAllCode = 0x12345678;
