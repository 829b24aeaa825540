#include "engine/vendors/canon/canon_operations.h"

#include <cstring>
#include <thread>

#include "engine/link/byte_order.h"
#include "engine/link/link.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/container.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_image_format.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_state.h"
#include "engine/vendors/dispatch.h"

namespace {
constexpr uint32_t kDriveMode = 0xD106;
constexpr uint32_t kMirrorUp = 0xD13A;
constexpr uint32_t kMovieServo = 0xD179;
constexpr uint32_t kColourSpace = 0xD10F;
constexpr uint32_t kCaptureDestination = 0xD11C;
constexpr uint32_t kFocusMode = 0xD108;
constexpr uint32_t kExposureMode = 0xD105;
constexpr uint32_t kRecordState = 0xD1B8;
constexpr uint32_t kEvfMode = 0xD1B1;
constexpr uint32_t kBracketing = 0xD1D9;
constexpr uint32_t kRecording = 4;
constexpr uint32_t kPressHalf = 1, kPressFull = 2, kPressMirrorUp = 3;
constexpr uint32_t kOlcAll = 0x1FFF;
constexpr uint16_t kAutoFocusFailed = 0xA002;
constexpr uint8_t kRepeatPacketType = 0x05;
constexpr size_t kRepeatPacketSize = 31;

void sleepFor(std::chrono::milliseconds nominal) { std::this_thread::sleep_for(engineWait(nominal)); }

ResponseCode op(uint16_t code, std::initializer_list<uint32_t> params, uint32_t* responseParam = nullptr) {
    return ptpTransaction(code, params, nullptr, responseParam);
}

// The pause a full press holds.
void holdPause(uint64_t ticket) {
    CanonState& s = canonState();
    std::lock_guard<std::mutex> g(s.pressPauseMutex);
    s.pressPause = ticket;
}
bool pauseHeld() {
    CanonState& s = canonState();
    std::lock_guard<std::mutex> g(s.pressPauseMutex);
    return s.pressPause != 0;
}
void releasePause() {
    CanonState& s = canonState();
    uint64_t ticket;
    {
        std::lock_guard<std::mutex> g(s.pressPauseMutex);
        ticket = s.pressPause;
        s.pressPause = 0;
    }
    if (ticket) camResumeEventsTicket(ticket);
}

// The full press: the event thread paused, half press, full press. 0xA002 leaves the half press for the caller to
// release; any other failure releases what it pressed and resumes the event thread here.
ResponseCode pressShutter() {
    CanonState& s = canonState();
    if (!pauseHeld()) {
        uint64_t ticket = camPauseEventsTicket();
        if (!ticket) return ERROR_BUSY;
        holdPause(ticket);
    }
    const uint32_t manual = camManualFocusFlag();
    uint32_t mirror = 0;
    if (camModelIndex() == 227 && canonPropertyValue(kMirrorUp, &mirror) && mirror == 1) {
        ResponseCode rc = op(kCanonOpPress, {kPressMirrorUp, manual});
        if (rc != PTP_RC_OK) {
            releasePause();
            return rc;
        }
        s.pressed.store(true);
        return rc;
    }
    uint32_t param = 0;
    ResponseCode rc = op(kCanonOpPress, {kPressHalf, manual}, &param);
    if (rc == PTP_RC_OK && param == 1) return kAutoFocusFailed;
    if (rc != PTP_RC_OK) {
        releasePause();
        return rc;
    }
    rc = op(kCanonOpPress, {kPressFull, manual});
    if (rc != PTP_RC_OK) {
        op(kCanonOpPressRelease, {kPressHalf});  // the half press is not left held
        releasePause();
        return rc;
    }
    s.pressed.store(true);
    return rc;
}

bool recordEnabled(uint32_t code) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    bool enabled = r->enabled != 0;
    propUnlock(r);
    return enabled;
}

// The bytes of a record's value in the camera's form (a PTP string for text).
bool valueBytes(uint32_t code, HeapBlock* data) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    std::vector<uint8_t> bytes;
    if (r->kind == kPropKindText) {
        size_t n = strnlen(r->valueText, sizeof r->valueText);
        if (n == 0) {
            bytes.push_back(0);
        } else {
            bytes.push_back(static_cast<uint8_t>(n + 1));
            for (size_t i = 0; i <= n; ++i) bytes.insert(bytes.end(), {static_cast<uint8_t>(r->valueText[i]), 0});
        }
    } else {
        size_t size = ptpValueSize(r->kind);
        if (size == 0) size = 4;
        for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(size > 4 && i >= 4 ? 0 : r->value >> (8 * i)));
    }
    propUnlock(r);
    *data = HeapBlock::copyOf(bytes);
    return static_cast<bool>(*data);
}
}  // namespace

