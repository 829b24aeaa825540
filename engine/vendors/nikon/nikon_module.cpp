#include "engine/vendors/nikon/nikon_module.h"

#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_events.h"
#include "engine/vendors/nikon/nikon_exposure.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_property_table.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {
NikonVendorModule& instance() {
    static NikonVendorModule m;
    return m;
}

ResponseCode formatHalf(uint32_t value, int32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    *out = static_cast<int32_t>(value);
    return PTP_RC_OK;
}

uint16_t liveViewOperation() { return camIsNikon() ? nikonLiveViewOp() : kCanonLiveViewOperation; }
}  // namespace

void NikonVendorModule::sessionStarting() { nikonResetState(); }
bool NikonVendorModule::identifyModel() {
    bool known = nikonIdentifyModel();
    if (known && nikonModelFacts().mirrorless) nikonState().liveViewOn.store(true);
    return known;
}
const PropertyNameStruct* NikonVendorModule::propertyNames() { return nikonPropertyNames(); }
ResponseCode NikonVendorModule::openSession() { return nikonOpenSession(); }
ResponseCode NikonVendorModule::setProperty(uint32_t code, uint32_t value) { return nikonSetProperty(code, value); }
bool NikonVendorModule::confirmProperty(uint32_t code, uint32_t value) { return nikonWaitPropertyValue(code, value); }

bool NikonVendorModule::bulbAvailable() { return nikonHasBulbOp(); }
bool NikonVendorModule::isAutoIso() { return nikonIsAutoIso(); }
bool NikonVendorModule::hostModeAvailable() { return true; }
bool NikonVendorModule::focusUpdated() { return nikonFocusAchieved(); }
bool NikonVendorModule::mirrorUp() { return nikonState().mirrorUp.load(); }
ResponseCode NikonVendorModule::toggleFlash(bool on) { return nikonToggleFlash(on); }
bool NikonVendorModule::stillCaptureMode(uint32_t code, uint32_t value) { return nikonIsContinuousMode(code, value); }
bool NikonVendorModule::hdrPrepareCapture() { return nikonHdrPrepareCapture(); }

ResponseCode NikonVendorModule::capture() { return nikonCapture(); }
ResponseCode NikonVendorModule::bulbStart() { return nikonBulbStart(); }
ResponseCode NikonVendorModule::bulbStop() { return nikonBulbStop(); }
ResponseCode NikonVendorModule::liveViewZoom(uint32_t percent) { return nikonLiveViewZoom(percent); }
ResponseCode NikonVendorModule::liveViewZoomArea(double x, double y, double, double) {
    return nikonLiveViewZoomArea(x, y);
}
ResponseCode NikonVendorModule::liveViewTap() { return nikonAutoFocus(true, true); }
bool NikonVendorModule::movieRecordingSupported() { return nikonHasMovieOps(); }
ResponseCode NikonVendorModule::movieRecordStart() { return nikonMovieRecordStart(); }
ResponseCode NikonVendorModule::movieRecordStop() { return nikonMovieRecordStop(); }
ResponseCode NikonVendorModule::refreshAllProperties() { return nikonRefreshAllProperties(); }
float NikonVendorModule::exposureCompGet(uint32_t value) { return nikonEvCodeToFloat(value); }
float NikonVendorModule::exposureCompMax(uint32_t movie) { return nikonExposureCompMax(movie != 0); }
float NikonVendorModule::exposureCompMin(uint32_t movie) { return nikonExposureCompMin(movie != 0); }

ResponseCode NikonVendorModule::imageFormatChoices(int kind, std::vector<int32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    std::vector<uint32_t> values;
    ResponseCode rc = nikonImageFormatChoices(static_cast<uint32_t>(kind), &values);
    if (rc == PTP_RC_OK) list->assign(values.begin(), values.end());
    return rc;
}
ResponseCode NikonVendorModule::imageFormatRawValue(int32_t* out) { return formatHalf(nikonImageFormatRawPart(), out); }
ResponseCode NikonVendorModule::imageFormatJpegValue(int32_t* out) {
    return formatHalf(nikonImageFormatJpegPart(), out);
}
ResponseCode NikonVendorModule::setImageFormat(int32_t raw, int32_t jpeg) {
    return nikonSetImageFormat(static_cast<uint32_t>(raw), static_cast<uint32_t>(jpeg));
}

const PropertyValueNamesStruct* NikonVendorModule::isoValueNames(int group) { return nikonIsoNamesFor(group); }
const PropertyValueNamesStruct* NikonVendorModule::alternativeQualityNames() { return nikonNewerQualityNames(); }
bool NikonVendorModule::convertsColourTemperature() { return nikonConvertsColourTemperature(); }
uint32_t NikonVendorModule::convertColourTemperature(uint32_t value) { return nikonColourIndexToKelvin(value); }
bool NikonVendorModule::clientMode() { return nikonState().hostMode.load() == 1; }
ResponseCode NikonVendorModule::setHostMode(bool on, uint32_t refresh) { return nikonSetHostMode(on, refresh); }
bool NikonVendorModule::refreshProperty(uint32_t code) { return nikonRefreshProperty(code); }
ResponseCode NikonVendorModule::parseEvents(const uint8_t* data, size_t length) {
    return nikonParseEvents(data, length);
}
uint32_t NikonVendorModule::focusModeCode() { return nikonFocusModeCode(); }
ResponseCode NikonVendorModule::loadPropertySnapshot() { return nikonLoadPropertySnapshot(); }

