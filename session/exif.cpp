#include "session/exif.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/store/image_files.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"
#include "session/utilities.h"

using platform::Value;
using platform::ValueDictionary;

namespace {

constexpr uint32_t kFormatNef = 0x3000, kFormatJpeg = 0x3801, kFormatArw = 0xB101, kFormatCr2 = 0xB103,
                   kFormatCr3 = 0xB108, kFormatRaf = 0xB111;

// A real number as an integer of type T: rounded toward zero, or 0 when it is no number or does not fit.
template <class T>
T checkedInteger(double v) {
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(v);
    if (t < double(std::numeric_limits<T>::min()) || t > double(std::numeric_limits<T>::max())) return 0;
    return static_cast<T>(t);
}

// Rounded to the nearest integer, halves away from zero; nullopt when it does not fit an int.
std::optional<int> roundedInt(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    const double r = std::round(v);
    if (r < double(std::numeric_limits<int>::min()) || r > double(std::numeric_limits<int>::max())) return std::nullopt;
    return int(r);
}

// A number stored in a dictionary, or the first element of an array; 0 when absent.
double numberOf(const Value& v) {
    if (v.type() == Value::Type::Array) return v.toArray().empty() ? 0.0 : v.toArray().front().toDouble();
    return v.isNumber() ? v.toDouble() : 0.0;
}

bool containsIgnoringCase(const std::string& text, const char* word) {
    std::string a = text, b = word;
    std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    std::transform(b.begin(), b.end(), b.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return a.find(b) != std::string::npos;
}

template <class... A>
std::string format(const char* f, A... args) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, f, args...);
    return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(size_t(n), sizeof buffer - 1));
}

// Seconds and tenths joined by a double-quote character ("2\"5").
std::string secondsAndTenths(double seconds) {
    const std::optional<int> tenths = roundedInt(seconds * 10);
    if (!tenths) return {};
    return format("%d\"%d", *tenths / 10, *tenths % 10);
}

std::string reciprocal(double seconds) {
    const std::optional<int> r = seconds > 0 ? roundedInt(1.0 / seconds) : std::nullopt;
    if (!r || *r <= 0) return {};
    return format("1/%d", *r);
}

}  // namespace

std::shared_ptr<Exif> Exif::initWithData(const uint8_t* data, size_t size, uint32_t objectFormat,
                                         uint32_t headerLength) {
    auto exif = std::make_shared<Exif>(objectFormat, headerLength);
    if (data == nullptr || size == 0) return nullptr;
    if (objectFormat == kFormatRaf && !(size >= 2 && data[0] == 0xFF && data[1] == 0xD8)) {
        // A whole raw file: its embedded preview carries the metadata.
        uint64_t offset = 0, length = 0;
        if (rawFindPreview(data, size, &offset, &length, uint16_t(objectFormat)) && offset < size) {
            data += offset;
            size -= size_t(offset);
        }
    }
    if (!exif->parseData(data, size)) return nullptr;
    return exif;
}

uint32_t Exif::getFocalLength(const uint8_t* data, size_t size, uint32_t objectFormat) {
    const Exif reader(objectFormat, Utilities::exifHeaderLength());
    const std::optional<ValueDictionary> metadata = reader.getMetaData(data, size, objectFormat);
    if (!metadata) return 0;
    const Value& exif = (*metadata).count(platform::kCGImagePropertyExifDictionary)
                            ? metadata->at(platform::kCGImagePropertyExifDictionary)
                            : Value();
    return checkedInteger<uint32_t>(numberOf(exif[platform::kCGImagePropertyExifFocalLength]));
}

std::optional<ValueDictionary> Exif::getMetaData(const uint8_t* data, size_t size, uint32_t objectFormat) const {
    if (data == nullptr || size == 0) return std::nullopt;
    std::string hint;
    switch (objectFormat) {
    case kFormatNef:
        if (size > mExifHeaderLength) hint = platform::kImageTypeNikonRaw;
        break;
    case kFormatJpeg: hint = platform::kImageTypeJpeg; break;
    case kFormatArw: hint = platform::kImageTypeSonyRaw; break;
    case kFormatCr2: hint = platform::kImageTypeCanonCr2; break;
    case kFormatRaf: hint = platform::kImageTypeFujiRaw; break;
    case kFormatCr3: return getManualMetaDataDictionary(data, size);
    default: break;
    }
    // The platform reader catches whatever Exiv2 throws: a bad file is "no metadata" here.
    std::optional<ValueDictionary> properties = platform::imageCopyProperties(data, size, hint);
    if (properties) return properties;
    if (objectFormat == kFormatCr2) return getManualMetaDataDictionary(data, size);
    if (objectFormat == kFormatNef) {
        properties = getMetaData(data, size, kFormatJpeg);
        if (properties) return properties;
        return getManualMetaDataDictionary(data, size);
    }
    return std::nullopt;
}

