#include "engine/ptp/property_values.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/link/byte_order.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/vendor_module.h"

namespace {
bool isSignedKind(int32_t kind) {
    return kind == PTP_DTC_INT8 || kind == PTP_DTC_INT16 || kind == PTP_DTC_INT32 || kind == PTP_DTC_INT64;
}

bool isNumericKind(int32_t kind) { return kind >= PTP_DTC_INT8 && kind <= PTP_DTC_UINT64; }

std::string decimal(uint32_t value) { return std::to_string(static_cast<int32_t>(value)); }

// Bytes a PTP string takes at data (1 + 2n, 1 when empty), or 0 when it does not fit in `length`.
size_t ptpStringSize(const uint8_t* data, size_t length) {
    if (length == 0) return 0;
    size_t n = data[0];
    if (n == 0) return 1;
    return 2 * n < length ? 1 + 2 * n : 0;
}

// A whole value of a kind read as 64 bits: sign-extended for signed kinds, zero-extended otherwise.
int64_t readWide(int32_t kind, const uint8_t* p) {
    switch (kind) {
        case PTP_DTC_INT8: return static_cast<int8_t>(p[0]);
        case PTP_DTC_UINT8: return p[0];
        case PTP_DTC_INT16: return static_cast<int16_t>(readLe16(p));
        case PTP_DTC_UINT16: return readLe16(p);
        case PTP_DTC_INT32: return static_cast<int32_t>(readLe32(p));
        case PTP_DTC_UINT32: return readLe32(p);
        default: return static_cast<int64_t>(readLe64(p));
    }
}

// The mirrorless Nikon set, whose models keep the focus-mode value 4 in their lists.
bool modelFeatureTest() {
    uint8_t m = camModelIndex();
    return (m >= 220 && m <= 222) || (m >= 225 && m <= 233) || m == 240;
}

// The Nikon ISO table groups: the first group that holds the model index gives the table for its codes.
struct IsoGroup {
    std::initializer_list<uint8_t> models;
    bool usesCode500F;  // every group uses 0xD0B4 and (but the first) 0xD1AA; some also 0x500F
    bool usesCodeD1AA;
};
const IsoGroup kNikonIsoGroups[] = {
    {{199}, true, false},
    {{200, 209, 212, 223}, true, true},
    {{208, 210}, true, true},
    {{219}, false, true},
    {{220, 222, 240}, false, true},
    {{221, 227, 228, 230}, false, true},
    {{225, 226, 229, 231}, false, true},
    {{232, 233}, false, true},
    {{211, 213, 214, 218}, true, true},
    {{215, 224}, false, true},
    {{216, 217}, false, true},
};

bool nikonNewerQualityModel(uint8_t m) { return (m >= 215 && m <= 217) || (m >= 219 && m <= 233) || m == 240; }

// Nikon's own value-name table for a code, or none.
const PropertyValueNamesStruct* nikonValueNames(NikonModule* nikon, uint32_t code) {
    if (!nikon) return nullptr;
    uint8_t model = camModelIndex();
    if (code == 0x500F || code == 0xD0B4 || code == 0xD1AA) {
        for (size_t g = 0; g < std::size(kNikonIsoGroups); ++g) {
            const IsoGroup& group = kNikonIsoGroups[g];
            bool inGroup = false;
            for (uint8_t m : group.models) inGroup = inGroup || m == model;
            if (!inGroup) continue;
            bool uses = code == 0xD0B4 || (code == 0x500F && group.usesCode500F) ||
                        (code == 0xD1AA && group.usesCodeD1AA);
            return uses ? nikon->isoValueNames(static_cast<int>(g)) : nullptr;
        }
    }
    if (code == 0x5004 && nikonNewerQualityModel(model)) return nikon->alternativeQualityNames();
    return nullptr;
}

// Stores a raw value into a record whose mutex the caller holds. False when the bytes do not hold the value.
bool updateLocked(PropertyStruct* r, const uint8_t* data, size_t length) {
    uint32_t code = r->code.load();
    if (r->kind == kPropKindText) {
        size_t size = ptpStringSize(data, length);
        if (size == 0) return false;
        ptpReadString(data, length, r->valueText, sizeof r->valueText);
        FujiModule* fuji = camIsFuji() ? vendorFuji() : nullptr;
        if (code == 0x5003 && camIsFuji()) {
            if (fuji) r->value = fuji->imageSizeIndex(r->valueText);
        } else {
            for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
                if (std::strncmp(r->values[i].name, r->valueText, sizeof r->values[i].name) == 0) {
                    r->value = r->values[i].value;
                    break;
                }
            }
        }
        return true;
    }
    size_t need = ptpValueSize(r->kind);
    if (need == 0) need = 4;  // a record of unknown kind takes the first uint32
    if (!data || length < need) return false;
    uint32_t value = 0;
    ptpReadValue(r->kind == 0 || !isNumericKind(r->kind) ? PTP_DTC_UINT32 : r->kind, data, length, &value);
    if (code == 0xD16A && camIsNikon()) value = value == 0 ? 1 : 0;
    r->value = value;
    propCopyText(r->valueText, sizeof r->valueText, propFormatValueOrNumber(code, value));
    return true;
}

