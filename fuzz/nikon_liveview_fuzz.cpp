// Arbitrary bytes as the reply of Nikon's live-view operation 0x9203: split into the 388-byte header and the JPEG
// by the body's form (a fixed 64, 128 or 384-byte header, or a length prefix), then read through the typed record.
// The first byte picks the model.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_live_view_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t kModels[] = {195, 196, 203, 194, 219, 220, 206, 100};
    if (!data || size == 0) return 0;
    HeapBlock frame;
    if (nikonConvertLiveViewFrame(kModels[data[0] % 8], false, data + 1, size - 1, &frame) == PTP_RC_OK) {
        std::optional<Nikon_LiveViewInfoStruct2> info = nikonLiveViewInfo(frame.data(), frame.size());
        if (!info) __builtin_trap();
        if (frame.size() != kNikonLiveViewHeaderSize + info->jpegLength) __builtin_trap();
        if (info->jpegLength > size - 1) __builtin_trap();
        if (nikonLiveViewPicture(frame.data(), frame.size())->length != info->jpegLength) __builtin_trap();
    } else if (frame.size() != 0) {
        __builtin_trap();
    }
    return 0;
}
