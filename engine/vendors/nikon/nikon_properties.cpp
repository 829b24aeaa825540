#include "engine/vendors/nikon/nikon_properties.h"

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {

constexpr uint16_t kOpSetDevicePropValue = 0x1016;
constexpr int kConfirmReads = 10;

const uint32_t kSnapshotCodes[kNikonSnapshotCodeCount] = {
    0x5001, 0x5004, 0x5005, 0x5007, 0x5008, 0xD161, 0x500A, 0x500B, 0x500C, 0x500E, 0x500F, 0x5010, 0x5013,
    0x5018, 0x501C, 0xD0F9, 0xD100, 0xD0FC, 0xD1F1, 0xD108, 0xD0C0, 0xD10B, 0xD0C1, 0xD057, 0xD056, 0xD1A3,
    0xD078, 0xD048, 0xD049, 0xD1A0, 0xD1A6, 0xD1F0, 0xD1A8, 0xD1A9, 0xD1AA, 0xD1AB, 0xD1AF, 0xD1A1, 0xD1A2,
    0xD1B4, 0xD061, 0xD20D, 0xD0B4, 0xD0B5, 0xD0B6, 0xD054, 0xD16A, 0xD1F7, 0xD1B1, 0xD01E, 0xD0C2, 0xD032,
    0xD1BD, 0xD1F8, 0xD1FA, 0xD05D, 0xD120, 0xD121, 0xD122, 0xD124, 0xD125, 0xD126, 0xD0E2, 0xD0F6,
};

const uint32_t kKelvin[31] = {2500, 2560, 2630, 2700, 2780, 2860, 2940, 3030, 3130, 3230, 3330,
                              3450, 3570, 3700, 3850, 4000, 4170, 4350, 4550, 4760, 5000, 5260,
                              5560, 5880, 6250, 6670, 7140, 7690, 8330, 9090, 10000};

bool formatPart(uint32_t code) { return code == 0x5003 || code == 0xD0B6 || code == 0x5004; }

bool isColourTemperature(uint32_t code) { return code == 0xD01E && nikonConvertsColourTemperature(); }

// A raw value from the camera stored in the record: the colour temperature of the index model as kelvin (read in
// the camera's own width), every other value by the store.
bool storeRawValue(uint32_t code, const uint8_t* data, size_t length) {
    if (!isColourTemperature(code)) return propUpdateValue(code, data, length) >= 0;
    uint32_t index = 0;
    if (ptpReadValue(nikonState().colourKind.load(), data, length, &index) == 0) return false;
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    r->value = nikonColourIndexToKelvin(index);
    propCopyText(r->valueText, sizeof r->valueText, std::to_string(r->value));
    propUnlock(r);
    return true;
}

uint32_t widthMask(int32_t kind) {
    switch (kind) {
        case PTP_DTC_INT8:
        case PTP_DTC_UINT8: return 0xFF;
        case PTP_DTC_INT16:
        case PTP_DTC_UINT16: return 0xFFFF;
        default: return 0xFFFFFFFF;
    }
}

// A PTP string: u8 character count with the terminator, then 16-bit characters.
std::vector<uint8_t> ptpString(const char* text) {
    size_t n = strnlen(text, 31);
    std::vector<uint8_t> out(1 + 2 * (n + 1), 0);
    out[0] = static_cast<uint8_t>(n + 1);
    for (size_t i = 0; i < n; ++i) out[1 + 2 * i] = static_cast<uint8_t>(text[i]);
    return out;
}

}  // namespace

const uint32_t (&nikonSnapshotCodes())[kNikonSnapshotCodeCount] { return kSnapshotCodes; }

ResponseCode propSnapshotCopy(HeapBlock* block, size_t* length) {
    if (!block || !length) return ERROR_INVALID_INPUT;
    HeapBlock b = HeapBlock::allocate(4 * kNikonSnapshotCodeCount);
    if (!b) return ERROR_NO_MEMORY;
    for (size_t i = 0; i < kNikonSnapshotCodeCount; ++i) writeLe32(b.data() + 4 * i, kSnapshotCodes[i]);
    *length = b.size();
    *block = std::move(b);
    return PTP_RC_OK;
}

