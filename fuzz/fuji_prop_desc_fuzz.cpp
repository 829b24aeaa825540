// Arbitrary bytes as a Fujifilm camera's property description, with the Fujifilm module's rules in force: the
// text-valued image size (each text turned into a size index), the capacity and focus-area texts read back by the
// module, and the same bytes as a raw value. The first byte picks a model and the property.
#include <cstring>

#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!data || size < 1) return 0;
    static const uint8_t kModels[] = {22, 23, 33, 35, 36, 20};
    static const uint32_t kCodes[] = {0x5003, 0xD20D, 0xD395, 0xD38D, 0xD38E, 0x500D, 0x5007, 0x5010};
    fujiRegisterModule();
    camSetVendor(VENDOR_FUJI);
    camSetModelIndex(kModels[data[0] % 6]);
    propSetNameTable(fujiPropertyNames(), kFujiSentinelCode);
    const uint32_t code = kCodes[(data[0] >> 3) % 8];
    const uint8_t* desc = data + 1;
    const size_t length = size - 1;

    propStoreClear();
    PropertyStruct* r = propCreate(code);
    propParseDesc(r, desc, length);
    if (r->valueCount > 0 && !r->values) __builtin_trap();
    if (strnlen(r->valueText, sizeof r->valueText) >= sizeof r->valueText) __builtin_trap();
    for (uint16_t i = 0; i < r->valueCount; ++i) {
        if (strnlen(r->values[i].name, sizeof r->values[i].name) >= sizeof r->values[i].name) __builtin_trap();
        // A listed size text stands for a size of the table, or for none.
        if (code == 0x5003 && r->kind == kPropKindText && r->values[i].value != 0xFFFF &&
            r->values[i].value >= kFujiImageSizeCount && r->values[i].name[0])
            __builtin_trap();
    }
    propUpdateValue(code, desc, length);

    // What the module reads out of the texts.
    PropertyCopy copy = propCopyValues(code);
    FujiFocusArea area;
    if (fujiParseFocusArea(copy->valueText, &area) &&
        (area.x < -kFujiFocusAreaLimit || area.x > kFujiFocusAreaLimit || area.y < -kFujiFocusAreaLimit ||
         area.y > kFujiFocusAreaLimit))
        __builtin_trap();
    for (const PropertyValueNamesStruct& e : fujiParseApertures(copy->valueText))
        if (strnlen(e.name, sizeof e.name) >= sizeof e.name) __builtin_trap();
    fujiShotsAvailable();
    fujiFormatValueText(code, copy->value);
    uint32_t value = 0;
    fujiImageFormatValue(&value);
    fujiImageFormatLabel(static_cast<int32_t>(value));
    return 0;
}
