#pragma once
// Tests and computations that the automation panels make over the camera's property store before they start an
// automation: manual exposure, bulb, automatic ISO, the shots and values an HDR bracket covers, battery percent.
// They read the vendor and model index of the session and the current values of property records, each under the
// record's own mutex; none of them reaches the device.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

bool camIsManualExposure(uint32_t exposureMode);
// The current aperture as an f-number; 0 when absent, 0 or 0xFFFF.
float focusParseAperture();
// A raw battery value of the current vendor in percent.
uint32_t camBatteryLevel(uint32_t raw);
// The shutter is in Bulb, by the current vendor's own test (Fujifilm and Sony through their modules).
bool camIsBulbMode();
// Sony: the drive mode 0x5013 holds a bracketing mode (a value above 0x8000); false for other vendors or without the
// record.
bool sonyIsBracketDrive();
bool camBulbAvailable();
bool camLiveViewSelectorIsMovie();
bool camIsAutoIso();
bool camHostModeAvailable();
bool camMirrorUp();
bool camStatusFeatureAvailable();
// Sets the single-shot drive with confirmation (Canon, Sony, Nikon); 0xFF0F for Fujifilm and without a vendor.
ResponseCode camDriveModeSingle();
// Canon: whether the focus state follows focus changes (focus mode not 3 and the camera lists 0x9128). Other
// vendors answer through their modules and give false until those exist.
bool camFocusUpdated();
// Whether a value of the drive property driveCode is a continuous (burst) drive; Fujifilm and no vendor: false.
bool camStillCaptureMode(uint32_t driveCode, uint32_t value);
// Whether the drive settings would spoil a sequence of single shots (a continuous drive and the like).
bool hdrPrepareCapture();
// Switches the flash; only Nikon cameras have the switch (through the Nikon module), others 0xFF1B.
ResponseCode camToggleFlash(bool on);
// Exposure time of a shutter value in ms (Nikon and Sony fractions, Canon's table); 0 for special values.
uint32_t camShutterTimeMs(uint32_t shutterValue);

// Shots of a bulb bracket over an exposure range (ms).
int hdrNumShots(double range, int mode, double step);
// count exposure times around base, step EV apart.
std::vector<uint32_t> hdrEndPoints(uint32_t base, uint32_t count, double step);
// Allowed-value entries per EV of a property.
int hdrStepSize(uint32_t property);
// How many shots a bracket of that step can take from the value in the given mode.
int hdrStepCount(uint32_t property, uint32_t value, uint32_t step, int mode);
// The display row of one end of a bracket (end 1 or 2); none when it leaves the list.
std::optional<std::string> hdrCalculateEndPoints(uint32_t property, uint32_t value, uint32_t step, uint32_t shots,
                                                 int startPoint, int end);

// Offset just past the end marker of the JPEG that starts the data; 0 when it does not start one or has no end.
size_t jpegEndOffset(const uint8_t* bytes, size_t length);
