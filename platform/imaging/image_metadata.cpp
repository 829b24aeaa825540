#include "platform/imaging/image_metadata.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <exiv2/exiv2.hpp>

// This Exiv2 version hands images and streams over in std::auto_ptr, which clang reports as deprecated at every use.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "platform/imaging/exiv2_support.h"
#include "platform/imaging/image_property_keys.h"

namespace platform {
namespace {

// IFD0 entries that belong in the TIFF dictionary; the rest of IFD0 (pointers, strip tables) is structure.
const std::set<std::string>& tiffNames() {
    static const std::set<std::string> names = {
        kCGImagePropertyTIFFCompression, kCGImagePropertyTIFFMake,       kCGImagePropertyTIFFModel,
        kCGImagePropertyTIFFOrientation, kCGImagePropertyTIFFXResolution, kCGImagePropertyTIFFYResolution,
        kCGImagePropertyTIFFResolutionUnit, kCGImagePropertyTIFFSoftware, kCGImagePropertyTIFFDateTime,
        kCGImagePropertyTIFFArtist,      kCGImagePropertyTIFFCopyright,   "ImageDescription",
        "HostComputer",                  "PhotometricInterpretation"};
    return names;
}

// A text of at most `count` bytes, cut at its first NUL.
std::string boundedText(const std::string& raw, size_t count) {
    std::string s = raw.substr(0, std::min(raw.size(), count));
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

// One number of a datum; nullopt for a rational with a zero denominator, which has no value.
std::optional<Value> numberAt(const Exiv2::Exifdatum& d, long i) {
    switch (d.typeId()) {
    case Exiv2::unsignedRational: {
        const auto* v = dynamic_cast<const Exiv2::URationalValue*>(&d.value());
        if (v == nullptr || i >= long(v->value_.size())) return std::nullopt;
        const Exiv2::URational r = v->value_[size_t(i)];
        if (r.second == 0) return std::nullopt;
        return Value(double(r.first) / double(r.second));
    }
    case Exiv2::signedRational: {
        const auto* v = dynamic_cast<const Exiv2::RationalValue*>(&d.value());
        if (v == nullptr || i >= long(v->value_.size())) return std::nullopt;
        const Exiv2::Rational r = v->value_[size_t(i)];
        if (r.second == 0) return std::nullopt;
        return Value(double(r.first) / double(r.second));
    }
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::tiffIfd:
        return Value(static_cast<int64_t>(d.toLong(i)));
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble: {
        const float f = d.toFloat(i);
        if (!std::isfinite(f)) return std::nullopt;
        return Value(double(f));
    }
    default:
        return std::nullopt;
    }
}

// The dictionary value of one datum, or nullopt when it has none worth keeping.
std::optional<Value> valueOf(const Exiv2::Exifdatum& d) {
    const std::string name = d.tagName();
    const long count = d.count();
    if (count <= 0) return std::nullopt;
    switch (d.typeId()) {
    case Exiv2::asciiString:
        return Value(boundedText(d.toString(), size_t(count)));
    case Exiv2::comment: {
        const auto* c = dynamic_cast<const Exiv2::CommentValue*>(&d.value());
        if (c == nullptr) return std::nullopt;
        return Value(boundedText(c->comment(), size_t(count)));
    }
    case Exiv2::undefined: {
        // Version fields are four characters; other undefined blobs (maker notes, tables) are not kept.
        if (name != "ExifVersion" && name != "FlashpixVersion") return std::nullopt;
        std::string text;
        for (long i = 0; i < count && i < 8; ++i) {
            const long c = d.toLong(i);
            if (c == 0) break;
            text.push_back(c >= 0x20 && c < 0x7F ? char(c) : '?');
        }
        return Value(text);
    }
    default:
        break;
    }
    const bool array = count > 1 || name == kCGImagePropertyExifISOSpeedRatings;
    if (!array) return numberAt(d, 0);
    ValueArray items;
    for (long i = 0; i < count && i < 64; ++i) {
        std::optional<Value> v = numberAt(d, i);
        if (!v) return std::nullopt;
        items.push_back(*v);
    }
    return Value(std::move(items));
}

Exiv2::Image::AutoPtr openImage(const uint8_t* data, size_t size, const std::string& hint) {
    if (size > size_t(std::numeric_limits<long>::max())) return Exiv2::Image::AutoPtr();
    const auto* bytes = reinterpret_cast<const Exiv2::byte*>(data);
    // A memory stream over the caller's bytes: reads go straight to them, nothing is copied.
    if (Exiv2::ImageFactory::getType(bytes, long(size)) != Exiv2::ImageType::none)
        return Exiv2::ImageFactory::open(bytes, long(size));
    // The bytes alone were not recognised: read them as the hinted container (an existing image, not a new one).
    Exiv2::BasicIo::AutoPtr io(new Exiv2::MemIo(bytes, long(size)));
    if (hint == kImageTypeJpeg) return Exiv2::Image::AutoPtr(new Exiv2::JpegImage(io, false));
    if (hint == kImageTypeCanonCr2) return Exiv2::Image::AutoPtr(new Exiv2::Cr2Image(io, false));
    if (hint == kImageTypeNikonRaw || hint == kImageTypeSonyRaw) return Exiv2::Image::AutoPtr(new Exiv2::TiffImage(io, false));
    if (hint == kImageTypeFujiRaw) return Exiv2::Image::AutoPtr(new Exiv2::RafImage(io, false));
    return Exiv2::Image::AutoPtr();
}

}  // namespace

std::optional<std::pair<int, int>> imagePixelSize(const uint8_t* data, size_t size) {
    if (data == nullptr || size == 0 || size > size_t(std::numeric_limits<int>::max())) return std::nullopt;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&buffer);
    const QSize s = reader.size();  // from the header; no pixel is decoded
    if (!s.isValid() || s.isEmpty()) return std::nullopt;
    return std::make_pair(s.width(), s.height());
}

std::optional<ValueDictionary> imageCopyProperties(const uint8_t* data, size_t size, const std::string& typeHint) {
    if (data == nullptr || size == 0) return std::nullopt;
    setUpExiv2();
    ValueDictionary tiff, exif, top;
    try {
        Exiv2::Image::AutoPtr image = openImage(data, size, typeHint);
        if (image.get() == nullptr) return std::nullopt;
        image->readMetadata();
        const Exiv2::ExifData& exifData = image->exifData();
        for (const Exiv2::Exifdatum& d : exifData) {
            const std::string group = d.groupName();
            const bool isTiff = group == "Image";
            if (!isTiff && group != "Photo") continue;
            const std::string name = d.tagName();
            if (isTiff && tiffNames().count(name) == 0) continue;
            ValueDictionary& target = isTiff ? tiff : exif;
            if (target.count(name) != 0) continue;  // the first of repeated entries counts
            if (std::optional<Value> v = valueOf(d)) target.emplace(name, std::move(*v));
        }
        if (tiff.empty() && exif.empty()) return std::nullopt;
        int width = 0, height = 0;
        try {
            width = image->pixelWidth();
            height = image->pixelHeight();
        } catch (const std::exception&) {
            width = height = 0;
        }
        if (width <= 0 || height <= 0) {
            if (auto s = imagePixelSize(data, size)) {
                width = s->first;
                height = s->second;
            } else {
                width = height = 0;
            }
        }
        if (width > 0 && height > 0) {
            top.emplace(kCGImagePropertyPixelWidth, Value(width));
            top.emplace(kCGImagePropertyPixelHeight, Value(height));
        }
    } catch (const std::exception&) {  // Exiv2::AnyError derives from std::exception
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    auto orientation = tiff.find(kCGImagePropertyTIFFOrientation);
    if (orientation != tiff.end()) top.emplace(kCGImagePropertyOrientation, orientation->second);
    if (!tiff.empty()) top.emplace(kCGImagePropertyTIFFDictionary, Value(std::move(tiff)));
    if (!exif.empty()) top.emplace(kCGImagePropertyExifDictionary, Value(std::move(exif)));
    return top;
}

std::optional<size_t> jpegLength(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
    size_t pos = 2;
    for (;;) {
        if (pos + 2 > size) return size;  // cut after a segment: all of it is the JPEG
        if (data[pos] != 0xFF) return std::nullopt;
        const uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9) return pos + 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > size) return size;
        const size_t length = (size_t(data[pos + 2]) << 8) | data[pos + 3];
        if (length < 2) return std::nullopt;
        if (length > size - pos - 2) return size;
        pos += 2 + length;
        if (marker != 0xDA) continue;
        // Compressed data: a 0xFF in it is followed by a stuffed 0x00 or a restart marker; anything else is the
        // next marker (another scan's tables, or the end).
        for (;;) {
            if (pos + 1 >= size) return size;
            if (data[pos] == 0xFF) {
                const uint8_t next = data[pos + 1];
                if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7)) break;
                pos += next == 0xFF ? 1 : 2;
                continue;
            }
            const void* ff = std::memchr(data + pos + 1, 0xFF, size - pos - 1);
            if (ff == nullptr) return size;
            pos = size_t(static_cast<const uint8_t*>(ff) - data);
        }
    }
}

std::optional<Data> jpegWithOrientation(const uint8_t* data, size_t size, uint16_t orientation) {
    const std::optional<size_t> length = jpegLength(data, size);
    if (!length || *length > size_t(std::numeric_limits<long>::max())) return std::nullopt;
    setUpExiv2();
    try {
        const auto* bytes = reinterpret_cast<const Exiv2::byte*>(data);
        // Exiv2 copies the stream's bytes on its first write; the caller's data stays as it was.
        Exiv2::Image::AutoPtr image(
            new Exiv2::JpegImage(Exiv2::BasicIo::AutoPtr(new Exiv2::MemIo(bytes, long(*length))), false));
        image->readMetadata();
        image->exifData()["Exif.Image.Orientation"] = orientation;
        image->writeMetadata();
        return exiv2StreamBytes(image->io());
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace platform
