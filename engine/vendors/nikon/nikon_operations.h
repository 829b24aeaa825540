#pragma once
// The Nikon camera operations: host mode and session open, capture with the device-ready poll and the buffer-full
// mark, autofocus, manual focus and its drive, bulb, movie mode and recording, live-view zoom and zoom area, and
// the classic focus-stack loop. Every wait is bounded by a number of tries and by kNikonBusyLimit.
#include <cstdint>
#include <functional>

#include "engine/ptp/response_code.h"

enum : uint16_t {
    kNikonOpCaptureWithAf = 0x9207,
    kNikonOpInitiateCapture = 0x100E,
    kNikonOpDeviceReady = 0x90C8,
    kNikonOpStop = 0x9206,
    kNikonOpAutoFocus = 0x90C1,
    kNikonOpMfDrive = 0x9204,
    kNikonOpBulbEnd = 0x910C,
    kNikonOpZoomArea = 0x9205,
    kNikonOpMovieStart = 0x920A,
    kNikonOpMovieStop = 0x920B,
    kNikonOpApplicationMode = 0x9435,
    kNikonOpHostMode = 0x90C2,
};

inline constexpr ResponseCode kNikonBufferFull = 0xA207;

ResponseCode nikonSetHostMode(bool on, uint32_t refresh);
ResponseCode nikonOpenSession();
ResponseCode nikonSetApplicationMode();

ResponseCode nikonCapture();
// One device-ready poll (0x90C8), and the wait: up to 20 polls 250 ms apart while busy (0xA002 or 0x2019).
ResponseCode nikonDeviceReady();
ResponseCode nikonDeviceReadyWait();
ResponseCode nikonAutoFocus(bool wait, bool switchFirst);
ResponseCode nikonBulbStart();
ResponseCode nikonBulbStop();
// Direction 1 toward near, 2 toward far. 0xA00C when the lens reached the end of its travel.
ResponseCode nikonMfDrive(uint32_t direction, uint32_t steps);
ResponseCode nikonSetManualFocus(bool on);
bool nikonIsAutoFocus(bool pressed);
bool nikonFocusAchieved();

ResponseCode nikonLiveViewZoom(uint32_t percent);
// A point of the live-view frame given as fractions of its size (from the last header).
ResponseCode nikonLiveViewZoomArea(double x, double y);
ResponseCode nikonLiveViewMoveArea(uint32_t x, uint32_t y);
bool nikonLiveViewPosition(uint32_t* x, uint32_t* y);
bool nikonDoubleTapSupported();
ResponseCode nikonMovieModeOn();
ResponseCode nikonMovieModeOff();
ResponseCode nikonMovieRecordStart();
ResponseCode nikonMovieRecordStop();
bool nikonHasMovieOps();
// The event parser's news that a movie object arrived.
void nikonMovieObjectArrived();

// One focus-stack shot: captures again while the buffer is full, then writes 0xD032 back while the camera is busy.
ResponseCode nikonFocusStackShot();
bool nikonFocusStackSupported();
// The classic loop: 0xFF16 when cancelled.
using NikonFocusStackProgress = std::function<void(uint32_t shotsTaken)>;
ResponseCode nikonFocusStackRun(uint32_t shots, uint32_t direction, uint32_t steps, uint32_t delayMs,
                                const NikonFocusStackProgress& progress);
