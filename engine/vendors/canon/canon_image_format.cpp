#include "engine/vendors/canon/canon_image_format.h"

#include <vector>

#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/vendors/canon/canon_property_table.h"

namespace {
constexpr uint32_t kImageFormatCode = 0xD120;
constexpr uint32_t kEntryLength = 16;
constexpr uint32_t kRawCompression = 4;

bool isImageFormat(uint32_t value) { return value >= 0x10000000 && value <= 0x2FFFFFFF; }

struct SizeName {
    uint32_t size;
    const char* name;
    const char* letters;
};
const SizeName kJpegSizes[] = {
    {0x00, "Large", "L"}, {0x01, "Medium", "M"}, {0x05, "M1", "M1"}, {0x06, "M2", "M2"},
    {0x02, "Small", "S"}, {0x0E, "S1", "S1"},    {0x0F, "S2", "S2"}, {0x10, "S3", "S3"},
};
const uint32_t kJpegQualities[] = {3, 2, 0};  // Fine, Normal, None
const uint32_t kRawSizes[] = {0, 1, 2};       // RAW, Medium RAW, Small RAW

std::string rawName(uint32_t size) {
    switch (size) {
        case 0: return "RAW";
        case 1: return "Medium RAW";
        case 2: return "Small RAW";
        default: return {};
    }
}

std::string jpegName(const CanonImagePart& p) {
    const char* size = canonImageSizeName(p.size);
    const char* quality = canonJpegQualityName(p.compression);
    if (!size || !quality) return {};
    return std::string(size) + " " + quality + " JPEG";
}

std::string partName(const CanonImagePart& p) {
    if (p.type == kCanonImageTypeRaw) return p.compression == kRawCompression ? rawName(p.size) : std::string();
    if (p.type == kCanonImageTypeJpeg) return jpegName(p);
    return {};
}

// The value of the store's 0xD120 record, read under its lock.
ResponseCode currentFormat(uint32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    PropertyStruct* r = propFind(kImageFormatCode, true);
    if (!r) return ERROR_GENERAL;
    *out = r->value;
    propUnlock(r);
    return PTP_RC_OK;
}
}  // namespace

int canonImageFormatPack(const uint8_t* record, size_t available, uint32_t* out) {
    if (!record || !out || available < 4) return ERROR_INVALID_INPUT;
    uint32_t count = readLe32(record);
    if (count != 1 && count != 2) return -1;
    size_t consumed = 4 + kEntryLength * count;
    if (available < consumed) return ERROR_INVALID_INPUT;
    if (static_cast<uint64_t>(readLe32(record + 4)) + 4 > available) return ERROR_INVALID_INPUT;
    const uint8_t* first = record + 4;
    uint32_t value = (count << 28) | ((readLe32(first + 4) & 0xF) << 24) | ((readLe32(first + 8) & 0x3F) << 18) |
                     ((readLe32(first + 12) & 0xF) << 14);
    if (count == 2) {
        const uint8_t* second = first + kEntryLength;
        value |= ((readLe32(second + 4) & 0xF) << 10) | ((readLe32(second + 8) & 0x3F) << 4) |
                 (readLe32(second + 12) & 0xF);
    }
    *out = value;
    return static_cast<int>(consumed);
}

int canonImageFormatUnpack(uint8_t* record, uint32_t value) {
    if (!record || !isImageFormat(value)) return ERROR_INVALID_INPUT;
    std::vector<CanonImagePart> parts = canonImageFormatParts(value);
    writeLe32(record, static_cast<uint32_t>(parts.size()));
    uint8_t* p = record + 4;
    for (const CanonImagePart& part : parts) {
        writeLe32(p, kEntryLength);
        writeLe32(p + 4, part.type);
        writeLe32(p + 8, part.size);
        writeLe32(p + 12, part.compression);
        p += kEntryLength;
    }
    return static_cast<int>(4 + kEntryLength * parts.size());
}

std::vector<CanonImagePart> canonImageFormatParts(uint32_t value) {
    std::vector<CanonImagePart> parts;
    if (!isImageFormat(value)) return parts;
    parts.push_back({(value >> 24) & 0xF, (value >> 18) & 0x3F, (value >> 14) & 0xF});
    if ((value >> 28) == 2) parts.push_back({(value >> 10) & 0xF, (value >> 4) & 0x3F, value & 0xF});
    return parts;
}

uint32_t canonImageFormatOne(uint32_t type, uint32_t size, uint32_t compression) {
    return 0x10000000u | ((type & 0xF) << 24) | ((size & 0x3F) << 18) | ((compression & 0xF) << 14);
}

uint32_t canonImageFormatRawHalf(uint32_t value) {
    if (!isImageFormat(value) || ((value >> 24) & 0xF) != kCanonImageTypeRaw) return kCanonNoImageFormat;
    return 0x10000000u | (value & 0x0FFFC000u);
}

