#include "engine/vendors/canon/canon_events.h"

#include <cstring>
#include <new>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/canon/canon_image_format.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/canon/canon_state.h"

namespace {
constexpr uint32_t kFocusMode = 0xD108;
constexpr uint32_t kEvfOutput = 0xD1B0;
constexpr uint32_t kBracketing = 0xD1D9;
constexpr size_t kRecordHeader = 8;
constexpr size_t kTextValueMax = 63;
constexpr size_t kDeferredBytesMax = 256;  // more than any value a property has

bool isImageFormatCode(uint32_t code) { return code >= 0xD120 && code <= 0xD123; }

// A value whose record did not exist yet when it arrived.
struct Deferred {
    uint32_t code;
    std::vector<uint8_t> bytes;
};

void queueProperty(PropertyStruct* record, uint32_t code) { camPushEvent(camMakePropertyEvent(record, code), false); }

void queueObjectAdded(const PtpObjectInfoStruct& info) {
    CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
    e.objectInfo = info;
    camPushEvent(e, false);
}

void queueHandle(uint32_t code, uint32_t handle) {
    CameraEvent e = camMakeEvent(code);
    e.objectHandle = handle;
    camPushEvent(e, false);
}

void setName(PropertyValueNamesStruct* row, uint32_t code, uint32_t value) {
    std::memset(row->name, 0, sizeof row->name);
    propCopyText(row->name, sizeof row->name, propFormatValueOrNumber(code, value));
    row->value = value;
}

// The list built for a record from the event's values (outside any lock).
struct AllowedList {
    std::vector<PropertyValueNamesStruct> rows;
    bool complete = false;  // the data held every value the count announced
};

AllowedList readAllowedValues(uint32_t code, const uint8_t* values, size_t available, uint16_t count) {
    AllowedList list;
    if (isImageFormatCode(code)) {
        // Camera records one after another; one that cannot be packed ends the list there.
        size_t off = 0;
        for (uint16_t i = 0; i < count; ++i) {
            uint32_t packed = 0;
            int used = canonImageFormatPack(values + off, available - off, &packed);
            if (!canonImageFormatPacked(used)) break;
            off += static_cast<size_t>(used);
            list.rows.emplace_back();
            setName(&list.rows.back(), code, packed);
        }
        list.complete = true;
        return list;
    }
    if (static_cast<uint64_t>(count) * 4 > available) return list;
    list.rows.resize(count);
    for (uint16_t i = 0; i < count; ++i) setName(&list.rows[i], code, readLe32(values + 4 * static_cast<size_t>(i)));
    list.complete = true;
    return list;
}

// The bracketing steps of the Exposure Bracketing names that a camera without its own list gets.
std::vector<PropertyValueNamesStruct> bracketSteps(bool halfStops) {
    static const uint32_t kHalf[] = {0, 4, 8, 0x0C, 0x10, 0x14, 0x18};
    static const uint32_t kThird[] = {0, 3, 5, 8, 0x0B, 0x0D, 0x10, 0x13, 0x15, 0x18};
    std::vector<PropertyValueNamesStruct> rows;
    const PropertyValueNamesStruct* names = canonExposureBracketNames();
    auto add = [&](uint32_t v) {
        PropertyValueNamesStruct row{};
        propCopyText(row.name, sizeof row.name, canonValueName(names, v));
        row.value = v;
        rows.push_back(row);
    };
    if (halfStops) {
        for (uint32_t v : kHalf) add(v);
    } else {
        for (uint32_t v : kThird) add(v);
    }
    return rows;
}

void allowedValues(const uint8_t* rec, size_t recLen) {
    if (recLen < 20) return;
    uint32_t code = readLe32(rec + 8);
    uint16_t count = readLe16(rec + 16);
    const PropertyNameStruct* row = canonPropertyEntry(code);
    uint8_t model = camModelIndex();

    // What the record will hold, worked out before its lock is taken (the tests read other records).
    AllowedList list;
    bool substitute = false;
    if (row) {
        list = readAllowedValues(code, rec + 20, recLen - 20, count);
        substitute = model == 230 && code == kBracketing && (count == 0 || !list.complete) &&
                     canonBracketingUsable(false);
        if (substitute) list.rows = bracketSteps(canonExposureStepKind() == 2);
    }

    PropertyStruct* r = propFind(code, true);
    if (!r) r = propCreate(code, true, true);
    if (!r) return;  // the store is full: this property is skipped
    propFreeValueList(r);
    if (!row) {
        propUnlock(r);
        return;  // a code the table does not know: no list, no event
    }
    r->name = row->name;
    r->kind = canonEventValueType(code);
    r->enabled = code == kFocusMode ? 0 : 1;
    if (substitute) {
        propSetValueList(r, list.rows.data(), static_cast<uint16_t>(list.rows.size()));
        r->enabled = 1;
    } else if (count == 0) {
        r->enabled = 0;
    } else if (list.complete) {
        r->enabled = count > 1 ? 1 : 0;
        if (count == 1 && (code == 0xD101 || code == 0xD102) && model >= 245 && model <= 250) {
            r->value = 0;
            propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(code, 0));
        }
        if (!list.rows.empty())
            propSetValueList(r, list.rows.data(), static_cast<uint16_t>(list.rows.size()));
    }
    propUnlock(r);
    queueProperty(r, code);
}

