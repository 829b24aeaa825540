#pragma once
// The Nikon vendor module as the engine's core sees it: the NikonModule routines of vendor_module.h answered by the
// Nikon tables, store, event parser, live view and operations. Register it once at start-up; every session with a
// Nikon body (or a body of a maker no other module claims) then goes through it.
#include "engine/vendors/vendor_module.h"

class NikonVendorModule : public NikonModule {
public:
    void sessionStarting() override;
    bool identifyModel() override;
    const PropertyNameStruct* propertyNames() override;
    ResponseCode openSession() override;
    ResponseCode setProperty(uint32_t code, uint32_t value) override;
    bool confirmProperty(uint32_t code, uint32_t value) override;

    bool bulbAvailable() override;
    bool isAutoIso() override;
    bool hostModeAvailable() override;
    bool focusUpdated() override;
    bool mirrorUp() override;
    ResponseCode toggleFlash(bool on) override;
    bool stillCaptureMode(uint32_t code, uint32_t value) override;
    bool hdrPrepareCapture() override;

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

    const PropertyValueNamesStruct* isoValueNames(int group) override;
    const PropertyValueNamesStruct* alternativeQualityNames() override;
    bool convertsColourTemperature() override;
    uint32_t convertColourTemperature(uint32_t value) override;
    bool clientMode() override;
    ResponseCode setHostMode(bool on, uint32_t refresh) override;
    bool refreshProperty(uint32_t code) override;
    ResponseCode parseEvents(const uint8_t* data, size_t length) override;
    uint32_t focusModeCode() override;
    ResponseCode loadPropertySnapshot() override;

    ResponseCode deviceReady() override;
    ResponseCode setLiveView(bool on, bool forMovie) override;
    ResponseCode liveViewFrame(HeapBlock* frame) override;
    ResponseCode autoFocus(bool wait, bool switchFirst) override;
    bool doubleTapSupported() override;
    bool liveViewPosition(uint32_t* x, uint32_t* y) override;
    ResponseCode liveViewMoveArea(uint32_t x, uint32_t y) override;
    int orientation() override;
    bool isAutoFocus(bool pressed) override;
    ResponseCode setManualFocus(uint32_t manual) override;
    ResponseCode mfDrive(uint32_t direction, uint32_t amount) override;
    bool focusDriveFactor() override;
    bool hasMirrorUp() override;
    ResponseCode disableBracketing() override;
    ResponseCode setBracketing(uint32_t step) override;
    bool exposureCompValues(uint8_t* below, uint8_t* above) override;
    uint32_t exposureCompSelected(float amount) override;
    float exposureCompCode(uint32_t index) override;
    float bracketMax() override;
    uint32_t exposureCompStep(float amount) override;
    int exposureCompCount() override;
    int bracketValues(float* out, bool forced, float step) override;
    bool bracketEnabled() override;
    bool propertyUpdated() override;
    ResponseCode movieModeOn() override;
    ResponseCode movieModeOff() override;
    bool formatIsRawPlusJpeg() override;
    ResponseCode imageFormatLabel(uint32_t value, uint32_t kind, uint32_t* code, std::string* text) override;
    ResponseCode focusStackShot() override;
    bool focusStackSupported() override;
    ResponseCode focusStackRun(uint32_t shots, uint32_t direction, uint32_t steps, uint32_t delayMs,
                               const std::function<void(uint32_t)>& progress) override;
    void cancelFocusStack() override;
};

// Registers the one Nikon module and installs its live-view operation for the live-view sharing. Idempotent.
void nikonRegisterModule();
// Removes the module and that path (tests).
void nikonUnregisterModule();
// Every piece of Nikon module state back to a fresh process's (tests).
void nikonResetModule();
