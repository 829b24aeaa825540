// Arbitrary bytes as the device's Nikon property snapshot (per property a u32 length and a DevicePropDesc): the
// store is rebuilt from them. The first byte picks the model (the colour-temperature index model among them). The
// bytes past the last whole record answer the requests the rebuild makes (see scripted_camera.h): the focus-mode
// write and the image-size description, as a camera would.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_property_table.h"
#include "fuzz/scripted_camera.h"

namespace {

// Where the snapshot's records end: the walk of the rebuild (a u32 length, then that many bytes, while more than
// eight bytes are left and the record fits).
size_t recordsEnd(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (size - at > 8) {
        const uint32_t n = readLe32(data + at);
        if (n > size - at - 4) break;
        at += 4 + n;
    }
    return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kModels[] = {"D850", "D610", "D90", "Z 6", "D7000", "Z fc"};
    nikonRegisterModule();
    camSetVendor(VENDOR_NIKON);
    propSetNameTable(nikonPropertyNames(), kNikonPropertySentinel);
    if (!data || size == 0) {
        propStoreRebuild(nullptr, 0);
        return 0;
    }
    nikonIdentifyModelText(kModels[data[0] % 6]);
    const size_t end = 1 + recordsEnd(data + 1, size - 1);
    fuzz_camera::install(data + end, size - end, {0x1014, 0x1015, 0x1016});
    propStoreRebuild(data + 1, size - 1);
    if (propCount() > kPropStoreCapacity) __builtin_trap();
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (!r) __builtin_trap();
        if (r->valueCount > 0 && !r->values) __builtin_trap();
        if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
    }
    fuzz_camera::uninstall();
    camClearEvents();
    propStoreClear();
    return 0;
}
