#include "engine/vendors/canon/canon_module.h"

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/vendors/canon/canon_card.h"
#include "engine/vendors/canon/canon_events.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/canon/canon_image_format.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_operations.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/canon/canon_state.h"

namespace {
CanonVendorModule& instance() {
    static CanonVendorModule m;
    return m;
}

ResponseCode imageFormatHalf(ResponseCode (*part)(uint32_t*), int32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    uint32_t v = 0;
    ResponseCode rc = part(&v);
    if (rc == PTP_RC_OK) *out = static_cast<int32_t>(v);
    return rc;
}
}  // namespace

void CanonVendorModule::sessionStarting() {
    canonResetState();
    canonForgetBracketMax();
    canonForgetLiveViewHeader();
}
bool CanonVendorModule::identifyModel() { return canonIdentifyModel(); }
const PropertyNameStruct* CanonVendorModule::propertyNames() { return canonPropertyNames(); }
ResponseCode CanonVendorModule::openSession() { return canonOpenSession(); }
ResponseCode CanonVendorModule::setProperty(uint32_t code, uint32_t value) { return canonSetProperty(code, value); }
bool CanonVendorModule::confirmProperty(uint32_t code, uint32_t value) { return canonWaitPropertyValue(code, value); }

ResponseCode CanonVendorModule::capture() { return canonRemoteRelease(false); }
ResponseCode CanonVendorModule::bulbStart() { return canonBulbStart(); }
ResponseCode CanonVendorModule::bulbStop() { return canonBulbStop(); }
ResponseCode CanonVendorModule::liveViewZoom(uint32_t percent) { return canonLiveViewZoom(percent); }
ResponseCode CanonVendorModule::liveViewZoomArea(double x, double y, double, double) {
    return canonLiveViewZoomPosition(x, y);
}
ResponseCode CanonVendorModule::liveViewTap() { return canonDoAf(); }
bool CanonVendorModule::movieRecordingSupported() { return canonHasMovieOps(); }
ResponseCode CanonVendorModule::movieRecordStart() { return canonMovieRecordStart(); }
ResponseCode CanonVendorModule::movieRecordStop() { return canonMovieRecordStop(); }
ResponseCode CanonVendorModule::refreshAllProperties() { return canonRefreshEvents(); }
float CanonVendorModule::exposureCompGet(uint32_t value) { return canonEvCodeToFloat(value); }
float CanonVendorModule::exposureCompMax(uint32_t) { return canonExposureCompMax(); }
float CanonVendorModule::exposureCompMin(uint32_t) { return canonExposureCompMin(); }

ResponseCode CanonVendorModule::imageFormatChoices(int kind, std::vector<int32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    std::vector<uint32_t> values;
    ResponseCode rc = canonImageFormatChoices(static_cast<uint32_t>(kind), &values);
    if (rc != PTP_RC_OK) return rc;
    list->assign(values.begin(), values.end());
    return rc;
}
ResponseCode CanonVendorModule::imageFormatRawValue(int32_t* out) { return imageFormatHalf(canonImageFormatRawPart, out); }
ResponseCode CanonVendorModule::imageFormatJpegValue(int32_t* out) {
    return imageFormatHalf(canonImageFormatJpegPart, out);
}
ResponseCode CanonVendorModule::setImageFormat(int32_t raw, int32_t jpeg) {
    return canonSetImageFormat(static_cast<uint32_t>(raw), static_cast<uint32_t>(jpeg));
}

// Every Canon drive property names its burst modes with the same values.
bool CanonVendorModule::stillCaptureMode(uint32_t, uint32_t value) { return canonIsContinuousDrive(value); }

// A burst drive on a body that presses its shutter in steps, with manual focus kept, would turn each bracket shot
// into a burst: the sequence has to set single drive first.
bool CanonVendorModule::hdrPrepareCapture() {
    const uint32_t role = camVendorPropertyCodes().driveMode;
    const uint32_t driveCode = role ? role : 0xD106;
    PropertyStruct* drive = propFind(driveCode, true);
    if (!drive) return false;
    const uint32_t value = drive->value;
    propUnlock(drive);
    return stillCaptureMode(driveCode, value) && ptpOperationSupported(0x9128) && camManualFocusFlag() == 1;
}

const PropertyValueNamesStruct* CanonVendorModule::valueNamesFor(uint32_t code) {
    return canonAlternativeValueNames(code);
}
ResponseCode CanonVendorModule::getPropertyValue(uint32_t code, HeapBlock* data) {
    return canonReadPropertyValue(code, data);
}
ResponseCode CanonVendorModule::refreshEvents() { return canonRefreshEvents(); }
ResponseCode CanonVendorModule::parseEvents(const uint8_t* data, size_t length) { return canonParseEvents(data, length); }
uint32_t CanonVendorModule::exposureModeCode() { return canonExposureModeCode(); }
bool CanonVendorModule::liveViewAfSupported() { return canonLiveViewAfSupported(); }
bool CanonVendorModule::liveViewOn() { return canonLiveViewIsOn(); }
// The session answers when it lists its storages.
ResponseCode CanonVendorModule::checkSession() {
    std::vector<uint32_t> storages;
    return ptpGetStorageIds(&storages);
}

