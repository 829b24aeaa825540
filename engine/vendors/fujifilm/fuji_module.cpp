#include "engine/vendors/fujifilm/fuji_module.h"

#include "engine/store/image_files.h"
#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/fujifilm/fuji_raf.h"
#include "engine/vendors/fujifilm/fuji_state.h"

namespace {
FujiVendorModule& instance() {
    static FujiVendorModule m;
    return m;
}
}  // namespace

void FujiVendorModule::sessionStarting() { fujiResetState(); }
bool FujiVendorModule::identifyModel() { return fujiIdentifyModel(); }
const PropertyNameStruct* FujiVendorModule::propertyNames() { return fujiPropertyNames(); }
ResponseCode FujiVendorModule::openSession() { return fujiOpenSession(); }
ResponseCode FujiVendorModule::setProperty(uint32_t code, uint32_t value) { return fujiSetProperty(code, value); }
bool FujiVendorModule::confirmProperty(uint32_t code, uint32_t value) { return fujiConfirmValue(code, value); }
bool FujiVendorModule::isBulb() { return fujiIsBulb(); }

ResponseCode FujiVendorModule::capture() { return fujiCapture(false, false); }
ResponseCode FujiVendorModule::bulbStart() { return fujiCapture(true, false); }
ResponseCode FujiVendorModule::bulbStop() { return fujiRelease(true); }
ResponseCode FujiVendorModule::liveViewZoom(uint32_t percent) { return fujiSetLiveViewZoom(percent); }
ResponseCode FujiVendorModule::liveViewZoomArea(double x, double y, double, double) {
    return fujiSetFocusAreaAt(x, y);
}
ResponseCode FujiVendorModule::liveViewTap() { return fujiLiveViewTap(); }
bool FujiVendorModule::movieRecordingSupported() { return fujiMovieSupported(); }
ResponseCode FujiVendorModule::movieRecordStart() { return fujiMovieRecordStart(); }
ResponseCode FujiVendorModule::movieRecordStop() { return fujiMovieRecordStop(); }
ResponseCode FujiVendorModule::refreshAllProperties() { return fujiRefreshAllProperties(); }
float FujiVendorModule::exposureCompGet(uint32_t value) { return fujiExposureCompToEv(value); }
float FujiVendorModule::exposureCompMax(uint32_t) { return fujiExposureCompLimit(true); }
float FujiVendorModule::exposureCompMin(uint32_t) { return fujiExposureCompLimit(false); }
ResponseCode FujiVendorModule::imageFormatChoices(int kind, std::vector<int32_t>* list) {
    return fujiImageFormatChoices(kind, list);
}
ResponseCode FujiVendorModule::imageFormatRawValue(int32_t* out) { return fujiRawFormatValue(out); }
ResponseCode FujiVendorModule::imageFormatJpegValue(int32_t* out) { return fujiJpegFormatValue(out); }
ResponseCode FujiVendorModule::setImageFormat(int32_t raw, int32_t jpeg) { return fujiSetImageFormat(raw, jpeg); }

std::optional<std::string> FujiVendorModule::formatValueText(uint32_t code, uint32_t value) {
    return fujiFormatValueText(code, value);
}
uint32_t FujiVendorModule::imageSizeIndex(const char* text) { return fujiImageSizeIndex(text); }
ResponseCode FujiVendorModule::getPropValue(uint32_t code, HeapBlock* data) { return fujiGetPropValue(code, data); }
ResponseCode FujiVendorModule::getPropDesc(uint32_t code, HeapBlock* data) { return fujiGetPropDesc(code, data); }
bool FujiVendorModule::refreshProperty(uint32_t code) { return fujiRefreshProperty(code); }
PropertyStruct* FujiVendorModule::applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) {
    return fujiApplyPropertyChange(code, value, enabled);
}
bool FujiVendorModule::liveViewRestartPending() { return fujiState().liveViewRestart; }
void FujiVendorModule::clearLiveViewRestart() { fujiState().liveViewRestart = false; }
bool FujiVendorModule::clientMode() { return fujiState().pcPriority; }
ResponseCode FujiVendorModule::setPriorityMode(bool on) { return fujiSetPriorityMode(on); }
int FujiVendorModule::shotsAvailable() { return fujiShotsAvailable(); }

ResponseCode FujiVendorModule::captureRelease() { return fujiRelease(false); }
ResponseCode FujiVendorModule::halfPress() { return fujiHalfPress(); }
ResponseCode FujiVendorModule::halfPressRelease() { return fujiHalfPressRelease(); }
ResponseCode FujiVendorModule::setLiveView(bool on) { return fujiSetLiveView(on); }
uint32_t FujiVendorModule::liveViewZoomLevel() { return fujiLiveViewZoomLevel(); }
ResponseCode FujiVendorModule::liveViewTapRelease() { return fujiLiveViewTapRelease(); }
ResponseCode FujiVendorModule::nudgeFocusArea(int direction) { return fujiNudgeFocusArea(direction); }
bool FujiVendorModule::hasFocus() { return fujiIsFocused(); }
bool FujiVendorModule::isAutoFocus() { return fujiIsAutoFocus(); }
bool FujiVendorModule::isManualFocus() { return fujiIsManualFocus(); }
ResponseCode FujiVendorModule::setManualFocus(uint32_t manual) { return fujiAutoFocus(manual); }
ResponseCode FujiVendorModule::driveFocus(int steps) { return fujiDriveFocus(steps); }
uint32_t FujiVendorModule::exposureCompSelected(float amount) { return fujiExposureCompFromEv(amount); }
int FujiVendorModule::exposureCompCount() { return 3; }
ResponseCode FujiVendorModule::movieModeOn() { return fujiMovieModeOn(); }
ResponseCode FujiVendorModule::movieModeOff() { return fujiMovieModeOff(); }
bool FujiVendorModule::formatIsRawPlusJpeg() { return fujiFormatIsRawPlusJpeg(); }
ResponseCode FujiVendorModule::focusStackShot() { return fujiFocusStackShot(); }
void FujiVendorModule::cancelFocusStack() { fujiCancelFocusStack(); }
ResponseCode FujiVendorModule::focusPosition(uint32_t position) { return fujiFocusPosition(position); }
ResponseCode FujiVendorModule::readFocalLength(int32_t* millimetres) { return fujiReadFocalLength(millimetres); }
ResponseCode FujiVendorModule::afOverlayRect(double* x, double* y, double* width, double* height) {
    return fujiAfOverlayRect(x, y, width, height);
}
ResponseCode FujiVendorModule::imageFormatValue(uint32_t* out) { return fujiImageFormatValue(out); }
std::string FujiVendorModule::imageFormatLabel(int32_t value) { return fujiImageFormatLabel(value); }

void fujiRegisterModule() {
    vendorRegisterFuji(&instance());
    rawSetRafPreviewLocator(fujiFindPreviewJpeg);
}

void fujiUnregisterModule() {
    if (vendorFuji() == &instance()) vendorRegisterFuji(nullptr);
    rawSetRafPreviewLocator(nullptr);
}

void fujiResetModule() { fujiResetState(); }