ResponseCode canonOpenSession() {
    ResponseCode rc = op(kCanonOpRemoteMode, {1});
    if (rc != PTP_RC_OK) return rc;
    rc = op(kCanonOpEventMode, {1});
    if (rc != PTP_RC_OK) return rc;
    if (canonListed(kCanonOpOlcRequest)) {
        rc = op(kCanonOpOlcRequest, {kOlcAll});
        if (rc != PTP_RC_OK) return rc;
    }
    sleepFor(engine_timing::kCanonEventSettle);
    camPollEvents(true, false);
    camPollEvents(false, false);
    canonState().exposureModeCode.store(propExists(0xD138) ? 0xD138 : kExposureMode);
    return PTP_RC_OK;
}

ResponseCode canonSetProperty(uint32_t code, uint32_t value) {
    uint8_t data[8 + kCanonImageFormatRecordMax];
    uint32_t length;
    if (code >= 0xD120 && code <= 0xD123) {
        int recordLength = canonImageFormatUnpack(data + 8, value);
        if (recordLength != 20 && recordLength != 36) return ERROR_INVALID_INPUT;
        length = static_cast<uint32_t>(recordLength) + 8;
    } else {
        writeLe32(data + 8, value);
        length = 12;
    }
    writeLe32(data, length);
    writeLe32(data + 4, code);
    PtpRequest request;
    request.dataOut = data;
    request.dataOutLength = length;
    return ptpTransaction(kCanonOpSetProperty, request);
}

bool canonWaitPropertyValue(uint32_t code, uint32_t value) {
    for (int i = 0; i < kCanonConfirmAttempts; ++i) {
        camPollEvents(true, false);
        uint32_t current = 0;
        if (!canonPropertyValue(code, &current)) return false;
        if (current == value) return true;
        sleepFor(engine_timing::kCanonConfirmInterval);
    }
    return false;
}

ResponseCode canonRemoteRelease(bool releaseAfter) {
    CanonState& s = canonState();
    std::unique_lock<std::mutex> capture(s.captureMutex);
    if (!propExists(kDriveMode)) return ERROR_INVALID_INPUT;
    const bool press = canonListed(kCanonOpPress);
    s.pressPath.store(press);
    ResponseCode rc;
    if (press) {
        rc = pressShutter();
    } else {
        uint32_t param = 0;
        rc = op(kCanonOpRelease, {}, &param);
        if (rc == PTP_RC_OK && param == 1) rc = kAutoFocusFailed;
    }
    if (rc == PTP_RC_OK) camSetKeptZoom(0);
    capture.unlock();
    if (!press) return rc;
    if (rc == PTP_RC_OK) return releaseAfter ? canonReleaseShutter() : rc;
    if (rc == kAutoFocusFailed) {
        canonReleaseShutter();
        return rc;
    }
    return rc;  // the press gave the event thread back itself
}

ResponseCode canonReleaseShutter() {
    CanonState& s = canonState();
    ResponseCode result = PTP_RC_OK;
    if (s.pressPath.load()) {
        ResponseCode full = op(kCanonOpPressRelease, {kPressFull});
        ResponseCode half = op(kCanonOpPressRelease, {kPressHalf});  // sent even when the full release failed
        result = full != PTP_RC_OK ? full : half;
    }
    s.pressed.store(false);
    releasePause();
    return result;
}

bool canonShutterPressed() { return canonState().pressed.load(); }

ResponseCode canonBulbStart() {
    return canonListed(kCanonOpPress) ? canonRemoteRelease(false) : op(kCanonOpBulbStart, {});
}

ResponseCode canonBulbStop() { return canonListed(kCanonOpPress) ? canonReleaseShutter() : op(kCanonOpBulbEnd, {}); }

ResponseCode canonHalfPress() { return op(kCanonOpPress, {kPressHalf, camManualFocusFlag()}); }
ResponseCode canonHalfPressRelease() { return op(kCanonOpPressRelease, {kPressHalf}); }
ResponseCode canonDoAf() { return op(kCanonOpAutoFocus, {}); }
ResponseCode canonAfCancel() { return op(kCanonOpAutoFocusCancel, {}); }

