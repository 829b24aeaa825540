#pragma once
// The Fujifilm vendor module as the engine's core sees it: the FujiModule routines of vendor_module.h answered by
// the Fujifilm tables, properties, image formats, shooting, focus and live view, and the RAF preview locator of the
// image-file helpers. Register it once at start-up; every session with a Fujifilm body then goes through it.
#include "engine/vendors/vendor_module.h"

class FujiVendorModule : public FujiModule {
public:
    void sessionStarting() override;
    bool identifyModel() override;
    const PropertyNameStruct* propertyNames() override;
    ResponseCode openSession() override;
    ResponseCode setProperty(uint32_t code, uint32_t value) override;
    bool confirmProperty(uint32_t code, uint32_t value) override;
    bool isBulb() override;

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
    uint32_t imageSizeIndex(const char* text) override;
    ResponseCode getPropValue(uint32_t code, HeapBlock* data) override;
    ResponseCode getPropDesc(uint32_t code, HeapBlock* data) override;
    bool refreshProperty(uint32_t code) override;
    PropertyStruct* applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) override;
    bool liveViewRestartPending() override;
    void clearLiveViewRestart() override;
    bool clientMode() override;
    ResponseCode setPriorityMode(bool on) override;
    int shotsAvailable() override;

    ResponseCode captureRelease() override;
    ResponseCode halfPress() override;
    ResponseCode halfPressRelease() override;
    ResponseCode setLiveView(bool on) override;
    uint32_t liveViewZoomLevel() override;
    ResponseCode liveViewTapRelease() override;
    ResponseCode nudgeFocusArea(int direction) override;
    bool hasFocus() override;
    bool isAutoFocus() override;
    bool isManualFocus() override;
    ResponseCode setManualFocus(uint32_t manual) override;
    ResponseCode driveFocus(int steps) override;
    uint32_t exposureCompSelected(float amount) override;
    int exposureCompCount() override;
    ResponseCode movieModeOn() override;
    ResponseCode movieModeOff() override;
    bool formatIsRawPlusJpeg() override;
    ResponseCode focusStackShot() override;
    void cancelFocusStack() override;
    ResponseCode focusPosition(uint32_t position) override;
    ResponseCode readFocalLength(int32_t* millimetres) override;
    ResponseCode afOverlayRect(double* x, double* y, double* width, double* height) override;
    ResponseCode imageFormatValue(uint32_t* out) override;
    std::string imageFormatLabel(int32_t value) override;
};

// Registers the one Fujifilm module and installs its RAF preview locator. Idempotent.
void fujiRegisterModule();
// Removes the module and the locator (tests).
void fujiUnregisterModule();
// Every piece of Fujifilm module state back to a fresh process's (tests).
void fujiResetModule();
