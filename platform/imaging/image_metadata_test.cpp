// Image metadata through Exiv2: the dictionary's shape and its safe numbers and texts, refusals of what is no
// image, and the walk to a JPEG's end that the orientation edit relies on.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <exiv2/exiv2.hpp>

// This Exiv2 version hands images and streams over in std::auto_ptr, which clang reports as deprecated at every use.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"

namespace platform {
namespace {

std::vector<uint8_t> encodedJpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(40, 90, 200));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return std::vector<uint8_t>(out.begin(), out.end());
}

// The JPEG with metadata written by Exiv2 through `edit`.
template <class F>
std::vector<uint8_t> withExif(const std::vector<uint8_t>& jpeg, F edit) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(jpeg.data(), long(jpeg.size()));
    image->readMetadata();
    edit(image->exifData());
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    io.open();
    std::vector<uint8_t> out(size_t(io.size()));
    io.read(out.data(), long(out.size()));
    io.close();
    return out;
}

TEST(ImageMetadataTest, DictionaryShapeWithZeroDenominatorsLeftOutAndTextsCutAtTheirEnd) {
    const std::vector<uint8_t> file = withExif(encodedJpeg(320, 240), [](Exiv2::ExifData& d) {
        d["Exif.Image.Make"] = "SONY";
        d["Exif.Image.Model"] = std::string("ILCE\0hidden", 11);  // a NUL inside the count ends the text
        d["Exif.Image.Orientation"] = uint16_t(3);
        d["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 0);
        d["Exif.Photo.FNumber"] = Exiv2::URational(0, 0);
        d["Exif.Photo.ExposureBiasValue"] = Exiv2::Rational(-1, 0);
        d["Exif.Photo.FocalLength"] = Exiv2::URational(240, 10);
        d["Exif.Photo.ISOSpeedRatings"] = uint16_t(6400);
    });
    const auto properties = imageCopyProperties(file.data(), file.size());
    ASSERT_TRUE(properties.has_value());
    const Value top(*properties);
    EXPECT_EQ(top[kCGImagePropertyPixelWidth].toInteger(), 320);  // from the picture's header
    EXPECT_EQ(top[kCGImagePropertyPixelHeight].toInteger(), 240);
    EXPECT_EQ(top[kCGImagePropertyOrientation].toInteger(), 3);
    const Value& tiff = top[kCGImagePropertyTIFFDictionary];
    EXPECT_EQ(tiff[kCGImagePropertyTIFFMake].toString(), "SONY");
    EXPECT_EQ(tiff[kCGImagePropertyTIFFModel].toString(), "ILCE");
    const ValueDictionary& exif = top[kCGImagePropertyExifDictionary].toDictionary();
    EXPECT_EQ(exif.count(kCGImagePropertyExifExposureTime), 0u);
    EXPECT_EQ(exif.count(kCGImagePropertyExifFNumber), 0u);
    EXPECT_EQ(exif.count(kCGImagePropertyExifExposureBiasValue), 0u);
    EXPECT_DOUBLE_EQ(exif.at(kCGImagePropertyExifFocalLength).toDouble(), 24.0);
    EXPECT_EQ(exif.at(kCGImagePropertyExifISOSpeedRatings), Value(ValueArray{6400}));
}

TEST(ImageMetadataTest, NoMetadataFromWhatIsNoImageOrHasNone) {
    const std::vector<uint8_t> bare = encodedJpeg(32, 32);
    std::vector<uint8_t> headless(bare.begin() + 2, bare.end());
    const std::pair<const char*, std::vector<uint8_t>> inputs[] = {
        {"a JPEG without metadata", bare},
        {"text", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}},
        {"a TIFF header pointing nowhere", std::vector<uint8_t>{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}},
        {"a JPEG without its first marker", headless},
    };
    for (const auto& [name, bytes] : inputs) {
        for (const char* hint : {"", kImageTypeJpeg, kImageTypeCanonCr2, kImageTypeNikonRaw, kImageTypeFujiRaw}) {
            SCOPED_TRACE(std::string(name) + " hint " + hint);
            EXPECT_FALSE(imageCopyProperties(bytes.data(), bytes.size(), hint).has_value());
        }
    }
    EXPECT_FALSE(imageCopyProperties(nullptr, 0).has_value());
    EXPECT_EQ(imagePixelSize(bare.data(), bare.size()), std::make_optional(std::make_pair(32, 32)));
    EXPECT_FALSE(imagePixelSize(inputs[1].second.data(), inputs[1].second.size()).has_value());
}

TEST(ImageMetadataTest, JpegLengthEndsAtTheEndMarker) {
    const std::vector<uint8_t> jpeg = encodedJpeg(64, 48);
    std::vector<uint8_t> trailed = jpeg;
    trailed.insert(trailed.end(), {0x49, 0x49, 0x2A, 0x00, 0xFF, 0xD9, 0xFF, 0xD9});
    std::vector<uint8_t> cutInScan(jpeg.begin(), jpeg.end() - 10);
    std::vector<uint8_t> badSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 0x00, 0x00};  // length below 2
    std::vector<uint8_t> noMarker = {0xFF, 0xD8, 0x12, 0x34, 0x56};
    struct Case {
        const char* name;
        const std::vector<uint8_t>* data;
        std::optional<size_t> want;
    };
    const Case cases[] = {
        {"whole JPEG", &jpeg, jpeg.size()},
        {"JPEG followed by other bytes (and their false end markers)", &trailed, jpeg.size()},
        {"cut inside the compressed data: all of it", &cutInScan, cutInScan.size()},
        {"segment length below 2", &badSegment, std::nullopt},
        {"no marker after the start", &noMarker, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(jpegLength(c.data->data(), c.data->size()), c.want);
    }
    EXPECT_EQ(jpegLength(nullptr, 0), std::nullopt);
}

}  // namespace
}  // namespace platform
