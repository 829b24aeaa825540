#pragma once
// The Canon vendor module as the engine's core sees it: the CanonModule routines of vendor_module.h answered by the
// Canon tables, event parser, live view and operations, and the standard operations' Canon paths (card listing,
// thumbnails, CR3 ranges). Register it once at start-up; every session with a Canon body then goes through it.
#include "engine/vendors/vendor_module.h"

class CanonVendorModule : public CanonModule {
public:
    void sessionStarting() override;
    bool identifyModel() override;
    const PropertyNameStruct* propertyNames() override;
    ResponseCode openSession() override;
    ResponseCode setProperty(uint32_t code, uint32_t value) override;
    bool confirmProperty(uint32_t code, uint32_t value) override;

    ResponseCode capture() override;
    ResponseCode bulbStart() override;
    ResponseCode bulbStop() override;
    ResponseCode liveViewZoom(uint32_t percent) override;
    ResponseCode liveViewZoomArea(double x, double y, double width, double height) override;
    ResponseCode liveViewTap() override;
    bool movieRecordingSupported() override;
    ResponseCode movieRecordStart() override;
    ResponseCode movieRecordStop() override;
    ResponseCode refreshAllProperties() override;
    float exposureCompGet(uint32_t value) override;
    float exposureCompMax(uint32_t movie) override;
    float exposureCompMin(uint32_t movie) override;
    ResponseCode imageFormatChoices(int kind, std::vector<int32_t>* list) override;
    ResponseCode imageFormatRawValue(int32_t* out) override;
    ResponseCode imageFormatJpegValue(int32_t* out) override;
    ResponseCode setImageFormat(int32_t raw, int32_t jpeg) override;
    bool stillCaptureMode(uint32_t code, uint32_t value) override;
    bool hdrPrepareCapture() override;

    const PropertyValueNamesStruct* valueNamesFor(uint32_t code) override;
    ResponseCode getPropertyValue(uint32_t code, HeapBlock* data) override;
    ResponseCode refreshEvents() override;
    ResponseCode parseEvents(const uint8_t* data, size_t length) override;
    uint32_t exposureModeCode() override;
    bool liveViewAfSupported() override;
    bool liveViewOn() override;
    ResponseCode checkSession() override;

    ResponseCode captureRelease() override;
    bool waitReady() override;
    ResponseCode halfPress() override;
    ResponseCode halfPressRelease() override;
    ResponseCode setLiveView(bool on, bool switchEvfMode) override;
    ResponseCode liveViewFrame(HeapBlock* frame) override;
    ResponseCode liveViewTapRelease() override;
    bool doubleTapSupported() override;
    bool liveViewPosition(uint32_t* x, uint32_t* y) override;
    bool touchFocusSupported() override;
    int orientation() override;
    ResponseCode driveLens(uint32_t step) override;
    bool hasMirrorUp() override;
    ResponseCode disableBracketing() override;
    int bracketCount() override;
    float evCodeToFloat(uint32_t code) override;
    uint32_t evFloatToCode(float stops) override;
    uint32_t exposureCompStep(float amount) override;
    int exposureCompCount() override;
    int bracketValues(float* out, bool forced, float step) override;
    bool bracketEnabled() override;
    float bracketMax() override;
    bool bracketingUsable(bool needBracketProperty) override;
    ResponseCode movieModeOn() override;
    ResponseCode movieModeOff() override;
    ResponseCode imageFormatLabel(uint32_t value, uint32_t kind, uint32_t* code, std::string* text) override;
};

// Registers the one Canon module and installs the standard operations' Canon paths (card listing, thumbnails, the
// CR3 test of ranged reads). Idempotent.
void canonRegisterModule();
// Removes the module and those paths (tests).
void canonUnregisterModule();
// Every piece of Canon module state back to a fresh process's (tests).
void canonResetModule();
