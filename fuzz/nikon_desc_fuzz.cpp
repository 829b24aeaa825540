// Arbitrary bytes as a Nikon camera's property description (DevicePropDesc) with the Nikon module in force: the
// record is filled, adjusted by the module's rules (focus modes, the colour-temperature index in kelvin), named and
// its values checked and formatted. The first byte picks the model.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_property_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kModels[] = {"D850", "D610", "D90", "Z 6", "D7000", "Z fc", "D5600", "D3X"};
    if (!data || size < 3) return 0;
    nikonRegisterModule();
    camSetVendor(VENDOR_NIKON);
    propSetNameTable(nikonPropertyNames(), kNikonPropertySentinel);
    nikonIdentifyModelText(kModels[data[0] % 8]);
    const uint8_t* desc = data + 1;
    size_t length = size - 1;
    uint32_t code = static_cast<uint32_t>(desc[0] | (desc[1] << 8));
    propStoreClear();
    PropertyStruct* r = propCreate(code);
    if (propParseDesc(r, desc, length)) nikonDescriptionRead(code);
    if (r->valueCount > 0 && !r->values) __builtin_trap();
    if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
    propFormatValueOrNumber(code, r->value);
    propValueAllowed(code, r->value);
    if (nikonImageFormatLabel(r->value).size() > 31) __builtin_trap();
    nikonRefreshCombinedFormat();
    return 0;
}
