#include "engine/vendors/sony/sony_descriptors.h"

#include <cstring>
#include <string>

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/sony/sony_state.h"

namespace {

// A cursor over the descriptor's bytes that refuses to step past them.
class Reader {
public:
    Reader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    size_t at() const { return at_; }
    size_t left() const { return length_ - at_; }
    const uint8_t* here() const { return data_ + at_; }
    bool skip(size_t n) {
        if (n > left()) return false;
        at_ += n;
        return true;
    }
    bool u8(uint8_t* v) {
        if (left() < 1) return false;
        *v = data_[at_++];
        return true;
    }
    bool u16(uint16_t* v) {
        if (left() < 2) return false;
        *v = readLe16(data_ + at_);
        at_ += 2;
        return true;
    }
    // One value of a type: integers keep their low 32 bits (signed ones sign-extended into *wide); a text goes to
    // `text` through the PTP string reader.
    bool value(uint16_t type, uint32_t* v, int64_t* wide, char* text, size_t textSize) {
        if (type == kPropKindText) {
            char scratch[2];
            size_t used = ptpReadString(here(), left(), text ? text : scratch, text ? textSize : sizeof scratch);
            if (used == 0) return false;
            at_ += used;
            if (v) *v = 0;
            if (wide) *wide = 0;
            return true;
        }
        uint32_t raw = 0;
        size_t used = ptpReadValue(type, here(), left(), &raw);
        if (used == 0) return false;
        int64_t w = raw;
        switch (type) {
            case PTP_DTC_INT8: w = static_cast<int8_t>(raw); break;
            case PTP_DTC_INT16: w = static_cast<int16_t>(raw); break;
            case PTP_DTC_INT32: w = static_cast<int32_t>(raw); break;
            case PTP_DTC_INT64: w = static_cast<int64_t>(readLe64(here())); break;
            case PTP_DTC_UINT64: w = static_cast<int64_t>(readLe64(here()) & 0x7FFFFFFFFFFFFFFFull); break;
            default: break;
        }
        at_ += used;
        if (v) *v = raw;
        if (wide) *wide = w;
        return true;
    }

private:
    const uint8_t* data_;
    size_t length_;
    size_t at_ = 0;
};

bool knownType(uint16_t type) { return (type >= 1 && type <= 8) || type == kPropKindText; }

// The count of an enumeration of a display-only 0x500E, 0x5010 or 0xD203: these cameras put other words before it,
// so it is the first of the next five words from 10 to 50 (for 0xD203 the first that is not zero). The reader is
// left after the count.
bool quirkCount(Reader& r, uint16_t code, uint16_t* count) {
    for (int i = 0; i < 5; ++i) {
        uint16_t w;
        if (!r.u16(&w)) return false;
        if (code == 0xD203 ? w != 0 : (w >= 10 && w <= 50)) {
            *count = w;
            return true;
        }
    }
    return false;
}

bool readList(Reader& r, uint16_t type, uint16_t count, std::vector<uint32_t>* values) {
    // A list longer than its bytes is refused before anything is read from it.
    size_t each = type == kPropKindText ? 1 : ptpValueSize(type);
    if (each == 0 || static_cast<size_t>(count) * each > r.left()) return false;
    if (values) values->reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t v;
        if (!r.value(type, &v, nullptr, nullptr, 0)) return false;
        if (values) values->push_back(v);
    }
    return true;
}

std::string valueText(uint32_t code, uint32_t value) {
    if (auto own = sonyFormatValueText(code, value)) return *own;
    if (const char* name = sonyValueName(code, value)) return name;
    return std::to_string(value);
}

bool comparesLowByte(uint32_t code) { return code == 0x5004 || code == 0xD253; }

bool sameList(const PropertyStruct* rec, const std::vector<uint32_t>& values) {
    if (rec->form != kPropFormEnumeration || rec->valueCount != values.size() || !rec->values) return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (rec->values[i].value != values[i]) return false;
    return true;
}

