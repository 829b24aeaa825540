#include "engine/vendors/sony/sony_properties.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/link/heap_block.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/sony/sony_descriptors.h"
#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
using namespace engine_timing;

bool isStepped(uint32_t code) { return code == 0x5007 || code == 0xD20D || code == 0xD21E; }

// The whole-property reply, header included; empty when the camera sent none. A reply without data (0xEE12) is a
// successful read of nothing.
ResponseCode readAll(HeapBlock* data) {
    ResponseCode rc = ptpTransaction(kSonyOpGetAllDescriptors, {}, data);
    if (rc == RESPONSE_NO_DATA) {
        data->reset();
        return PTP_RC_OK;
    }
    return rc;
}

void replaceList(uint32_t code, const std::vector<PropertyValueNamesStruct>& list) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return;
    propSetValueList(r, list.data(), static_cast<uint16_t>(list.size()));
    r->form = kPropFormEnumeration;
    propUnlock(r);
}

// The position of a value in a record's list, or -1.
int listIndex(const PropertyStruct* r, uint32_t value) {
    for (uint16_t i = 0; i < r->valueCount; ++i)
        if (r->values[i].value == value) return i;
    return -1;
}

// The one poll that a changed exposure program asks for runs once the block being processed is done: it waits for
// the event-poll mutex that the processing holds.
// One such poll at a time: a second request while one still waits adds nothing.
std::mutex pollThreadMutex;
std::thread pollThread;
std::atomic<bool> pollPending{false};
void requestPollAfterBlock() {
    std::lock_guard<std::mutex> g(pollThreadMutex);
    if (pollPending.exchange(true)) return;
    if (pollThread.joinable()) pollThread.join();
    pollThread = std::thread([] {
        camPollEvents(true, false);
        pollPending = false;
    });
}
}  // namespace

void sonyJoinPendingPoll() {
    std::lock_guard<std::mutex> g(pollThreadMutex);
    if (pollThread.joinable()) pollThread.join();
}

ResponseCode sonyLoadProperties() {
    HeapBlock data;
    ResponseCode rc = readAll(&data);
    if (rc != PTP_RC_OK) return rc;
    if (data.size() <= kSonyAllPropertiesHeader) return PTP_RC_OK;
    const uint8_t* body = data.data() + kSonyAllPropertiesHeader;
    const size_t length = data.size() - kSonyAllPropertiesHeader;
    rc = sonyParseAllProperties(body, length);
    if (sonyState().extendedFormat && !propExists(0xD2DC)) {
        std::lock_guard<std::recursive_mutex> lock(sonyState().propertyMutex);
        if (sonyFindPropertyInData(0xD2DC, body, length, false) != PTP_RC_OK && !propExists(0xD2DC)) {
            PropertyStruct* r = propCreate(0xD2DC);
            if (!r) return ERROR_NO_MEMORY;
        }
    }
    return rc;
}

ResponseCode sonyOpenSession() {
    propStoreClear();
    ResponseCode rc = sonyLoadProperties();
    if (!sonyState().extendedFormat) {
        sonyShutterList();
        sonyIsoList();
        sonyApertureList();
    }
    return rc;
}

void sonyShutterList() {
    uint32_t program = 0;
    sonyPropertyValue(0x500E, &program);
    replaceList(0xD20D, sonyFixedShutterList(camModelIndex(), program));
}
void sonyIsoList() {
    uint32_t program = 0;
    sonyPropertyValue(0x500E, &program);
    replaceList(0xD21E, sonyFixedIsoList(camModelIndex(), sonyIsMovieProgram(program)));
}
void sonyApertureList() { replaceList(0x5007, sonyFixedApertureList()); }

ResponseCode sonyReadProperty(uint32_t code, bool queue) {
    HeapBlock data;
    ResponseCode rc = readAll(&data);
    if (rc != PTP_RC_OK) return rc;
    if (data.size() <= kSonyAllPropertiesHeader) return PTP_RC_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(sonyState().propertyMutex);
    return sonyFindPropertyInData(code, data.data() + kSonyAllPropertiesHeader,
                                  data.size() - kSonyAllPropertiesHeader, queue);
}

namespace {
// One control operation: the property code as parameter and its bytes as data.
ResponseCode sendControl(uint16_t operation, uint32_t code, const uint8_t* bytes, uint32_t size) {
    const uint32_t params[] = {code};
    PtpRequest request;
    request.params = params;
    request.paramCount = 1;
    request.dataOut = bytes;
    request.dataOutLength = size;
    return ptpTransaction(operation, request);
}
}  // namespace

ResponseCode sonySetControl(uint32_t code, const uint8_t* bytes, uint32_t size) {
    return sendControl(kSonyOpSetControl, code, bytes, size);
}

ResponseCode sonyWriteControl(uint32_t code, uint32_t value, uint32_t size) {
    if (size != 2 && size != 4) return ERROR_INVALID_INPUT;
    uint8_t bytes[4];
    writeLe32(bytes, value);
    return sendControl(kSonyOpWriteControl, code, bytes, size);
}

ResponseCode sonyPressButton(uint32_t code) {
    ResponseCode rc = sonyWriteControl(code, 2, 2);
    if (rc != PTP_RC_OK) return rc;
    return sonyWriteControl(code, 1, 2);
}

