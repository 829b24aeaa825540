#include "devicesim/sony_frames.h"

#include "devicesim/canon_frames.h"
#include "devicesim/frame_faults.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

constexpr size_t kRollAt = 1036, kFocusBlockAt = 1093, kEarlyFocusBlockAt = 581;

FrameFaults<SonyFrameFault>& sonyFaults() {
    static FrameFaults<SonyFrameFault> faults;
    return faults;
}

void set16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

}  // namespace

std::vector<uint8_t> sonyLiveViewFrame(const std::vector<uint8_t>& bareJpeg, const SonyFrameFields& f) {
    std::vector<uint8_t> out;
    wire::put32(out, uint32_t(kSonyFrameJpegAt));
    wire::put32(out, uint32_t(bareJpeg.size()));
    out.resize(f.lateHeaderBlock ? 24 : 8, 0);
    wire::put32(out, f.location >> 16);
    wire::put32(out, f.location & 0xFFFF);
    wire::put32(out, 80);
    wire::put32(out, 60);
    out.resize(kSonyFrameJpegAt, 0);
    set16(out, kRollAt, f.roll);
    const size_t block = f.earlyFocusBlock ? kEarlyFocusBlockAt : kFocusBlockAt;
    set16(out, block, f.focusX);
    set16(out, block + 4, f.focusY);
    set16(out, block + 8, f.focusHeight);
    set16(out, block + 12, f.focusWidth);
    out.insert(out.end(), bareJpeg.begin(), bareJpeg.end());
    return out;
}

void sonyFaultNextFrames(const void* camera, SonyFrameFault fault, int frames) {
    sonyFaults().ask(camera, fault, frames);
}

std::vector<uint8_t> sonyStandInLiveViewFrame(const void* camera, const std::vector<uint8_t>& bareJpeg,
                                              uint32_t location, bool lateHeaderBlock) {
    SonyFrameFields f;
    f.location = location;
    f.lateHeaderBlock = lateHeaderBlock;
    f.focusX = uint16_t((location >> 16) * 2580 / 640);
    f.focusY = uint16_t((location & 0xFFFF) * 1900 / 428);
    f.focusWidth = 258;
    f.focusHeight = 190;
    std::vector<uint8_t> frame = sonyLiveViewFrame(bareJpeg, f);
    const std::optional<SonyFrameFault> fault = sonyFaults().take(camera);
    if (!fault) return frame;
    switch (*fault) {
        case SonyFrameFault::NoJpegStart: frame[kSonyFrameJpegAt + 3] = 0xD0; break;
        case SonyFrameFault::ShortFrame: {
            JpegRecipe tiny;
            tiny.size = 2000;
            tiny.width = 16;
            tiny.height = 12;
            const std::vector<uint8_t> jpeg = canonBareJpeg(jpegImage(tiny)->bytes);
            frame.assign(16, 0);
            wire::set32(frame, 0, 16);
            wire::set32(frame, 4, uint32_t(jpeg.size()));
            frame.insert(frame.end(), jpeg.begin(), jpeg.end());
            break;
        }
    }
    return frame;
}

}  // namespace devicesim
