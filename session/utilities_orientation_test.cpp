// The orientation rewrite of downloaded images: a metadata edit that keeps the picture's bytes and the trailing raw
// head of a quick-raw image.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstring>

#include "devicesim/raw_factory.h"
#include "platform/imaging/image_metadata.h"
#include "session/utilities.h"

namespace {

QImage decoded(const std::vector<uint8_t>& bytes) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "jpeg");
  reader.setAutoTransform(false);
  return reader.read();
}

// The compressed picture: from the start-of-scan marker to the end marker.
std::vector<uint8_t> scanData(const std::vector<uint8_t>& jpeg, size_t length) {
  for (size_t i = 2; i + 1 < length; ++i) {
    if (jpeg[i] != 0xFF) return {};
    const uint8_t marker = jpeg[i + 1];
    const size_t segment = (size_t(jpeg[i + 2]) << 8) | jpeg[i + 3];
    if (marker == 0xDA) return std::vector<uint8_t>(jpeg.begin() + long(i), jpeg.begin() + long(length));
    i += 1 + segment;
  }
  return {};
}

uint16_t orientationOf(const std::vector<uint8_t>& bytes) {
  const auto properties = platform::imageCopyProperties(bytes.data(), bytes.size());
  if (!properties) return 0;
  return uint16_t(platform::Value(*properties)["{TIFF}"]["Orientation"].toInteger());
}

TEST(UtilitiesOrientationTest, RewritesTheOrientationWithoutTouchingThePicture) {
  const auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(devicesim::Vendor::Canon));
  devicesim::JpegRecipe recipe = devicesim::vendorJpegRecipe(devicesim::Vendor::Canon);
  recipe.size = 120 * 1024;
  const std::vector<uint8_t>& jpeg = devicesim::jpegImage(recipe)->bytes;
  ASSERT_LT(jpeg.size(), Utilities::exifHeaderLength());
  std::vector<uint8_t> quickRaw = jpeg;
  quickRaw.insert(quickRaw.end(), raw->bytes.begin(), raw->bytes.begin() + Utilities::exifHeaderLength());

  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    bool keepsHead;
  };
  const Case cases[] = {
      {"quick-raw image: JPEG and raw head", quickRaw, true},
      {"JPEG shorter than a head: nothing appended, nothing read before the data", jpeg, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto out = Utilities::setOrientation(6, c.data);
    ASSERT_TRUE(out.has_value());
    const size_t jpegLength = *platform::jpegLength(out->data(), out->size());
    EXPECT_EQ(orientationOf(*out), 6);
    EXPECT_EQ(orientationOf(jpeg), 1);
    // The same compressed bytes, and so the same pixels.
    EXPECT_EQ(scanData(*out, jpegLength), scanData(jpeg, jpeg.size()));
    EXPECT_FALSE(scanData(jpeg, jpeg.size()).empty());
    const QImage before = decoded(jpeg), after = decoded(*out);
    ASSERT_FALSE(before.isNull());
    EXPECT_EQ(before, after);
    if (c.keepsHead) {
      ASSERT_EQ(out->size(), jpegLength + Utilities::exifHeaderLength());
      EXPECT_EQ(0, std::memcmp(out->data() + jpegLength, raw->bytes.data(), Utilities::exifHeaderLength()));
    } else {
      EXPECT_EQ(out->size(), jpegLength);
    }
  }
}

TEST(UtilitiesOrientationTest, AddsTheEntryToAJpegWithoutExifAndRefusesWhatIsNoJpeg) {
  const QImage picture(64, 48, QImage::Format_RGB32);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "JPEG");
  const std::vector<uint8_t> bare(encoded.begin(), encoded.end());
  const auto out = Utilities::setOrientation(8, bare);
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(orientationOf(*out), 8);

  const std::vector<uint8_t> garbage(300000, 0x5A);
  for (const auto& data : {std::vector<uint8_t>{}, std::vector<uint8_t>{0xFF, 0xD8}, garbage}) {
    EXPECT_FALSE(Utilities::setOrientation(3, data).has_value());
  }
}

}  // namespace