// The name of one listed value of a range, by the vendor's naming rule.
std::string rangeEntryName(uint32_t code, uint32_t value) {
    if (camIsNikon() && code != 0x5018 && code != 0xD01E && code != 0xD1B4) return propFormatValueOrNumber(code, value);
    return decimal(value);
}

// Builds the list of a range (or keeps a long one as a range). False when memory runs out.
bool buildRange(PropertyStruct* r, const uint8_t* p, size_t size) {
    int32_t kind = r->kind;
    int64_t lo = readWide(kind, p), hi = readWide(kind, p + size), step = readWide(kind, p + 2 * size);
    uint32_t code = r->code.load();
    if (hi == lo || step == 0) return true;
    if (camIsNikon() && code == 0xD1B1) return true;
    // Entries beyond the first, counted in 64 bits by the kind's signedness.
    uint64_t spanSteps;
    if (isSignedKind(kind)) {
        if (hi < lo || step < 0) return true;
        spanSteps = (static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo)) / static_cast<uint64_t>(step);
    } else {
        uint64_t ulo = static_cast<uint64_t>(lo), uhi = static_cast<uint64_t>(hi), ustep = static_cast<uint64_t>(step);
        if (uhi < ulo) return true;
        spanSteps = (uhi - ulo) / ustep;
    }
    r->form = kPropFormRange;
    r->rangeMin = lo;
    r->rangeMax = hi;
    r->rangeStep = step;
    if (spanSteps + 1 > kPropMaxListedRange) return true;  // kept as a range
    uint16_t count = static_cast<uint16_t>(spanSteps + 1);
    r->values.reset(new (std::nothrow) PropertyValueNamesStruct[count]);
    if (!r->values) return false;
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t v = static_cast<uint32_t>(static_cast<uint64_t>(lo) + static_cast<uint64_t>(i) * static_cast<uint64_t>(step));
        r->values[i].value = v;
        propCopyText(r->values[i].name, sizeof r->values[i].name, rangeEntryName(code, v));
    }
    r->valueCount = count;
    return true;
}

// Builds the list of an enumeration. False when the data is cut short or memory runs out.
bool buildEnumeration(PropertyStruct* r, const uint8_t* p, size_t length, size_t size) {
    if (length < 2) return false;
    uint16_t count = readLe16(p);
    p += 2;
    length -= 2;
    bool text = r->kind == kPropKindText;
    // Each entry takes at least one byte (text) or its size: refuse a count the data cannot hold before allocating.
    if (static_cast<uint64_t>(count) * (text ? 1 : size) > length) return false;
    if (count == 0) return true;
    std::unique_ptr<PropertyValueNamesStruct[]> list(new (std::nothrow) PropertyValueNamesStruct[count]);
    if (!list) return false;
    uint32_t code = r->code.load();
    FujiModule* fuji = camIsFuji() ? vendorFuji() : nullptr;
    for (uint16_t i = 0; i < count; ++i) {
        PropertyValueNamesStruct& e = list[i];
        std::memset(&e, 0, sizeof e);
        if (text) {
            size_t used = ptpStringSize(p, length);
            if (used == 0) return false;
            ptpReadString(p, length, e.name, sizeof e.name);
            e.value = i;
            if (code == 0x5003 && camIsFuji()) e.value = fuji ? fuji->imageSizeIndex(e.name) : 0xFFFF;
            if (std::strncmp(e.name, r->valueText, sizeof e.name) == 0) r->value = e.value;
            p += used;
            length -= used;
        } else {
            ptpReadValue(r->kind, p, length, &e.value);
            propCopyText(e.name, sizeof e.name, propFormatValueOrNumber(code, e.value));
            p += size;
            length -= size;
        }
    }
    r->values = std::move(list);
    r->valueCount = count;
    return true;
}

