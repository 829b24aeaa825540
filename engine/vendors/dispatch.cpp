#include "engine/vendors/dispatch.h"

#include <cstdlib>
#include <thread>
#include <type_traits>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/vendor_module.h"

namespace {
using F = FujiModule;
using C = CanonModule;
using S = SonyModule;
using N = NikonModule;

// "-" in a column: 0 (false) without any call.
struct Nothing {};
constexpr Nothing kNothing{};

constexpr ResponseCode kOk = PTP_RC_OK;
constexpr ResponseCode kNo = ERROR_CAMERA_NOT_SUPPORTED;            // 0xFF0F
constexpr ResponseCode kUnsupported = PTP_ERROR_UNSUPPORTED_COMMAND;  // 0xFF1B

// One cell: a member routine of the module called with the dispatch's arguments, a callable given the module and
// the arguments (or the arguments alone, or nothing), a fixed answer, or kNothing.
template <class R, class M, class Cell, class... A>
R runCell(M& m, const Cell& cell, A... a) {
    using T = std::decay_t<Cell>;
    if constexpr (std::is_same_v<T, Nothing>) return R{};
    else if constexpr (std::is_member_function_pointer_v<T>) return static_cast<R>((m.*cell)(a...));
    else if constexpr (std::is_invocable_v<const Cell&, M&, A...>) return static_cast<R>(cell(m, a...));
    else if constexpr (std::is_invocable_v<const Cell&, A...>) return static_cast<R>(cell(a...));
    else if constexpr (std::is_invocable_v<const Cell&>) return static_cast<R>(cell());
    else return static_cast<R>(cell);
}

template <class R, class Cell, class... A>
R runNone(const Cell& cell, A... a) {
    using T = std::decay_t<Cell>;
    if constexpr (std::is_same_v<T, Nothing>) return R{};
    else if constexpr (std::is_invocable_v<const Cell&, A...>) return static_cast<R>(cell(a...));
    else if constexpr (std::is_invocable_v<const Cell&>) return static_cast<R>(cell());
    else return static_cast<R>(cell);
}

// The current vendor's cell, or the "none" cell when no vendor is identified or its module is not registered.
template <class R, class CF, class CC, class CS, class CN, class CX, class... A>
R route(const CF& fuji, const CC& canon, const CS& sony, const CN& nikon, const CX& none, A... a) {
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (F* m = vendorFuji()) return runCell<R>(*m, fuji, a...);
            break;
        case VENDOR_CANON:
            if (C* m = vendorCanon()) return runCell<R>(*m, canon, a...);
            break;
        case VENDOR_SONY:
            if (S* m = vendorSony()) return runCell<R>(*m, sony, a...);
            break;
        case VENDOR_NIKON:
            if (N* m = vendorNikon()) return runCell<R>(*m, nikon, a...);
            break;
        default: break;
    }
    return runNone<R>(none, a...);
}

// --- helpers of the cells that are more than one call ---

uint32_t propertyValue(uint32_t code, bool* found) {
    PropertyStruct* r = propFind(code, true);
    *found = r != nullptr;
    uint32_t v = r ? r->value : 0;
    propUnlock(r);
    return v;
}
bool valueNonZero(uint32_t code) {
    bool found;
    uint32_t v = propertyValue(code, &found);
    return found && v != 0;
}
template <class Test>
bool valueIs(uint32_t code, Test test) {
    bool found;
    uint32_t v = propertyValue(code, &found);
    return found && test(v);
}

bool modelIn(std::initializer_list<uint8_t> models) {
    for (uint8_t m : models)
        if (m == camModelIndex()) return true;
    return false;
}
bool listed(uint16_t operation) { return ptpSessionDeviceInfo().operationsSupported.contains(operation); }

ResponseCode initiateCapture() { return ptpTransaction(0x100E, {}); }

ResponseCode captureThenRelease() {
    ResponseCode rc = camCapture();
    return rc == kOk ? camCaptureRelease() : rc;
}

ResponseCode nikonTakeShot(N& m) {
    ResponseCode rc = m.capture();
    if (rc == kOk) return camCaptureRelease();
    if (rc != PTP_RC_DEVICE_BUSY) return rc;
    for (int press = 0; press < 5; ++press) {
        std::this_thread::sleep_for(engineWait(engine_timing::kNikonShotRetryDelay));
        if (m.deviceReady() == kOk) return kOk;
    }
    return ERROR_SHOT_FAILED;
}

ResponseCode canonBulbStop(C& m) {
    ResponseCode rc = m.bulbStop();
    if (rc == kOk) m.waitReady();
    return rc;
}

