#pragma once
// Canon live view: switching the viewfinder output to the computer and back, fetching frames with operation 0x9153,
// and splitting each reply into an EOS_LiveViewInfoStruct header followed by the image (a JPEG, or a bitmap file made
// from a YUV picture). The buffer handed on keeps this fixed layout: the interface reads it as it stands.
#include <cstddef>
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

inline constexpr uint16_t kCanonLiveViewFrameOperation = 0x9153;
inline constexpr uint32_t kCanonLiveViewMaxAfFrames = 64;

struct EOS_LiveViewInfoStruct {
    uint8_t kind;  // 1 JPEG, 2 bitmap
    uint8_t reserved[3];
    uint32_t orientationState;  // record 16
    float levelRoll;            // degrees
    float levelPitch;           // degrees; 180 and above made negative
    uint32_t zoom;              // record 4; 1 when absent
    uint32_t zoomX;             // record 5
    uint32_t zoomY;
    uint32_t record18[2];  // default frame of reference / zoom
    uint32_t record13[2];  // same default
    uint32_t frameWidth;   // record 14; default the model's sensor size
    uint32_t frameHeight;
    uint32_t afFrameCount;  // record 8, at most 64
    uint32_t afFrame[5][kCanonLiveViewMaxAfFrames];  // per AF frame the u32 at 0, 8, 12, 16, 20 of its entry
    int32_t record15[4];
    int32_t record10[2];
    uint32_t imageLength;
    uint8_t image[4];  // the image starts here and runs imageLength bytes
};
static_assert(sizeof(EOS_LiveViewInfoStruct) == 1368);
static_assert(offsetof(EOS_LiveViewInfoStruct, orientationState) == 4);
static_assert(offsetof(EOS_LiveViewInfoStruct, zoom) == 16);
static_assert(offsetof(EOS_LiveViewInfoStruct, record18) == 28);
static_assert(offsetof(EOS_LiveViewInfoStruct, record13) == 36);
static_assert(offsetof(EOS_LiveViewInfoStruct, frameWidth) == 44);
static_assert(offsetof(EOS_LiveViewInfoStruct, afFrameCount) == 52);
static_assert(offsetof(EOS_LiveViewInfoStruct, afFrame) == 56);
static_assert(offsetof(EOS_LiveViewInfoStruct, record15) == 1336);
static_assert(offsetof(EOS_LiveViewInfoStruct, record10) == 1352);
static_assert(offsetof(EOS_LiveViewInfoStruct, imageLength) == 1360);
static_assert(offsetof(EOS_LiveViewInfoStruct, image) == 1364);

inline constexpr size_t kCanonLiveViewHeaderSize = offsetof(EOS_LiveViewInfoStruct, image);
inline constexpr size_t kCanonLiveViewMinimumReply = 4000;

// Switches live view on or off (switchEvfMode: the still-picture viewfinder mode is selected too). Retries while the
// camera reports itself busy, at most kCanonLiveViewSwitchAttempts times.
ResponseCode canonSetLiveView(bool on, bool switchEvfMode);
inline constexpr int kCanonLiveViewSwitchAttempts = 10;
bool canonLiveViewIsOn();

// Fetches one frame: 0x9153 (0x100000), split. 0xA102 means there is no frame yet; ERROR_BUILD when the reply
// cannot be split.
ResponseCode canonGetLiveViewFrame(HeapBlock* frame);
// Splits a reply into a new buffer (header + image, 1368 bytes plus the image length): false when it cannot be
// split (shorter than 4000 bytes, a JPEG without its end, neither a JPEG nor a YUV picture). The header is kept.
bool canonSplitLiveViewFrame(const uint8_t* reply, size_t length, HeapBlock* frame);

// The live-view operation, for the device's live-view sharing.
uint16_t canonLiveViewOp();

// A copy of the last header (false before the first frame).
bool camLiveViewState(EOS_LiveViewInfoStruct* header);
// The EXIF orientation of a header's orientation state, as the live-view display and the nudge directions read it:
// 0 -> 1 (upright), 1 -> 6, 2 -> 8, 3 -> 1, 4 -> 3; any other state, or no header, -> 1.
int canonOrientationToExif(const EOS_LiveViewInfoStruct* header);
// The EXIF orientation of the last header (1 before the first frame).
int canonLiveViewOrientation();
// The zoom-area position of the last header.
bool canonLiveViewPosition(uint32_t* x, uint32_t* y);
void canonForgetLiveViewHeader();

// Zoom: model 232 cannot (0xFF1B); models 250-252 send 6 for 100 %, 15 for 200 %, else 1; others 5, 10, else 1.
ResponseCode canonLiveViewZoom(uint32_t percent);
// The zoom area: x and y as fractions of the frame, each less 0.1, clamped to 0..0.9, times the sensor size.
ResponseCode canonLiveViewZoomPosition(double x, double y);
