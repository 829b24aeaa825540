// Arbitrary bytes as a Nikon event list (u16 count, then u16 code and u32 parameter per event): split, and handed
// to the module's parser. The bytes past the listed events are the camera's replies to the requests the parser
// makes (see scripted_camera.h); once they are spent its requests fail, as with a camera that went away. The
// input's length picks the model among a newer body, the colour-temperature index body and a Z body.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_events.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_property_table.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kModels[] = {"D850", "D7000", "Z 6"};
    nikonRegisterModule();
    camSetVendor(VENDOR_NIKON);
    propSetNameTable(nikonPropertyNames(), kNikonPropertySentinel);
    nikonIdentifyModelText(kModels[size % 3]);
    std::vector<NikonEventEntry> entries = nikonSplitEvents(data, size);
    if (size <= 2 && !entries.empty()) __builtin_trap();
    if (entries.size() * 6 + 2 > (size > 2 ? size : 2)) __builtin_trap();
    if (data && size >= 2 && entries.size() > static_cast<size_t>(data[0] | (data[1] << 8))) __builtin_trap();
    size_t listed = data && size >= 2 ? 2 + entries.size() * 6 : 0;
    fuzz_camera::install(data ? data + listed : nullptr, size - listed, {0x1014, 0x1015, 0x1008});
    for (uint32_t code : {0x5001u, 0x5003u, 0x5004u, 0x5007u, 0x500Eu, 0x5010u, 0xD0B6u, 0xD100u, 0xD1F6u, 0xD1F7u,
                          0xD01Eu, 0xD061u, 0xD161u, 0xD0B4u, 0xD0B5u, 0x500Fu})
        if (!propExists(code)) propCreate(code)->kind = PTP_DTC_UINT16;
    nikonParseEvents(data, size);
    fuzz_camera::uninstall();
    camClearEvents();
    propStoreClear();
    return 0;
}
