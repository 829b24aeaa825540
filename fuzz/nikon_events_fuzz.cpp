// Arbitrary bytes as a Nikon event list (u16 count, then u16 code and u32 parameter per event): split, and handed
// to the module's parser (without a camera its requests fail, as a camera that went away does).
#include <cstddef>
#include <cstdint>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_events.h"
#include "engine/vendors/nikon/nikon_module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nikonRegisterModule();
    camSetVendor(VENDOR_NIKON);
    std::vector<NikonEventEntry> entries = nikonSplitEvents(data, size);
    if (size <= 2 && !entries.empty()) __builtin_trap();
    if (entries.size() * 6 + 2 > (size > 2 ? size : 2)) __builtin_trap();
    if (data && size >= 2 && entries.size() > static_cast<size_t>(data[0] | (data[1] << 8))) __builtin_trap();
    nikonParseEvents(data, size);
    camClearEvents();
    return 0;
}
