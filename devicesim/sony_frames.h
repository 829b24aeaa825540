#pragma once
// Live-view frames as the simulated Sony bodies send them (the data of object 0xFFFFC002): where the JPEG starts
// and its size at 0 and 4, the camera's own focus words at 8 (24 on the bodies with the longer header), the
// level's roll as a u16 at 1036, the focus block (u16 x at +0, y at +4, height at +8, width at +12, in a 2580 x 1900
// space) at 1093 (581 on the bodies 0xB0, 0xB6 and 0xB7), then the JPEG, which starts FF D8 FF DB. Malformed frames
// on demand. Written from the frame layout alone, independently of the readers.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devicesim {

struct SonyFrameFields {
    uint32_t location = 0;        // the camera's focus location: x in the high, y in the low 16 bits (640 x 428)
    bool lateHeaderBlock = false; // the camera's own focus words at 24 instead of 8
    bool earlyFocusBlock = false; // the focus block at 581
    uint16_t roll = 2;            // degrees
    // The focus frame in the 2580 x 1900 space: centre and size. Zero size: none.
    uint16_t focusX = 0, focusY = 0, focusWidth = 0, focusHeight = 0;
};

inline constexpr size_t kSonyFrameJpegAt = 1120;

// The frame for a bare JPEG.
std::vector<uint8_t> sonyLiveViewFrame(const std::vector<uint8_t>& bareJpeg, const SonyFrameFields& fields);

enum class SonyFrameFault {
    NoJpegStart,  // the JPEG's start bytes broken: no picture to find
    ShortFrame,   // a frame of a few hundred bytes: the roll and the focus block lie past its end
};
void sonyFaultNextFrames(const void* camera, SonyFrameFault fault, int frames);

// The stand-in camera's frame: its focus location also as a focus frame of 258 x 190 around the same point of the
// 2580 x 1900 space, any fault asked for this camera applied.
std::vector<uint8_t> sonyStandInLiveViewFrame(const void* camera, const std::vector<uint8_t>& bareJpeg,
                                              uint32_t location, bool lateHeaderBlock);

}  // namespace devicesim
