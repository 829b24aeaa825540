#pragma once
// Test doubles of the vendor modules (header only, for *_test.cpp files and benchmarks): small modules that drive a
// camera with standard PTP property operations, so that the core's property store, property set, event processing
// and session open can be tested against the stand-in device before the real vendor modules exist. Also a reset of
// every piece of engine state the core's property and event code keeps.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"
#include "engine/timing.h"
#include "engine/vendors/vendor_module.h"

namespace test_vendor {

inline void resetCoreState() {
    camEventThreadReset();
    camEventQueueReset();
    propStoreReset();
    camSessionReset();
    vendorResetModules();
}

// A device property-changed record applied as the Fujifilm and Sony modules do: value and enabled flag (and, when
// asked, the value's text) set under the record's lock. The record, or none when the store does not have it.
inline PropertyStruct* applyRecordValue(uint32_t code, uint32_t value, uint8_t enabled, bool withText) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return nullptr;
    r->value = value;
    r->enabled = enabled;
    if (withText) propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(code, value));
    propUnlock(r);
    return r;
}

// SetDevicePropValue with the value in the record's size (4 bytes for a property the store does not know).
inline ResponseCode setWithPtp(uint32_t code, uint32_t value) {
    size_t size = 4;
    if (PropertyStruct* r = propFind(code, true)) {
        size = ptpValueSize(r->kind) ? ptpValueSize(r->kind) : 4;
        propUnlock(r);
    }
    uint8_t bytes[8] = {};
    for (size_t i = 0; i < 4 && i < size; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    PtpRequest request;
    request.params = &code;
    request.paramCount = 1;
    request.dataOut = bytes;
    request.dataOutLength = static_cast<uint32_t>(size);
    return ptpTransaction(0x1016, request);
}

// Re-reads the value up to `rounds` times until it equals `value`.
inline bool confirmByReading(uint32_t code, uint32_t value, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (camGetPropertyNow(code) != PTP_RC_OK) return false;
        PropertyStruct* r = propFind(code, true);
        bool equal = r && r->value == value;
        propUnlock(r);
        if (equal) return true;
        std::this_thread::sleep_for(engineWait(std::chrono::milliseconds(100)));
    }
    return false;
}

// Creates a record per code whose description the camera gives, and fills it from that description.
inline ResponseCode describeAll(const std::vector<uint32_t>& codes) {
    for (uint32_t code : codes) {
        HeapBlock desc;
        if (ptpGetPropertyDesc(code, &desc) != PTP_RC_OK) continue;
        PropertyStruct* r = propCreate(code);
        if (!r) return ERROR_NO_MEMORY;
        if (!propParseDesc(r, desc.data(), desc.size())) return ERROR_GENERAL;
    }
    return PTP_RC_OK;
}

// What every double records of the calls the core makes.
struct CallLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    void add(const std::string& c) {
        std::lock_guard<std::mutex> g(mutex);
        calls.push_back(c);
    }
    std::vector<std::string> all() {
        std::lock_guard<std::mutex> g(mutex);
        return calls;
    }
    // Forgets every call (a double reused across many runs, e.g. by a fuzz target, would otherwise grow without end).
    void clear() {
        std::lock_guard<std::mutex> g(mutex);
        calls.clear();
        calls.shrink_to_fit();
    }
};

// The model check of the doubles: the DeviceInfo model must contain `modelText`.
inline bool modelMatches(const std::string& modelText, uint8_t index) {
    auto model = camModelName();
    if (!model || model->find(modelText) == std::string::npos) return false;
    camSetModelIndex(index);
    return true;
}

// Property codes the doubles describe at session open, when the camera reports them.
inline std::vector<uint32_t> reportedCodes() {
    std::vector<uint32_t> out;
    DeviceInfoRecord info = ptpSessionDeviceInfo();
    for (uint32_t i = 0; i < info.devicePropertiesSupported.count; ++i)
        out.push_back(info.devicePropertiesSupported.codes[i]);
    return out;
}

constexpr ResponseCode kSessionAlreadyOpen = 0x201E;

inline ResponseCode openAndDescribe() {
    ResponseCode rc = ptpTransaction(PTP_OC_OpenSession, {1});
    if (rc != PTP_RC_OK && rc != kSessionAlreadyOpen) return rc;
    return describeAll(reportedCodes());
}

// A Fujifilm-style module: standard property reads, sets and confirmation, device records applied to the store.
class FakeFuji : public FujiModule {
public:
    CallLog log;
    std::string modelText = "X-T";
    uint8_t modelIndex = 20;
    int confirmRounds = 10;
    bool clientModeOn = true;
    std::atomic<bool> restartPending{false};