ResponseCode propStoreRebuild(const uint8_t* reply, size_t length) {
    if (!reply || length < 4) return ERROR_INVALID_INPUT;
    propStoreClear();
    ResponseCode result = PTP_RC_OK;
    size_t at = 0;
    while (length - at > 8) {
        uint32_t n = readLe32(reply + at);
        at += 4;
        if (n > length - at) {
            result = ERROR_INVALID_INPUT;  // a record running past the reply ends the rebuild
            break;
        }
        const uint8_t* dataset = reply + at;
        at += n;
        if (n < 2) continue;  // no code to make a record of
        PropertyStruct* r = propCreate(readLe16(dataset));
        if (!r) return 0;  // the store is full
        if (!propParseDesc(r, dataset, n)) propRemoveLast(r);
        else nikonDescriptionRead(r->code.load());
    }
    uint32_t focus = 0;
    if (nikonPropertyValue(0xD1A0, &focus) && focus == 0) {
        PropertyStruct* r = propFind(0xD1A0, true);
        if (r) {
            r->value = 1;
            propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(0xD1A0, 1));
        }
        propUnlock(r);
        propSet(0xD1A0, 1, false);
    }
    if (!propExists(0x5003)) {
        PropertyStruct* size = propCreate(0x5003);
        if (size && !propRefreshDesc(size)) propRemoveLast(size);
    }
    nikonRefreshCombinedFormat();
    nikonKeepMirrorUp();
    camSetManualFocusFlag(nikonIsAutoFocus(false) ? 0 : 1);
    return result;
}

ResponseCode nikonLoadPropertySnapshot() {
    HeapBlock reply;
    ResponseCode rc = linkLoadPropertySnapshot(kSnapshotCodes, &reply);
    if (rc != PTP_RC_OK) return rc;
    rc = propStoreRebuild(reply.data(), reply.size());
    camFillVendorPropertyCodes();
    return rc;
}