bool deferValue(std::vector<Deferred>& work, uint32_t code, const uint8_t* bytes, size_t length) {
    size_t n = length < kDeferredBytesMax ? length : kDeferredBytesMax;
    for (Deferred& d : work) {
        if (d.code == code) {
            d.bytes.assign(bytes, bytes + n);
            return true;
        }
    }
    if (work.size() >= kCanonDeferredValues) return true;  // dropped
    work.push_back({code, std::vector<uint8_t>(bytes, bytes + n)});
    return true;
}

void propertyValue(const uint8_t* rec, size_t recLen, std::vector<Deferred>& work) {
    if (recLen < 12) return;
    uint32_t code = readLe32(rec + 8);
    const uint8_t* bytes = rec + 12;
    size_t length = recLen - 12;
    uint8_t packed[4];
    if (isImageFormatCode(code)) {
        uint32_t value = 0;
        if (!canonImageFormatPacked(canonImageFormatPack(bytes, length, &value))) return;
        writeLe32(packed, value);
        bytes = packed;
        length = 4;
    }
    if (canonApplyPropertyValue(code, bytes, length)) {
        queueProperty(propFind(code), code);
        return;
    }
    deferValue(work, code, bytes, length);
}

// A property the camera reports only by value: created as a u16 record with its fixed list.
void createFromValue(uint32_t code, const std::vector<uint8_t>& bytes, const std::vector<uint32_t>& values,
                     const PropertyValueNamesStruct* names, bool enabled) {
    if (bytes.size() < 2) return;
    uint32_t value = readLe16(bytes.data());
    PropertyStruct* r = propCreate(code, true, true);
    if (!r) return;
    const PropertyNameStruct* row = canonPropertyEntry(code);
    r->name = row ? row->name : nullptr;
    r->kind = PTP_DTC_UINT16;
    r->value = value;
    propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(code, value));
    std::vector<PropertyValueNamesStruct> list;
    for (uint32_t v : values) {
        PropertyValueNamesStruct e{};
        if (const char* n = names ? canonValueName(names, v) : nullptr) {
            propCopyText(e.name, sizeof e.name, n);
            e.value = v;
        } else {
            setName(&e, code, v);
        }
        list.push_back(e);
    }
    propSetValueList(r, list.data(), static_cast<uint16_t>(list.size()));
    r->enabled = enabled ? 1 : 0;
    propUnlock(r);
}

void applyDeferred(const std::vector<Deferred>& work) {
    CanonModelFacts facts = canonModelFacts();
    uint8_t model = camModelIndex();
    for (const Deferred& d : work) {
        if (canonApplyPropertyValue(d.code, d.bytes.data(), d.bytes.size())) {
            queueProperty(propFind(d.code), d.code);
            continue;
        }
        if (d.code == kFocusMode && (facts.newRaw || model == 227)) {
            createFromValue(kFocusMode, d.bytes, {0, 1, 2, 3}, canonFocusModeNames(), false);
        } else if (d.code == kEvfOutput && model >= 250 && model <= 252) {
            createFromValue(kEvfOutput, d.bytes, {0, 1, 2, 3}, nullptr, true);
        }
    }
}

