// Arbitrary bytes as the reply of Canon's live-view operation: split into header and image (a JPEG with its
// records, or a bitmap from a YUV picture). The first byte picks the model (the YUV layouts differ).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_live_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t kModels[] = {0, 225, 230, 237, 241, 245};
    if (size == 0) return 0;
    camSetModelIndex(kModels[data[0] % sizeof kModels]);
    HeapBlock frame;
    if (canonSplitLiveViewFrame(data + 1, size - 1, &frame)) {
        if (frame.size() < sizeof(EOS_LiveViewInfoStruct)) __builtin_trap();
        EOS_LiveViewInfoStruct h;
        std::memcpy(&h, frame.data(), sizeof h);
        if (frame.size() != sizeof h + h.imageLength) __builtin_trap();
        if (h.afFrameCount > kCanonLiveViewMaxAfFrames) __builtin_trap();
        if (h.kind == 1 && h.imageLength > size - 1) __builtin_trap();
    }
    return 0;
}