bool canonHasPropertyD179() { return propExists(kMovieServo); }
bool canonHasMirrorUp() { return propExists(kMirrorUp); }
bool canonMirrorUpOn() {
    uint32_t v = 0;
    return canonPropertyValue(kMirrorUp, &v) && v == 1;
}
ResponseCode canonSetMirrorUp(bool on, bool confirm) { return propSet(kMirrorUp, on ? 1 : 0, confirm); }

ResponseCode canonDriveLens(uint32_t step) {
    ResponseCode rc = op(kCanonOpDriveLens, {step});
    if (rc != PTP_RC_OK) return rc;
    camSetManualFocus(1, true);
    if (propExists(kMovieServo)) propSet(kMovieServo, 0, true);
    return rc;
}

void canonBuildRepeatPacket(uint16_t repetitions, uint32_t stepParameter, uint32_t transactionId, uint8_t out[31]) {
    const uint32_t container = 16;
    writeLe32(out, container + 15);
    out[4] = kRepeatPacketType;
    writeLe32(out + 5, container + 10);
    writeLe16(out + 9, repetitions);
    out[11] = 0x00;
    out[12] = 0x00;
    out[13] = 0x4B;
    out[14] = 0x00;
    uint8_t* c = out + 15;
    writeLe32(c, container);
    writeLe16(c + 4, 1);  // command container
    writeLe16(c + 6, kCanonOpDriveLens);
    writeLe32(c + 8, transactionId);
    writeLe32(c + 12, stepParameter);
}

ResponseCode canonDriveLensSteps(int step, uint32_t count) {
    const uint32_t parameter = step < 0 ? 0x8000u + static_cast<uint32_t>(-static_cast<int64_t>(step))
                                        : static_cast<uint32_t>(step);
    while (count > 0) {
        const uint32_t now = count > kCanonRepeatMaxSteps ? kCanonRepeatMaxSteps : count;
        uint8_t packet[kRepeatPacketSize];
        if (linkLockHook(1) != 1) return ERROR_BUSY;
        // Read under the link mutex: PTP transactions take their ids while holding it, so none can take this one.
        canonBuildRepeatPacket(static_cast<uint16_t>(now), parameter, ptpNextTransactionId(), packet);
        ResponseCode rc = linkWrite(packet, sizeof packet);
        HeapBlock payload;
        uint32_t length = 0;
        if (rc == PTP_RC_OK) rc = linkReadResponse(&payload, &length);
        linkLockHook(0);
        if (rc == PTP_RC_OK && length == 2 && payload.size() == 2) rc = readLe16(payload.data());
        else if (rc == PTP_RC_OK && length != 0) rc = ERROR_BAD_PACKET;
        if (rc != PTP_RC_OK) return rc;
        count -= now;
    }
    camSetManualFocus(1, true);
    return PTP_RC_OK;
}

bool canonWaitReady() {
    uint32_t code = recordEnabled(kColourSpace) ? kColourSpace : recordEnabled(kCaptureDestination) ? kCaptureDestination : 0;
    if (!code) return false;
    for (int attempt = 0; attempt < kCanonReadyProbeAttempts; ++attempt) {
        if (attempt > 0) sleepFor(engine_timing::kCanonReadyProbeInterval);
        uint32_t value = 0;
        if (!canonPropertyValue(code, &value)) return false;
        ResponseCode rc = propSet(code, value, false);
        if (rc != PTP_RC_DEVICE_BUSY) return rc == PTP_RC_OK;
    }
    return false;
}

ResponseCode canonFocusStackRun(uint32_t shots, uint32_t step, uint32_t delayMs,
                                const CanonFocusStackProgress& progress) {
    camSetManualFocusFlag(1);
    canonClearFocusStackCancel();
    camQueuePropertyChanged(kFocusMode);
    if (shots == 0) return PTP_RC_OK;
    ResponseCode rc = canonRemoteRelease(true);
    if (rc != PTP_RC_OK) return rc;
    for (uint32_t shot = 1;; ++shot) {
        canonWaitReady();
        if (progress) progress(shot);
        if (shot >= shots) return PTP_RC_OK;
        if (canonFocusStackCancelled()) return ERROR_CANCELLED;
        auto settle = engineWait(engine_timing::kCanonStackShotSettle) + std::chrono::milliseconds(delayMs);
        if (canonSleepUnlessCancelled(settle)) return ERROR_CANCELLED;
        rc = canonDriveLens(step);
        if (rc != PTP_RC_OK) return rc;
        if (canonFocusStackCancelled()) return ERROR_CANCELLED;
        if (canonSleepUnlessCancelled(engineWait(engine_timing::kCanonStackDriveSettle))) return ERROR_CANCELLED;
        rc = canonRemoteRelease(true);
        if (rc != PTP_RC_OK) return rc;
    }
}