ResponseCode NikonVendorModule::deviceReady() { return nikonDeviceReady(); }
ResponseCode NikonVendorModule::setLiveView(bool on, bool forMovie) { return nikonSetLiveView(on, forMovie); }
ResponseCode NikonVendorModule::liveViewFrame(HeapBlock* frame) { return nikonGetLiveViewFrame(frame); }
ResponseCode NikonVendorModule::autoFocus(bool wait, bool switchFirst) { return nikonAutoFocus(wait, switchFirst); }
bool NikonVendorModule::doubleTapSupported() { return nikonDoubleTapSupported(); }
bool NikonVendorModule::liveViewPosition(uint32_t* x, uint32_t* y) { return nikonLiveViewPosition(x, y); }
ResponseCode NikonVendorModule::liveViewMoveArea(uint32_t x, uint32_t y) { return nikonLiveViewMoveArea(x, y); }
int NikonVendorModule::orientation() { return nikonLiveViewOrientation(); }
bool NikonVendorModule::isAutoFocus(bool pressed) { return nikonIsAutoFocus(pressed); }
ResponseCode NikonVendorModule::setManualFocus(uint32_t manual) { return nikonSetManualFocus(manual != 0); }
ResponseCode NikonVendorModule::mfDrive(uint32_t direction, uint32_t amount) { return nikonMfDrive(direction, amount); }
bool NikonVendorModule::focusDriveFactor() { return nikonFocusStackProperty(); }
bool NikonVendorModule::hasMirrorUp() { return nikonHasMirrorUp(); }
ResponseCode NikonVendorModule::disableBracketing() { return nikonDisableBracketing(); }
ResponseCode NikonVendorModule::setBracketing(uint32_t step) { return nikonSetBracketing(step); }
bool NikonVendorModule::exposureCompValues(uint8_t* below, uint8_t* above) {
    return nikonExposureCompValues(below, above);
}
uint32_t NikonVendorModule::exposureCompSelected(float amount) { return nikonEvFloatToCode(amount); }
// A bracketing step (0xD0C1's value) in stops; 0 while bracketing is off.
float NikonVendorModule::exposureCompCode(uint32_t index) { return nikonBracketStepToFloat(index, false); }
float NikonVendorModule::bracketMax() { return nikonBracketMax(); }
uint32_t NikonVendorModule::exposureCompStep(float amount) { return nikonFloatToBracketStep(amount); }
int NikonVendorModule::exposureCompCount() { return nikonExposureStepKind(); }
int NikonVendorModule::bracketValues(float* out, bool forced, float step) {
    return nikonBracketValues(out, forced, step);
}
bool NikonVendorModule::bracketEnabled() {
    uint32_t v = 0;
    return nikonPropertyValue(0xD0C0, &v) && v != 0;
}
bool NikonVendorModule::propertyUpdated() { return nikonExposureModeIsPASM(); }
ResponseCode NikonVendorModule::movieModeOn() { return nikonMovieModeOn(); }
ResponseCode NikonVendorModule::movieModeOff() { return nikonMovieModeOff(); }
bool NikonVendorModule::formatIsRawPlusJpeg() { return nikonImageFormatIsRawPlusJpeg(); }

// The size letter and compression of the image of a kind within a value, for the image-format buttons.
ResponseCode NikonVendorModule::imageFormatLabel(uint32_t value, uint32_t kind, uint32_t* code, std::string* text) {
    if (!code || !text) return ERROR_INVALID_INPUT;
    uint32_t size = 0, compression = 0;
    ResponseCode rc = nikonImageFormatSizeQuality(value, kind, &size, &compression);
    if (rc != PTP_RC_OK) return rc;
    static const char* const kRaw[] = {"", "M", "S"};
    static const char* const kJpeg[] = {"L", "M", "S"};
    *code = compression;
    *text = size < 3 ? (kind == kNikonImageTypeRaw ? kRaw[size] : kJpeg[size]) : "";
    return PTP_RC_OK;
}
ResponseCode NikonVendorModule::focusStackShot() { return nikonFocusStackShot(); }
bool NikonVendorModule::focusStackSupported() { return nikonFocusStackSupported(); }
ResponseCode NikonVendorModule::focusStackRun(uint32_t shots, uint32_t direction, uint32_t steps, uint32_t delayMs,
                                              const std::function<void(uint32_t)>& progress) {
    return nikonFocusStackRun(shots, direction, steps, delayMs, progress);
}
void NikonVendorModule::cancelFocusStack() { nikonCancelFocusStack(); }

void nikonRegisterModule() {
    vendorRegisterNikon(&instance());
    PtpVendorHooks hooks = ptpVendorHooks();
    hooks.liveViewOperation = liveViewOperation;
    ptpSetVendorHooks(hooks);
}

void nikonUnregisterModule() {
    if (vendorNikon() == &instance()) vendorRegisterNikon(nullptr);
    PtpVendorHooks hooks = ptpVendorHooks();
    hooks.liveViewOperation = nullptr;
    ptpSetVendorHooks(hooks);
}

void nikonResetModule() {
    nikonResetState();
    nikonResetModelFacts();
}