ResponseCode CanonVendorModule::captureRelease() { return canonReleaseShutter(); }
bool CanonVendorModule::waitReady() { return canonWaitReady(); }
ResponseCode CanonVendorModule::halfPress() { return canonHalfPress(); }
ResponseCode CanonVendorModule::halfPressRelease() { return canonHalfPressRelease(); }
ResponseCode CanonVendorModule::setLiveView(bool on, bool switchEvfMode) { return canonSetLiveView(on, switchEvfMode); }
ResponseCode CanonVendorModule::liveViewFrame(HeapBlock* frame) { return canonGetLiveViewFrame(frame); }
ResponseCode CanonVendorModule::liveViewTapRelease() { return canonAfCancel(); }
bool CanonVendorModule::doubleTapSupported() { return true; }
bool CanonVendorModule::liveViewPosition(uint32_t* x, uint32_t* y) { return canonLiveViewPosition(x, y); }
bool CanonVendorModule::touchFocusSupported() { return canonLiveViewAfSupported(); }
int CanonVendorModule::orientation() { return canonLiveViewOrientation(); }
ResponseCode CanonVendorModule::driveLens(uint32_t step) { return canonDriveLens(step); }
bool CanonVendorModule::hasMirrorUp() { return canonHasMirrorUp(); }
ResponseCode CanonVendorModule::disableBracketing() { return canonDisableBracketing(); }
int CanonVendorModule::bracketCount() { return 3; }
float CanonVendorModule::evCodeToFloat(uint32_t code) { return canonEvCodeToFloat(code); }
uint32_t CanonVendorModule::evFloatToCode(float stops) { return canonEvFloatToCode(stops); }
uint32_t CanonVendorModule::exposureCompStep(float amount) { return canonEvFloatToCode(amount); }
int CanonVendorModule::exposureCompCount() { return canonExposureStepKind(); }
int CanonVendorModule::bracketValues(float* out, bool, float step) { return canonBracketValues(out, step); }
// In-camera bracketing can be switched on: the camera has it and the exposure mode allows it.
bool CanonVendorModule::bracketEnabled() { return canonBracketingUsable(true); }
bool CanonVendorModule::bracketingUsable(bool need) { return canonBracketingUsable(need); }
float CanonVendorModule::bracketMax() { return canonBracketMax(); }
ResponseCode CanonVendorModule::movieModeOn() { return canonMovieModeOn(); }
ResponseCode CanonVendorModule::movieModeOff() { return canonMovieModeOff(); }

// The size letters and compression of the image of a kind within a value, for the image-format buttons.
ResponseCode CanonVendorModule::imageFormatLabel(uint32_t value, uint32_t kind, uint32_t* code, std::string* text) {
    if (!code || !text) return ERROR_INVALID_INPUT;
    uint16_t size = 0;
    uint8_t compression = 0;
    ResponseCode rc = canonImageFormatSizeQuality(value, kind, &size, &compression);
    if (rc != PTP_RC_OK) return rc;
    const char* letters = canonImageSizeLetters(size);
    *code = compression;
    *text = kind == kCanonImageTypeRaw ? (size == 1 ? "M" : size == 2 ? "S" : "") : (letters ? letters : "");
    return PTP_RC_OK;
}

void canonRegisterModule() {
    vendorRegisterCanon(&instance());
    PtpVendorHooks hooks = ptpVendorHooks();
    hooks.canonLoadObjectHandles = canonLoadObjectHandles;
    hooks.canonGetThumbnail = [](uint32_t handle, HeapBlock* data, uint8_t* orientation,
                                 const PtpDataWrapper* wrapper) {
        return canonGetThumbnail(handle, data, orientation, wrapper);
    };
    hooks.canonWritesCr3 = [] { return canonRawObjectFormat() == 0xB108; };
    ptpSetVendorHooks(hooks);
}

void canonUnregisterModule() {
    if (vendorCanon() == &instance()) vendorRegisterCanon(nullptr);
    PtpVendorHooks hooks = ptpVendorHooks();
    hooks.canonLoadObjectHandles = nullptr;
    hooks.canonGetThumbnail = nullptr;
    hooks.canonWritesCr3 = nullptr;
    ptpSetVendorHooks(hooks);
}

void canonResetModule() {
    canonResetState();
    canonResetModelFacts();
    canonForgetBracketMax();
    canonForgetLiveViewHeader();
}
