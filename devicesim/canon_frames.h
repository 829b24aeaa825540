#pragma once
// The pictures a simulated Canon camera sends: live-view replies (a JPEG followed by information records, or a YUV
// picture), thumbnail replies with their orientation tag, and CR3 raw files with a preview JPEG inside.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devicesim {

// What a JPEG live-view reply tells after its picture.
struct CanonLiveViewInfo {
    uint32_t zoom = 1;
    uint32_t zoomX = 0, zoomY = 0;
    uint32_t frameWidth = 0, frameHeight = 0;  // 0: no frame-of-reference record
    uint32_t orientationState = 0;
    uint32_t rollHundredths = 0, pitchHundredths = 0;
    // AF frames: (x, y, width, height, selected) each.
    std::vector<std::vector<uint32_t>> afFrames;
};

// A JPEG without its application segments (APP0-APP15): it then starts FF D8 FF DB as the camera's do.
std::vector<uint8_t> canonBareJpeg(const std::vector<uint8_t>& jpeg);

// The live-view reply: the JPEG, then records 4, 5, 14 (when given), 8, 16, 15, 10, 13, 18 and 17.
std::vector<uint8_t> canonJpegLiveViewReply(const std::vector<uint8_t>& bareJpeg, const CanonLiveViewInfo& info);
// A YUV live-view reply: `start` filler bytes (the first holding `start` when it is not 0), then the picture
// header (its length, width at +12, height at +16) and width x height x 2 bytes of U, Y0, V, Y1 pairs.
std::vector<uint8_t> canonYuvLiveViewReply(uint32_t width, uint32_t height, uint8_t start, uint32_t seed);
inline constexpr uint8_t kCanonYuvHeaderLength = 32;

// The thumbnail reply: a few bytes holding the orientation tag (0x12 0x01) with the orientation 8 bytes after it,
// then the thumbnail's bare JPEG.
std::vector<uint8_t> canonThumbnailReply(const std::vector<uint8_t>& bareJpeg, uint8_t orientation);

// A CR3-like file: boxes naming a JPEG track with its sample size and chunk offset, then the preview itself and
// `rawBytes` bytes of raw data.
std::vector<uint8_t> canonCr3File(const std::vector<uint8_t>& previewJpeg, size_t rawBytes, uint32_t seed);

}  // namespace devicesim
