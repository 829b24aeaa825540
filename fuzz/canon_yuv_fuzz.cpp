// Arbitrary bytes as a YUV live-view picture, turned into a bitmap file. The first byte picks the model (the
// picture's start and the rows decoded differ).
#include <cstddef>
#include <cstdint>

#include "engine/link/byte_order.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t kModels[] = {0, 225, 235, 237, 244};
    if (size == 0) return 0;
    camSetModelIndex(kModels[data[0] % sizeof kModels]);
    HeapBlock bmp;
    size_t length = canonDecodeYuvFrame(data + 1, size - 1, &bmp);
    if (length != bmp.size()) __builtin_trap();
    if (length) {
        if (length < kBmpHeaderSize || readLe32(bmp.data() + 2) != length) __builtin_trap();
        const uint64_t pixels = uint64_t(readLe32(bmp.data() + 18)) * readLe32(bmp.data() + 22) * 4;
        if (pixels + kBmpHeaderSize != length) __builtin_trap();
    }
    return 0;
}
