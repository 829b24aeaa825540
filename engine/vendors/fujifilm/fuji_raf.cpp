#include "engine/vendors/fujifilm/fuji_raf.h"

#include <cstring>

namespace {
constexpr size_t kScanLimit = 500;
constexpr size_t kShortFile = 503;
}  // namespace

size_t fujiJpegLength(const uint8_t* data, size_t length) {
    if (!data || length < 4 || data[0] != 0xFF || data[1] != 0xD8) return 0;
    size_t pos = 2;
    // Segments up to the start of scan: each marker's length field covers itself and its data.
    while (true) {
        if (pos + 4 > length) return 0;
        if (data[pos] != 0xFF) return 0;
        uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9) return pos + 2;  // an image without scan data
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        size_t segment = (static_cast<size_t>(data[pos + 2]) << 8) | data[pos + 3];
        if (segment < 2 || segment > length - pos - 2) return 0;
        pos += 2 + segment;
        if (marker == 0xDA) break;
    }
    // Entropy-coded data: a marker is FF followed by neither 00 nor a restart; the end is FF D9.
    while (pos + 1 < length) {
        const void* mark = std::memchr(data + pos, 0xFF, length - 1 - pos);
        if (!mark) return 0;
        pos = static_cast<size_t>(static_cast<const uint8_t*>(mark) - data);
        if (data[pos + 1] == 0xD9) return pos + 2;
        ++pos;
    }
    return 0;
}

bool fujiFindPreviewJpeg(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* jpegLength) {
    if (offset) *offset = 0;
    if (jpegLength) *jpegLength = 0;
    if (!data || !offset || !jpegLength || length <= 4) return false;
    size_t end = length <= kShortFile ? length - 4 : kScanLimit;
    for (size_t i = 0; i < end; ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xD8 && data[i + 2] == 0xFF && data[i + 3] == 0xE1) {
            size_t size = fujiJpegLength(data + i, length - i);
            if (size == 0) return false;  // the preview does not lie inside the file
            *offset = i;
            *jpegLength = size;
            return true;
        }
    }
    return false;
}
