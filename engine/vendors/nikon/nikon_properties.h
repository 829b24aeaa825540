#pragma once
// The Nikon property store: rebuilt from the device's property snapshot at session start, the setter with its
// read-back and confirmation, the refresh of one property, the colour-temperature index of the older bodies, and
// the small reads and tests that other parts of the engine ask of the store.
#include <cstddef>
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"

inline constexpr size_t kNikonSnapshotCodeCount = 64;

// The property codes the snapshot asks for, in order.
const uint32_t (&nikonSnapshotCodes())[kNikonSnapshotCodeCount];
// The snapshot request: a 256-byte block of those codes, each a little-endian u32. 0xFF12 without memory.
ResponseCode propSnapshotCopy(HeapBlock* block, size_t* length);
// The store rebuilt from a snapshot reply (per property a u32 length then a DevicePropDesc dataset). 0xFF15 for no
// data, fewer than 4 bytes, or a record whose length runs past the reply (the records before it are kept); 0 when
// the store is full.
ResponseCode propStoreRebuild(const uint8_t* reply, size_t length);
// The snapshot asked of the device and the store rebuilt from it; the role codes are filled again.
ResponseCode nikonLoadPropertySnapshot();

// The setter: SetDevicePropValue (0x1016). 0xFF1B without a record; 0xFF0B for a text value not allowed.
ResponseCode nikonSetProperty(uint32_t code, uint32_t value);
// GetDevicePropValue into the record, with its text, the colour temperature and the combined image format; queues a
// property-changed event.
bool nikonReadPropertyValue(uint32_t code);
// Up to 10 reads, 100 ms apart, until the record holds the value (compared in the property's width).
bool nikonWaitPropertyValue(uint32_t code, uint32_t value);
// The mirror-up state the module keeps (camMirrorUp), from the snapshot and every read of this property.
inline constexpr uint32_t kNikonMirrorUpCode = 0xD1F7;
void nikonKeepMirrorUp();
// After a record was read again from the camera: the combined image format when the code is one of its parts, the
// kept mirror-up flag, and a property-changed event for the record (and for 0x5004 when an image or raw size
// changed the combined value).
void nikonRecordRefreshed(uint32_t code, bool notify);
// The codes the refresh and the event parser read again.
bool nikonRefreshable(uint32_t code);
// The record's description read again from the camera, for the refreshable codes the store has.
bool nikonRefreshProperty(uint32_t code);
// camGetPropertyNow for every record in store order, up to the first failure.
ResponseCode nikonRefreshAllProperties();

// The colour temperature of the older bodies: index 0-30 into the kelvin table (5000 above 30), and the index whose
// bracket holds a kelvin value. Only model 197 converts.
bool nikonConvertsColourTemperature();
uint32_t nikonColourIndexToKelvin(uint32_t index);
uint32_t nikonColourKelvinToIndex(uint32_t kelvin);
// After a description of a property was parsed into its record: the colour temperature of the index model is kept
// as kelvin in a record wide enough for it.
void nikonDescriptionRead(uint32_t code);

// Tests and small reads of the store.
bool nikonPropertyVisible();
PropertyStruct* nikonPropertyEnabled();  // the auto-ISO record to use, or none (not locked)
uint8_t nikonNumShots();
bool nikonFocusStackProperty();
bool nikonHasMirrorUp();
bool nikonExposureModeIsPASM();
bool nikonIsBulbShutter();
bool nikonHasBulbOp();
bool nikonIsMirrorUpMode();
bool nikonIsContinuousMode(uint32_t code, uint32_t value);
uint32_t nikonShutterMilliseconds(uint32_t value);
bool nikonHdrReferenceCodes(uint32_t code, uint32_t* a, uint32_t* b);
ResponseCode nikonToggleFlash(bool on);
uint32_t nikonFocusModeCode();
bool nikonIsAutoIso();
bool nikonHdrPrepareCapture();
