// Arbitrary bytes as the body of a Sony camera's all-properties reply (after its header), parsed into the store as
// session open does, and single codes found in it as the refresh does. The first byte picks the body (extended
// format or not, which models' quirks apply). Every input starts from an empty store and queue; with the first
// byte's top bit set, the store starts nearly full (bits 3-6: the free places), so that the reply also meets a
// full store.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_descriptors.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kModels[] = {"ILCE-7M3", "ILCE-7RM4", "ILCE-6300", "ILCE-6400"};
    static const bool registered = [] {
        sonyRegisterModule();
        camSetVendor(VENDOR_SONY);
        propSetNameTable(sonyPropertyNames(), kSonyPropertySentinel);
        return true;
    }();
    (void)registered;
    propStoreClear();
    camClearEvents();
    if (size == 0) return 0;
    sonyIdentifyModelText(kModels[data[0] % 4]);
    if (data[0] & 0x80) fuzz_camera::fillStoreLeaving((data[0] >> 3) & 0x0F);
    // The body in a block of exactly its own size, so that any read past it is seen.
    std::vector<uint8_t> body(data + 1, data + size);
    const uint8_t* bytes = body.empty() ? nullptr : body.data();
    sonyParseAllProperties(bytes, body.size());
    for (uint32_t code : {0xD2DCu, 0x5007u, 0xD254u}) sonyFindPropertyInData(code, bytes, body.size(), true);
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        propLock(r);
        if (r->valueCount && !r->values) __builtin_trap();
        if (r->valueText[sizeof r->valueText - 1] != '\0') __builtin_trap();
        propUnlock(r);
    }
    SonyDescriptorIndex index = sonyIndexDescriptors(bytes, body.size(), (data[0] & 1) != 0);
    if (index.end > body.size()) __builtin_trap();
    camClearEvents();
    return 0;
}
