// Histogram counts against counts taken here pixel by pixel through QImage's own colour accessors, for the
// formats a picture arrives in (red and blue distinct, so that an exchange shows), and the 512 x 512 bitmap.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "platform/imaging/histogram.h"
#include "platform/imaging/row_bands.h"

namespace {

platform::HistogramCounts countByHand(const QImage& img) {
  platform::HistogramCounts c{};
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor p = img.pixelColor(x, y);
      ++c[0][p.red()];
      ++c[1][p.green()];
      ++c[2][p.blue()];
      ++c[3][p.alpha()];
    }
  return c;
}

QImage fixture(QImage::Format format) {
  // 7 x 5: not a multiple of the four pixels counted at a time.
  QImage img(7, 5, QImage::Format_ARGB32);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) img.setPixelColor(x, y, QColor(10 + x, 200 - y, 90 + 3 * x + y, 255 - x));
  return img.convertToFormat(format);
}

TEST(Histogram, CountsEachChannelUnderItsOwnNameInEveryFormat) {
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGBA8888,
                                QImage::Format_RGB888, QImage::Format_Grayscale8}) {
    SCOPED_TRACE(format);
    const QImage img = fixture(format);
    platform::HistogramCounts counts;
    ASSERT_TRUE(platform::histogramCount(img, &counts));
    EXPECT_EQ(counts, countByHand(img));
  }
  const QImage rgb = fixture(QImage::Format_RGB32);
  platform::HistogramCounts counts;
  platform::histogramCount(rgb, &counts);
  EXPECT_EQ(counts[platform::kHistogramRed][10], 5u) << "red 10 is the first column";
  EXPECT_EQ(counts[platform::kHistogramBlue][10], 0u);
  EXPECT_EQ(counts[platform::kHistogramAlpha][255], 35u) << "RGB32 is opaque";
}

TEST(Histogram, ANullPictureCountsNothing) {
  platform::HistogramCounts counts;
  counts[0][0] = 7;
  EXPECT_FALSE(platform::histogramCount(QImage(), &counts));
  EXPECT_EQ(counts[0][0], 0u);
  EXPECT_FALSE(platform::histogramCount(fixture(QImage::Format_RGB32), nullptr));
}

TEST(Histogram, TheBitmapSamplesTheWholePictureIntoTheSquare) {
  QImage picture(960, 640, QImage::Format_RGB32);
  picture.fill(qRgb(0, 0, 200));
  for (int y = 0; y < 640; ++y)
    for (int x = 0; x < 480; ++x) picture.setPixel(x, y, qRgb(250, 20, 0));
  const QImage bitmap = platform::histogramBitmap(picture);
  ASSERT_EQ(bitmap.size(), QSize(512, 512));
  platform::HistogramCounts counts;
  platform::histogramCount(bitmap, &counts);
  EXPECT_EQ(counts[platform::kHistogramRed][250], 256u * 512u) << "the left half, no blended levels";
  EXPECT_EQ(counts[platform::kHistogramBlue][200], 256u * 512u);
  EXPECT_TRUE(platform::histogramBitmap(QImage()).isNull());
}

TEST(Histogram, LargePicturesCountedInBandsSideBySideGiveTheSameCounts) {
  // Over a megapixel, with a width that leaves pixels after the last group of four, opaque and with alpha.
  ASSERT_GT(platform::rowBandCount(2001, 1203), 1);
  QImage img(1203, 2001, QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) row[x] = qRgba((x * 7 + y) & 0xFF, (y * 3) & 0xFF, (x ^ y) & 0xFF, (x + 2 * y) & 0xFF);
  }
  for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB32}) {
    SCOPED_TRACE(format);
    const QImage picture = img.convertToFormat(format);
    platform::HistogramCounts counts;
    ASSERT_TRUE(platform::histogramCount(picture, &counts));
    EXPECT_EQ(counts, countByHand(picture));
  }
}

}  // namespace
