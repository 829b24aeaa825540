// The still viewer's decoding on files of the stand-in device's kinds: JPEGs turned by their orientation or the
// object's (checked against Qt's own turn of the same file), every orientation's turn against pixel mappings
// written out here, the raw files' preview first and the converter's whole picture (the 64 x 48 sensor mosaic of
// the DNG-structured files, red ramp over blue ramp), files the converter cannot take, quick-raw data, and
// unreadable bytes. The decode functions run off the main thread, as in the viewer.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImageReader>
#include <algorithm>
#include <functional>
#include <thread>

#include "app/viewing/still_image_decoder.h"
#include "app/viewing/still_image_test_pictures.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/raw_factory.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "platform/imaging/image_destination.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"
#include "platform/imaging/raw_decoder.h"

namespace {

using devicesim::RawKind;
using devicesim::Vendor;

// Runs `f` on a thread of its own (the decoder refuses the main thread in debug builds).
template <class F>
auto offMain(F f) {
  decltype(f()) result{};
  std::thread([&] { result = f(); }).join();
  return result;
}

std::shared_ptr<const platform::Data> dataOf(const std::vector<uint8_t>& bytes) {
  return std::make_shared<const platform::Data>(bytes);
}

StillImageSource sourceOf(const std::vector<uint8_t>& bytes, uint16_t format, const std::string& name,
                          uint8_t objectOrientation = 0, bool quickRaw = false) {
  StillImageSource s;
  s.data = dataOf(bytes);
  s.format = format;
  s.fileName = name;
  s.objectOrientation = objectOrientation;
  s.quickRaw = quickRaw;
  return s;
}

std::vector<uint8_t> vendorJpeg(uint8_t orientation) {
  return still_testing::deviceJpeg(300, 200, orientation, 7 + orientation, Vendor::Canon);
}

QImage qtTurned(const std::vector<uint8_t>& bytes) {
  QByteArray raw(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  QBuffer buffer(&raw);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  return reader.read().convertToFormat(QImage::Format_RGB32);
}

TEST(StillImageDecoder, JpegsAreTurnedOnceByTheFilesOrientationElseTheObjects) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint8_t objectOrientation;
    uint8_t expected;
    QSize shownSize;
  };
  const Case cases[] = {
      {"no orientation in the file, object byte 0", still_testing::bareJpeg(60, 40), 0, 1, {60, 40}},
      {"no orientation in the file, object byte 8", still_testing::bareJpeg(60, 40), 8, 8, {40, 60}},
      {"file 1", vendorJpeg(1), 6, 1, {300, 200}},
      {"file 6", vendorJpeg(6), 1, 6, {200, 300}},
      {"file 3", vendorJpeg(3), 0, 3, {300, 200}},
      {"file 8", vendorJpeg(8), 0, 8, {200, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto picture = offMain([&] {
      return stillDecodeFirstPicture(sourceOf(c.bytes, 0x3801, "IMG_0001.JPG", c.objectOrientation),
                                     kOrientationFromFile);
    });
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->orientation, c.expected);
    EXPECT_FALSE(picture->fullRawFollows);
    const QImage shown = offMain([&] { return stillTurnedImage(picture->unturned, picture->orientation); });
    EXPECT_EQ(shown.size(), c.shownSize);
    // Where the file carries the orientation, Qt's own turn of the file is the reference.
    if (c.bytes.size() > 20000) {
      EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), qtTurned(c.bytes));
    }
  }
  // A TIFF object goes the same way, its orientation from its own entries.
  QImage stored(90, 60, QImage::Format_RGB32);
  stored.fill(qRgb(20, 140, 220));
  auto tiff = platform::ImageDestination::createWithData(platform::kImageTypeTiff);
  ASSERT_TRUE(tiff->addImage(stored, {{platform::kCGImagePropertyOrientation, platform::Value(6)}}));
  ASSERT_TRUE(tiff->finalize());
  const auto fromTiff = offMain([&] {
    return stillDecodeFirstPicture(sourceOf(tiff->data(), 0x380D, "IMG_0002.TIF"), kOrientationFromFile);
  });
  ASSERT_TRUE(fromTiff);
  EXPECT_EQ(fromTiff->orientation, 6);
  EXPECT_EQ(fromTiff->unturned.size(), QSize(90, 60));

  // A requested orientation overrides the file's.
  const auto forced =
      offMain([&] { return stillDecodeFirstPicture(sourceOf(vendorJpeg(6), 0x3801, "IMG_0002.JPG"), 3); });
  ASSERT_TRUE(forced);
  EXPECT_EQ(forced->orientation, 3);
}

