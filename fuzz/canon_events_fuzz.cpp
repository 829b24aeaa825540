// Arbitrary bytes as a Canon camera's event data, parsed into the property store and the event queue on each of
// the model layouts (the first byte's low bits pick the model). Every input starts from an empty store and queue;
// with the first byte's top bit set, the store starts nearly full (bits 3-6: the free places), so that the
// events also meet a full store.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_events.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kModels[] = {"Canon EOS 5D Mark IV", "Canon EOS R6",  "Canon EOS R7",
                                          "Canon EOS R1",         "Canon EOS 90D", "Canon PowerShot G7 X Mark III",
                                          "Canon EOS-1D X Mark III", "Canon EOS R5"};
    static const bool registered = [] {
        canonRegisterModule();
        camSetVendor(VENDOR_CANON);
        propSetNameTable(canonPropertyNames(), kCanonPropertySentinel);
        return true;
    }();
    (void)registered;
    propStoreClear();
    camClearEvents();
    if (size == 0) {
        canonParseEvents(nullptr, 0);
        return 0;
    }
    canonIdentifyModelText(kModels[data[0] % (sizeof kModels / sizeof kModels[0])]);
    if (data[0] & 0x80) fuzz_camera::fillStoreLeaving((data[0] >> 3) & 0x0F);
    canonParseEvents(data + 1, size - 1);
    if (size > 9) canonParseOlcInfo(data + 1, size - 1, static_cast<uint32_t>(size + 7));
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        propLock(r);
        if (r->valueCount && !r->values) __builtin_trap();
        if (r->valueText[sizeof r->valueText - 1] != '\0') __builtin_trap();
        propUnlock(r);
    }
    camClearEvents();
    return 0;
}
