#include "devicesim/fuji_frames.h"

#include <map>
#include <mutex>

#include "devicesim/camera_properties.h"
#include "devicesim/frame_faults.h"

namespace devicesim {
namespace {

constexpr uint32_t kAnnounceEvery = 25;

FrameFaults<FujiFrameFault>& fujiFaults() {
    static FrameFaults<FujiFrameFault> faults;
    return faults;
}

// Frames made so far, per camera.
struct FrameCounts {
    std::mutex mutex;
    std::map<const void*, uint32_t> counts;
};
FrameCounts& frameCounts() {
    static FrameCounts c;
    return c;
}

uint32_t nextFrameNumber(const void* camera) {
    FrameCounts& c = frameCounts();
    std::lock_guard<std::mutex> g(c.mutex);
    return c.counts[camera]++;
}

}  // namespace

void fujiAnnounceAfArea(PropertyCamera& camera, int centreX, int centreY, int width, int height) {
    const int values[4] = {centreX, centreY, width, height};
    for (uint16_t i = 0; i < 4; ++i) camera.changeOnCamera(uint16_t(0xEEE0 + i), values[i], 0);
}

void fujiFaultNextFrames(const void* camera, FujiFrameFault fault, int frames) {
    fujiFaults().ask(camera, fault, frames);
}

void fujiForgetCamera(const void* camera) {
    {
        FrameCounts& c = frameCounts();
        std::lock_guard<std::mutex> g(c.mutex);
        c.counts.erase(camera);
    }
    fujiFaults().ask(camera, FujiFrameFault::TruncatedJpeg, 0);  // none asked any more
}

std::vector<uint8_t> fujiStandInLiveViewFrame(PropertyCamera& camera, const std::vector<uint8_t>& jpeg) {
    const uint32_t n = nextFrameNumber(&camera);
    if (n % kAnnounceEvery == 0) {
        static const int places[3][2] = {{500, 500}, {350, 420}, {640, 560}};
        const int* at = places[(n / kAnnounceEvery) % 3];
        fujiAnnounceAfArea(camera, at[0], at[1], 100, 100);
    }
    const std::optional<FujiFrameFault> fault = fujiFaults().take(&camera);
    if (!fault) return jpeg;
    switch (*fault) {
        case FujiFrameFault::TruncatedJpeg:
            return std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
        case FujiFrameFault::NotAJpeg: return std::vector<uint8_t>(512, 0x5A);
    }
    return jpeg;
}

}  // namespace devicesim
