#pragma once
// Live view of the simulated Fujifilm bodies: each frame is the JPEG itself; the device reports the AF area as its
// own properties 0xEEE0-0xEEE3 (centre x, centre y, width, height in thousandths of the picture) in the event poll;
// malformed frames on demand.
#include <cstdint>
#include <vector>

namespace devicesim {

class PropertyCamera;

// The device reports an AF area (thousandths of the picture).
void fujiAnnounceAfArea(PropertyCamera& camera, int centreX, int centreY, int width, int height);

enum class FujiFrameFault {
    TruncatedJpeg,  // the JPEG cut in the middle
    NotAJpeg,       // bytes that are no picture
};
void fujiFaultNextFrames(const void* camera, FujiFrameFault fault, int frames);
// Forgets a camera that goes (its frame count, a fault still asked for it).
void fujiForgetCamera(const void* camera);

// The stand-in's frame for a JPEG. Every 25th frame of a camera (its first included) the device reports the AF
// area again, moving it round three places of the picture.
std::vector<uint8_t> fujiStandInLiveViewFrame(PropertyCamera& camera, const std::vector<uint8_t>& jpeg);

}  // namespace devicesim
