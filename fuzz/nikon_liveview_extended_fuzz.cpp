// Arbitrary bytes as the reply of Nikon's extended live-view operation 0x9428 (a version, big-endian header and
// picture lengths, fields at offsets that depend on the version): split into the 388-byte header and the JPEG.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/vendors/nikon/nikon_live_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HeapBlock frame;
    if (nikonConvertLiveViewFrame(220, true, data, size, &frame) == PTP_RC_OK) {
        uint32_t headerLength, pictureLength;
        std::memcpy(&headerLength, frame.data(), 4);
        std::memcpy(&pictureLength, frame.data() + 4, 4);
        if (frame.size() != kNikonLiveViewHeaderSize + pictureLength) __builtin_trap();
        if (static_cast<uint64_t>(headerLength) + pictureLength > size) __builtin_trap();
    } else if (frame.size() != 0) {
        __builtin_trap();
    }
    return 0;
}