uint32_t canonImageFormatJpegHalf(uint32_t value) {
    if (!isImageFormat(value)) return kCanonNoImageFormat;
    if (((value >> 24) & 0xF) == kCanonImageTypeJpeg) return 0x10000000u | (value & 0x01FFC000u);
    if ((value >> 28) == 2 && ((value >> 10) & 0xF) == kCanonImageTypeJpeg) return 0x10000000u | ((value & 0x3FFFu) << 14);
    return kCanonNoImageFormat;
}

uint32_t canonImageFormatJoin(uint32_t raw, uint32_t jpeg) {
    if (raw == kCanonNoImageFormat) return jpeg;
    if (jpeg == kCanonNoImageFormat) return raw;
    return 0x20000000u | (raw & 0x0FFFC000u) | ((jpeg >> 14) & 0x3FFFu);
}

ResponseCode canonImageFormatSizeQuality(uint32_t value, uint32_t type, uint16_t* size, uint8_t* compression) {
    for (const CanonImagePart& p : canonImageFormatParts(value)) {
        if (p.type != type) continue;
        if (size) *size = static_cast<uint16_t>(p.size);
        if (compression) *compression = static_cast<uint8_t>(p.compression);
        return PTP_RC_OK;
    }
    return ERROR_GENERAL;
}

const char* canonImageSizeName(uint32_t size) {
    for (const SizeName& s : kJpegSizes)
        if (s.size == size) return s.name;
    return nullptr;
}

const char* canonImageSizeLetters(uint32_t size) {
    for (const SizeName& s : kJpegSizes)
        if (s.size == size) return s.letters;
    return nullptr;
}

const char* canonJpegQualityName(uint32_t compression) {
    switch (compression) {
        case 3: return "Fine";
        case 2: return "Normal";
        case 0: return "None";
        default: return nullptr;
    }
}

std::string canonImageFormatName(uint32_t value) {
    std::vector<CanonImagePart> parts = canonImageFormatParts(value);
    std::string name;
    for (const CanonImagePart& p : parts) {
        std::string one = partName(p);
        if (one.empty()) return {};
        name += name.empty() ? one : " + " + one;
    }
    return name;
}

// Every named format: the raw kinds alone, each JPEG alone, then each raw kind with each JPEG.
const PropertyValueNamesStruct* canonImageFormatNames() {
    static const std::vector<PropertyValueNamesStruct> rows = [] {
        std::vector<uint32_t> raws, jpegs;
        for (uint32_t size : kRawSizes) raws.push_back(canonImageFormatOne(kCanonImageTypeRaw, size, kRawCompression));
        for (const SizeName& s : kJpegSizes)
            for (uint32_t q : kJpegQualities) jpegs.push_back(canonImageFormatOne(kCanonImageTypeJpeg, s.size, q));
        std::vector<uint32_t> values(raws);
        values.insert(values.end(), jpegs.begin(), jpegs.end());
        for (uint32_t raw : raws)
            for (uint32_t jpeg : jpegs) values.push_back(canonImageFormatJoin(raw, jpeg));
        std::vector<PropertyValueNamesStruct> out;
        for (uint32_t v : values) {
            PropertyValueNamesStruct row{};
            propCopyText(row.name, sizeof row.name, canonImageFormatName(v));
            row.value = v;
            out.push_back(row);
        }
        out.push_back(PropertyValueNamesStruct{});
        return out;
    }();
    return rows.data();
}

ResponseCode canonImageFormatRawPart(uint32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    uint32_t value;
    ResponseCode rc = currentFormat(&value);
    if (rc != PTP_RC_OK) return rc;
    *out = canonImageFormatRawHalf(value);
    return PTP_RC_OK;
}

ResponseCode canonImageFormatJpegPart(uint32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    uint32_t value;
    ResponseCode rc = currentFormat(&value);
    if (rc != PTP_RC_OK) return rc;
    *out = canonImageFormatJpegHalf(value);
    return PTP_RC_OK;
}

ResponseCode canonImageFormatChoices(uint32_t type, std::vector<uint32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    PropertyStruct* r = propFind(kImageFormatCode, true);
    if (!r) return ERROR_GENERAL;
    list->clear();
    list->push_back(kCanonNoImageFormat);
    for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
        uint32_t v = r->values[i].value;
        if (isImageFormat(v) && (v >> 28) == 1 && ((v >> 24) & 0xF) == type) list->push_back(v);
    }
    propUnlock(r);
    return PTP_RC_OK;
}

ResponseCode canonSetImageFormat(uint32_t raw, uint32_t jpeg) {
    if (raw == kCanonNoImageFormat && jpeg == kCanonNoImageFormat) return ERROR_INVALID_INPUT;
    return propSet(kImageFormatCode, canonImageFormatJoin(raw, jpeg), true);
}
