#pragma once
// Fujifilm shooting and focus: capture through the capture-mode property 0xD208 and InitiateCapture (half press,
// full press, bulb, release), the focus-stack shot, movie, the focus mode and the focus drive, and the exposure
// compensation scale of the automation panels.
#include <cstdint>

#include "engine/ptp/response_code.h"

// 0xD208 values of the shutter steps.
enum : uint32_t {
    kFujiCaptureS1 = 0x200,
    kFujiCaptureAfFailed = 4,
    kFujiCaptureBulbOpen = 0x500,
    kFujiCaptureRelease = 0x304,
    kFujiCaptureBulbRelease = 12,
    kFujiCaptureHalfPress = 0x9300,
    kFujiCaptureHalfPressOld = 0x9100,
    kFujiCaptureHalfRelease = 5,
    kFujiCaptureHalfReleaseOld = 1,
    kFujiMovieStart = 0x804,
    kFujiMovieStop = 0x80,
};
inline constexpr ResponseCode kFujiOutOfFocus = 0xA002;

ResponseCode fujiCapture(bool bulb, bool release);
ResponseCode fujiPress(bool bulb);
ResponseCode fujiRelease(bool bulb);
ResponseCode fujiHalfPress();
ResponseCode fujiHalfPressRelease();
ResponseCode fujiFocusStackShot();
bool fujiIsBulb();
ResponseCode fujiWaitNotBusy();
bool fujiLongExposureNrOn();

bool fujiMovieSupported();
ResponseCode fujiMovieModeOn();
ResponseCode fujiMovieModeOff();
ResponseCode fujiMovieRecordStart();
ResponseCode fujiMovieRecordStop();

bool fujiIsAutoFocus();
bool fujiIsManualFocus();
bool fujiFocusModeEnabled();
bool fujiIsFocused();
// Mode 1: manual focus, 0: autofocus.
ResponseCode fujiAutoFocus(uint32_t mode);
ResponseCode fujiDriveFocus(int steps);
ResponseCode fujiFocusPosition(uint32_t position);

// Exposure compensation: the value as signed 16-bit thousandths of a stop.
float fujiExposureCompToEv(uint32_t value);
uint32_t fujiExposureCompFromEv(float ev);
float fujiExposureCompLimit(bool largest);