ResponseCode nikonSetProperty(uint32_t code, uint32_t value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return PTP_ERROR_UNSUPPORTED_COMMAND;
    std::vector<uint8_t> data;
    if (r->kind == kPropKindText) {
        const char* name = nullptr;
        for (uint16_t i = 0; i < r->valueCount && r->values; ++i)
            if (r->values[i].value == value) name = r->values[i].name;
        if (name) data = ptpString(name);
    } else {
        if (code == 0xD16A) value = value ? 0 : 1;
        int32_t kind = r->kind;
        if (isColourTemperature(code)) {
            value = nikonColourKelvinToIndex(value);
            kind = nikonState().colourKind.load();
        }
        size_t size = ptpValueSize(kind);
        if (size == 0 || size > 4) size = 4;
        data.resize(size);
        for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    propUnlock(r);
    if (data.empty()) return ERROR_BUILD;
    uint32_t params[1] = {code};
    PtpRequest req;
    req.params = params;
    req.paramCount = 1;
    req.dataOut = data.data();
    req.dataOutLength = static_cast<uint32_t>(data.size());
    return ptpTransaction(kOpSetDevicePropValue, req);
}

void nikonRecordRefreshed(uint32_t code, bool notify) {
    if (formatPart(code)) nikonRefreshCombinedFormat();
    if (code == kNikonMirrorUpCode) nikonKeepMirrorUp();
    auto tell = [notify](uint32_t c) {
        if (PropertyStruct* r = propFind(c)) camPushEvent(camMakePropertyEvent(r, c), notify);
    };
    tell(code);
    // A size is also part of the combined image format, whose record changed with it.
    if (code == 0x5003 || code == 0xD0B6) tell(0x5004);
}

void nikonKeepMirrorUp() {
    uint32_t v = 0;
    nikonState().mirrorUp.store(nikonPropertyValue(kNikonMirrorUpCode, &v) && v != 0);
}

bool nikonReadPropertyValue(uint32_t code) {
    HeapBlock value;
    if (ptpTransaction(PTP_OC_GetDevicePropValue, {code}, &value) != PTP_RC_OK) return false;
    if (!storeRawValue(code, value.data(), value.size())) return false;
    nikonRecordRefreshed(code, true);
    return true;
}

bool nikonWaitPropertyValue(uint32_t code, uint32_t value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    uint32_t mask = widthMask(r->kind);
    propUnlock(r);
    for (int i = 0; i < kConfirmReads; ++i) {
        if (i > 0) std::this_thread::sleep_for(engineWait(engine_timing::kNikonConfirmInterval));
        if (!nikonReadPropertyValue(code)) continue;
        uint32_t now = 0;
        if (nikonPropertyValue(code, &now) && (now & mask) == (value & mask)) return true;
    }
    return false;
}

bool nikonRefreshable(uint32_t code) {
    static const uint32_t kCodes[] = {
        0x5001, 0x5003, 0x5004, 0x5005, 0x5007, 0x5008, 0x500A, 0x500B, 0x500C, 0x500E, 0x500F, 0x5010, 0x5013,
        0x5018, 0x501C, 0xD01E, 0xD032, 0xD048, 0xD049, 0xD054, 0xD056, 0xD057, 0xD05D, 0xD061, 0xD078, 0xD0B4,
        0xD0B5, 0xD0B6, 0xD0C0, 0xD0C1, 0xD0C2, 0xD0E2, 0xD0F6, 0xD0F9, 0xD0FC, 0xD100, 0xD108, 0xD10B, 0xD120,
        0xD121, 0xD122, 0xD124, 0xD125, 0xD126, 0xD161, 0xD16A, 0xD1A0, 0xD1A1, 0xD1A2, 0xD1A3, 0xD1A6, 0xD1A8,
        0xD1A9, 0xD1AA, 0xD1AB, 0xD1AF, 0xD1B1, 0xD1B4, 0xD1BD, 0xD1F0, 0xD1F1, 0xD1F7, 0xD1F8, 0xD1FA, 0xD20D,
    };
    for (uint32_t c : kCodes)
        if (c == code) return true;
    return false;
}

bool nikonRefreshProperty(uint32_t code) {
    if (!nikonRefreshable(code)) return false;
    PropertyStruct* r = propFind(code);
    if (!r || !propRefreshDesc(r)) return false;
    nikonDescriptionRead(code);
    if (code == 0x500E && camModelIndex() == 205) {
        PropertyStruct* locked = propFind(code, true);
        if (locked) locked->enabled = nikonState().hostMode.load() ? 1 : 0;
        propUnlock(locked);
    }
    nikonRecordRefreshed(code, true);
    return true;
}

ResponseCode nikonRefreshAllProperties() {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < propCount(); ++i)
        if (PropertyStruct* r = propAt(i)) codes.push_back(r->code.load());
    for (uint32_t code : codes) {
        HeapBlock value;
        ResponseCode rc = ptpGetPropertyValue(code, &value);
        if (rc != PTP_RC_OK) return rc;
        if (!storeRawValue(code, value.data(), value.size())) return ERROR_GENERAL;
        if (formatPart(code)) nikonRefreshCombinedFormat();
    }
    return PTP_RC_OK;
}

bool nikonConvertsColourTemperature() { return camModelIndex() == 197; }

void nikonDescriptionRead(uint32_t code) {
    if (!isColourTemperature(code)) return;
    PropertyStruct* r = propFind(code, true);
    if (!r) return;
    // The record holds kelvin from here on: wide enough for the kelvin values, while sets and reads use the
    // camera's own width of the index.
    nikonState().colourKind.store(r->kind);
    if (ptpValueSize(r->kind) < 2) r->kind = PTP_DTC_UINT16;
    propUnlock(r);
}

uint32_t nikonColourIndexToKelvin(uint32_t index) { return index <= 30 ? kKelvin[index] : 5000; }

uint32_t nikonColourKelvinToIndex(uint32_t kelvin) {
    // Each index holds the kelvin values below the midpoint to the next one; the last reaches 10000.
    for (uint32_t i = 0; i < 30; ++i)
        if (kelvin < (kKelvin[i] + kKelvin[i + 1] + 1) / 2) return i;
    return kelvin <= 10000 ? 30 : 20;
}

bool nikonPropertyVisible() { return (nikonReports(0xD054) || nikonReports(0xD16A)) && nikonReports(0xD0B5); }