bool Exif::parseData(const uint8_t* data, size_t size) {
    cameraMake_ = kMakeOther;
    std::optional<ValueDictionary> metadata = getMetaData(data, size, mObjectFormat);
    const ValueDictionary* exif = nullptr;
    auto exifOf = [](const std::optional<ValueDictionary>& m) -> const ValueDictionary* {
        if (!m) return nullptr;
        auto it = m->find(platform::kCGImagePropertyExifDictionary);
        if (it == m->end() || it->second.type() != Value::Type::Dictionary) return nullptr;
        return &it->second.toDictionary();
    };
    exif = exifOf(metadata);
    bool ownReaderForArw = false;
    if (exif == nullptr && mObjectFormat == kFormatArw) {
        metadata = getManualMetaDataDictionary(data, size);
        exif = exifOf(metadata);
        if (exif == nullptr) return false;
        ownReaderForArw = true;  // used whatever its size
    }
    if (exif == nullptr || (!ownReaderForArw && exif->size() < 5)) {
        // Too little here: the raw file's head that may trail the image, when the data is long enough to hold one.
        if (mExifHeaderLength == 0 || size < mExifHeaderLength) return false;
        return parseData(data + (size - mExifHeaderLength), mExifHeaderLength - 1);
    }

    mOriginalProperties = *metadata;
    auto get = [exif](const char* key) -> const Value& {
        auto it = exif->find(key);
        static const Value none;
        return it == exif->end() ? none : it->second;
    };
    auto real = [](double v) { return std::isfinite(v) && std::fabs(v) < 1e30 ? float(v) : 0.0f; };
    shutterSpeed_ = real(numberOf(get(platform::kCGImagePropertyExifExposureTime)));
    aperture_ = real(numberOf(get(platform::kCGImagePropertyExifFNumber)));
    iso_ = checkedInteger<uint16_t>(numberOf(get(platform::kCGImagePropertyExifISOSpeedRatings)));
    exposureCompensation_ = real(numberOf(get(platform::kCGImagePropertyExifExposureBiasValue)));
    xDimension_ = checkedInteger<uint16_t>(numberOf(get(platform::kCGImagePropertyExifPixelXDimension)));
    yDimension_ = checkedInteger<uint16_t>(numberOf(get(platform::kCGImagePropertyExifPixelYDimension)));
    if (xDimension_ == 0) {
        const Value top(*metadata);
        xDimension_ = checkedInteger<uint16_t>(numberOf(top[platform::kCGImagePropertyPixelWidth]));
        yDimension_ = checkedInteger<uint16_t>(numberOf(top[platform::kCGImagePropertyPixelHeight]));
    }
    mRawMeteringMode = checkedInteger<uint64_t>(numberOf(get(platform::kCGImagePropertyExifMeteringMode)));
    mRawWhiteBalance = checkedInteger<uint64_t>(numberOf(get(platform::kCGImagePropertyExifWhiteBalance)));
    meteringMode_ = checkedInteger<uint16_t>(double(mRawMeteringMode));
    whiteBalance_ = checkedInteger<uint16_t>(double(mRawWhiteBalance));
    focalLength_ = checkedInteger<uint16_t>(numberOf(get(platform::kCGImagePropertyExifFocalLength)));
    const uint64_t lightSource = checkedInteger<uint64_t>(numberOf(get(platform::kCGImagePropertyExifLightSource)));

    std::string make;
    orientation_ = 0;
    auto tiffAt = metadata->find(platform::kCGImagePropertyTIFFDictionary);
    if (tiffAt != metadata->end() && tiffAt->second.type() == Value::Type::Dictionary) {
        const Value& tiff = tiffAt->second;
        const Value& makeValue = tiff[platform::kCGImagePropertyTIFFMake];
        if (makeValue.type() == Value::Type::String) make = makeValue.toString();
        const uint8_t o = checkedInteger<uint8_t>(numberOf(tiff[platform::kCGImagePropertyTIFFOrientation]));
        orientation_ = o >= 1 && o <= 8 ? o : 0;
    }
    convertForMaker(data, size, make, lightSource);
    return true;
}

