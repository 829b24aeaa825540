// Arbitrary bytes as one event-poll block of a Sony camera (the device's 38-byte records), applied through the Sony
// module into the store and the event queue. A record of kind 0 ends the block; the bytes after it answer what the
// records ask of the camera (a full reload, a focus-toggle press, a poll after a program change; see scripted_camera.h); once they
// are spent the requests fail, and that must leave everything intact. The first byte sets the store's values and
// whether the module left automatic focus.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/event_records.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/sony/sony_state.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static unsigned runs = 0;
    if (runs++ == 0) {
        sonyRegisterModule();
        camSetVendor(VENDOR_SONY);
        propSetNameTable(sonyPropertyNames(), kSonyPropertySentinel);
    }
    if (!data || size < 1) return 0;
    sonyIdentifyModelText(data[0] & 1 ? "ILCE-7RM4" : "ILCE-7M3");
    sonyState().focusToggled = (data[0] & 2) != 0;
    propStoreClear();
    camClearEvents();
    for (uint32_t code : {0x5004u, 0x500Eu, 0xD203u, 0xD252u, 0xD20Du, 0x5005u}) {
        PropertyStruct* r = propCreate(code);
        r->kind = PTP_DTC_UINT16;
        r->value = data[0] >> 4;
    }
    const size_t length = fuzz_camera::deviceRecordsLength(data + 1, size - 1);
    const size_t script = length + 1 < size ? 1 + length + kDeviceEventRecordSize : size;
    std::vector<uint8_t> block(data + 1, data + 1 + length);
    fuzz_camera::install(data + script, size - script, {0x9204, 0x9205, 0x9207, 0x9209, 0x1014});
    camProcessEvents(block.empty() ? nullptr : block.data(), block.size());
    sonyResetModule();  // waits for a poll the block asked for
    fuzz_camera::uninstall();
    for (CameraEvent e; camPopEvent(&e)->code != 0;) {
        if (e.code == PTP_EC_ObjectAdded && strnlen(e.objectInfo.fileName, sizeof e.objectInfo.fileName) > 32)
            __builtin_trap();
    }
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        propLock(r);
        if (r->valueText[sizeof r->valueText - 1] != '\0') __builtin_trap();
        propUnlock(r);
    }
    return 0;
}
