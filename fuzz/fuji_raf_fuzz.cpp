// Arbitrary bytes as a whole RAF file: the preview the locator reports lies inside the data and is a whole JPEG,
// from its start marker to its end marker.
#include <cstddef>
#include <cstdint>

#include "engine/vendors/fujifilm/fuji_raf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t offset = 0, length = 0;
    if (!fujiFindPreviewJpeg(data, size, &offset, &length)) {
        if (offset != 0 || length != 0) __builtin_trap();
        return 0;
    }
    if (offset >= size || length < 4 || length > size - offset) __builtin_trap();
    const uint8_t* jpeg = data + offset;
    if (jpeg[0] != 0xFF || jpeg[1] != 0xD8 || jpeg[length - 2] != 0xFF || jpeg[length - 1] != 0xD9) __builtin_trap();
    return 0;
}
