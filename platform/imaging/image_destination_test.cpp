// Image destinations: what is written decodes to the same pixels, carries the source's metadata with the
// orientation given, turns when read by a reader that honours the orientation, and refuses what it cannot write.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <exiv2/exiv2.hpp>

// This Exiv2 version hands images and streams over in std::auto_ptr, which clang reports as deprecated at every use.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include "platform/imaging/image_destination.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"

namespace platform {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;
// Quadrants top-left, top-right, bottom-left, bottom-right: flat colours, so that JPEG's loss stays small.
const QRgb kQuadrants[4] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(40, 50, 210), qRgb(235, 225, 40)};

QImage quadrantImage() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, kWidth / 2, kHeight / 2, QColor(kQuadrants[0]));
    p.fillRect(kWidth / 2, 0, kWidth / 2, kHeight / 2, QColor(kQuadrants[1]));
    p.fillRect(0, kHeight / 2, kWidth / 2, kHeight / 2, QColor(kQuadrants[2]));
    p.fillRect(kWidth / 2, kHeight / 2, kWidth / 2, kHeight / 2, QColor(kQuadrants[3]));
    return image;
}

Data encode(const QImage& image, const char* format) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return Data(out.begin(), out.end());
}

// The file with EXIF written by Exiv2, the way a camera's file carries it.
Data withCameraExif(const Data& file, uint16_t orientation) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(file.data(), long(file.size()));
    image->readMetadata();
    Exiv2::ExifData& d = image->exifData();
    d["Exif.Image.Make"] = "Canon";
    d["Exif.Image.Model"] = "Canon EOS 5D Mark IV";
    d["Exif.Image.Orientation"] = orientation;
    d["Exif.Photo.FNumber"] = Exiv2::URational(56, 10);
    d["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
    d["Exif.Photo.ISOSpeedRatings"] = uint16_t(400);
    d["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    io.open();
    Data out(size_t(io.size()));
    io.read(out.data(), long(out.size()));
    io.close();
    return out;
}

QImage decode(const Data& file, bool honourOrientation) {
    QByteArray bytes(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(honourOrientation);
    return reader.read();
}

// The colour at the middle of quadrant q (0 to 3, as kQuadrants) of an image.
QRgb quadrantColour(const QImage& image, int q) {
    const int x = (q % 2 == 0 ? 1 : 3) * image.width() / 4;
    const int y = (q < 2 ? 1 : 3) * image.height() / 4;
    return image.pixel(x, y);
}

int colourDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

bool hasExifKey(const Data& file, const char* key) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(file.data(), long(file.size()));
    image->readMetadata();
    return image->exifData().findKey(Exiv2::ExifKey(key)) != image->exifData().end();
}

TEST(ImageDestinationTest, RoundTripKeepsPixelsAndTheSourceMetadataWithTheGivenOrientation) {
    const QImage original = quadrantImage();
    struct Case {
        const char* sourceFormat;
        const char* destinationType;
        int tolerance;  // per channel: JPEG is lossy (twice, for a JPEG source), TIFF is not
    };
    const Case cases[] = {
        {"JPEG", kImageTypeJpeg, 16},
        {"JPEG", kImageTypeTiff, 10},
        {"TIFF", kImageTypeJpeg, 10},
        {"TIFF", kImageTypeTiff, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sourceFormat) + " -> " + c.destinationType);
        const Data source = withCameraExif(encode(original, c.sourceFormat), 1);
        auto destination = ImageDestination::createWithData(c.destinationType);
        ASSERT_NE(destination, nullptr);
        ASSERT_TRUE(destination->addImageFromSource(source.data(), source.size(),
                                                    {{kCGImagePropertyOrientation, Value(6)}}));
        ASSERT_TRUE(destination->finalize());
        const Data& written = destination->data();

        // The pixels as stored are the source's, not turned.
        const QImage stored = decode(written, false);
        ASSERT_EQ(stored.size(), original.size());
        for (int q = 0; q < 4; ++q) EXPECT_LE(colourDistance(quadrantColour(stored, q), kQuadrants[q]), c.tolerance) << q;

        // Orientation 6 shows the picture turned a quarter clockwise: the top-left quadrant goes to the top right,
        // the bottom-left one to the top left.
        const QImage shown = decode(written, true);
        ASSERT_EQ(shown.size(), QSize(kHeight, kWidth));
        EXPECT_LE(colourDistance(quadrantColour(shown, 1), kQuadrants[0]), c.tolerance);
        EXPECT_LE(colourDistance(quadrantColour(shown, 0), kQuadrants[2]), c.tolerance);

        const auto properties = imageCopyProperties(written.data(), written.size());
        ASSERT_TRUE(properties.has_value());
        const Value top(*properties);
        EXPECT_EQ(top[kCGImagePropertyOrientation].toInteger(), 6);
        EXPECT_EQ(top[kCGImagePropertyTIFFDictionary][kCGImagePropertyTIFFMake].toString(), "Canon");
        EXPECT_EQ(top[kCGImagePropertyTIFFDictionary][kCGImagePropertyTIFFModel].toString(), "Canon EOS 5D Mark IV");
        const Value& exif = top[kCGImagePropertyExifDictionary];
        EXPECT_DOUBLE_EQ(exif[kCGImagePropertyExifFNumber].toDouble(), 5.6);
        EXPECT_DOUBLE_EQ(exif[kCGImagePropertyExifExposureTime].toDouble(), 1.0 / 250);
        EXPECT_EQ(exif[kCGImagePropertyExifISOSpeedRatings], Value(ValueArray{400}));
        EXPECT_TRUE(hasExifKey(written, "Exif.GPSInfo.GPSLatitudeRef"));
    }
}

