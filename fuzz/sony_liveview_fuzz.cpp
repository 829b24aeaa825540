// Arbitrary bytes as the data of a Sony camera's live-view object: the JPEG is cut out of it as the live view does.
// The result is either the data untouched, or a shorter tail that starts with the JPEG's first four bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/vendors/sony/sony_live_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> frame(data, data + size);
    size_t length = frame.size();
    const bool found = camLiveViewFindJpeg(frame.empty() ? nullptr : frame.data(), &length);
    if (!found) {
        if (length != size || (size && std::memcmp(frame.data(), data, size) != 0)) __builtin_trap();
        return 0;
    }
    if (length < 4 || length > size) __builtin_trap();
    if (frame[0] != 0xFF || frame[1] != 0xD8 || frame[2] != 0xFF || frame[3] != 0xDB) __builtin_trap();
    if (std::memcmp(frame.data(), data + (size - length), length) != 0) __builtin_trap();
    return 0;
}
