#include "devicesim/jpeg_factory.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstring>

namespace devicesim {
namespace {

QByteArray bytesOf(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

uint32_t be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// The thumbnail that IFD1 of the file's EXIF segment points at.
std::vector<uint8_t> exifThumbnail(const std::vector<uint8_t>& file) {
    if (file.size() < 20 || file[2] != 0xFF || file[3] != 0xE1 || std::memcmp(&file[6], "Exif\0\0", 6) != 0) return {};
    const uint8_t* tiff = &file[12];
    const size_t tiffSize = size_t(be16(&file[4])) - 8;
    uint32_t ifd0 = be32(tiff + 4);
    uint32_t next = be32(tiff + ifd0 + 2 + 12 * be16(tiff + ifd0));
    uint16_t n = be16(tiff + next);
    uint32_t offset = 0, length = 0;
    for (uint16_t i = 0; i < n; ++i) {
        const uint8_t* e = tiff + next + 2 + 12 * i;
        if (be16(e) == 0x0201) offset = be32(e + 8);
        if (be16(e) == 0x0202) length = be32(e + 8);
    }
    if (!offset || offset + length > tiffSize) return {};
    return std::vector<uint8_t>(tiff + offset, tiff + offset + length);
}

TEST(JpegFactory, RealJpegsOfTheSizeAskedWithExifAndThumbnail) {
    for (uint32_t size : {300u * 1024, 6u * 1024 * 1024 + 3}) {
        JpegRecipe recipe;
        recipe.size = size;
        recipe.orientation = 6;
        recipe.seed = size;
        auto image = jpegImage(recipe);
        EXPECT_EQ(image->bytes.size(), size);
        EXPECT_EQ(jpegImage(recipe).get(), image.get());  // cached

        QByteArray data = bytesOf(image->bytes);
        QBuffer buffer(&data);
        QImageReader reader(&buffer, "jpeg");
        EXPECT_EQ(reader.transformation(), QImageIOHandler::TransformationRotate90);
        QImage decoded;
        reader.setAutoTransform(false);
        ASSERT_TRUE(reader.read(&decoded)) << reader.errorString().toStdString();
        EXPECT_EQ(decoded.width(), image->width);
        EXPECT_EQ(decoded.height(), image->height);
        EXPECT_GE(image->width, 600);

        std::vector<uint8_t> thumb = exifThumbnail(image->bytes);
        EXPECT_EQ(thumb, image->thumbnail);
        QImage t = QImage::fromData(bytesOf(thumb), "JPEG");
        EXPECT_EQ(t.width(), image->thumbWidth);
        EXPECT_LE(t.width(), 160);
        EXPECT_LE(t.height(), 120);
    }
}

}  // namespace
}  // namespace devicesim