void objectAdded(const uint8_t* rec, size_t recLen, bool ptpStringName) {
    size_t nameAt = ptpStringName ? 48 : 44;
    if (recLen < nameAt) return;
    PtpObjectInfoStruct info{};
    info.objectId = readLe32(rec + 8);
    info.objectFormat = readLe16(rec + 16);
    info.objectCompressedSize = readLe32(rec + 28);
    const uint8_t* name = rec + nameAt;
    size_t room = recLen - nameAt;
    if (ptpStringName) {
        ptpReadString(name, room, info.fileName, sizeof info.fileName);
    } else {
        size_t n = strnlen(reinterpret_cast<const char*>(name), room);
        if (n > sizeof info.fileName - 1) n = sizeof info.fileName - 1;
        std::memcpy(info.fileName, name, n);
        info.fileName[n] = '\0';
    }
    info.fileNameLength = static_cast<uint16_t>(std::strlen(info.fileName) + 1);
    queueObjectAdded(info);
}

void objectAddedFromCamera(const uint8_t* rec, size_t recLen) {
    if (recLen < 12) return;
    PtpObjectInfoStruct info{};
    if (camGetObjectInfo(readLe32(rec + 8), &info) == PTP_RC_OK) queueObjectAdded(info);
}

void queueOlc(uint8_t item, uint32_t value) {
    CameraEvent e = camMakeEvent(PTP_EC_CANON_OlcInfoChanged);
    e.olcInfo.item = item;
    e.olcInfo.value = value;
    camPushEvent(e, false);
}
}  // namespace

bool canonApplyPropertyValue(uint32_t code, const uint8_t* bytes, size_t length) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    if (r->kind == kPropKindText) {
        size_t n = bytes ? strnlen(reinterpret_cast<const char*>(bytes), length) : 0;
        if (n > kTextValueMax) n = kTextValueMax;
        std::memset(r->valueText, 0, sizeof r->valueText);
        if (n) std::memcpy(r->valueText, bytes, n);
    } else if (propUpdateValue(code, bytes, length) >= 0 && code == kFocusMode) {
        r->enabled = 0;
    }
    propUnlock(r);
    return true;
}

ResponseCode canonParseEvents(const uint8_t* data, size_t length) {
    if (!data || length == 0) return ERROR_INVALID_INPUT;
    std::vector<Deferred> work;
    try {
        work.reserve(16);
    } catch (const std::bad_alloc&) {
        return ERROR_NO_MEMORY;
    }
    try {
        size_t off = 0;
        while (length - off >= kRecordHeader) {
            const uint8_t* rec = data + off;
            uint32_t recLen = readLe32(rec);
            if (recLen < kRecordHeader || recLen > length - off) break;  // length 0, or beyond the block
            switch (readLe32(rec + 4)) {
                case kCanonEventObjectAddedInfo: objectAddedFromCamera(rec, recLen); break;
                case kCanonEventObjectAdded: objectAdded(rec, recLen, false); break;
                case kCanonEventObjectAddedEx: objectAdded(rec, recLen, true); break;
                case kCanonEventObjectRemoved:
                    if (recLen >= 12) queueHandle(PTP_EC_ObjectRemovedEvent, readLe32(rec + 8));
                    break;
                case kCanonEventQueued:
                case kCanonEventObjectChanged:
                    if (recLen >= 12) queueHandle(readLe32(rec + 4), readLe32(rec + 8));
                    break;
                case kCanonEventPropertyValue: propertyValue(rec, recLen, work); break;
                case kCanonEventAllowedValues: allowedValues(rec, recLen); break;
                case kCanonEventCameraStatus:
                    if (recLen >= 12) canonState().cameraBusy.store(readLe32(rec + 8) != 0);
                    break;
                case kCanonEventOlcInfo: canonParseOlcInfo(rec + kRecordHeader, recLen - kRecordHeader, recLen); break;
                default: break;
            }
            off += recLen;
        }
        applyDeferred(work);
    } catch (const std::bad_alloc&) {
        return ERROR_NO_MEMORY;
    }
    return PTP_RC_OK;
}

