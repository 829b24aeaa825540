#pragma once
// The camera actions that the rest of the system asks for, each routed to the current vendor's module or answered
// with a fixed value (dispatch.cpp holds them all, one line per action, in the columns Fujifilm, Canon, Sony, Nikon,
// none). A vendor whose module is not registered answers as "none".
#include <cstdint>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

// Shooting.
ResponseCode camCapture();
ResponseCode camCaptureRelease();
ResponseCode camTakeShot();  // one focus-stack shot
ResponseCode camBulbStart();
ResponseCode camBulbStop();
ResponseCode camHalfPress();
ResponseCode camHalfPressRelease();
bool camSupportsRemoteRelease();

// Live view.
ResponseCode camToggleLiveView(bool on);
ResponseCode camLiveViewFrame(HeapBlock* frame);
ResponseCode camLiveViewZoom(uint32_t value);  // on success the value is kept (camLiveViewZoomRatio)
uint32_t camLiveViewZoomRatio(uint32_t reread);
ResponseCode camLiveViewZoomArea(double x, double y, double width, double height);
ResponseCode camLiveViewTap();
ResponseCode camLiveViewTapRelease();
bool camSupportsZoom200();
// Moves the zoom area: direction 0 up, 1 down, 2 left, 3 right; unless raw, turned by the camera's orientation.
ResponseCode camNudgeLiveView(int direction, bool raw);
bool canonLiveViewZoomOp();
bool camTouchFocusPoint();
int camOrientation();

// Focus.
bool camHasFocus();
bool camIsAutoFocus();
bool camIsManualFocus();
// Focus mode (1 manual, 0 autofocus); with queueEvent a property-changed event for the focus-mode record is queued.
ResponseCode camSetManualFocus(uint32_t manual, bool queueEvent);
// One lens step of a focus stack: size 1 to 3, toward near for positive, far for negative.
ResponseCode camFocusStackStep(int steps);
bool camHasMirrorUp();

// Exposure compensation and bracketing.
ResponseCode camDisableBracketing();
ResponseCode camSetBracketing(uint32_t value);
bool camExposureCompValues(uint8_t* below, uint8_t* above);
float camExposureCompGet(uint32_t value);
uint32_t camExposureCompSelected(float amount);
float camExposureCompCode(uint32_t index);
uint32_t camExposureCompStep(float amount);
int camExposureCompCount();
float camChangeBracket(int steps, float size);
int camBracketValues(float* out, bool forced, float step);
bool camBracketEnabled();
// The largest bracket step the camera allows, in stops (Canon and Nikon; 0 for the others).
float camBracketMax();
float camExposureCompMax(uint32_t movie);
float camExposureCompMin(uint32_t movie);
bool camPropertyUpdated();
bool camHdrPrepare();
// The white-balance property and the value that select a colour temperature.
bool camWhiteBalanceValue(uint32_t* code, uint32_t* value);

// Movie.
bool camMovieRecordingSupported();
bool camMovieToggleAvailable();
ResponseCode camMovieModeOn();
ResponseCode camMovieModeOff();
ResponseCode camMovieRecordStart();
ResponseCode camMovieRecordStop();

// Properties and image formats.
ResponseCode camRefreshAllProperties();
bool camFormatIsRawPlusJpeg();
bool camFormatIsJpegOnly();
bool camFormatIsRawOnly();
ResponseCode camImageFormatLabel(uint32_t value, uint32_t kind, uint32_t* code, std::string* text);
ResponseCode camImageFormatChoices(int kind, std::vector<int32_t>* list);
ResponseCode camImageFormatRawValue(int32_t* out);
ResponseCode camImageFormatJpegValue(int32_t* out);
ResponseCode camSetImageFormat(int32_t raw, int32_t jpeg);
