#pragma once
// The 388-byte record in front of every Nikon live-view picture, as a typed read-only view. The module fills it in
// host byte order from the camera's big-endian header (nikon_live_view.cpp); the live-view display reads the
// display area, the AF frame, the orientation, the level, the movie time and the audio bars from it. Fields the
// display does not read keep the camera's own bytes under neutral names.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/vendors/nikon/nikon_state.h"

struct Nikon_LiveViewInfoStruct2 {
    uint32_t headerLength;  // the camera header's length + 8, 388, or the extended reply's header length
    uint32_t jpegLength;    // the picture's length; the picture starts right after the record
    uint16_t cameraWord0;
    uint16_t cameraWord1;
    uint16_t frameWidth;  // the whole frame that zoom-area coordinates refer to
    uint16_t frameHeight;
    uint16_t displayWidth;  // the area of the frame shown
    uint16_t displayHeight;
    uint16_t displayCentreX;
    uint16_t displayCentreY;
    uint16_t afWidth;  // 0: the camera reports no AF frame
    uint16_t afHeight;
    uint16_t afCentreX;
    uint16_t afCentreY;
    uint32_t cameraLong32;
    uint8_t cameraByte36;
    uint8_t orientation;  // 0-3; see camOrientationCode
    uint8_t afSelected;   // non-zero: the AF frame is drawn yellow
    uint8_t cameraByte39;
    uint32_t cameraLong40;
    uint16_t cameraWord44;
    uint16_t cameraWord46;
    uint8_t afState;  // when afSelected is 0: 2 in focus (green), 1 not in focus (red), else neutral
    uint8_t cameraByte49;
    uint8_t reserved50[2];
    uint32_t levelRoll;   // degrees
    uint32_t levelPitch;  // degrees
    uint32_t cameraLong60;
    uint32_t movieTimeRemaining;  // milliseconds
    uint8_t cameraBytes68[4];
    uint8_t cameraBytes[280];  // camera header bytes 64-343 as delivered
    uint8_t audioPeakLeft;
    uint8_t audioPeakRight;
    uint8_t audioLevelLeft;  // 255: no audio data
    uint8_t audioLevelRight;
    uint8_t cameraByte356[1];
    uint8_t cameraByte357;
    uint8_t reserved358[2];
    uint8_t cameraByte360;
    uint8_t reserved361[24];
};
static_assert(sizeof(Nikon_LiveViewInfoStruct2) == kNikonLiveViewHeaderSize);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, jpegLength) == 4);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraWord0) == 8);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, frameWidth) == 12);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, displayWidth) == 16);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, displayCentreX) == 20);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, afWidth) == 24);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, afCentreX) == 28);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraLong32) == 32);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, orientation) == 37);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, afSelected) == 38);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraLong40) == 40);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraWord44) == 44);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, afState) == 48);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, levelRoll) == 52);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, levelPitch) == 56);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, movieTimeRemaining) == 64);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraBytes68) == 68);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraBytes) == 72);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, audioPeakLeft) == 352);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, audioLevelRight) == 355);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraByte357) == 357);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, cameraByte360) == 360);
static_assert(offsetof(Nikon_LiveViewInfoStruct2, reserved361) == 361);

// The record at the start of a frame buffer (a copy: the buffer may be shared and unaligned); none when the buffer
// is shorter than the record.
std::optional<Nikon_LiveViewInfoStruct2> nikonLiveViewInfo(const uint8_t* frame, size_t length);

// The picture behind the record, cut to what the buffer holds.
struct NikonLiveViewPicture {
    const uint8_t* data = nullptr;
    size_t length = 0;
};
// None when the buffer is shorter than the record.
std::optional<NikonLiveViewPicture> nikonLiveViewPicture(const uint8_t* frame, size_t length);

// The record of the last frame; none before any frame.
std::optional<Nikon_LiveViewInfoStruct2> nikonLastLiveViewInfo();