int32_t canonOlcExposureLevel(uint32_t raw) {
    static const struct {
        uint32_t raw;
        int32_t eighths;
    } kLevels[] = {
        {1, 8},          {2, 11},         {4, 13},          {6, 12},         {8, 16},         {16, 19},
        {32, 21},        {48, 20},        {64, 24},         {128, 99999},    {256, -13},      {512, -11},
        {768, -12},      {1024, -8},      {2048, -5},       {4096, -3},      {6144, -4},      {0x4000, 3},
        {0x8000, 5},     {0xC000, 4},     {0x80000, -99999}, {0x100000, -24}, {0x200000, -21}, {0x400000, -19},
        {0x600000, -20}, {0x800000, -16},
    };
    for (const auto& l : kLevels)
        if (l.raw == raw) return l.eighths;
    return 0;
}

ResponseCode canonParseOlcInfo(const uint8_t* block, size_t available, uint32_t recordLength) {
    if (!block || available < 4) return ERROR_INVALID_INPUT;
    uint32_t blockLength = readLe32(block);
    if (blockLength < 6 || blockLength > recordLength) return ERROR_INVALID_INPUT;
    // The block never reaches past the bytes received.
    const size_t limit = blockLength < available ? blockLength : available;
    if (limit < 8) return PTP_RC_OK;  // no item mask
    const uint32_t mask = readLe32(block + 4);
    size_t pos = (mask & 1) && blockLength > 8 ? 10 : 8;
    const uint8_t model = camModelIndex();
    const bool mirrorless = canonMirrorlessLayout(model), wide = canonWideLayout(model);
    bool truncated = false;
    auto byteAt = [&](size_t at) -> uint8_t {
        if (at >= limit) {
            truncated = true;
            return 0;
        }
        return block[at];
    };

    if ((mask & 0x2) && pos < limit) {
        uint8_t v = byteAt(pos + (wide ? 7 : 5));
        if (mirrorless && byteAt(pos) == 0) v = 0;
        if (truncated) return ERROR_INVALID_INPUT;
        queueOlc(2, v);
        pos += (wide ? 8 : 6) + (mirrorless ? 1 : 0) + (model == 232 ? 4 : 0);
    }
    if ((mask & 0x4) && pos < limit) {
        uint8_t v;
        if (mirrorless) {
            v = byteAt(pos) != 0 ? byteAt(pos + 7) : 0;
        } else {
            v = byteAt(pos + 4);
        }
        if (truncated) return ERROR_INVALID_INPUT;
        queueOlc(4, v);
        pos += mirrorless ? 9 : (model == 232 ? 6 : 5);
    }
    if ((mask & 0x8) && pos < limit) {
        uint8_t v = byteAt(pos + 3);
        if (truncated) return ERROR_INVALID_INPUT;
        queueOlc(8, v);
        pos += wide ? 5 : 4;
    }
    if (mask & 0x10) pos += wide ? 6 : 4;
    if (mask & 0x20) pos += 6;
    if (mask & 0x40) {
        if (byteAt(pos + 1) != 0) {
            uint8_t v = byteAt(pos + 2);
            if (truncated) return ERROR_INVALID_INPUT;
            queueOlc(0x40, v);
        }
        if (truncated) return ERROR_INVALID_INPUT;
        pos += 7;
    } else if ((mask & 0x200) && (model == 229 || wide)) {
        size_t at = pos + ((mask & 0x80) ? 4 : 0) + ((mask & 0x100) ? 7 : 0) + 2;
        uint32_t raw = byteAt(at) | (byteAt(at + 1) << 8) | (byteAt(at + 2) << 16);
        if (truncated) return ERROR_INVALID_INPUT;
        queueOlc(0x40, static_cast<uint32_t>(canonOlcExposureLevel(raw)));
    }
    return PTP_RC_OK;
}