void Exif::convertForMaker(const uint8_t* data, size_t size, const std::string& make, uint64_t lightSource) {
    const uint16_t metering = meteringMode_;
    if (containsIgnoringCase(make, "Canon")) {
        cameraMake_ = kMakeCanon;
        switch (metering) {
        case 2: meteringMode_ = 5; break;
        case 3: meteringMode_ = 1; break;
        case 5: meteringMode_ = 3; break;
        case 6: meteringMode_ = 4; break;
        default: break;
        }
        // The maker's own white-balance value sits 15 bytes after the first 00 44 00 00 00 from byte 512 on.
        static constexpr uint8_t kPattern[5] = {0x00, 0x44, 0x00, 0x00, 0x00};
        for (size_t i = 0; i < 1536; ++i) {
            const size_t at = 512 + i;
            if (at >= size || size - at < 16) break;  // the match and the byte after it must lie inside the data
            if (std::memcmp(data + at, kPattern, 5) == 0) {
                whiteBalance_ = data[at + 15];
                break;
            }
        }
    } else if (containsIgnoringCase(make, "Nikon")) {
        cameraMake_ = kMakeNikon;
        switch (metering) {
        case 3: meteringMode_ = 4; break;
        case 5: meteringMode_ = 3; break;
        case 255: meteringMode_ = 0x8010; break;
        default: break;
        }
        switch (lightSource) {
        case 0: whiteBalance_ = mRawWhiteBalance != 0 ? 0x8012 : 2; break;
        case 3: whiteBalance_ = 6; break;
        case 4: whiteBalance_ = 7; break;
        case 9: whiteBalance_ = 4; break;
        case 10: whiteBalance_ = 0x8010; break;
        case 11: whiteBalance_ = 0x8011; break;
        case 14: whiteBalance_ = 5; break;
        default: whiteBalance_ = 2; break;
        }
    } else if (containsIgnoringCase(make, "Sony")) {
        cameraMake_ = kMakeSony;
        switch (metering) {
        case 1: meteringMode_ = 0x8003; break;
        case 2: meteringMode_ = 0x8002; break;
        case 3: meteringMode_ = 4; break;
        case 5: meteringMode_ = 0x8001; break;
        case 255: meteringMode_ = 0x8006; break;
        default: break;
        }
        switch (lightSource) {
        case 0:
            if (mRawWhiteBalance == 0) whiteBalance_ = 2;
            else if (mRawWhiteBalance == 1) whiteBalance_ = 0x8012;
            break;
        case 1: whiteBalance_ = 4; break;
        case 3: whiteBalance_ = 6; break;
        case 4: whiteBalance_ = 7; break;
        case 10: whiteBalance_ = 0x8010; break;
        case 11: whiteBalance_ = 0x8011; break;
        case 12: whiteBalance_ = 0x8004; break;
        case 13: whiteBalance_ = 0x8003; break;
        case 14: whiteBalance_ = 0x8002; break;
        case 15: whiteBalance_ = 0x8001; break;
        case 255: whiteBalance_ = 0x8020; break;
        default: break;
        }
    }
}

const std::string& Exif::shutterSpeedString() {
    if (!shutterText_) {
        const double t = shutterSpeed_;
        std::string text;
        if (!(t > 0) || !std::isfinite(t)) {
            text = {};  // no exposure time known
        } else if (cameraMake_ == kMakeCanon) {
            text = t < 0.3 ? reciprocal(t) : secondsAndTenths(t);
        } else if (t >= 1) {
            text = secondsAndTenths(t);
        } else if (cameraMake_ == kMakeNikon && t > 0.25) {
            text = format("%0.1f", t);
            std::replace(text.begin(), text.end(), '.', '"');
        } else {
            text = reciprocal(t);
        }
        shutterText_ = text;
    }
    return *shutterText_;
}

const std::string& Exif::apertureString() {
    if (!apertureText_) apertureText_ = format("f%.1f", double(aperture_));
    return *apertureText_;
}

const std::string& Exif::isoString() {
    if (!isoText_) isoText_ = iso_ == 0 ? std::string("ISO *") : format("ISO%i", int(iso_));
    return *isoText_;
}

const std::string& Exif::exposureCompensationString() {
    if (!compensationText_) {
        const double bias = exposureCompensation_;
        std::string text;
        if (bias != 0 && std::isfinite(bias)) {
            text.assign(1, bias < 0 ? '-' : '+');
            const double magnitude = std::fabs(bias);
            const int whole = checkedInteger<int>(magnitude);
            if (whole != 0) text += format("%d", whole);
            const double f = magnitude - whole;
            if (f != 0) {
                if (f - 0.33 < 0.1) text += " 1/3";
                else if (f - 0.5 < 0.1) text += " 1/2";
                else if (f - 0.66 < 0.1) text += " 2/3";
            }
        }
        compensationText_ = text;
    }
    return *compensationText_;
}

const std::string& Exif::sizeString() {
    if (!sizeText_) {
        const double megapixels = double(xDimension_) * double(yDimension_) / 1000000.0;
        sizeText_ = megapixels == 0 ? std::string() : format("%2.1fMP", megapixels);
    }
    return *sizeText_;
}

const std::string& Exif::focalLengthString() {
    if (!focalText_) focalText_ = format("%dmm", int(focalLength_));
    return *focalText_;
}

void Exif::setSize(double width, double height) {
    xDimension_ = checkedInteger<uint16_t>(width);
    yDimension_ = checkedInteger<uint16_t>(height);
    sizeText_.reset();
}
