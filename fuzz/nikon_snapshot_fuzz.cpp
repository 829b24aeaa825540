// Arbitrary bytes as the device's Nikon property snapshot (per property a u32 length and a DevicePropDesc): the
// store is rebuilt from them. The first byte picks the model (the colour-temperature index model among them).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_property_table.h"

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
    propStoreRebuild(data + 1, size - 1);
    if (propCount() > kPropStoreCapacity) __builtin_trap();
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (!r) __builtin_trap();
        if (r->valueCount > 0 && !r->values) __builtin_trap();
        if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
    }
    return 0;
}