bool canonHasMovieOps() { return canonListed(kCanonOpMovieModeOn); }

bool canonNeedsMovieSwitch() {
    if (!canonModelFacts().movieSwitch) return false;
    int32_t mode = canonState().lastExposureMode.load();
    if (mode < 0) {
        uint32_t current = 0;
        if (canonExposureModeValue(&current)) mode = static_cast<int32_t>(current);
    }
    return mode != 20;
}

ResponseCode canonMovieModeOn() {
    CanonState& s = canonState();
    uint32_t saved = 0;
    canonPropertyValue(kExposureMode, &saved);
    s.savedExposureMode.store(saved);
    ResponseCode rc = PTP_RC_OK;
    if (canonNeedsMovieSwitch()) {
        rc = op(kCanonOpMovieModeOn, {});
        if (rc == PTP_RC_DEVICE_BUSY) {
            HeapBlock frame;
            ResponseCode lv = canonGetLiveViewFrame(&frame);
            if (lv == PTP_RC_OK) {
                rc = PTP_RC_OK;
            } else if (lv == PTP_RC_CANON_BUSY) {
                propSet(kRecordState, 0, false);
                canonMovieModeOff();
                rc = op(kCanonOpMovieModeOn, {});
            }
        }
    }
    if (propExists(kEvfMode)) propSet(kEvfMode, 2, false);
    if (rc != PTP_RC_OK) return rc;
    rc = canonSetLiveView(true, false);
    if (rc != PTP_RC_OK) return rc;
    camSetKeptZoom(0);
    return PTP_RC_OK;
}

ResponseCode canonMovieModeOff() {
    if (canonNeedsMovieSwitch()) {
        ResponseCode rc = op(kCanonOpMovieModeOff, {});
        if (rc != PTP_RC_OK) return rc;
    }
    ResponseCode lv = canonSetLiveView(false, false);
    if (PropertyStruct* r = propFind(kExposureMode, true)) {
        r->value = canonState().savedExposureMode.load();
        propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(kExposureMode, r->value));
        propUnlock(r);
        camQueuePropertyChanged(kExposureMode);
    }
    return lv;
}

ResponseCode canonMovieRecordStart() {
    ResponseCode rc = propSet(kRecordState, kRecording, true);
    if (rc == PTP_ERROR_PROP_NOT_CONFIRMED && camModelIndex() == 232) {
        sleepFor(engine_timing::kCanonMovieRecordRetry);
        if (canonWaitPropertyValue(kRecordState, kRecording)) return PTP_RC_OK;
    }
    return rc;
}

ResponseCode canonMovieRecordStop() { return propSet(kRecordState, 0, false); }

ResponseCode canonDisableBracketing() {
    uint32_t value = 0;
    if (!canonPropertyValue(kBracketing, &value)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    if (value != 0) return propSet(kBracketing, 0, false);
    return PTP_RC_OK;
}

ResponseCode canonRequestProperty(uint32_t code) { return op(kCanonOpRequestProperty, {code}); }

ResponseCode canonReadPropertyValue(uint32_t code, HeapBlock* data) {
    if (!data) return ERROR_BAD_PACKET;
    ResponseCode rc = canonRequestProperty(code);
    if (rc != PTP_RC_OK) return rc;
    camPollEvents(true, false);
    return valueBytes(code, data) ? ResponseCode{PTP_RC_OK} : ResponseCode{PTP_ERROR_UNSUPPORTED_COMMAND};
}

ResponseCode canonSetRemoteMode(uint32_t mode) { return op(kCanonOpRemoteMode, {mode}); }

ResponseCode canonRefreshEvents() {
    camLockEventPoll();
    ResponseCode rc = op(kCanonOpEventMode, {1});
    if (rc == PTP_RC_OK) {
        sleepFor(engine_timing::kCanonEventSettle);
        rc = camPollEvents(true, true);
    }
    camUnlockEventPoll();
    return rc;
}
