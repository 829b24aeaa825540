#pragma once
// Sony shooting and focus: the virtual buttons (half and full press, movie record, lens drive, focus toggle), shot
// timing for focus stacks, the drive-mode and bulb tests, and exposure compensation for the automation panels.
#include <cstdint>
#include <functional>

#include "engine/ptp/response_code.h"

enum : uint32_t {
    kSonyButtonHalf = 0xD2C1,
    kSonyButtonFull = 0xD2C2,
    kSonyButtonMovie = 0xD2C8,
    kSonyButtonZoom = 0xD2CB,
    kSonyRemoteKeyUp = 0xD2CD,
    kSonyDriveLens = 0xD2D1,
    kSonyFocusToggle = 0xD2D2,
};

// Full press: half then full down. On a failure of the second press the first is let go again, so the camera is
// never left half-pressed.
ResponseCode sonyCapture();
ResponseCode sonyRelease();
ResponseCode sonyHalfPress();
ResponseCode sonyHalfPressRelease();
ResponseCode sonyMovieRecordStart();
ResponseCode sonyMovieRecordStop();
bool sonyMovieSupported();

bool sonyIsManualFocus();
bool sonyIsAutoFocus();
bool sonyHasFocus();
bool sonyFocusToggleAvailable();
ResponseCode sonyToggleFocus(bool manual);
ResponseCode sonySetManualFocus(bool manual);
ResponseCode sonyFocusStep(int steps);

bool sonyIsBulb();
bool sonyBulbAvailable();
bool sonyIsContinuousDrive(uint32_t mode);
int sonyBracketImages(uint32_t mode);
bool sonyIsContinuousBracket();
float sonyExposureSeconds(bool poll);

ResponseCode sonyTakeShot();
ResponseCode sonyFocusStackShot();
ResponseCode sonyWaitImageSaved();
using SonyFocusStackProgress = std::function<void(int shot)>;
// The classic focus stack: `count` shots with a lens drive of `step` between them; 0xFF16 once cancelled
// (sonyCancelFocusStack).
ResponseCode sonyFocusStackRun(int count, int step, uint32_t delayMs, const SonyFocusStackProgress& progress);

ResponseCode sonyDisableBracketing();
bool sonyDriveAllowsHdr();
bool sonyFocusStackSupported();
bool sonyHostModeAvailable();
// The drive mode 0x5013 exists and holds a bracketing mode (above 0x8000).
bool camHasProperty0x5013();

// Exposure compensation: signed 16-bit thousandths of a stop.
float sonyExposureCompToEv(uint32_t value);
uint32_t sonyExposureCompFromEv(float ev);
float sonyExposureCompMax();
float sonyExposureCompMin();
