// Arbitrary bytes as a whole RAW file whose embedded preview JPEG is looked for, in each RAW format, and as a
// file name for the name tests.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/store/image_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint16_t format : {0x3000, 0xB101, 0xB103, 0xB108, 0xB111, 0x3801}) {
        uint64_t offset = 7, length = 7;
        if (rawFindPreview(data, size, &offset, &length, format)) {
            if (length == 0 || offset > size || length > size - offset) __builtin_trap();
        } else if (offset != 0 || length != 0) {
            __builtin_trap();
        }
    }
    std::string name(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    bool raw = fileIsRaw(name.c_str());
    uint16_t format = fileFormatForName(name.c_str());
    if (raw && format == 0) __builtin_trap();  // a RAW name always has a format
    fileIsJpeg(name.c_str());
    fileIsMovie(name.c_str());
    return 0;
}
