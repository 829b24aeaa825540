#pragma once
// Fujifilm live view: on through InitiateOpenCapture, off through the routine the session installs (the device ends
// the camera's open capture); zoom, the focus area (a "X,Y,S" text), tap to focus and the AF overlay. The frames
// themselves come from the device's live-view-frame command, outside this module.
#include <cstdint>
#include <string>

#include "engine/ptp/response_code.h"
#include "engine/vendors/fujifilm/fuji_state.h"

// The routine that ends live view (the session installs the device's end-open-capture request).
void camSetLiveViewStopHandler(FujiLiveViewStopHandler handler);

ResponseCode fujiSetLiveView(bool on);
uint32_t fujiLiveViewZoomLevel();
ResponseCode fujiSetLiveViewZoom(uint32_t level);
ResponseCode fujiLiveViewTap();
ResponseCode fujiLiveViewTapRelease();

// The focus area: X and Y from -19 to 19, S the frame size (0-9).
struct FujiFocusArea {
    int x = 0;
    int y = 0;
    int size = 0;
};
inline constexpr int kFujiFocusAreaLimit = 19;
// Parses "X,Y,S"; false when the text is not in that form.
bool fujiParseFocusArea(const char* text, FujiFocusArea* area);
// Formats the area (X and Y clamped to what the camera takes).
std::string fujiFormatFocusArea(const FujiFocusArea& area);
ResponseCode fujiReadFocusArea(FujiFocusArea* area);
ResponseCode fujiSetFocusArea(int y, int x, int size);
ResponseCode fujiNudgeFocusArea(int direction);
ResponseCode fujiSetFocusAreaAt(double px, double py);
// The grid position of a tap (px, py in 0..1) for a focus-point setting (0xD025 = 1 to 4); false for another.
bool fujiFocusAreaForPoint(double px, double py, uint32_t points, int* x, int* y);

// The AF frame as fractions of the picture (0xEEE0-0xEEE3 / 1000): 0x2001 when all four exist, else 0xFF01 with
// the found ones written.
ResponseCode fujiAfOverlayRect(double* x, double* y, double* width, double* height);
