// Arbitrary bytes as the reply of Nikon's extended live-view operation 0x9428 (a version, big-endian header and
// picture lengths, fields at offsets that depend on the version): split into the 388-byte header and the JPEG. The
// same bytes then go through the converter's other forms (the first byte picks the model, as in
// nikon_liveview_fuzz), so that every way into the one converter is taken from these inputs too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_live_view_info.h"

namespace {

// A frame the converter accepted holds the 388-byte header and a picture no longer than the reply could carry, and
// reads back through the typed record as the display reads it.
void checkFrame(ResponseCode rc, const HeapBlock& frame, size_t replyLength) {
    if (rc != PTP_RC_OK) {
        if (frame.size() != 0) __builtin_trap();
        return;
    }
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLiveViewInfo(frame.data(), frame.size());
    std::optional<NikonLiveViewPicture> picture = nikonLiveViewPicture(frame.data(), frame.size());
    if (!info || !picture) __builtin_trap();
    if (frame.size() != kNikonLiveViewHeaderSize + info->jpegLength) __builtin_trap();
    if (info->jpegLength > replyLength || picture->length != info->jpegLength) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HeapBlock frame;
    ResponseCode rc = nikonConvertLiveViewFrame(220, true, data, size, &frame);
    checkFrame(rc, frame, size);
    if (rc == PTP_RC_OK) {
        uint32_t headerLength, pictureLength;
        std::memcpy(&headerLength, frame.data(), 4);
        std::memcpy(&pictureLength, frame.data() + 4, 4);
        if (static_cast<uint64_t>(headerLength) + pictureLength > size) __builtin_trap();
    }
    // The typed record read straight from the bytes: none below its size, a picture never past the bytes.
    std::optional<NikonLiveViewPicture> raw = nikonLiveViewPicture(data, size);
    if (raw.has_value() != (data && size >= kNikonLiveViewHeaderSize)) __builtin_trap();
    if (raw && raw->data + raw->length > data + size) __builtin_trap();
    static const uint8_t kModels[] = {195, 196, 203, 194, 219, 220, 206, 100};
    if (!data || size == 0) {
        if (nikonConvertLiveViewFrame(220, false, data, size, &frame) == PTP_RC_OK) __builtin_trap();
        if (nikonConvertLiveViewFrame(220, false, data, size, nullptr) == PTP_RC_OK) __builtin_trap();
        return 0;
    }
    rc = nikonConvertLiveViewFrame(kModels[data[0] % 8], false, data + 1, size - 1, &frame);
    checkFrame(rc, frame, size - 1);
    return 0;
}
