#include "devicesim/canon_event_data.h"

#include "devicesim/wire.h"

namespace devicesim {

std::vector<uint8_t> canonFormatRecord(const CanonSimFormat& format) {
    std::vector<uint8_t> r;
    wire::put32(r, uint32_t(format.size()));
    for (const CanonSimImage& i : format) {
        wire::put32(r, 16);
        wire::put32(r, i.type);
        wire::put32(r, i.size);
        wire::put32(r, i.compression);
    }
    return r;
}

CanonSimFormat canonFormatFromRecord(const uint8_t* data, size_t length) {
    if (length < 4) return {};
    const uint32_t count = wire::get32(data);
    if (count < 1 || count > 2 || length < 4 + 16 * size_t(count)) return {};
    CanonSimFormat f;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 4 + 16 * i;
        f.push_back({wire::get32(e + 4), wire::get32(e + 8), wire::get32(e + 12)});
    }
    return f;
}

std::vector<uint8_t> canonRecord(uint32_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> r;
    wire::put32(r, uint32_t(data.size() + 8));
    wire::put32(r, type);
    wire::putBytes(r, data);
    return r;
}

std::vector<uint8_t> canonValueRecord(uint32_t code, const std::vector<uint8_t>& value) {
    std::vector<uint8_t> d;
    d.reserve(4 + value.size());
    wire::put32(d, code);
    wire::putBytes(d, value);
    return canonRecord(0xC189, d);
}

std::vector<uint8_t> canonAllowedRecord(uint32_t code, uint32_t dataType, const std::vector<std::vector<uint8_t>>& entries) {
    std::vector<uint8_t> d;
    wire::put32(d, code);
    wire::put32(d, dataType);
    wire::put32(d, uint32_t(entries.size()));
    for (const auto& e : entries) wire::putBytes(d, e);
    return canonRecord(0xC18A, d);
}

namespace {
std::vector<uint8_t> objectFields(uint32_t handle, uint32_t storage, uint16_t format, uint32_t size, uint32_t parent) {
    std::vector<uint8_t> d;
    wire::put32(d, handle);   // +8
    wire::put32(d, storage);  // +12
    wire::put16(d, format);   // +16
    wire::put16(d, 0);
    wire::put32(d, 0);       // +20
    wire::put32(d, parent);  // +24
    wire::put32(d, size);    // +28
    while (d.size() < 36) wire::put8(d, 0);
    return d;
}
void padTo4(std::vector<uint8_t>& d) {
    while ((d.size() + 8) % 4) wire::put8(d, 0);
}
}  // namespace

std::vector<uint8_t> canonObjectAddedRecord(uint32_t handle, uint32_t storage, uint16_t format, uint32_t size,
                                            uint32_t parent, const std::string& name) {
    std::vector<uint8_t> d = objectFields(handle, storage, format, size, parent);
    for (char c : name) d.push_back(uint8_t(c));
    d.push_back(0);
    padTo4(d);
    return canonRecord(0xC1A7, d);
}

std::vector<uint8_t> canonObjectAddedExRecord(uint32_t handle, uint32_t storage, uint16_t format, uint32_t size,
                                              uint32_t parent, const std::string& name) {
    std::vector<uint8_t> d = objectFields(handle, storage, format, size, parent);
    wire::put32(d, 0);  // +44
    wire::putBytes(d, canonPtpString(name));
    padTo4(d);
    return canonRecord(0xC1B6, d);
}

std::vector<uint8_t> canonObjectInfoRecord(uint32_t handle) {
    std::vector<uint8_t> d;
    wire::put32(d, handle);
    return canonRecord(0xC181, d);
}

std::vector<uint8_t> canonObjectRemovedRecord(uint32_t handle) {
    std::vector<uint8_t> d;
    wire::put32(d, handle);
    return canonRecord(0xC182, d);
}

std::vector<uint8_t> canonStatusRecord(uint32_t busy) {
    std::vector<uint8_t> d;
    wire::put32(d, busy);
    return canonRecord(0xC18B, d);
}

std::vector<uint8_t> canonOlcRecord(const std::vector<uint8_t>& block) { return canonRecord(0xC1A5, block); }

std::vector<uint8_t> canonEndRecord() { return canonRecord(0, {}); }

std::vector<uint8_t> canonPtpString(const std::string& text) {
    std::vector<uint8_t> out;
    if (text.empty()) {
        out.push_back(0);
        return out;
    }
    const size_t n = text.size() < 254 ? text.size() : 254;
    out.push_back(uint8_t(n + 1));
    for (size_t i = 0; i < n; ++i) wire::put16(out, uint8_t(text[i]));
    wire::put16(out, 0);
    return out;
}

}  // namespace devicesim
