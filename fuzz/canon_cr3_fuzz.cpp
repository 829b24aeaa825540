// Arbitrary bytes as a CR3 file whose preview JPEG is looked for.
#include <cstddef>
#include <cstdint>

#include "engine/vendors/canon/canon_card.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t offset = 7, length = 7;
    if (canonRawFindPreviewJpeg(data, size, &offset, &length)) {
        if (length == 0 || offset + length > size) __builtin_trap();
    } else if (offset != 0 || length != 0) {
        __builtin_trap();
    }
    return 0;
}