PropertyStruct* nikonPropertyEnabled() {
    uint32_t program = 0, user = 0;
    bool haveProgram = nikonPropertyValue(0x500E, &program);
    bool pasm = haveProgram && program >= 1 && program <= 4;
    bool userPasm = haveProgram && program >= 0x8050 && program <= 0x8052 && nikonPropertyValue(0xD0FC, &user) &&
                    user >= 0x13 && user <= 0x16;
    if ((pasm || userPasm) && propExists(0xD054)) return propFind(0xD054);
    return propFind(0xD16A);
}

uint8_t nikonNumShots() {
    uint32_t count = 0;
    if (!nikonPropertyValue(0xD1B4, &count)) return 20;
    uint32_t available = 1000;
    nikonPropertyValue(0xD1F1, &available);
    return static_cast<uint8_t>(available < count ? available : count);
}

bool nikonFocusStackProperty() {
    uint32_t v = 1;
    return nikonPropertyValue(0xD0E2, &v) && v == 0;
}

bool nikonHasMirrorUp() { return nikonReports(0xD1F7); }

bool nikonExposureModeIsPASM() {
    uint32_t v = 0;
    return nikonPropertyValue(0x500E, &v) && v >= 1 && v <= 4;
}

bool nikonIsBulbShutter() {
    uint32_t v = 0;
    return nikonPropertyValue(0xD100, &v) && v == 0xFFFFFFFF;
}

bool nikonHasBulbOp() { return nikonListed(0x910C); }

bool nikonIsMirrorUpMode() {
    uint32_t v = 0;
    return nikonPropertyValue(0x5013, &v) && v == 0x8012;
}

bool nikonIsContinuousMode(uint32_t code, uint32_t value) {
    if (value == 0x8100 && propExists(0xD0F6)) return false;
    if (code == 0xD1A1) return value == 0x8019 || value == 1 || value == 2;
    if (code == 0x5013) return value == 2 || value == 0x8010 || value == 0x8018 || value == 0x8019;
    return false;
}

uint32_t nikonShutterMilliseconds(uint32_t value) {
    if (value < 0x10000 || value >= 0xFFFE0000) return 0;
    uint32_t den = value & 0xFFFF;
    if (den == 0) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(value >> 16) * 1000 / den);
}

bool nikonHdrReferenceCodes(uint32_t code, uint32_t* a, uint32_t* b) {
    uint32_t x, y;
    switch (code) {
        case 0x5007: x = 560, y = 800; break;
        case 0x500F: x = 400, y = 800; break;
        case 0xD100: x = 0x10001, y = 0x20001; break;
        default: return false;
    }
    if (a) *a = x;
    if (b) *b = y;
    return true;
}

ResponseCode nikonToggleFlash(bool on) {
    NikonState& s = nikonState();
    if (!on) {
        uint32_t now = 0;
        if (!nikonPropertyValue(0x500C, &now)) return PTP_ERROR_UNSUPPORTED_COMMAND;
        s.savedFlashMode.store(now);
        return propSet(0x500C, 2, true);
    }
    int64_t saved = s.savedFlashMode.load();
    return propSet(0x500C, saved >= 0 ? static_cast<uint32_t>(saved) : 0x8010, true);
}

uint32_t nikonFocusModeCode() {
    if (camModelFeatureTest()) return 0xD061;
    if (nikonReports(0xD161)) return 0xD161;
    return 0x500A;
}

bool nikonIsAutoIso() {
    uint8_t m = camModelIndex();
    if (nikonModelIn(m, {192, 193, 200, 201, 207, 208, 213, 218})) {
        uint32_t program = 0;
        if (!nikonPropertyValue(0x500E, &program) || program < 5) return false;
    }
    PropertyStruct* r = nikonPropertyEnabled();
    if (!r) return false;
    propLock(r);
    bool on = r->value != 0;
    propUnlock(r);
    return on;
}

bool nikonHdrPrepareCapture() {
    uint32_t drive = 0, burst = 0;
    // While live view runs the camera shoots by its live-view drive mode, where it has one.
    uint32_t code = nikonState().liveViewOn.load() && propExists(0xD1A1) ? 0xD1A1 : 0x5013;
    if (!nikonPropertyValue(code, &drive)) return false;
    return nikonIsContinuousMode(code, drive) && nikonPropertyValue(0x5018, &burst) && burst > 1;
}