TEST(StillImageDecoder, EachOrientationTurnsThePixelsUpright) {
  // 3 x 2, every pixel its own colour.
  QImage stored(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) stored.setPixel(x, y, qRgb(40 * x + 10, 100 * y + 20, 7));
  // Where the displayed pixel (x, y) comes from in the stored W x H picture, per the EXIF definitions.
  using Map = std::function<QPoint(int x, int y, int W, int H)>;
  const std::pair<uint8_t, Map> cases[] = {
      {1, [](int x, int y, int, int) { return QPoint(x, y); }},
      {2, [](int x, int y, int W, int) { return QPoint(W - 1 - x, y); }},
      {3, [](int x, int y, int W, int H) { return QPoint(W - 1 - x, H - 1 - y); }},
      {4, [](int x, int y, int, int H) { return QPoint(x, H - 1 - y); }},
      {5, [](int x, int y, int, int) { return QPoint(y, x); }},
      {6, [](int x, int y, int, int H) { return QPoint(y, H - 1 - x); }},
      {7, [](int x, int y, int W, int H) { return QPoint(W - 1 - y, H - 1 - x); }},
      {8, [](int x, int y, int W, int) { return QPoint(W - 1 - y, x); }},
  };
  for (const auto& [orientation, from] : cases) {
    SCOPED_TRACE(int(orientation));
    const QImage shown = offMain([&] { return stillTurnedImage(stored, orientation); });
    const bool sideways = orientation >= 5;
    ASSERT_EQ(shown.size(), sideways ? QSize(2, 3) : QSize(3, 2));
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        EXPECT_EQ(shown.pixel(x, y), stored.pixel(from(x, y, 3, 2))) << x << "," << y;
  }
  // The rotate button's cycle comes back after four steps; mirrored orientations do not step.
  uint8_t o = 1;
  for (int i = 0; i < 4; ++i) o = stillNextOrientation(o);
  EXPECT_EQ(o, 1);
  EXPECT_EQ(stillNextOrientation(1), 6);
  EXPECT_EQ(stillNextOrientation(6), 3);
  EXPECT_EQ(stillNextOrientation(3), 8);
  EXPECT_EQ(stillNextOrientation(2), 0);
}

// The sensor mosaic as the converter develops it: red rising to the right in the upper half, blue in the lower.
void expectSensorPicture(const QImage& full) {
  ASSERT_EQ(full.size(), QSize(devicesim::kRawSensorWidth, devicesim::kRawSensorHeight));
  const QColor upperRight = full.pixelColor(58, 6), lowerRight = full.pixelColor(58, 42);
  const QColor upperLeft = full.pixelColor(4, 6);
  EXPECT_GT(upperRight.red(), 200);
  EXPECT_LT(upperRight.blue(), 120);
  EXPECT_GT(lowerRight.blue(), 200);
  EXPECT_LT(lowerRight.red(), 60);
  EXPECT_LT(upperLeft.red(), upperRight.red() - 100) << "the ramp rises to the right: not mirrored";
}

TEST(StillImageDecoder, RawFilesShowTheirPreviewFirstThenTheConvertersWholePicture) {
  struct Case {
    RawKind kind;
    Vendor vendor;
    const char* name;
  };
  for (const Case& c : {Case{RawKind::Cr2, Vendor::Canon, "IMG_0001.CR2"}, Case{RawKind::Nef, Vendor::Nikon, "DSC_0001.NEF"},
                        Case{RawKind::Arw, Vendor::Sony, "DSC00001.ARW"}}) {
    SCOPED_TRACE(c.name);
    const StillImageSource source = sourceOf(still_testing::deviceRaw(c.kind, c.vendor, 6), devicesim::rawObjectFormat(c.kind), c.name);
    const auto first = offMain([&] { return stillDecodeFirstPicture(source, kOrientationFromFile); });
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->fullRawFollows);
    EXPECT_EQ(first->orientation, 6) << "the raw file's own orientation";
    EXPECT_EQ(first->unturned.size(), QSize(1200, 800)) << "the preview";
    const auto full = offMain([&] { return stillDecodeFullRaw(source); });
    ASSERT_TRUE(full);
    expectSensorPicture(*full);
    // By its name alone, as a card file without a format.
    const auto byName = offMain([&] {
      return stillDecodeFirstPicture(sourceOf(*source.data, 0, c.name), kOrientationFromFile);
    });
    ASSERT_TRUE(byName);
    EXPECT_TRUE(byName->fullRawFollows);
  }
}

TEST(StillImageDecoder, WithoutAUsablePreviewTheConvertersPictureComesFirst) {
  std::vector<uint8_t> bytes = still_testing::deviceRaw(RawKind::Arw, Vendor::Sony);
  const auto found = devicesim::rawImage(devicesim::vendorRawRecipe(Vendor::Sony));
  bytes[found->previewOffset] = 0;  // the preview no longer starts as a JPEG
  bytes[found->previewOffset + 1] = 0;
  const auto first = offMain([&] { return stillDecodeFirstPicture(sourceOf(bytes, 0xB101, "DSC00002.ARW"), 255); });
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->fullRawFollows);
  expectSensorPicture(first->unturned);
  // Quick-raw mode shows previews only: nothing then.
  EXPECT_FALSE(offMain([&] {
    return stillDecodeFirstPicture(sourceOf(bytes, 0xB101, "DSC00002.ARW", 0, true), 255);
  }));
}

