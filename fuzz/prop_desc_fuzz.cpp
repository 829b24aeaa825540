// Arbitrary bytes as a camera's property description (DevicePropDesc) and as a raw property value. The first byte
// picks the vendor whose rules apply (none, Fujifilm, Canon, Sony, Nikon) and a model index.
#include <cstring>

#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/vendor_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!data || size < 1) return 0;
    static const VendorType kVendors[] = {VENDOR_NONE, VENDOR_FUJI, VENDOR_CANON, VENDOR_SONY, VENDOR_NIKON};
    camSetVendor(kVendors[data[0] % 5]);
    camSetModelIndex(static_cast<uint8_t>(192 + data[0] % 50));
    const uint8_t* desc = data + 1;
    size_t length = size - 1;
    uint32_t code = length >= 2 ? static_cast<uint32_t>(desc[0] | (desc[1] << 8)) : 0x5001;

    propStoreClear();
    PropertyStruct* r = propCreate(code);
    bool parsed = propParseDesc(r, desc, length);
    // The list is never longer than the store's limit for ranges and always backed by memory.
    if (r->valueCount > 0 && !r->values) __builtin_trap();
    if (r->form == kPropFormRange && r->valueCount > kPropMaxListedRange) __builtin_trap();
    if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
    for (uint16_t i = 0; i < r->valueCount; ++i)
        if (strnlen(r->values[i].name, sizeof r->values[i].name) >= sizeof r->values[i].name) __builtin_trap();
    (void)parsed;

    propValueAllowed(code, r->value);
    propValueAllowed(code, 0xFFFFFFFF);
    propFormatValue(code, r->value);
    PropertyCopy copy = propCopyValues(code);
    // The same bytes as a raw value update of the record, whatever kind the description left it with.
    propUpdateValue(code, desc, length);
    if (length > 2) propUpdateValue(code, desc + 2, length - 2);
    return 0;
}