ResponseCode canonLiveViewTap(C& m) {
    ResponseCode rc = m.liveViewTap();
    camSetManualFocus(1, true);
    return rc;
}
ResponseCode nikonLiveViewTap(N& m) {
    ResponseCode rc = m.autoFocus(true, true);
    camSetManualFocus(1, true);
    return rc;
}

// The zoom-area position moved by 100 in a direction (0 up, 1 down, 2 left, 3 right), never below 0.
void moveBy100(int direction, uint32_t* x, uint32_t* y) {
    switch (direction) {
        case 0: *y = *y >= 100 ? *y - 100 : 0; break;
        case 1: *y += 100; break;
        case 2: *x = *x >= 100 ? *x - 100 : 0; break;
        case 3: *x += 100; break;
        default: break;
    }
}
ResponseCode canonNudge(C& m, int direction, bool) {
    uint32_t x, y;
    if (!m.liveViewPosition(&x, &y)) return ERROR_BAD_PACKET;
    moveBy100(direction, &x, &y);
    return ptpTransaction(0x9159, {x, y});
}
ResponseCode nikonNudge(N& m, int direction, bool) {
    uint32_t x, y;
    if (!m.liveViewPosition(&x, &y)) return ERROR_BAD_PACKET;
    moveBy100(direction, &x, &y);
    return m.liveViewMoveArea(x, y);
}

bool canonIsAutoFocus(C& m) {
    if (!m.liveViewAfSupported() && m.liveViewOn()) return false;
    return valueIs(camVendorPropertyCodes().focusMode, [](uint32_t v) { return v != 3; });
}

ResponseCode fujiFocusStep(F& m, int s) {
    int size = std::abs(s);
    int units = size == 1 ? 6 : size == 2 ? 50 : size == 3 ? 140 : size;
    return m.driveFocus(s < 0 ? -units : units);
}
ResponseCode canonFocusStep(C& m, int s) { return m.driveLens(s < 0 ? 0x8000u + static_cast<uint32_t>(-s) : s); }
ResponseCode sonyFocusStep(S& m, int s) {
    static const int kNear[] = {-3, -4, -6}, kFar[] = {3, 4, 6};
    if (s >= 1 && s <= 3) return m.focusStep(kNear[s - 1]);
    if (s <= -1 && s >= -3) return m.focusStep(kFar[-s - 1]);
    return m.focusStep(-s);
}
ResponseCode nikonFocusStep(N& m, int s) {
    uint64_t t = 32ull * static_cast<uint64_t>(s) * static_cast<uint64_t>(s);
    uint64_t amount = 32ull * t * t;
    if (m.focusDriveFactor()) amount = amount * 5 / 2;
    return m.mfDrive(s < 0 ? 2 : 1, static_cast<uint32_t>(amount));
}

bool canonExposureCompValues(C& m, uint8_t* below, uint8_t* above) {
    int n = m.bracketCount();
    uint8_t b = n == 2 ? 0 : static_cast<uint8_t>((n - 1) / 2), a = n == 2 ? 1 : b;
    if (below) *below = b;
    if (above) *above = a;
    return true;
}

auto whiteBalance(uint32_t wbCode, uint32_t wbValue) {
    return [=](uint32_t* code, uint32_t* value) {
        if (code) *code = wbCode;
        if (value) *value = wbValue;
        return true;
    };
}

bool canonFormatTopByte(uint32_t top) {
    return valueIs(0xD120, [=](uint32_t v) { return (v >> 24) == top; });
}
bool sonyFormatIsRawPlusJpeg() {
    if (propExists(0xD253)) return valueIs(0xD253, [](uint32_t v) { return (v & 0xFF) == 2; });
    return valueIs(0x5004, [](uint32_t v) { return (v & 0xFF) >= 18 && (v & 0xFF) <= 20; });
}
bool nikonNewerFormatModel() {
    uint8_t m = camModelIndex();
    return (m >= 215 && m <= 217) || (m >= 219 && m <= 233) || m == 240;
}
// The store keeps 0x5004 combined with the image and raw sizes in bits 16-31: the quality is bits 0-15.
bool nikonFormatIsRawOnly() {
    return valueIs(0x5004, [](uint32_t v) { return (v & 0xFFFF) == (nikonNewerFormatModel() ? 7u : 4u); });
}
}  // namespace