// Removes the listed values that `drop` selects, keeping the order of the others.
template <class Drop>
void removeValues(PropertyStruct* r, Drop drop) {
    uint16_t kept = 0;
    for (uint16_t i = 0; i < r->valueCount; ++i)
        if (!drop(r->values[i].value)) r->values[kept++] = r->values[i];
    r->valueCount = kept;
    if (kept == 0) r->values.reset();
}

// Nikon's adjustments of a freshly parsed description.
void nikonAdjust(PropertyStruct* r) {
    NikonModule* nikon = vendorNikon();
    uint32_t code = r->code.load();
    uint8_t model = camModelIndex();
    bool clientMode = nikon && nikon->clientMode();
    if (code == 0xD01E && nikon && nikon->convertsColourTemperature()) {
        r->value = nikon->convertColourTemperature(r->value);
        propCopyText(r->valueText, sizeof r->valueText, decimal(r->value));
        for (uint16_t i = 0; i < r->valueCount; ++i) {
            r->values[i].value = nikon->convertColourTemperature(r->values[i].value);
            propCopyText(r->values[i].name, sizeof r->values[i].name, decimal(r->values[i].value));
        }
    }
    if (code == 0xD0B4 && model == 229) r->enabled = clientMode ? 1 : 0;
    if (code == 0xD061 || code == 0xD161) {
        bool keepFour = clientMode || modelFeatureTest();
        bool dropTwo = false;
        if (code == 0xD161)
            for (uint8_t m : {196, 200, 209, 210, 211, 215, 216, 219, 224}) dropTwo = dropTwo || m == model;
        removeValues(r, [&](uint32_t v) { return v == 3 || (v == 4 && !keepFour) || (v == 2 && dropTwo); });
        if (r->value == 3) r->enabled = 0;
    }
}
}  // namespace

size_t ptpValueSize(int32_t kind) {
    switch (kind) {
        case PTP_DTC_INT8:
        case PTP_DTC_UINT8: return 1;
        case PTP_DTC_INT16:
        case PTP_DTC_UINT16: return 2;
        case 0:
        case PTP_DTC_INT32:
        case PTP_DTC_UINT32: return 4;
        case PTP_DTC_INT64:
        case PTP_DTC_UINT64: return 8;
        default: return 0;
    }
}

size_t propValueSize(const PropertyStruct* record) {
    if (!record) return 0;
    if (record->kind == kPropKindText) return strnlen(record->valueText, sizeof record->valueText);
    return ptpValueSize(record->kind);
}

size_t ptpReadValue(int32_t kind, const uint8_t* data, size_t length, uint32_t* value) {
    if (!data) return 0;
    if (kind == kPropKindText) return ptpStringSize(data, length);
    size_t size = ptpValueSize(kind);
    if (kind == 0 || size == 0 || length < size) return 0;
    uint32_t v = 0;
    switch (size) {
        case 1: v = data[0]; break;
        case 2: v = readLe16(data); break;
        default: v = readLe32(data); break;  // 64-bit kinds: the low 32 bits
    }
    if (value) *value = v;
    return size;
}

