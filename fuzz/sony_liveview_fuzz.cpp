// Arbitrary bytes as the data of a Sony camera's live-view object: the JPEG is located in it as the live view does.
// The frame is left as it was; a range found starts with the JPEG's first four bytes, lies inside the frame, runs to
// its end and is the first such start; none found means the frame holds no such start.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/vendors/sony/sony_live_view.h"

namespace {
bool startsJpeg(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF && p[3] == 0xDB; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that any read past the frame is seen, and a second one to tell that nothing changed.
    const std::vector<uint8_t> frame(data, data + size);
    const std::optional<SonyJpegRange> found = sonyLiveViewFindJpeg(frame.empty() ? nullptr : frame.data(), size);
    if (size && std::memcmp(frame.data(), data, size) != 0) __builtin_trap();
    size_t first = size;
    for (size_t i = 0; i + 4 <= size; ++i)
        if (startsJpeg(data + i)) {
            first = i;
            break;
        }
    if (!found) {
        if (first != size) __builtin_trap();
        return 0;
    }
    if (found->offset != first || found->offset + found->length != size || found->length < 4) __builtin_trap();
    return 0;
}
