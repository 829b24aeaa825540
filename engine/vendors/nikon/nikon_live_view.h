#pragma once
// Nikon live view: switching it on and off (with the live-view focus mode mapped both ways and the capture mode
// kept across it), its status, and frames fetched with 0x9203 or 0x9428. A frame reaches the caller as a 388-byte
// header in host byte order followed by the JPEG picture; the camera's own header is big-endian and its layout
// depends on the model (a fixed length, a length prefix, or the 0x9428 form).
#include <cstddef>
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"
#include "engine/vendors/nikon/nikon_state.h"

enum : uint16_t {
    kNikonOpLiveViewStart = 0x9201,
    kNikonOpLiveViewEnd = 0x9202,
    kNikonOpLiveViewFrame = 0x9203,
    kNikonOpLiveViewFrameEx = 0x9428,
};

// The camera header length of the fixed-header models (0 for the others).
size_t nikonFixedLiveViewHeaderLength(uint8_t model);
// A frame reply converted into header + picture (pure; every length and offset checked against the reply).
// 0xFF0B when the reply does not hold what its header says.
ResponseCode nikonConvertLiveViewFrame(uint8_t model, bool extendedForm, const uint8_t* reply, size_t length,
                                       HeapBlock* frame);

ResponseCode nikonSetLiveView(bool on, bool forMovie);
ResponseCode nikonLiveViewStatus(bool* on, bool refresh);
ResponseCode nikonGetLiveViewFrame(HeapBlock* frame);
uint16_t nikonLiveViewOp();
// The last frame's header; false before any frame.
bool nikonLiveViewState(uint8_t (&header)[kNikonLiveViewHeaderSize]);
int camOrientationCode(int index);
int nikonLiveViewOrientation();
// The frame size of the last header (words at 12 and 14); false before any frame.
bool nikonLiveViewFrameSize(uint32_t* width, uint32_t* height);
