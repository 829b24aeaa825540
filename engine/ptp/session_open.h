#pragma once
// Session open: the vendor identified from the DeviceInfo's manufacturer, the model checked against the vendor's
// table, the vendor's property-name table and role codes installed, and the vendor's own session opened. Also the
// session-wide values that the dispatch keeps (manual-focus flag, live-view zoom) and the settable tests.
#include <cstdint>

#include "engine/ptp/response_code.h"
#include "engine/ptp/vendor_state.h"

// The property code that plays each role for the current vendor; 0 when the vendor has no such property.
struct VendorPropertyCodes {
    uint32_t aperture = 0;
    uint32_t shutterSpeed = 0;
    uint32_t iso = 0;
    uint32_t imageFormat = 0;
    uint32_t focusMode = 0;
    uint32_t exposureMode = 0;
    uint32_t batteryLevel = 0;
    uint32_t driveMode = 0;
    uint32_t metering = 0;
    uint32_t whiteBalance = 0;
    uint32_t shotsAvailable = 0;
    uint32_t exposureCompensation = 0;
    uint32_t bracketing = 0;
    uint32_t colourTemperature = 0;
};

// A copy of the role codes in force.
VendorPropertyCodes camVendorPropertyCodes();
// Fills the role codes for the current vendor (some depend on what the store holds); with no vendor they are left
// as they were. Session open calls it, and so does the Nikon module after loading the device's property snapshot.
void camFillVendorPropertyCodes();

// The session open, with the "HostMode" setting as a number.
ResponseCode camStartSession(uint32_t hostMode);
// GetDeviceInfo and the manufacturer's text: 13 Canon, 15 Nikon, 14 Sony, 12 Fujifilm, 15 for any other maker;
// 0xFF11 when the DeviceInfo cannot be read. The result is stored as the vendor.
VendorType camDetectVendor();
// The vendor from a manufacturer text alone (compared by its first bytes, case-sensitively).
VendorType camVendorForManufacturer(const char* manufacturer);
// The current vendor's model-table lookup; vendor 255 tries Canon, Nikon, Sony and Fujifilm in that order.
bool camCheckModel();
// Host mode: Fujifilm (PC priority from the mode's low byte) and Nikon; 0xFF0F otherwise.
ResponseCode camSetHostMode(uint32_t mode, uint32_t flag);
// Shots the card still holds: Sony 0, Fujifilm from its module, the others the shots-available property's value.
int camParseShotsAvailable();

// Whether the exposure program (PTP numbering: 1 manual, 2 program, 3 aperture, 4 shutter priority; Canon's own
// numbering for Canon) lets the aperture, the shutter speed or the exposure compensation be set.
bool camApertureSettable(uint32_t program);
bool camShutterSettable(uint32_t program);
bool camExposureCompSettable(uint32_t program);

// The manual-focus flag (1 = manual) and the live-view zoom value kept by the dispatch.
uint32_t camManualFocusFlag();
void camSetManualFocusFlag(uint32_t manual);
uint32_t camKeptZoom();
void camSetKeptZoom(uint32_t value);

// Test reset: no vendor, model index 0, role codes cleared, flags cleared.
void camSessionReset();
