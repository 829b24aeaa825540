#pragma once
// Sony live view: the camera's live-view object (its data handed on unchanged; the JPEG is located in it with
// sonyLiveViewFindJpeg), the focus frame of the overlay from the live-view location, focus by tapping a point, the
// zoom and its magnification, nudging the zoomed area, and the tap-to-focus half press.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

inline constexpr uint32_t kSonyLiveViewObject = 0xFFFFC002;

ResponseCode sonySetLiveView(bool on);
ResponseCode sonyLiveViewFrame(HeapBlock* frame);
// Where the JPEG lies in a live-view frame: from the first FF D8 FF DB whose four bytes all lie inside the frame, to
// the frame's end. The frame is only read (one frame buffer is shared by every observer of it); none when there is
// no such start, or no data.
struct SonyJpegRange {
    size_t offset = 0;
    size_t length = 0;
};
std::optional<SonyJpegRange> sonyLiveViewFindJpeg(const uint8_t* data, size_t length);
bool camLiveViewAlwaysTrue();
// The focus frame: the high and the low 16 bits of the live-view location (0xD2DC when the camera has it, else
// 0xD232).
bool sonyAfOverlayRect(uint32_t* first, uint32_t* second);
// Focus at a point of the frame (fractions 0..1; points outside are taken to the nearest edge).
ResponseCode sonySetFocusPoint(double px, double py);
uint32_t sonyLiveViewZoomLevel(bool reread);
ResponseCode sonySetLiveViewZoom(uint32_t level);
// Moves the zoomed area by 5 (0 left, 1 right, 2 up, 3 down on the bodies that move it by position; the remote keys
// up, down, left, right on the others). Positions stay within 0..65535.
ResponseCode sonyNudge(int direction);
ResponseCode sonyLiveViewTap();
ResponseCode sonyLiveViewTapRelease();
bool sonyTouchFocus();
bool sonyDoubleTapZoom();
