#pragma once
// Live-view frames as the simulated Nikon bodies send them: a fixed-length big-endian header (128 or 384 bytes) in
// front of the JPEG, a header behind a big-endian length prefix, or the extended form of operation 0x9428 (a
// version, the header and picture lengths, and the fields at their own offsets). Written from the frame layouts
// alone, independently of the engine's reader.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devicesim {

struct NikonFrameFields {
    uint16_t frameWidth = 0;  // the size that zoom-area coordinates refer to
    uint16_t frameHeight = 0;
    uint8_t orientation = 0;  // 0-3
    uint8_t byte60 = 0x5A;    // a header byte that some bodies' readers clear
    uint32_t seed = 0;        // varies the other fields
    // The part of the frame shown, and the AF frame, in frame coordinates.
    uint16_t displayWidth = 3024, displayHeight = 2012, displayCentreX = 3000, displayCentreY = 2000;
    uint16_t afWidth = 400, afHeight = 300, afCentreX = 2800, afCentreY = 1900;
    uint8_t afSelected = 0;  // the AF frame is the one chosen by hand
    uint8_t afState = 2;     // 2 in focus, 1 not in focus
    uint16_t levelRoll = 359, levelPitch = 3;  // degrees
    uint32_t movieTimeRemaining = 1234567;     // milliseconds
    // Audio: peak and level of the left and right channel (only the headers long enough carry them).
    uint8_t audioPeakLeft = 200, audioPeakRight = 180, audioLevelLeft = 90, audioLevelRight = 80;
};

enum class NikonFrameForm {
    Fixed128,
    Fixed384,
    LengthPrefixed,
    Extended,  // 0x9428, version 2
};

// The whole reply of one frame request. In the fixed and prefixed forms the camera header holds (big-endian):
// words 0-1 the picture size, 2-3 the frame size, 4-5 the display size, 6-7 its centre, 8-9 the AF frame size,
// 10-11 its centre; byte 29 the orientation, 30 the AF selection, 40 the AF state; the roll and pitch as u16 at 44
// and 48; the movie time as u32 at 56; byte 60; the audio bytes as a u32 at 344 whose lowest byte is the left peak,
// then right peak, left level, right level.
std::vector<uint8_t> nikonFrameReply(NikonFrameForm form, const NikonFrameFields& fields,
                                     const std::vector<uint8_t>& jpeg);
// The camera header length of the length-prefixed form and of the extended form.
inline constexpr uint32_t kNikonPrefixedHeaderLength = 400;
inline constexpr uint32_t kNikonExtendedHeaderLength = 1024;

}  // namespace devicesim
