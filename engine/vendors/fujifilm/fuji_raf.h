#pragma once
// The preview JPEG embedded near the start of a RAF file.
#include <cstddef>
#include <cstdint>

// Scans the first 500 bytes for the start of a JPEG with an EXIF segment (FF D8 FF E1) and measures that JPEG to
// its end marker, walking its segments. True only when the whole JPEG lies inside the data; outputs 0 otherwise.
bool fujiFindPreviewJpeg(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* jpegLength);
// The length of the JPEG that starts at data[0] (SOI) up to and including its EOI; 0 when it does not end inside
// the data or its segments are malformed.
size_t fujiJpegLength(const uint8_t* data, size_t length);
