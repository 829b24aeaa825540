#include "platform/imaging/image_destination.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <exiv2/exiv2.hpp>

// This Exiv2 version hands images and streams over in std::auto_ptr, which clang reports as deprecated at every use.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <limits>
#include <set>

#include "platform/imaging/exiv2_support.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"

namespace platform {

struct ImageDestination::SourceMetadata {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
};

namespace {

constexpr int kJpegQuality = 90;

// IFD0 entries that describe the source file's own layout (strips, tiles, sub-images, sample format, its
// thumbnail's place): the written file has a layout of its own, so these are never carried over.
const std::set<std::string>& layoutTags() {
    static const std::set<std::string> tags = {
        "NewSubfileType",    "SubfileType",        "ImageWidth",          "ImageLength",
        "BitsPerSample",     "Compression",        "PhotometricInterpretation", "FillOrder",
        "StripOffsets",      "SamplesPerPixel",    "RowsPerStrip",        "StripByteCounts",
        "PlanarConfiguration", "TileWidth",        "TileLength",          "TileOffsets",
        "TileByteCounts",    "SubIFDs",            "ExtraSamples",        "SampleFormat",
        "JPEGInterchangeFormat", "JPEGInterchangeFormatLength", "JPEGProc", "YCbCrCoefficients",
        "YCbCrSubSampling",  "YCbCrPositioning",   "ExifTag",             "GPSTag",
        "InteroperabilityTag", "PrintImageMatching", "DNGPrivateData",    "CFARepeatPatternDim",
        "CFAPattern",        "Orientation"};
    return tags;
}

// Whether a source entry belongs in the written file: the picture's description (IFD0 less its layout, the
// EXIF, GPS and interoperability directories), never the maker note (its offsets point into the source) nor
// the thumbnail or sub-image directories.
bool carriedOver(const Exiv2::Exifdatum& d) {
    const std::string group = d.groupName();
    if (group == "Image") return layoutTags().count(d.tagName()) == 0;
    if (group == "Photo") return d.tagName() != "MakerNote";
    return group == "GPSInfo" || group == "Iop";
}

std::optional<uint16_t> orientationOf(const ValueDictionary& properties) {
    const Value* v = nullptr;
    auto top = properties.find(kCGImagePropertyOrientation);
    if (top != properties.end()) {
        v = &top->second;
    } else {
        auto tiff = properties.find(kCGImagePropertyTIFFDictionary);
        if (tiff != properties.end()) {
            const Value& o = tiff->second[kCGImagePropertyTIFFOrientation];
            if (!o.isNull()) v = &o;
        }
    }
    if (v == nullptr || !v->isNumber()) return std::nullopt;
    const int64_t o = v->toInteger();
    if (o < 1 || o > 8) return std::nullopt;
    return uint16_t(o);
}

QByteArray encoded(const QImage& image, const std::string& type) {
    QByteArray out;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QImageWriter writer(&buffer, type == kImageTypeTiff ? "tiff" : "jpeg");
    if (type == kImageTypeJpeg) writer.setQuality(kJpegQuality);
    // JPEG has no alpha: flatten onto white rather than let transparent pixels turn black.
    QImage pixels = image;
    if (type == kImageTypeJpeg && pixels.hasAlphaChannel()) {
        QImage flat(pixels.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, pixels);
        pixels = flat;
    }
    if (!writer.write(pixels)) return {};
    return out;
}

}  // namespace

ImageDestination::ImageDestination(std::string type) : type_(std::move(type)) {}
ImageDestination::~ImageDestination() = default;

std::unique_ptr<ImageDestination> ImageDestination::createWithData(const std::string& type) {
    if (type != kImageTypeJpeg && type != kImageTypeTiff) return nullptr;
    return std::unique_ptr<ImageDestination>(new ImageDestination(type));
}

bool ImageDestination::addImage(const QImage& image, const ValueDictionary& properties) {
    if (added_ || image.isNull()) return false;
    image_ = image;
    orientation_ = orientationOf(properties);
    added_ = true;
    return true;
}

bool ImageDestination::addImageFromSource(const uint8_t* data, size_t size, const ValueDictionary& properties,
                                          const std::string& typeHint) {
    if (added_ || data == nullptr || size == 0 || size > size_t(std::numeric_limits<int>::max())) return false;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return false;
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);  // the pixels as stored; the orientation travels as metadata
    if (reader.format().isEmpty()) {
        if (typeHint == kImageTypeJpeg) reader.setFormat("jpeg");
        else if (typeHint == kImageTypeTiff) reader.setFormat("tiff");
    }
    const QImage image = reader.read();
    if (image.isNull()) return false;

    setUpExiv2();
    auto metadata = std::make_unique<SourceMetadata>();
    std::optional<uint16_t> sourceOrientation;
    try {
        const auto* raw = reinterpret_cast<const Exiv2::byte*>(data);
        if (Exiv2::ImageFactory::getType(raw, long(size)) != Exiv2::ImageType::none) {
            Exiv2::Image::AutoPtr source = Exiv2::ImageFactory::open(raw, long(size));
            source->readMetadata();
            for (const Exiv2::Exifdatum& d : source->exifData()) {
                if (carriedOver(d)) metadata->exif.add(d);
            }
            auto o = source->exifData().findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
            if (o != source->exifData().end() && o->count() > 0) {
                const long value = o->toLong(0);
                if (value >= 1 && value <= 8) sourceOrientation = uint16_t(value);
            }
            metadata->iptc = source->iptcData();
            metadata->xmp = source->xmpData();
        }
    } catch (...) {
        // Metadata Exiv2 cannot read is metadata the source does not have; the pixels still stand.
        metadata = std::make_unique<SourceMetadata>();
        sourceOrientation.reset();
    }
    image_ = image;
    orientation_ = orientationOf(properties);
    if (!orientation_) orientation_ = sourceOrientation;
    metadata_ = std::move(metadata);
    added_ = true;
    return true;
}

bool ImageDestination::finalize() {
    if (!added_ || finalized_) return false;
    finalized_ = true;
    const QByteArray file = encoded(image_, type_);
    if (file.isEmpty()) return false;
    const bool anyMetadata = orientation_ || (metadata_ && (!metadata_->exif.empty() || !metadata_->iptc.empty() ||
                                                            !metadata_->xmp.empty()));
    if (!anyMetadata) {
        data_.assign(file.begin(), file.end());
        return true;
    }
    setUpExiv2();
    try {
        const auto* raw = reinterpret_cast<const Exiv2::byte*>(file.constData());
        Exiv2::Image::AutoPtr out = Exiv2::ImageFactory::open(raw, long(file.size()));
        out->readMetadata();
        Exiv2::ExifData& exif = out->exifData();
        if (metadata_) {
            for (const Exiv2::Exifdatum& d : metadata_->exif) {
                auto existing = exif.findKey(Exiv2::ExifKey(d.key()));
                if (existing != exif.end()) exif.erase(existing);
                exif.add(d);
            }
            out->setIptcData(metadata_->iptc);
            out->setXmpData(metadata_->xmp);
        }
        if (orientation_) {
            exif["Exif.Image.Orientation"] = *orientation_;
            Exiv2::XmpData& xmp = out->xmpData();
            auto xmpOrientation = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
            if (xmpOrientation != xmp.end()) xmpOrientation->setValue(std::to_string(*orientation_));
        }
        out->writeMetadata();
        std::optional<Data> result = exiv2StreamBytes(out->io());
        if (!result) return false;
        data_ = std::move(*result);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace platform