// Allowed values of a record from its descriptor (the caller holds the record's lock).
void applyForm(PropertyStruct* rec, const SonyDescriptor& d, bool extended) {
    const uint16_t code = d.code;
    if (!extended && (code == 0xD20D || code == 0xD21E)) return;  // these keep the fixed lists of session open
    if (d.form == kPropFormEnumeration) {
        if (!sonyPropertyEntry(code)) return;
        if (sameList(rec, d.values)) return;  // a re-read of an unchanged list keeps the names it has
        std::vector<PropertyValueNamesStruct> list(d.values.size());
        for (size_t i = 0; i < d.values.size(); ++i) {
            propCopyText(list[i].name, sizeof list[i].name, valueText(code, d.values[i]));
            list[i].value = d.values[i];
        }
        propSetValueList(rec, list.data(), static_cast<uint16_t>(list.size()));
        rec->form = kPropFormEnumeration;
    } else if (d.form == kPropFormRange) {
        if (code == 0xD20F) {
            if (rec->valueCount == 0) {
                std::vector<PropertyValueNamesStruct> temps = sonyColourTemperatureList();
                propSetValueList(rec, temps.data(), static_cast<uint16_t>(temps.size()));
            }
            rec->form = kPropFormEnumeration;
            return;
        }
        // A range keeps its bounds; values are checked against them rather than against a list.
        propSetValueList(rec, nullptr, 0);
        rec->form = kPropFormRange;
        rec->rangeMin = d.rangeMin;
        rec->rangeMax = d.rangeMax;
        rec->rangeStep = d.rangeStep;
    }
}

ResponseCode parseAt(uint32_t code, const uint8_t* data, size_t length, bool queue) {
    bool changed = false;
    size_t used = 0;
    ResponseCode rc = sonyParseDescriptor(data, length, &changed, &used);
    if (rc != PTP_RC_OK) return rc;
    if (queue && changed) {
        PropertyStruct* rec = propFind(code);
        camPushEvent(camMakePropertyEvent(rec, code), false);
    }
    return PTP_RC_OK;
}

// Past the walkable descriptors, the code's two bytes followed by the type the record has (any type below 256 for a
// property not yet in the store).
ResponseCode scanFrom(uint32_t code, const uint8_t* data, size_t length, size_t from, bool queue) {
    int32_t kind = -1;
    if (PropertyStruct* r = propFind(code, true)) {
        kind = r->kind;
        propUnlock(r);
    }
    for (size_t p = from; length >= 6 && p <= length - 6; ++p) {
        if (readLe16(data + p) != (code & 0xFFFF)) continue;
        uint16_t type = readLe16(data + p + 2);
        if (kind >= 0 ? type != static_cast<uint16_t>(kind) : data[p + 3] != 0) continue;
        return parseAt(code, data + p, length - p, queue);
    }
    return kSonyPropertyNotFound;
}
}  // namespace

ResponseCode sonyReadDescriptor(const uint8_t* data, size_t length, bool extended, bool collect, SonyDescriptor* out) {
    if (!data || !out) return ERROR_INVALID_INPUT;
    Reader r(data, length);
    SonyDescriptor& d = *out;
    d = SonyDescriptor{};
    uint8_t ignored;
    if (!r.u16(&d.code) || !r.u16(&d.type) || !r.u8(&ignored) || !r.u8(&d.state)) return ERROR_INVALID_INPUT;
    if (!knownType(d.type)) return ERROR_INVALID_INPUT;
    int64_t wide = 0;
    if (!r.value(d.type, nullptr, nullptr, nullptr, 0)) return ERROR_INVALID_INPUT;  // factory default
    if (!r.value(d.type, &d.current, &wide, d.text, sizeof d.text)) return ERROR_INVALID_INPUT;
    uint8_t form = 0;
    if (!r.u8(&form)) return ERROR_INVALID_INPUT;
    if (form == kPropFormRange) {
        d.form = kPropFormRange;
        if (!r.value(d.type, nullptr, &d.rangeMin, nullptr, 0) || !r.value(d.type, nullptr, &d.rangeMax, nullptr, 0) ||
            !r.value(d.type, nullptr, &d.rangeStep, nullptr, 0))
            return ERROR_INVALID_INPUT;
    } else if (form == kPropFormEnumeration) {
        d.form = kPropFormEnumeration;
        uint16_t count = 0;
        bool quirk = d.state == 2 && (d.code == 0x500E || d.code == 0x5010 || d.code == 0xD203);
        if (quirk ? !quirkCount(r, d.code, &count) : !r.u16(&count)) return ERROR_INVALID_INPUT;
        if (!readList(r, d.type, count, collect ? &d.values : nullptr)) return ERROR_INVALID_INPUT;
        if (extended) {
            uint16_t second = 0;
            if (!r.u16(&second) || !readList(r, d.type, second, nullptr)) return ERROR_INVALID_INPUT;
        }
    }
    d.size = r.at();
    return PTP_RC_OK;
}

SonyDescriptorIndex sonyIndexDescriptors(const uint8_t* data, size_t length, bool extended) {
    SonyDescriptorIndex index;
    size_t off = 0;
    SonyDescriptor d;
    while (data && off < length) {
        if (sonyReadDescriptor(data + off, length - off, extended, false, &d) != PTP_RC_OK) break;
        index.entries.emplace_back(d.code, off);
        off += d.size;
    }
    index.end = off;
    return index;
}