ResponseCode sonySetProperty(uint32_t code, uint32_t value) {
    SonyState& s = sonyState();
    if (!s.extendedFormat && isStepped(code)) {
        if (code == 0xD20D && value == 0 && !sonyBulbAvailable()) return ERROR_BULB_MODE_INVALID;
        ++s.steppingCount;
        std::lock_guard<std::mutex> lock(s.steppingMutex);
        ResponseCode rc = sonyStepProperty(code, value, 0);
        --s.steppingCount;
        return rc;
    }
    uint8_t bytes[4];
    writeLe32(bytes, value);
    ResponseCode rc = sonySetControl(code, bytes, 4);
    if (rc == PTP_RC_OK && code == 0x5007 && camModelIndex() == 179 && !sonyConfirmValue(code, value))
        rc = sonySetControl(code, bytes, 4);
    return rc;
}

void sonyWaitForStepping() {
    SonyState& s = sonyState();
    ++s.steppingCount;
    s.steppingMutex.lock();
    --s.steppingCount;
    s.steppingMutex.unlock();
}

ResponseCode sonyStepProperty(uint32_t code, uint32_t target, int depth) {
    SonyState& s = sonyState();
    for (;; ++depth) {
        if (depth > 5) return PTP_ERROR_PROP_NOT_CONFIRMED;
        if (s.steppingCount >= 2) return ERROR_CANCELLED;
        if (!isStepped(code)) return ERROR_INVALID_INPUT;
        ResponseCode rc = sonyReadProperty(code, true);
        if (rc != PTP_RC_OK) return rc;
        PropertyStruct* r = propFind(code, true);
        if (!r) return ERROR_GENERAL;
        const uint32_t old = r->value;
        if (old == target) {
            propUnlock(r);
            return PTP_RC_OK;
        }
        const int ic = listIndex(r, old), it = listIndex(r, target);
        propUnlock(r);
        if (ic < 0 || it < 0) return ERROR_GENERAL;

        const int diff = it - ic;
        if (code == 0xD20D && !sonyModelIn({161, 163})) {
            // These bodies take the whole jump in one write.
            rc = sonyWriteControl(code, static_cast<uint32_t>(diff), 4);
            if (rc != PTP_RC_OK) return rc;
            sonySleep(kSonyStepNotch * std::abs(diff));
        } else {
            for (int i = 0; i < std::abs(diff); ++i) {
                if (s.steppingCount >= 2) return ERROR_CANCELLED;
                rc = sonyWriteControl(code, diff > 0 ? 1u : 0xFFFFFFFFu, 4);
                if (rc != PTP_RC_OK) return rc;
                sonySleep(kSonyStepInterval);
            }
        }
        if (sonyConfirmValue(code, target)) return PTP_RC_OK;
        if (sonyValueIs(code, old)) {
            sonySleep(kSonyStepRecheck);
            if (sonyConfirmValue(code, target)) return PTP_RC_OK;
        }
    }
}

bool sonyConfirmValue(uint32_t code, uint32_t value) {
    const int rounds = (code == 0xD20D || code == 0xD21E) ? 3 : code == 0xD213 ? 8 : code == 0xD215 ? 200 : 6;
    const uint32_t mask = (code == 0x5004 || code == 0xD253) ? 0xFF : 0xFFFFFFFF;
    for (int i = 0; i < rounds; ++i) {
        if (i > 0) sonySleep(kSonyConfirmInterval);
        if (sonyReadProperty(code, true) != PTP_RC_OK) return false;
        uint32_t v = 0;
        if (sonyPropertyValue(code, &v) && (v & mask) == (value & mask)) return true;
    }
    return false;
}

bool sonyWaitChange(uint32_t code, uint32_t old, bool reread, uint32_t ms) {
    const uint32_t rounds = ms ? ms / 250 : 999;
    for (uint32_t i = 0; i < rounds; ++i) {
        if (reread && sonyReadProperty(code, true) != PTP_RC_OK) return false;
        uint32_t v = 0;
        if (sonyPropertyValue(code, &v) && v != old) return true;
        sonySleep(kSonyWaitChangeInterval);
    }
    return false;
}

PropertyStruct* sonyApplyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) {
    SonyState& s = sonyState();
    PropertyStruct* r = propFind(code, true);
    if (!r) return nullptr;
    const bool changed = r->value != value;
    r->value = value;
    r->enabled = enabled;
    std::optional<std::string> own = sonyFormatValueText(code, value);
    const char* name = sonyValueName(code, value);
    propCopyText(r->valueText, sizeof r->valueText, own ? *own : name ? std::string(name) : std::to_string(value));
    // A changed program while the module holds the camera in manual focus: the toggle is pressed back, and until the
    // camera reports again the program counts as not settable.
    const bool pressToggle = code == 0x500E && s.buttonControl && s.focusToggled;
    if (pressToggle) r->enabled = 0;
    propUnlock(r);

    if (sonyIsImageFormatPart(code)) {
        PropertyStruct* rebuilt = sonyRebuildImageFormat();
        if (rebuilt) {
            camPushEvent(camMakePropertyEvent(rebuilt, rebuilt->code.load()), false);
            camNotifyEventsDone();
        }
    }
    // The record is unlocked before anything goes to the camera.
    if (pressToggle) {
        sonyWriteControl(0xD2D2, 1, 2);
        sonyWriteControl(0xD2D2, 2, 2);
    }
    if (code == 0x500E && changed) requestPollAfterBlock();
    return r;
}

ResponseCode sonyRefreshAllProperties() { return camPollEvents(true, false); }