bool propParseDesc(PropertyStruct* r, const uint8_t* d, size_t length) {
    if (!r || !d) return false;
    std::lock_guard<std::recursive_mutex> lock(r->mutex);
    if (length < 5) return false;
    int32_t type = readLe16(d + 2);
    bool text = type == kPropKindText;
    if (!text && !isNumericKind(type)) return false;
    size_t off = 5;
    size_t size = text ? ptpStringSize(d + off, length - off) : ptpValueSize(type);
    if (size == 0) return false;
    uint32_t code = r->code.load();
    r->kind = type;
    r->enabled = d[4];
    r->name = propNameTableEntry(code);
    off += size;  // factory default
    if (off > length) return false;

    // The list is rebuilt from scratch; the current value is looked up in it afterwards for text.
    r->values.reset();
    r->valueCount = 0;
    r->form = kPropFormNone;
    r->rangeMin = r->rangeMax = r->rangeStep = 0;

    size_t currentSize = text ? ptpStringSize(d + off, length - off) : size;
    if (currentSize == 0 || !updateLocked(r, d + off, length - off)) return false;
    off += currentSize;
    if (off >= length) return true;  // no form flag: no list
    uint8_t form = d[off++];
    bool ok = true;
    if (form == kPropFormEnumeration) {
        r->form = kPropFormEnumeration;
        ok = buildEnumeration(r, d + off, length - off, size);
    } else if (form == kPropFormRange && !text) {
        ok = off + 3 * size <= length && buildRange(r, d + off, size);
    }
    if (!ok) {
        r->values.reset();
        r->valueCount = 0;
        return false;
    }
    if (camIsNikon()) nikonAdjust(r);
    return true;
}

int propUpdateValue(uint32_t code, const uint8_t* data, size_t length) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return -1;
    bool ok = updateLocked(r, data, length);
    propUnlock(r);
    return ok ? propIndexOf(r) : -1;
}

std::optional<std::string> propFormatValue(uint32_t code, uint32_t value) {
    const PropertyValueNamesStruct* table = nullptr;
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (FujiModule* m = vendorFuji())
                if (auto own = m->formatValueText(code, value)) return own;
            break;
        case VENDOR_SONY:
            if (SonyModule* m = vendorSony())
                if (auto own = m->formatValueText(code, value)) return own;
            break;
        case VENDOR_CANON:
            if (CanonModule* m = vendorCanon()) table = m->valueNamesFor(code);
            break;
        case VENDOR_NIKON:
            if (code == 0xD0B5) return "ISO " + decimal(value);
            table = nikonValueNames(vendorNikon(), code);
            break;
        default: break;
    }
    if (!table) {
        const PropertyNameStruct* row = propNameEntry(code);
        if (!row || !row->valueNames) return std::nullopt;
        table = row->valueNames;
    }
    if (const char* name = propValueNameInTable(table, value)) return std::string(name);
    return decimal(value);
}

std::string propFormatValueOrNumber(uint32_t code, uint32_t value) {
    std::optional<std::string> text = propFormatValue(code, value);
    return text ? *text : decimal(value);
}

bool propValueAllowed(uint32_t code, uint32_t value) {
    if (camIsCanon() && (code == 0xD055 || code == 0xD1B0)) return true;
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    bool allowed = false;
    if (r->kind == PTP_DTC_INT16 || r->kind == PTP_DTC_UINT16) value &= 0xFFFF;
    if (r->kind == PTP_DTC_INT8 || r->kind == PTP_DTC_UINT8) value &= 0xFF;
    if (r->valueCount == 0 && r->form == kPropFormRange && r->rangeStep != 0) {
        // A range too long to list: within the bounds and on a step, read by the kind's signedness.
        if (isSignedKind(r->kind)) {
            int64_t v = r->kind == PTP_DTC_INT8    ? static_cast<int8_t>(value)
                        : r->kind == PTP_DTC_INT16 ? static_cast<int16_t>(value)
                                                   : static_cast<int32_t>(value);
            allowed = v >= r->rangeMin && v <= r->rangeMax && (v - r->rangeMin) % r->rangeStep == 0;
        } else {
            uint64_t v = value, lo = static_cast<uint64_t>(r->rangeMin), hi = static_cast<uint64_t>(r->rangeMax);
            allowed = v >= lo && v <= hi && (v - lo) % static_cast<uint64_t>(r->rangeStep) == 0;
        }
    } else if (r->valueCount == 0 || r->valueCount == 255) {
        allowed = true;
    } else {
        for (uint16_t i = 0; i < r->valueCount && !allowed; ++i) allowed = r->values[i].value == value;
    }
    propUnlock(r);
    return allowed;
}
