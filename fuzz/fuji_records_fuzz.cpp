// Arbitrary bytes as one event-poll block of a Fujifilm camera (the device's 38-byte records), applied through the
// real Fujifilm module to a store that holds the exposure records, a text-valued image size and the capacity text.
// A record of kind 0 ends the block; the bytes after it answer the re-reads the records ask for (see
// scripted_camera.h); once they are spent the re-reads fail, and the processing must carry on. The first byte sets the exposure program and PC
// priority.
#include <cstring>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/event_records.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/fujifilm/fuji_state.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!data || size < 1) return 0;
    fujiRegisterModule();
    camSetVendor(VENDOR_FUJI);
    camSetModelIndex(22);
    propSetNameTable(fujiPropertyNames(), kFujiSentinelCode);
    fujiState().pcPriority = (data[0] & 1) != 0;
    propStoreClear();
    camClearEvents();
    // The lens's aperture text (0xD38D) and its request switch (0xD38C) answer the aperture's re-read.
    for (uint32_t code : {0x500Eu, 0x5007u, 0x500Du, 0x5010u, 0x5005u, 0x5003u, 0xD20Du, 0xD38Cu, 0xD38Du}) {
        PropertyStruct* r = propCreate(code);
        r->kind = code == 0x5003 || code == 0xD20D || code == 0xD38D ? kPropKindText : PTP_DTC_UINT16;
        r->value = data[0] >> 4;
    }
    const size_t block = fuzz_camera::deviceRecordsLength(data + 1, size - 1);
    const size_t script = block + 1 < size ? 1 + block + kDeviceEventRecordSize : size;
    fuzz_camera::install(data + script, size - script, {0x1014, 0x1015, 0x1016});
    camProcessEvents(data + 1, block);
    fuzz_camera::uninstall();
    const size_t records = block / kDeviceEventRecordSize;
    if (camEventCount() > records * 4) __builtin_trap();
    for (CameraEvent e; camPopEvent(&e)->code != 0;) {
        if (e.code == PTP_EC_ObjectAdded) {
            if (strnlen(e.objectInfo.fileName, sizeof e.objectInfo.fileName) > 32) __builtin_trap();
        } else if (e.code == PTP_EC_DevicePropChanged) {
            if (e.property.record && propIndexOf(e.property.record) < 0) __builtin_trap();
        }
    }
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
        if (!fujiState().pcPriority && r->enabled) __builtin_trap();
    }
    return 0;
}