// clang-format off
// operation                                          Fujifilm                    Canon                        Sony                          Nikon                          none
ResponseCode camCapture()             { return route<ResponseCode>(&F::capture,               &C::capture,                 &S::capture,                  &N::capture,                   initiateCapture); }
ResponseCode camCaptureRelease()      { return route<ResponseCode>(&F::captureRelease,        &C::captureRelease,          &S::captureRelease,           kOk,                           kOk); }
ResponseCode camTakeShot()            { return route<ResponseCode>(captureThenRelease,        captureThenRelease,          &S::takeShot,                 nikonTakeShot,                 captureThenRelease); }
ResponseCode camBulbStart()           { return route<ResponseCode>(&F::bulbStart,             &C::bulbStart,               &S::capture,                  &N::bulbStart,                 kNo); }
ResponseCode camBulbStop()            { return route<ResponseCode>(&F::bulbStop,              canonBulbStop,               &S::captureRelease,           &N::bulbStop,                  kNo); }
ResponseCode camHalfPress()           { return route<ResponseCode>(&F::halfPress,             &C::halfPress,               &S::halfPress,                kUnsupported,                  kUnsupported); }
ResponseCode camHalfPressRelease()    { return route<ResponseCode>(&F::halfPressRelease,      &C::halfPressRelease,        &S::halfPressRelease,         kUnsupported,                  kUnsupported); }
bool camSupportsRemoteRelease()       { return route<bool>(true,                              [] { return listed(0x9128); }, true,                       false,                         false); }
ResponseCode camToggleLiveView(bool on) { return route<ResponseCode>(&F::setLiveView,         [](C& m, bool v) { return m.setLiveView(v, true); }, &S::setLiveView, [](N& m, bool v) { return m.setLiveView(v, false); }, kNo, on); }
ResponseCode camLiveViewFrame(HeapBlock* frame) { return route<ResponseCode>(kNo,             &C::liveViewFrame,           &S::liveViewFrame,            &N::liveViewFrame,             kNo, frame); }
uint32_t camLiveViewZoomRatio(uint32_t reread) { return route<uint32_t>([](F& m, uint32_t) { return m.liveViewZoomLevel(); }, camKeptZoom, &S::liveViewZoomLevel, camKeptZoom, camKeptZoom, reread); }
ResponseCode camLiveViewZoomArea(double x, double y, double w, double h) { return route<ResponseCode>(&F::liveViewZoomArea, &C::liveViewZoomArea, &S::liveViewZoomArea, &N::liveViewZoomArea, kNo, x, y, w, h); }
ResponseCode camLiveViewTap()         { return route<ResponseCode>(&F::liveViewTap,           canonLiveViewTap,            &S::liveViewTap,              nikonLiveViewTap,              kNo); }
ResponseCode camLiveViewTapRelease()  { return route<ResponseCode>(&F::liveViewTapRelease,    &C::liveViewTapRelease,      &S::liveViewTapRelease,       kOk,                           kNo); }
bool camSupportsZoom200()             { return route<bool>(true,                              &C::doubleTapSupported,      &S::doubleTapZoom,            &N::doubleTapSupported,        false); }
bool canonLiveViewZoomOp()            { return route<bool>(kNothing,                          [] { return camModelIndex() != 235 && listed(0x913E); }, kNothing, [] { return !modelIn({192, 193, 201, 203, 204, 207, 208, 213}); }, kNothing); }
bool camTouchFocusPoint()             { return route<bool>(true,                              &C::touchFocusSupported,     [] { return camModelIndex() == 176 || propExists(0xD22C); }, true, false); }
int camOrientation()                  { return route<int>(1,                                  &C::orientation,             &S::orientation,              &N::orientation,               1); }
bool camHasFocus()                    { return route<bool>(&F::hasFocus,                      kNothing,                    &S::hasFocus,                 kNothing,                      kNothing); }
bool camIsAutoFocus()                 { return route<bool>(&F::isAutoFocus,                   canonIsAutoFocus,            &S::isAutoFocus,              [](N& m) { return m.isAutoFocus(false); }, false); }
bool camIsManualFocus()               { return route<bool>(&F::isManualFocus,                 camManualFocusFlag,          &S::isManualFocus,            camManualFocusFlag,            camManualFocusFlag); }
ResponseCode camFocusStackStep(int s) { return route<ResponseCode>(fujiFocusStep,             canonFocusStep,              sonyFocusStep,                nikonFocusStep,                kNo, s); }
bool camHasMirrorUp()                 { return route<bool>(kNothing,                          &C::hasMirrorUp,             kNothing,                     &N::hasMirrorUp,               kNothing); }
ResponseCode camDisableBracketing()   { return route<ResponseCode>(kNo,                       &C::disableBracketing,       &S::disableBracketing,        &N::disableBracketing,         kNo); }
ResponseCode camSetBracketing(uint32_t v) { return route<ResponseCode>(kNothing,              [](uint32_t x) { return propSet(camVendorPropertyCodes().bracketing, x, true); }, kNothing, &N::setBracketing, kNothing, v); }
bool camExposureCompValues(uint8_t* below, uint8_t* above) { return route<bool>(kNothing,     canonExposureCompValues,     kNothing,                     &N::exposureCompValues,        kNothing, below, above); }
float camExposureCompGet(uint32_t v)  { return route<float>(&F::exposureCompGet,              &C::evCodeToFloat,           &S::exposureCompGet,          &N::exposureCompGet,           0.0f, v); }
uint32_t camExposureCompSelected(float a) { return route<uint32_t>(&F::exposureCompSelected,  &C::evFloatToCode,           &S::exposureCompSelected,     &N::exposureCompSelected,      kNo, a); }
float camExposureCompCode(uint32_t i) { return route<float>(0.0f,                             &C::evCodeToFloat,           0.0f,                         &N::exposureCompCode,          0.0f, i); }
uint32_t camExposureCompStep(float a) { return route<uint32_t>(kNo,                           &C::exposureCompStep,        kNo,                          &N::exposureCompStep,          kNo, a); }
int camExposureCompCount()            { return route<int>(&F::exposureCompCount,              &C::exposureCompCount,       0,                            &N::exposureCompCount,         0); }
int camBracketValues(float* out, bool forced, float step) { return route<int>(kNothing,       &C::bracketValues,           kNothing,                     &N::bracketValues,             kNothing, out, forced, step); }
bool camBracketEnabled()              { return route<bool>(kNothing,                          &C::bracketEnabled,          kNothing,                     &N::bracketEnabled,            kNothing); }
float camExposureCompMax(uint32_t mv) { return route<float>(&F::exposureCompMax,              &C::exposureCompMax,         &S::exposureCompMax,          [](N& m, uint32_t x) { return m.exposureCompMax(x & 0xFF); }, 0.0f, mv); }
float camExposureCompMin(uint32_t mv) { return route<float>(&F::exposureCompMin,              &C::exposureCompMin,         &S::exposureCompMin,          [](N& m, uint32_t x) { return m.exposureCompMin(x & 0xFF); }, 0.0f, mv); }
bool camPropertyUpdated()             { return route<bool>(kNothing,                          [](C& m) { return m.bracketingUsable(true); }, kNothing, &N::propertyUpdated, kNothing); }
bool camHdrPrepare()                  { return route<bool>(kNothing,                          [] { return valueNonZero(0xD1D9); }, kNothing,           [] { return valueNonZero(0xD0C0); }, kNothing); }
bool camWhiteBalanceValue(uint32_t* code, uint32_t* value) { return route<bool>(whiteBalance(0x5005, 0x8007), whiteBalance(0xD109, 9), whiteBalance(0x5005, 0x8012), whiteBalance(0x5005, 0x8012), false, code, value); }
bool camMovieRecordingSupported()     { return route<bool>(&F::movieRecordingSupported,       &C::movieRecordingSupported, &S::movieRecordingSupported,  &N::movieRecordingSupported,   kNothing); }
bool camMovieToggleAvailable()        { return route<bool>(true,                              true,                        &S::movieToggleAvailable,     true,                          true); }
ResponseCode camMovieModeOn()         { return route<ResponseCode>(&F::movieModeOn,           &C::movieModeOn,             [](S& m) { return m.setLiveView(true); },  &N::movieModeOn,  kNo); }
ResponseCode camMovieModeOff()        { return route<ResponseCode>(&F::movieModeOff,          &C::movieModeOff,            [](S& m) { return m.setLiveView(false); }, &N::movieModeOff, kNo); }
ResponseCode camMovieRecordStart()    { return route<ResponseCode>(&F::movieRecordStart,      &C::movieRecordStart,        &S::movieRecordStart,         &N::movieRecordStart,          kNo); }
ResponseCode camMovieRecordStop()     { return route<ResponseCode>(&F::movieRecordStop,       &C::movieRecordStop,         &S::movieRecordStop,          &N::movieRecordStop,           kNo); }
ResponseCode camRefreshAllProperties() { return route<ResponseCode>(&F::refreshAllProperties, &C::refreshAllProperties,    &S::refreshAllProperties,     &N::refreshAllProperties,      kNo); }
bool camFormatIsRawPlusJpeg()         { return route<bool>(&F::formatIsRawPlusJpeg,           [] { return valueIs(0xD120, [](uint32_t v) { return v >= 0x20000000 && v <= 0x2FFFFFFF; }); }, sonyFormatIsRawPlusJpeg, &N::formatIsRawPlusJpeg, false); }
bool camFormatIsJpegOnly()            { return route<bool>(false,                             [] { return canonFormatTopByte(0x11); }, false,           false,                         false); }
bool camFormatIsRawOnly()             { return route<bool>([] { return valueIs(0xD018, [](uint32_t v) { return v == 1; }); }, [] { return canonFormatTopByte(0x16); }, [] { return valueIs(camVendorPropertyCodes().imageFormat, [](uint32_t v) { return v == 16; }); }, nikonFormatIsRawOnly, false); }
ResponseCode camImageFormatLabel(uint32_t v, uint32_t k, uint32_t* c, std::string* t) { return route<ResponseCode>(kNo, &C::imageFormatLabel, kNo, &N::imageFormatLabel, kNo, v, k, c, t); }
ResponseCode camImageFormatChoices(int kind, std::vector<int32_t>* list) { return route<ResponseCode>(&F::imageFormatChoices, &C::imageFormatChoices, &S::imageFormatChoices, &N::imageFormatChoices, kNo, kind, list); }
ResponseCode camImageFormatRawValue(int32_t* out) { return route<ResponseCode>(&F::imageFormatRawValue, &C::imageFormatRawValue, &S::imageFormatRawValue, &N::imageFormatRawValue, kNo, out); }
ResponseCode camImageFormatJpegValue(int32_t* out) { return route<ResponseCode>(&F::imageFormatJpegValue, &C::imageFormatJpegValue, &S::imageFormatJpegValue, &N::imageFormatJpegValue, kNo, out); }
ResponseCode camSetImageFormat(int32_t raw, int32_t jpeg) { return route<ResponseCode>(&F::setImageFormat, &C::setImageFormat, &S::setImageFormat, &N::setImageFormat, kUnsupported, raw, jpeg); }
// clang-format on

