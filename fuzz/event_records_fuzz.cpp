// Arbitrary bytes as one event-poll block of a Fujifilm or Sony camera (the device's 38-byte records), processed
// into store updates and camera events. The first byte picks the vendor; the store holds the properties the
// processing looks at, and test modules apply the changes as the vendors' modules would.
#include <cstring>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_records.h"
#include "engine/vendors/vendor_test_doubles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static test_vendor::FakeFuji fuji;
    static test_vendor::FakeSony sony;
    if (!data || size < 1) return 0;
    vendorRegisterFuji(&fuji);
    vendorRegisterSony(&sony);
    camSetVendor(data[0] & 1 ? VENDOR_FUJI : VENDOR_SONY);
    fuji.clientModeOn = (data[0] & 2) != 0;
    propStoreClear();
    camClearEvents();
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
    return 0;
}