    bool identifyModel() override { return modelMatches(modelText, modelIndex); }
    ResponseCode openSession() override {
        log.add("openSession");
        return openAndDescribe();
    }
    ResponseCode setProperty(uint32_t code, uint32_t value) override {
        log.add("set " + std::to_string(code));
        return setWithPtp(code, value);
    }
    bool confirmProperty(uint32_t code, uint32_t value) override { return confirmByReading(code, value, confirmRounds); }
    ResponseCode getPropValue(uint32_t code, HeapBlock* data) override { return ptpTransaction(0x1015, {code}, data); }
    ResponseCode getPropDesc(uint32_t code, HeapBlock* data) override { return ptpTransaction(0x1014, {code}, data); }
    bool refreshProperty(uint32_t code) override {
        log.add("refresh " + std::to_string(code));
        return propRefreshDesc(propFind(code));
    }
    PropertyStruct* applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) override {
        return applyRecordValue(code, value, enabled, true);
    }
    bool clientMode() override { return clientModeOn; }
    ResponseCode setPriorityMode(bool on) override {
        log.add(on ? "priority on" : "priority off");
        return PTP_RC_OK;
    }
    bool liveViewRestartPending() override { return restartPending.load(); }
    void clearLiveViewRestart() override { restartPending.store(false); }
    ResponseCode setLiveView(bool on) override {
        log.add(on ? "liveView on" : "liveView off");
        return PTP_RC_OK;
    }
};

// A Sony-style module for the property set's Sony rules.
class FakeSony : public SonyModule {
public:
    CallLog log;
    ResponseCode setAnswer = PTP_RC_OK;
    bool extended = false;
    bool confirmAnswer = true;
    std::string modelText = "ILCE";
    bool identifyModel() override { return modelMatches(modelText, 170); }
    ResponseCode openSession() override {
        log.add("openSession");
        return openAndDescribe();
    }
    ResponseCode setProperty(uint32_t code, uint32_t) override {
        log.add("set " + std::to_string(code));
        return setAnswer;
    }
    bool confirmProperty(uint32_t, uint32_t) override {
        log.add("confirm");
        return confirmAnswer;
    }
    void waitForStepping() override { log.add("waitForStepping"); }
    bool extendedFormat() override { return extended; }
    ResponseCode loadProperties() override {
        log.add("loadProperties");
        return PTP_RC_OK;
    }
    PropertyStruct* applyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) override {
        return applyRecordValue(code, value, enabled, false);
    }
};

// A Canon-style module with standard property operations (Canon has no fixed-table behaviour in the core's set).
class FakeCanon : public CanonModule {
public:
    CallLog log;
    std::string modelText = "EOS";
    int confirmRounds = 10;
    bool identifyModel() override { return modelMatches(modelText, 240); }
    ResponseCode openSession() override {
        log.add("openSession");
        return openAndDescribe();
    }
    ResponseCode setProperty(uint32_t code, uint32_t value) override {
        log.add("set " + std::to_string(code));
        return setWithPtp(code, value);
    }
    bool confirmProperty(uint32_t code, uint32_t value) override { return confirmByReading(code, value, confirmRounds); }
    ResponseCode getPropertyValue(uint32_t code, HeapBlock* data) override {
        return ptpTransaction(0x1015, {code}, data);
    }
    uint32_t exposureModeCode() override { return 0xD105; }
    bool liveViewAfSupported() override { return true; }
};

// A Nikon-style module: host mode through a vendor operation, the rest standard.
class FakeNikon : public NikonModule {
public:
    CallLog log;
    std::string modelText = "D8";
    uint8_t modelIndex = 205;
    std::atomic<int> refreshes{0};
    std::atomic<uint32_t> lastRefreshed{0};
    bool identifyModel() override { return modelMatches(modelText, modelIndex); }
    ResponseCode setHostMode(bool on, uint32_t) override {
        log.add(on ? "hostMode on" : "hostMode off");
        return ptpTransaction(0x90C2, {on ? 1u : 0u});
    }
    ResponseCode openSession() override {
        log.add("openSession");
        return openAndDescribe();
    }
    ResponseCode setProperty(uint32_t code, uint32_t value) override {
        log.add("set " + std::to_string(code));
        return setWithPtp(code, value);
    }
    bool confirmProperty(uint32_t code, uint32_t value) override { return confirmByReading(code, value, 10); }
    bool refreshProperty(uint32_t code) override {
        refreshes.fetch_add(1);
        lastRefreshed.store(code);
        return true;
    }
    uint32_t focusModeCode() override { return 0xD161; }
};

}  // namespace test_vendor
