#include "engine/vendors/fujifilm/fuji_properties.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/fujifilm/fuji_state.h"

namespace {
constexpr uint16_t kGetDevicePropDesc = 0x1014;
constexpr uint16_t kGetDevicePropValue = 0x1015;
constexpr uint16_t kSetDevicePropValue = 0x1016;

ResponseCode sendValue(uint32_t code, const std::vector<uint8_t>& data) {
    PtpRequest request;
    request.params = &code;
    request.paramCount = 1;
    request.dataOut = data.data();
    request.dataOutLength = static_cast<uint32_t>(data.size());
    return ptpTransaction(kSetDevicePropValue, request);
}

// The kind a value of the code is sent as: the record's, else the table's; none for a code in neither.
bool kindOf(uint32_t code, int32_t* kind) {
    if (PropertyStruct* r = propFind(code, true)) {
        *kind = r->kind;
        propUnlock(r);
        return true;
    }
    if (const PropertyNameStruct* row = fujiPropertyRow(code)) {
        *kind = row->kind;
        return true;
    }
    return false;
}

// The text of a value of a text-valued property: the size text for 0x5003, else the allowed value's name.
bool textOfValue(uint32_t code, uint32_t value, std::string* text) {
    if (code == 0x5003) {
        const char* size = fujiImageSizeText(value);
        if (!size) return false;
        *text = size;
        return true;
    }
    PropertyCopy r = propCopyValues(code);
    if (!r) return false;
    for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
        if (r->values[i].value == value) {
            *text = r->values[i].name;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> valueBytes(int32_t kind, uint32_t value) {
    size_t size = kind == 0 ? 4 : ptpValueSize(kind);
    std::vector<uint8_t> out;
    uint64_t wide = value;
    for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(wide >> (8 * i)));
    return out;
}

bool isLocalCode(uint32_t code) { return code >= 0xEEE0 && code <= kFujiSentinelCode; }

bool isExposureDependent(uint32_t code) { return code == 0x5010 || code == 0x500D || code == 0x5007; }

// Whether the record of an exposure-dependent code can be set in the exposure program.
bool settableIn(uint32_t code, uint32_t program) {
    if (code == 0x5010) return camExposureCompSettable(program);
    if (code == 0x500D) return camShutterSettable(program);
    return camApertureSettable(program);
}

void setEnabled(uint32_t code, bool enabled) {
    if (PropertyStruct* r = propFind(code, true)) {
        r->enabled = enabled ? 1 : 0;
        propUnlock(r);
    }
}
}  // namespace

std::vector<uint8_t> fujiPtpString(const std::string& text) {
    size_t units = text.size() + 1;
    if (text.empty() || units > kFujiMaxTextUnits) return {};
    std::vector<uint8_t> out;
    out.push_back(static_cast<uint8_t>(units));
    for (unsigned char c : text) {
        out.push_back(c);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

ResponseCode fujiOpenSession() {
    fujiState().liveViewOn = false;
    fujiState().liveViewRestart = false;
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (!r || !propLock(r)) continue;
        propFreeValueList(r);
        propUnlock(r);
    }
    fujiCreateProperties();
    propSet(0xD20C, 1, true);  // recording to the card is what the session needs; a camera that refuses still works
    return PTP_RC_OK;
}

void fujiCreateProperties() {
    propStoreClear();
    size_t count = 0;
    const uint32_t* codes = fujiCreationCodes(&count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t code = codes[i];
        PropertyStruct* r = propCreate(code, false, true);
        if (!r) return;  // the store is full
        if (isLocalCode(code)) {
            propLock(r);
            r->kind = PTP_DTC_INT32;
            r->enabled = 0;
            r->name = propNameTableEntry(code);
            propUnlock(r);
            continue;
        }
        if (!propRefreshDesc(r)) {
            propRemoveLast(r);
            continue;
        }
        // Outside PC priority the camera takes no sets from the computer, whatever its descriptions say.
        if (!fujiState().pcPriority) {
            propLock(r);
            r->enabled = 0;
            propUnlock(r);
        }
    }
}

ResponseCode fujiSetPriorityMode(bool on) {
    ResponseCode rc = fujiSetProperty(0xD207, on ? 2 : 1);
    if (rc != PTP_RC_OK) return rc;
    fujiState().pcPriority = on;
    fujiRefreshAllProperties();
    return rc;
}

ResponseCode fujiSetProperty(uint32_t code, uint32_t value) {
    int32_t kind = 0;
    if (!kindOf(code, &kind)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    uint8_t model = camModelIndex();
    if (fujiState().liveViewOn && model != 35 && model != 36 && model != 37) {
        ResponseCode rc = fujiSetLiveView(false);
        if (rc != PTP_RC_OK) return rc;
        fujiState().liveViewRestart = true;
    }
    if (kind == kPropKindText) {
        std::string text;
        if (!textOfValue(code, value, &text)) return ERROR_INVALID_INPUT;
        return fujiSetTextProperty(code, text.c_str());
    }
    return sendValue(code, valueBytes(kind, value));
}

ResponseCode fujiSetTextProperty(uint32_t code, const char* text) {
    if (code > 0xFFFF || !ptpSessionDeviceInfo().devicePropertiesSupported.contains(static_cast<uint16_t>(code)))
        return PTP_ERROR_UNSUPPORTED_COMMAND;
    if (!text || !*text) return ERROR_INVALID_INPUT;
    std::vector<uint8_t> data = fujiPtpString(text);
    if (data.empty()) return ERROR_INVALID_INPUT;  // longer than the camera's strings can be
    return sendValue(code, data);
}

ResponseCode fujiGetPropValue(uint32_t code, HeapBlock* data) {
    if (!data) return ERROR_INVALID_INPUT;
    return ptpTransaction(kGetDevicePropValue, {code}, data);
}

ResponseCode fujiGetPropDesc(uint32_t code, HeapBlock* data) {
    if (!data) return ERROR_INVALID_INPUT;
    return ptpTransaction(kGetDevicePropDesc, {code}, data);
}

bool fujiConfirmValue(uint32_t code, uint32_t value) {
    for (int round = 0; round < kFujiConfirmRounds; ++round) {
        if (camGetPropertyNow(code) != PTP_RC_OK) return false;
        uint32_t now = 0;
        if (fujiPropertyValue(code, &now) && now == value) return true;
        std::this_thread::sleep_for(engineWait(engine_timing::kFujiConfirmInterval));
    }
    return false;
}

PropertyStruct* fujiApplyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return nullptr;
    bool text = r->kind == kPropKindText;
    if (text) {
        // The record is read again from the camera, never while its lock is held.
        propUnlock(r);
        camGetPropertyNow(code);
        if (!propLock(r) || r->code.load() != code) {
            propUnlock(r);
            return nullptr;
        }
    } else {
        r->value = value;
        propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(code, value));
    }
    r->enabled = fujiState().pcPriority ? enabled : 0;
    propUnlock(r);
    return r;
}

bool fujiRefreshProperty(uint32_t code) {
    PropertyStruct* r = propFind(code);
    if (!r) return false;
    if (!propRefreshDesc(r)) {
        // A description that failed to parse may have rewritten part of the record, its settable flag among them:
        // without PC priority nothing is settable from here, whatever the reply said.
        if (!fujiState().pcPriority) setEnabled(code, false);
        return false;
    }
    uint32_t program = 0;
    bool haveProgram = fujiPropertyValue(0x500E, &program);
    if (isExposureDependent(code)) {
        setEnabled(code, haveProgram && settableIn(code, program));
        if (code == 0x5007) fujiApertureList();
    } else if (code == 0x500E) {
        for (uint32_t dependent : {0x5010u, 0x500Du, 0x5007u}) {
            setEnabled(dependent, haveProgram && settableIn(dependent, program));
            camQueuePropertyChanged(dependent);
        }
    }
    if (!fujiState().pcPriority) setEnabled(code, false);
    camQueuePropertyChanged(code);
    return true;
}

ResponseCode fujiRefreshAllProperties() {
    for (size_t i = 0; i < propCount(); ++i) {
        PropertyStruct* r = propAt(i);
        if (!r) return ERROR_GENERAL;
        // The focus-frame records are the device's own: the camera has no description of them to read.
        uint32_t code = r->code.load();
        if (isLocalCode(code)) continue;
        if (!fujiRefreshProperty(code)) return ERROR_GENERAL;
    }
    return PTP_RC_OK;
}

std::vector<PropertyValueNamesStruct> fujiParseApertures(const char* text) {
    std::vector<PropertyValueNamesStruct> out;
    if (!text) return out;
    const char* p = text;
    while (*p) {
        char* end = nullptr;
        long number = std::strtol(p, &end, 10);
        if (end == p) {  // not a number: skip to the next field
            const char* comma = std::strchr(p, ',');
            if (!comma) break;
            p = comma + 1;
            continue;
        }
        if (number > 0) {
            PropertyValueNamesStruct e{};
            e.value = static_cast<uint32_t>(number);
            std::snprintf(e.name, sizeof e.name, "%.1f", static_cast<double>(number) / 100.0);
            out.push_back(e);
        }
        p = end;
        if (*p == ',') ++p;
        else if (*p) {
            const char* comma = std::strchr(p, ',');
            if (!comma) break;
            p = comma + 1;
        }
    }
    return out;
}

ResponseCode fujiApertureList() {
    fujiSetProperty(0xD38C, 1);
    HeapBlock data;
    ResponseCode rc = fujiGetPropValue(0xD38D, &data);
    if (rc != PTP_RC_OK) return rc;
    char text[129];
    if (ptpReadString(data.data(), data.size(), text, sizeof text) == 0) return ERROR_PARSE;
    std::vector<PropertyValueNamesStruct> entries = fujiParseApertures(text);
    PropertyStruct* r = propFind(0x5007, true);
    if (!r) return ERROR_GENERAL;
    // As many entries as the lens names (the text is at most 128 characters, so at most 64 of them).
    propSetValueList(r, entries.data(), static_cast<uint16_t>(entries.size()));
    propUnlock(r);
    return PTP_RC_OK;
}

ResponseCode fujiReadFocalLength(int32_t* millimetres) {
    if (!millimetres) return ERROR_INVALID_INPUT;
    if (!propExists(0xD38E)) return ERROR_BAD_PACKET;
    camGetPropertyNow(0xD38E);
    PropertyCopy r = propCopyValues(0xD38E);
    if (!r) return ERROR_BAD_PACKET;
    int wide = 0, current = 0;
    if (std::sscanf(r->valueText, "%d,%d", &wide, &current) != 2) return ERROR_BAD_PACKET;
    *millimetres = current / 100;
    return PTP_RC_OK;
}

uint64_t fujiExposureMicroseconds(uint32_t value) {
    constexpr uint32_t kLongBase = 64000000;
    static const uint64_t kLongSeconds[] = {120, 240, 480, 900, 1800, 3600};
    if (value == 0xFFFFFFFFu) return 0;  // Bulb: the exposure lasts until the release
    if (value > kLongBase && value <= kLongBase + 180 && (value - kLongBase) % 30 == 0)
        return kLongSeconds[(value - kLongBase) / 30 - 1] * 1000000ull;
    return value;
}