// Canon and Nikon keep their largest bracket step per session; the other vendors have no bracketing step.
float camBracketMax() { return route<float>(0.0f, &C::bracketMax, 0.0f, &N::bracketMax, 0.0f); }

// Operations whose result is kept or that turn their arguments before routing.
ResponseCode camLiveViewZoom(uint32_t value) {
    ResponseCode rc = route<ResponseCode>(&F::liveViewZoom, &C::liveViewZoom, &S::liveViewZoom, &N::liveViewZoom, kNo,
                                          value);
    if (rc == kOk) camSetKeptZoom(value);
    return rc;
}

ResponseCode camNudgeLiveView(int direction, bool raw) {
    if (!raw && direction >= 0 && direction < 4) {
        static const int kTurn3[] = {1, 0, 3, 2}, kTurn6[] = {2, 3, 1, 0}, kTurn8[] = {3, 2, 0, 1};
        switch (camOrientation()) {
            case 3: direction = kTurn3[direction]; break;
            case 6: direction = kTurn6[direction]; break;
            case 8: direction = kTurn8[direction]; break;
            default: break;
        }
    }
    return route<ResponseCode>([](F& m, int d, bool) { return m.nudgeFocusArea(d); }, canonNudge, [](S& m, int d, bool) { return m.nudge(d); },
                               nikonNudge, kNo, direction, raw);
}

ResponseCode camSetManualFocus(uint32_t manual, bool queueEvent) {
    if (manual <= 1) {
        ResponseCode rc = route<ResponseCode>(&F::setManualFocus, kOk, &S::setManualFocus, &N::setManualFocus, kOk,
                                              manual);
        if (rc != kOk) return rc;
    }
    camSetManualFocusFlag(manual);
    if (queueEvent) {
        uint32_t code = camVendorPropertyCodes().focusMode;
        camPushEvent(camMakePropertyEvent(code ? propFind(code) : nullptr, code), true);
    }
    return kOk;
}

float camChangeBracket(int steps, float size) {
    if (camIsNikon() && vendorNikon() &&
        (modelIn({197, 200, 210, 211, 212, 214, 215, 216, 217, 233, 240}) ||
         (camModelIndex() >= 219 && camModelIndex() <= 231))) {
        if (size > 1.9f || (size > 0.9f && steps > 0)) return static_cast<float>(steps);
        return static_cast<float>(steps) / 3.0f;
    }
    int count = camExposureCompCount();
    float k = count == 2 ? 0.5f : count == 1 ? 1.0f : 1.0f / 3.0f;
    return static_cast<float>(steps) * k;
}