ResponseCode sonyParseDescriptor(const uint8_t* data, size_t length, bool* changed, size_t* consumed) {
    const bool extended = sonyState().extendedFormat.load();
    SonyDescriptor d;
    ResponseCode rc = sonyReadDescriptor(data, length, extended, true, &d);
    if (rc != PTP_RC_OK) return rc;

    PropertyStruct* rec = propFind(d.code, true);
    bool created = false;
    if (!rec) {
        rec = propCreate(d.code, true);
        if (!rec) return ERROR_NO_MEMORY;
        created = true;
    }
    uint8_t state = d.state;
    if (d.code == 0x500E && sonyModelIn({167, 174, 175, 184})) state = 0;
    const uint8_t enabled = state == 1 ? 1 : 0;
    const uint32_t mask = comparesLowByte(d.code) ? 0xFF : 0xFFFFFFFF;
    const uint16_t oldCount = rec->valueCount;
    bool differs = created || rec->enabled != enabled || (rec->value & mask) != (d.current & mask);

    const PropertyNameStruct* row = sonyPropertyEntry(d.code);
    rec->name = row ? row->name : nullptr;
    rec->kind = static_cast<int32_t>(d.type);
    rec->enabled = enabled;
    if (d.type == kPropKindText) {
        rec->value = 0;
        propCopyText(rec->valueText, sizeof rec->valueText, d.text);
    } else {
        rec->value = d.current;
        propCopyText(rec->valueText, sizeof rec->valueText, row && (row->valueNames || sonyFormatValueText(d.code, d.current))
                                                                 ? valueText(d.code, d.current)
                                                                 : std::string());
    }
    if (d.code == 0xD254 && (d.type == PTP_DTC_INT64 || d.type == PTP_DTC_UINT64))
        sonyState().liveViewPosition = d.current;
    applyForm(rec, d, extended);
    differs = differs || rec->valueCount != oldCount;
    propUnlock(rec);

    if (sonyIsImageFormatPart(d.code)) sonyRebuildImageFormat();
    if (changed) *changed = differs;
    if (consumed) *consumed = d.size;
    return PTP_RC_OK;
}

ResponseCode sonyFindPropertyInData(uint32_t code, const uint8_t* data, size_t length, bool queue) {
    if (!data || length == 0) return PTP_RC_INVALID_PARAMETER;
    const bool extended = sonyState().extendedFormat.load();
    size_t off = 0;
    SonyDescriptor d;
    while (off < length) {
        if (sonyReadDescriptor(data + off, length - off, extended, false, &d) != PTP_RC_OK) {
            // The walk ends at a descriptor that cannot be read; when it is the one asked for, that is the answer.
            if (length - off >= 2 && readLe16(data + off) == (code & 0xFFFF)) return ERROR_INVALID_INPUT;
            break;
        }
        if (d.code == code) return parseAt(code, data + off, length - off, queue);
        off += d.size;
    }
    return scanFrom(code, data, length, off, queue);
}

ResponseCode sonyParseAllProperties(const uint8_t* data, size_t length) {
    if (!propNameEntry(kSonyPropertySentinel)) return ERROR_GENERAL;
    std::lock_guard<std::recursive_mutex> lock(sonyState().propertyMutex);
    const bool extended = sonyState().extendedFormat.load();
    SonyDescriptorIndex index = sonyIndexDescriptors(data, length, extended);
    const PropertyNameStruct* rows = sonyPropertyNames();
    for (size_t i = 0; i < sonyPropertyNameCount(); ++i) {
        const uint32_t code = rows[i].code;
        bool found = false;
        for (const auto& [c, off] : index.entries) {
            if (c != code) continue;
            parseAt(code, data + off, length - off, true);
            found = true;
            break;
        }
        if (!found && index.end < length) scanFrom(code, data, length, index.end, true);
    }
    return PTP_RC_OK;
}

bool sonyIsImageFormatPart(uint32_t code) {
    return code == 0x5004 || code == 0xD203 || code == 0xD252 || code == 0xD253;
}

PropertyStruct* sonyRebuildImageFormat() {
    const bool hasD253 = propExists(0xD253);
    const uint32_t carrier = hasD253 ? 0xD253u : 0x5004u;
    uint32_t compression = 0, size = 0;
    bool hasCompression = sonyPropertyValue(0xD252, &compression);
    sonyPropertyValue(0xD203, &size);
    PropertyStruct* rec = propFind(carrier, true);
    if (!rec) return nullptr;
    uint32_t v = rec->value & 0xFF;
    if (hasCompression) v |= (compression & 0xFF) << 8;
    v |= (size & 0xFF) << 16;
    rec->value = v;
    propUnlock(rec);
    return rec;
}