TEST(ImageDestinationTest, SourceLayoutStaysBehindAndItsOrientationHoldsWhenNoneIsGiven) {
    // A TIFF source's strip table describes the source file; in the written JPEG it would point at nothing.
    const Data source = withCameraExif(encode(quadrantImage(), "TIFF"), 8);
    ASSERT_TRUE(hasExifKey(source, "Exif.Image.StripOffsets"));
    auto destination = ImageDestination::createWithData(kImageTypeJpeg);
    ASSERT_TRUE(destination->addImageFromSource(source.data(), source.size()));
    ASSERT_TRUE(destination->finalize());
    const Data& written = destination->data();
    EXPECT_FALSE(hasExifKey(written, "Exif.Image.StripOffsets"));
    EXPECT_FALSE(hasExifKey(written, "Exif.Image.StripByteCounts"));
    const auto properties = imageCopyProperties(written.data(), written.size());
    ASSERT_TRUE(properties.has_value());
    EXPECT_EQ(Value(*properties)[kCGImagePropertyOrientation].toInteger(), 8);
    EXPECT_EQ(decode(written, true).size(), QSize(kHeight, kWidth));
}

TEST(ImageDestinationTest, PlainImageWithOrientationInItsTiffDictionary) {
    auto destination = ImageDestination::createWithData(kImageTypeTiff);
    ASSERT_TRUE(destination->addImage(
        quadrantImage(), {{kCGImagePropertyTIFFDictionary, Value(ValueDictionary{{kCGImagePropertyTIFFOrientation, 3}})}}));
    ASSERT_TRUE(destination->finalize());
    // Orientation 3 is a half turn: the bottom-right quadrant shows at the top left.
    const QImage shown = decode(destination->data(), true);
    ASSERT_EQ(shown.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(quadrantColour(shown, 0), kQuadrants[3]);
    EXPECT_EQ(quadrantColour(shown, 3), kQuadrants[0]);

    // Without properties nothing but the pixels is written.
    auto bare = ImageDestination::createWithData(kImageTypeJpeg);
    ASSERT_TRUE(bare->addImage(quadrantImage()));
    ASSERT_TRUE(bare->finalize());
    EXPECT_FALSE(imageCopyProperties(bare->data().data(), bare->data().size()).has_value());
    EXPECT_EQ(decode(bare->data(), true).size(), QSize(kWidth, kHeight));
}

TEST(ImageDestinationTest, RefusesWhatItCannotWrite) {
    EXPECT_EQ(ImageDestination::createWithData("public.png"), nullptr);
    EXPECT_EQ(ImageDestination::createWithData(""), nullptr);

    auto destination = ImageDestination::createWithData(kImageTypeJpeg);
    EXPECT_FALSE(destination->finalize()) << "nothing added";

    const Data text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    const Data jpeg = encode(quadrantImage(), "JPEG");
    const Data cut(jpeg.begin(), jpeg.begin() + 20);
    for (const std::string& hint : {std::string(), std::string(kImageTypeJpeg), std::string(kImageTypeTiff)}) {
        SCOPED_TRACE(hint);
        EXPECT_FALSE(destination->addImageFromSource(text.data(), text.size(), {}, hint));
        EXPECT_FALSE(destination->addImageFromSource(cut.data(), cut.size(), {}, hint));
    }
    EXPECT_FALSE(destination->addImageFromSource(nullptr, 0));
    EXPECT_FALSE(destination->addImage(QImage()));

    // One image only, finalized once.
    ASSERT_TRUE(destination->addImageFromSource(jpeg.data(), jpeg.size()));
    EXPECT_FALSE(destination->addImage(quadrantImage()));
    ASSERT_TRUE(destination->finalize());
    const Data first = destination->data();
    EXPECT_FALSE(destination->finalize());
    EXPECT_EQ(destination->data(), first);
}

}  // namespace
}  // namespace platform
