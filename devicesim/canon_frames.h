#pragma once
// The pictures a simulated Canon camera sends: live-view replies (a JPEG followed by information records, or a YUV
// picture), thumbnail replies with their orientation tag, and CR3 raw files with a preview JPEG inside.
#include <cstddef>
#include <array>
#include <cstdint>
#include <vector>

namespace devicesim {

// What a JPEG live-view reply tells after its picture.
struct CanonLiveViewInfo {
    uint32_t zoom = 1;  // 1 not zoomed; 5 or 6 at 100 %, 10 or 15 at 200 %: the AF frames are then in the zoom area
    uint32_t zoomX = 0, zoomY = 0;
    uint32_t frameWidth = 0, frameHeight = 0;  // 0: no frame-of-reference record
    uint32_t orientationState = 0;
    uint32_t rollHundredths = 0, pitchHundredths = 0;
    // The space of the AF frames: the whole image when not zoomed (record 18), the zoom area when zoomed (record 13).
    uint32_t wholeWidth = 600, wholeHeight = 400;
    uint32_t zoomAreaWidth = 1200, zoomAreaHeight = 800;
    // AF frames: (x, y, width, height, state) each; state 0x11 in focus, 0x12 not, anything else neutral.
    std::vector<std::vector<uint32_t>> afFrames;
    uint32_t extraAfFrameCount = 0;  // frames the record claims beyond those it holds (a malformed record)
    // Audio in dB: level left, right, peak left, right (record 15; -1 first: no audio).
    std::array<int32_t, 4> audio{10, 20, 30, 40};
    // Movie time: whole seconds and milliseconds (record 10).
    int32_t movieSeconds = 7, movieMilliseconds = 9;
};

// Faults a stand-in Canon camera can be asked for, each for a number of frames.
enum class CanonFrameFault {
    NoAfFrames,       // record 8 without frames
    ZeroFrameSpace,   // the AF frames' space of no height
    AudioOffTheScale, // -60 dB and +12 dB
    ManyAfFrames,     // a record 8 that claims 100 frames and holds 70
};
// The next `frames` frames of this camera (any object that stands for it) carry the fault.
void canonFaultNextFrames(const void* camera, CanonFrameFault fault, int frames);

// What the stand-in's live view shows: the camera's zoom state is in `info` already. Three AF frames (in focus, not
// in focus, neutral) in the whole image or, zoomed, in the zoom area around its position; the whole image as tall
// as the mirrorless frame, lower than the DSLR's (whose frames are then measured from a taller frame); a level
// rolled 1.5 degrees and pitched 10 degrees down; audio that moves with the frame number; the movie time from a
// monotonic clock. Any fault asked for this camera.
void canonStandInLiveViewInfo(const void* camera, bool mirrorless, uint32_t frameNumber, CanonLiveViewInfo& info);

// A JPEG without its application segments (APP0-APP15): it then starts FF D8 FF DB as the camera's do.
std::vector<uint8_t> canonBareJpeg(const std::vector<uint8_t>& jpeg);

// The live-view reply: the JPEG, then records 4, 5, 14 (when given), 8, 16, 15, 10, 13, 18 and 17. Each AF frame's
// 24-byte entry holds its state at 0, then x, y, width and height at 8, 12, 16 and 20.
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
