#pragma once
// The Sony vendor module as the engine's core sees it: the SonyModule routines of vendor_module.h answered by the
// Sony tables, descriptor parsing, property sets, shooting, focus and live view. Register it once at start-up.
#include "engine/vendors/vendor_module.h"

class SonyVendorModule : public SonyModule {
public:
    void sessionStarting() override;
    bool identifyModel() override;
    const PropertyNameStruct* propertyNames() override;
    ResponseCode openSession() override;
    ResponseCode setProperty(uint32_t code, uint32_t value) override;
    bool confirmProperty(uint32_t code, uint32_t value) override;

    bool bulbAvailable() override;
    bool isBulb() override;
    bool hostModeAvailable() override;
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

    std::optional<std::string> formatValueText(uint32_t code, uint32_t value) override;
    ResponseCode getPropertyValue(uint32_t code, HeapBlock* data) override;
    ResponseCode readProperty(uint32_t code) override;
    PropertyStruct* applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) override;
    ResponseCode loadProperties() override;
    void waitForStepping() override;
    bool extendedFormat() override;
    ResponseCode stepProperty(uint32_t code, int direction) override;
    ResponseCode checkSession() override;

    ResponseCode captureRelease() override;
    ResponseCode takeShot() override;
    ResponseCode halfPress() override;
    ResponseCode halfPressRelease() override;
    ResponseCode setLiveView(bool on) override;
    ResponseCode liveViewFrame(HeapBlock* frame) override;
    uint32_t liveViewZoomLevel(uint32_t reread) override;
    ResponseCode liveViewTapRelease() override;
    bool doubleTapZoom() override;
    ResponseCode nudge(int direction) override;
    int orientation() override;
    bool hasFocus() override;
    bool isAutoFocus() override;
    bool isManualFocus() override;
    ResponseCode setManualFocus(uint32_t manual) override;
    ResponseCode focusStep(int steps) override;
    ResponseCode disableBracketing() override;
    uint32_t exposureCompSelected(float amount) override;
    bool movieToggleAvailable() override;
};

// Registers the one Sony module. Idempotent.
void sonyRegisterModule();
// Removes it (tests).
void sonyUnregisterModule();
// Every piece of Sony module state back to a fresh process's (tests).
void sonyResetModule();
