// The own little-endian TIFF reader of Exif: used when the platform's reader finds nothing (a JPEG followed by a
// raw head, a cut raw head, a CR3 file). Every read is checked against the window or the data it was given.
// No Qt here: the fuzz target compiles this file on its own.
#include <cstring>

#include "engine/ptp/vendor_state.h"
#include "platform/imaging/image_property_keys.h"
#include "session/exif.h"

namespace {

using platform::Value;
using platform::ValueArray;
using platform::ValueDictionary;

constexpr uint8_t kSignature[4] = {0x49, 0x49, 0x2A, 0x00};

enum class Kind { AsIs, Text, Number, NumberArray };

struct Tag {
    uint16_t tag;
    const char* key;
    Kind kind;
};

constexpr Tag kTiffTags[] = {
    {0x0103, platform::kCGImagePropertyTIFFCompression, Kind::AsIs},
    {0x010F, platform::kCGImagePropertyTIFFMake, Kind::AsIs},
    {0x0110, platform::kCGImagePropertyTIFFModel, Kind::AsIs},
    {0x0112, platform::kCGImagePropertyTIFFOrientation, Kind::AsIs},
    {0x011A, platform::kCGImagePropertyTIFFXResolution, Kind::AsIs},
    // Kept apart from the x resolution, under its own key, rather than overwriting it.
    {0x011B, platform::kCGImagePropertyTIFFYResolution, Kind::AsIs},
    {0x0128, platform::kCGImagePropertyTIFFResolutionUnit, Kind::AsIs},
    {0x0132, platform::kCGImagePropertyTIFFDateTime, Kind::AsIs},
    {0x013B, platform::kCGImagePropertyTIFFArtist, Kind::AsIs},
    {0x8298, platform::kCGImagePropertyTIFFCopyright, Kind::AsIs},
    {0x8769, "ExifTag", Kind::AsIs},
};

constexpr Tag kExifTags[] = {
    {0x829A, "ExposureTime", Kind::AsIs},
    {0x829D, "FNumber", Kind::AsIs},
    {0x8822, "ExposureProgram", Kind::AsIs},
    {0x8827, "ISOSpeedRatings", Kind::NumberArray},
    {0x9000, "ExifVersion", Kind::Text},
    {0x9003, "DateTimeOriginal", Kind::AsIs},
    {0x9004, "DateTimeDigitized", Kind::AsIs},
    {0x9101, "ComponentsConfiguration", Kind::Number},
    {0x9201, "ShutterSpeedValue", Kind::AsIs},
    {0x9202, "ApertureValue", Kind::AsIs},
    {0x9204, "ExposureBiasValue", Kind::AsIs},
    {0x9207, "MeteringMode", Kind::AsIs},
    {0x9208, "LightSource", Kind::AsIs},
    {0x9209, "Flash", Kind::AsIs},
    {0x920A, "FocalLength", Kind::AsIs},
    {0x9286, "UserComment", Kind::Text},
    {0x9290, "SubsecTime", Kind::AsIs},
    {0x9292, "SubsecTimeDigitized", Kind::AsIs},
    {0xA000, "FlashPixVersion", Kind::Text},
    {0xA001, "ColorSpace", Kind::AsIs},
    {0xA002, "PixelXDimension", Kind::AsIs},
    {0xA003, "PixelYDimension", Kind::AsIs},
    {0xA20E, "FocalPlaneXResolution", Kind::AsIs},
    {0xA20F, "FocalPlaneYResolution", Kind::AsIs},
    {0xA210, "FocalPlaneResolutionUnit", Kind::AsIs},
    {0xA401, "CustomRendered", Kind::AsIs},
    {0xA402, "ExposureMode", Kind::AsIs},
    {0xA403, "WhiteBalance", Kind::AsIs},
    {0xA406, "SceneCaptureType", Kind::AsIs},
    {0xA430, "CameraOwnerName", Kind::AsIs},
    {0xA431, "BodySerialNumber", Kind::AsIs},
    {0xA432, "LensSpecification", Kind::AsIs},
    {0xA434, "LensModel", Kind::AsIs},
    {0xA435, "LensSerialNumber", Kind::AsIs},
};

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

bool hasSignature(const uint8_t* p) { return std::memcmp(p, kSignature, 4) == 0; }

// The text of a text entry: at most `count` bytes, up to the first NUL, from `at` (which holds `available` bytes).
std::string boundedText(const uint8_t* at, size_t available, uint32_t count) {
    const size_t n = std::min<size_t>(available, count);
    const void* nul = std::memchr(at, 0, n);
    const size_t length = nul ? size_t(static_cast<const uint8_t*>(nul) - at) : n;
    return std::string(reinterpret_cast<const char*>(at), length);
}

// One directory of 12-byte entries at `dir` (offset from the header); entries end before `windowEnd`, values lie
// before `dataEnd` (both from the header).
ValueDictionary readDirectory(const uint8_t* header, size_t dir, size_t windowEnd, size_t dataEnd, const Tag* table,
                              size_t tableSize) {
    ValueDictionary out;
    if (dir > windowEnd || windowEnd - dir < 2) return out;
    const uint16_t count = le16(header + dir);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = dir + 2 + 12 * i;
        if (entry + 12 >= windowEnd) break;  // the entry must end before the window's end
        const uint8_t* e = header + entry;
        const uint16_t tag = le16(e);
        const Tag* known = nullptr;
        for (size_t t = 0; t < tableSize; ++t)
            if (table[t].tag == tag) known = &table[t];
        if (known == nullptr) continue;
        uint16_t type = le16(e + 2);
        const uint32_t n = le32(e + 4);
        const uint32_t field = le32(e + 8);
        if (known->kind == Kind::Text) type = 2;
        if (known->kind == Kind::Number) type = 4;
        Value value;
        if (type == 5 || type == 10) {
            if (size_t(field) > dataEnd || dataEnd - field < 8) continue;  // the value must lie inside the data
            const uint32_t num = le32(header + field), den = le32(header + field + 4);
            if (den == 0) continue;  // no value: absent, never an infinity
            value = type == 10 ? Value(double(int32_t(num)) / double(int32_t(den))) : Value(double(num) / double(den));
        } else if (type == 2) {
            if (n > 4) {
                if (size_t(field) >= dataEnd) continue;
                value = Value(boundedText(header + field, dataEnd - field, n));
            } else {
                value = Value(boundedText(e + 8, 4, n));
            }
        } else {
            value = Value(int64_t(field));
        }
        if (known->kind == Kind::NumberArray) value = Value(ValueArray{value});
        out[known->key] = std::move(value);
    }
    return out;
}