TEST(StillImageDecoder, Cr3AndRafShowTheirPreviewAndTheConverterFailsOnThem) {
  fujiRegisterModule();  // the RAF preview locator
  struct Case {
    RawKind kind;
    Vendor vendor;
    const char* name;
  };
  for (const Case& c : {Case{RawKind::Cr3, Vendor::Canon, "IMG_0003.CR3"}, Case{RawKind::Raf, Vendor::Fuji, "DSCF0003.RAF"}}) {
    SCOPED_TRACE(c.name);
    const StillImageSource source = sourceOf(still_testing::deviceRaw(c.kind, c.vendor), devicesim::rawObjectFormat(c.kind), c.name);
    const auto first = offMain([&] { return stillDecodeFirstPicture(source, kOrientationFromFile); });
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->fullRawFollows);
    EXPECT_EQ(first->unturned.size(), QSize(1200, 800));
    EXPECT_FALSE(offMain([&] { return stillDecodeFullRaw(source); })) << "no whole picture: the preview stays";
  }
  fujiUnregisterModule();
}

TEST(StillImageDecoder, QuickRawDataAndModeShowJpegsOnly) {
  // What a quick-raw download delivers for a raw object: the JPEG, whatever the object's format.
  const auto jpegData = offMain([&] {
    return stillDecodeFirstPicture(sourceOf(vendorJpeg(3), 0xB103, "IMG_0004.CR2"), kOrientationFromFile);
  });
  ASSERT_TRUE(jpegData);
  EXPECT_FALSE(jpegData->fullRawFollows);
  EXPECT_EQ(jpegData->orientation, 3);
  // A whole raw file in quick-raw mode: its preview, and no conversion after it.
  const auto preview = offMain([&] {
    return stillDecodeFirstPicture(sourceOf(still_testing::deviceRaw(RawKind::Cr2, Vendor::Canon), 0xB103, "IMG_0004.CR2", 0, true),
                                   kOrientationFromFile);
  });
  ASSERT_TRUE(preview);
  EXPECT_FALSE(preview->fullRawFollows);
}

TEST(StillImageDecoder, UnreadableBytesGiveNoPicture) {
  const std::vector<uint8_t> garbage(5000, 0x5A);
  std::vector<uint8_t> cut = vendorJpeg(1);
  cut.resize(300);  // the header and no picture
  for (const auto& [bytes, format, name] :
       {std::tuple{garbage, uint16_t(0x3801), "IMG_0005.JPG"}, std::tuple{cut, uint16_t(0x3801), "IMG_0005.JPG"},
        std::tuple{garbage, uint16_t(0xB103), "IMG_0005.CR2"}, std::tuple{std::vector<uint8_t>{}, uint16_t(0x3801), "x.JPG"}}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(offMain([&] { return stillDecodeFirstPicture(sourceOf(bytes, format, name), 255); }));
  }
  EXPECT_FALSE(offMain([&] { return stillDecodeFullRaw(sourceOf(garbage, 0xB103, "IMG_0005.CR2")); }));
}

TEST(StillImageDecoder, TheConverterStopsOnItsFlagAndRefusesHugeSensors) {
  std::vector<uint8_t> bytes = still_testing::deviceRaw(RawKind::Cr2, Vendor::Canon);
  std::atomic<bool> stop{true};
  const platform::RawDecodeResult stopped =
      offMain([&] { return platform::rawDecode(bytes.data(), bytes.size(), &stop); });
  EXPECT_EQ(stopped.status, platform::RawDecodeStatus::Cancelled);
  EXPECT_TRUE(stopped.image.isNull());

  // The sensor directory claims 20000 x 20000 pixels (its width and height entries, little-endian longs).
  const uint8_t width[] = {0x00, 0x01, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 64, 0, 0, 0};
  const auto at = std::search(bytes.begin(), bytes.end(), std::begin(width), std::end(width));
  ASSERT_NE(at, bytes.end());
  for (int entry = 0; entry < 2; ++entry) {
    auto value = at + entry * 12 + 8;
    value[0] = 0x20, value[1] = 0x4E;
  }
  const platform::RawDecodeResult huge = offMain([&] { return platform::rawDecode(bytes.data(), bytes.size()); });
  EXPECT_EQ(huge.status, platform::RawDecodeStatus::TooLarge) << huge.detail;
}

}  // namespace
