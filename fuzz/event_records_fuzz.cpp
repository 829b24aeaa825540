// Arbitrary bytes as one event-poll block, processed into store updates and camera events in the form of the
// vendor the first byte picks: bit 2 clear, a Fujifilm (bit 0 set) or Sony block of the device's 38-byte records,
// applied by test modules as the vendors' modules would; bit 2 set, a Canon (bit 0 set) or Nikon event block
// handed to the real module: a u16 little-endian length, the block, then the camera's replies to the requests the
// module makes while processing it (see scripted_camera.h), with the store holding the properties such events
// name. Bit 1 is the Fujifilm client mode, the high nibble the exposure program or the Canon
// model. Every piece of state an input leaves (the store, the queue, the doubles' call logs) is cleared before the
// next, so that a long run keeps its memory flat.
#include <cstring>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_records.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/vendor_test_doubles.h"
#include "fuzz/scripted_camera.h"

namespace {

const char* const kCanonModels[] = {"Canon EOS 5D Mark IV", "Canon EOS R6",  "Canon EOS R7",
                                    "Canon EOS R1",         "Canon EOS 90D", "Canon PowerShot G7 X Mark III",
                                    "Canon EOS-1D X Mark III", "Canon EOS R5"};

void checkStore() {
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        propLock(r);
        if (r->valueCount && !r->values) __builtin_trap();
        if (r->valueText[sizeof r->valueText - 1] != '\0') __builtin_trap();
        propUnlock(r);
    }
}

void recordsBlock(const uint8_t* data, size_t size) {
    for (uint32_t code : {0x500Eu, 0x5007u, 0x500Du, 0x5010u, 0xD20Du}) {
        PropertyStruct* r = propCreate(code);
        r->kind = PTP_DTC_UINT16;
        r->value = data[0] >> 4;
    }
    camProcessEvents(data + 1, size - 1);
    size_t records = (size - 1) / 38;
    if (camEventCount() > records) __builtin_trap();
    for (CameraEvent e; camPopEvent(&e)->code != 0;) {
        if (e.code == PTP_EC_ObjectAdded) {
            if (strnlen(e.objectInfo.fileName, sizeof e.objectInfo.fileName) > 32) __builtin_trap();
            if (e.objectInfo.objectId != kObjectIdByName) __builtin_trap();
        } else if (e.code == PTP_EC_DevicePropChanged) {
            if (e.property.record && propIndexOf(e.property.record) < 0) __builtin_trap();
        } else {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static test_vendor::FakeFuji fuji;
    static test_vendor::FakeSony sony;
    if (!data || size < 1) return 0;
    fuji.log.clear();
    sony.log.clear();
    propStoreClear();
    propSetNameTable(nullptr, 0);
    camClearEvents();
    bool fujiOrCanon = (data[0] & 1) != 0;
    if (data[0] & 4) {
        if (fujiOrCanon) {
            canonRegisterModule();
            camSetVendor(VENDOR_CANON);
            propSetNameTable(canonPropertyNames(), kCanonPropertySentinel);
            canonIdentifyModelText(kCanonModels[(data[0] >> 4) % (sizeof kCanonModels / sizeof kCanonModels[0])]);
        } else {
            nikonRegisterModule();
            camSetVendor(VENDOR_NIKON);
        }
        size_t block = size >= 3 ? readLe16(data + 1) : 0;
        if (block > size - 3) block = size >= 3 ? size - 3 : 0;
        const uint8_t* events = data + 3;
        size_t rest = size >= 3 ? size - 3 - block : 0;
        fuzz_camera::install(events + block, rest, {0x1014, 0x1015, 0x1008, 0x9421, 0x90C7, 0x9109, 0x9135});
        for (uint32_t code : {0x5001u, 0x5003u, 0x5004u, 0x5007u, 0x500Eu, 0x5010u, 0xD0B6u, 0xD100u, 0xD1F6u,
                              0xD1F7u}) {
            PropertyStruct* r = propCreate(code);
            r->kind = PTP_DTC_UINT16;
        }
        camProcessEvents(size >= 3 ? events : nullptr, block);
        fuzz_camera::uninstall();
        checkStore();
    } else {
        vendorRegisterFuji(&fuji);
        vendorRegisterSony(&sony);
        camSetVendor(fujiOrCanon ? VENDOR_FUJI : VENDOR_SONY);
        fuji.clientModeOn = (data[0] & 2) != 0;
        recordsBlock(data, size);
    }
    camClearEvents();
    propStoreClear();
    return 0;
}