size_t limitedEnd(size_t from, size_t dataEnd) { return from + std::min(Exif::kManualWindow, dataEnd - from); }

}  // namespace

std::optional<ValueDictionary> Exif::tiffDictionaryFromHeader(const uint8_t* header, size_t window, size_t dataLength) {
    if (header == nullptr || window < 20 || !hasSignature(header)) return std::nullopt;
    if (dataLength < window) dataLength = window;
    const uint32_t dir = le32(header + 4);
    if (size_t(dir) >= window || window - dir <= 2) return std::nullopt;
    return readDirectory(header, dir, window, dataLength, kTiffTags, std::size(kTiffTags));
}

std::optional<ValueDictionary> Exif::exifDictionaryFromHeader(const uint8_t* header, size_t window,
                                                              size_t directoryOffset, size_t dataLength) {
    if (header == nullptr || window < 20 || directoryOffset > window || window - directoryOffset < 20)
        return std::nullopt;
    if (dataLength < window) dataLength = window;
    size_t dir = directoryOffset;
    if (dir == 0) {
        if (!hasSignature(header)) return std::nullopt;
        dir = le32(header + 4);
    }
    return readDirectory(header, dir, window, dataLength, kExifTags, std::size(kExifTags));
}

std::optional<ValueDictionary> Exif::getManualMetaDataDictionary(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 4) return std::nullopt;
    static constexpr uint8_t kThreeHeaderModels[] = {229, 230, 234, 245, 246, 247, 248, 249, 250, 251};
    const uint8_t model = camModelIndex();
    int headersWanted = 2;
    for (uint8_t m : kThreeHeaderModels)
        if (m == model) headersWanted = 3;

    ValueDictionary result;
    int headersSeen = 0;
    for (size_t pos = 0; pos + 4 <= size; ++pos) {
        if (!hasSignature(data + pos)) continue;
        ++headersSeen;
        const uint8_t* header = data + pos;
        const size_t remaining = size - pos;
        if (headersSeen == 1) {
            auto tiff = tiffDictionaryFromHeader(header, std::min(kManualWindow, remaining), remaining);
            if (!tiff) continue;
            auto exifAt = tiff->find("ExifTag");
            const bool hasExifTag = exifAt != tiff->end();
            const int64_t e = hasExifTag ? exifAt->second.toInteger() : 0;
            result[platform::kCGImagePropertyTIFFDictionary] = Value(std::move(*tiff));
            if (hasExifTag && e > 0 && size_t(e) < remaining) {
                const size_t dir = size_t(e);
                auto exif = exifDictionaryFromHeader(header, limitedEnd(dir, remaining), dir, remaining);
                if (exif) {
                    result[platform::kCGImagePropertyExifDictionary] = Value(std::move(*exif));
                    break;
                }
            }
        } else if (headersSeen == headersWanted) {
            auto exif = exifDictionaryFromHeader(header, std::min(kManualWindow, remaining), 0, remaining);
            if (exif) result[platform::kCGImagePropertyExifDictionary] = Value(std::move(*exif));
            break;
        }
    }
    if (result.empty()) return std::nullopt;
    return result;
}
