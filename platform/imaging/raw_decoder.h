#pragma once
// Full decoding of camera raw files (CR2, NEF, ARW, DNG and whatever else LibRaw knows) from memory into an 8-bit
// RGB picture, as LibRaw's converter develops them with its defaults (camera white balance where the file has
// one, sRGB output, automatic brightness).
//
// The picture comes out as the sensor lies: LibRaw's own turn by the file's orientation is off, so a caller that
// turns pictures by their orientation turns this one the same way as the preview of the same file.
//
// Input is untrusted. A file LibRaw does not know, one whose data LibRaw finds damaged on the way (it reports
// that and would fill in what it could not read), or whose sensor is larger than kRawMaxPixels or than its file
// could hold (more than kRawMaxPixelsPerByte pixels per byte of the file) fails: no picture, and no gigabytes
// allocated for a header that claims a huge sensor.
// Any thread; each call has a LibRaw instance of its own. Slow (seconds for a large sensor): callers run it in
// the background, and may stop it with a flag that the decode checks between its stages.
#include <QImage>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Sensors above this many pixels are refused before anything is unpacked (a damaged header may claim any size).
inline constexpr uint64_t kRawMaxPixels = 200'000'000;
// Even strongly compressed raw files take more than a byte per sixteen pixels.
inline constexpr uint64_t kRawMaxPixelsPerByte = 16;

enum class RawDecodeStatus { Decoded, Unsupported, Damaged, TooLarge, Cancelled, Failed };

struct RawDecodeResult {
  RawDecodeStatus status = RawDecodeStatus::Failed;
  QImage image;        // RGB32, set only when Decoded
  std::string detail;  // LibRaw's reason, for the log
};

// Decodes the raw file in `data`. A set `cancel` flag (checked between LibRaw's stages and by its progress
// callback) ends the decode early with Cancelled.
RawDecodeResult rawDecode(const uint8_t* data, size_t size, const std::atomic<bool>* cancel = nullptr);

}  // namespace platform
