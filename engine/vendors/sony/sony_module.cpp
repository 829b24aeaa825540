#include "engine/vendors/sony/sony_module.h"

#include "engine/ptp/transaction.h"
#include "engine/vendors/sony/sony_descriptors.h"
#include "engine/vendors/sony/sony_image_format.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/sony/sony_properties.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
SonyVendorModule& instance() {
    static SonyVendorModule m;
    return m;
}
}  // namespace

void SonyVendorModule::sessionStarting() {
    sonyJoinPendingPoll();
    sonyResetState();
}
bool SonyVendorModule::identifyModel() { return sonyIdentifyModel(); }
const PropertyNameStruct* SonyVendorModule::propertyNames() { return sonyPropertyNames(); }
ResponseCode SonyVendorModule::openSession() { return sonyOpenSession(); }
ResponseCode SonyVendorModule::setProperty(uint32_t code, uint32_t value) { return sonySetProperty(code, value); }
bool SonyVendorModule::confirmProperty(uint32_t code, uint32_t value) { return sonyConfirmValue(code, value); }

bool SonyVendorModule::bulbAvailable() { return sonyBulbAvailable(); }
bool SonyVendorModule::isBulb() { return sonyIsBulb(); }
bool SonyVendorModule::hostModeAvailable() { return sonyHostModeAvailable(); }
bool SonyVendorModule::stillCaptureMode(uint32_t, uint32_t value) { return sonyIsContinuousDrive(value); }
bool SonyVendorModule::hdrPrepareCapture() { return sonyDriveAllowsHdr(); }

ResponseCode SonyVendorModule::capture() { return sonyCapture(); }
ResponseCode SonyVendorModule::bulbStart() { return sonyCapture(); }
ResponseCode SonyVendorModule::bulbStop() { return sonyRelease(); }
ResponseCode SonyVendorModule::liveViewZoom(uint32_t percent) { return sonySetLiveViewZoom(percent); }
ResponseCode SonyVendorModule::liveViewZoomArea(double x, double y, double, double) { return sonySetFocusPoint(x, y); }
ResponseCode SonyVendorModule::liveViewTap() { return sonyLiveViewTap(); }
bool SonyVendorModule::movieRecordingSupported() { return sonyMovieSupported(); }
ResponseCode SonyVendorModule::movieRecordStart() { return sonyMovieRecordStart(); }
ResponseCode SonyVendorModule::movieRecordStop() { return sonyMovieRecordStop(); }
ResponseCode SonyVendorModule::refreshAllProperties() { return sonyRefreshAllProperties(); }
float SonyVendorModule::exposureCompGet(uint32_t value) { return sonyExposureCompToEv(value); }
float SonyVendorModule::exposureCompMax(uint32_t) { return sonyExposureCompMax(); }
float SonyVendorModule::exposureCompMin(uint32_t) { return sonyExposureCompMin(); }
ResponseCode SonyVendorModule::imageFormatChoices(int kind, std::vector<int32_t>* list) {
    return sonyImageFormatChoices(kind, list);
}
ResponseCode SonyVendorModule::imageFormatRawValue(int32_t* out) { return sonyRawFormatValue(out); }
ResponseCode SonyVendorModule::imageFormatJpegValue(int32_t* out) { return sonyJpegFormatValue(out); }
ResponseCode SonyVendorModule::setImageFormat(int32_t raw, int32_t jpeg) { return sonySetImageFormat(raw, jpeg); }

std::optional<std::string> SonyVendorModule::formatValueText(uint32_t code, uint32_t value) {
    return sonyFormatValueText(code, value);
}
ResponseCode SonyVendorModule::getPropertyValue(uint32_t code, HeapBlock* data) {
    return ptpTransaction(kSonyOpGetValue, {code}, data);
}
ResponseCode SonyVendorModule::readProperty(uint32_t code) { return sonyReadProperty(code, true); }
PropertyStruct* SonyVendorModule::applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) {
    return sonyApplyPropertyChange(code, value, enabled);
}
ResponseCode SonyVendorModule::loadProperties() { return sonyLoadProperties(); }
void SonyVendorModule::waitForStepping() { sonyWaitForStepping(); }
bool SonyVendorModule::extendedFormat() { return sonyState().extendedFormat; }
ResponseCode SonyVendorModule::stepProperty(uint32_t code, int direction) {
    return sonyWriteControl(code, static_cast<uint32_t>(direction), 4);
}
// The session answers when the camera sends its properties.
ResponseCode SonyVendorModule::checkSession() {
    HeapBlock data;
    return ptpTransaction(kSonyOpGetAllDescriptors, {}, &data);
}

ResponseCode SonyVendorModule::captureRelease() { return sonyRelease(); }
ResponseCode SonyVendorModule::takeShot() { return sonyTakeShot(); }
ResponseCode SonyVendorModule::halfPress() { return sonyHalfPress(); }
ResponseCode SonyVendorModule::halfPressRelease() { return sonyHalfPressRelease(); }
ResponseCode SonyVendorModule::setLiveView(bool on) { return sonySetLiveView(on); }
ResponseCode SonyVendorModule::liveViewFrame(HeapBlock* frame) { return sonyLiveViewFrame(frame); }
uint32_t SonyVendorModule::liveViewZoomLevel(uint32_t reread) { return sonyLiveViewZoomLevel(reread != 0); }
ResponseCode SonyVendorModule::liveViewTapRelease() { return sonyLiveViewTapRelease(); }
bool SonyVendorModule::doubleTapZoom() { return sonyDoubleTapZoom(); }
ResponseCode SonyVendorModule::nudge(int direction) { return sonyNudge(direction); }
int SonyVendorModule::orientation() { return 1; }
bool SonyVendorModule::hasFocus() { return sonyHasFocus(); }
bool SonyVendorModule::isAutoFocus() { return sonyIsAutoFocus(); }
bool SonyVendorModule::isManualFocus() { return sonyIsManualFocus(); }
ResponseCode SonyVendorModule::setManualFocus(uint32_t manual) { return sonySetManualFocus(manual != 0); }
ResponseCode SonyVendorModule::focusStep(int steps) { return sonyFocusStep(steps); }
ResponseCode SonyVendorModule::disableBracketing() { return sonyDisableBracketing(); }
uint32_t SonyVendorModule::exposureCompSelected(float amount) { return sonyExposureCompFromEv(amount); }
bool SonyVendorModule::movieToggleAvailable() { return sonyMovieSupported(); }

void sonyRegisterModule() { vendorRegisterSony(&instance()); }

void sonyUnregisterModule() {
    if (vendorSony() == &instance()) vendorRegisterSony(nullptr);
}

void sonyResetModule() {
    sonyJoinPendingPoll();
    sonyResetState();
}
