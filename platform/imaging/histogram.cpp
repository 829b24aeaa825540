#include "platform/imaging/histogram.h"

#include <cstring>
#include <vector>

#include "platform/imaging/row_bands.h"

namespace platform {
namespace {

// The channel that each byte of a pixel holds in memory, for the formats counted as they are.
bool byteChannels(QImage::Format format, int channelOfByte[4]) {
  const bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
  switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: {
      // 0xAARRGGBB as a 32-bit word.
      const int word[4] = {kHistogramBlue, kHistogramGreen, kHistogramRed, kHistogramAlpha};
      for (int i = 0; i < 4; ++i) channelOfByte[i] = littleEndian ? word[i] : word[3 - i];
      return true;
    }
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied: {
      const int bytes[4] = {kHistogramRed, kHistogramGreen, kHistogramBlue, kHistogramAlpha};
      std::memcpy(channelOfByte, bytes, sizeof bytes);
      return true;
    }
    default: return false;
  }
}

// Four tables per byte position, one for each of four neighbouring pixels: a run of equal levels then adds to four
// counters in turn instead of waiting on one. [pixel of four][byte][level].
using CountTables = std::array<std::array<std::array<uint32_t, 256>, 4>, 4>;

// Counts rows [firstRow, endRow) of a four-byte-per-pixel picture, reading sixteen bytes (four pixels) at a time,
// into tables by memory byte; byte `Skip` is not counted (4: every byte is).
template <int Skip>
void countRows(const QImage& image, int firstRow, int endRow, CountTables& t) {
  for (auto& pixel : t)
    for (auto& byte : pixel) byte.fill(0);
  constexpr bool kLittle = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
  const int width = image.width();
  for (int y = firstRow; y < endRow; ++y) {
    const uchar* p = image.constScanLine(y);
    int x = 0;
    for (; x + 4 <= width; x += 4, p += 16) {
      uint64_t words[2];
      std::memcpy(words, p, 16);
      for (int k = 0; k < 4; ++k) {
        for (int b = 0; b < 4; ++b) {
          if (b == Skip) continue;
          const int shift = kLittle ? 32 * (k & 1) + 8 * b : 56 - (32 * (k & 1) + 8 * b);
          ++t[k][b][(words[k >> 1] >> shift) & 0xFF];
        }
      }
    }
    for (; x < width; ++x, p += 4)
      for (int b = 0; b < 4; ++b)
        if (b != Skip) ++t[0][b][p[b]];
  }
}

}  // namespace

bool histogramCount(const QImage& input, HistogramCounts* counts) {
  if (!counts) return false;
  for (auto& channel : *counts) channel.fill(0);
  if (input.isNull()) return false;
  int channelOfByte[4];
  QImage converted;
  const QImage* image = &input;
  if (!byteChannels(input.format(), channelOfByte)) {
    converted = input.convertToFormat(input.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image = &converted;
    byteChannels(converted.format(), channelOfByte);
  }
  // An opaque format's padding byte is 0xFF in every pixel: counted without reading it.
  int skipByte = 4;
  if (!image->hasAlphaChannel())
    for (int b = 0; b < 4; ++b)
      if (channelOfByte[b] == kHistogramAlpha) skipByte = b;
  const int width = image->width(), height = image->height();

  const int bands = rowBandCount(height, width);
  std::vector<CountTables> perBand(static_cast<size_t>(bands));
  forEachRowBand(height, width, [&](int band, int firstRow, int endRow) {
    CountTables& t = perBand[size_t(band)];
    switch (skipByte) {
      case 0: countRows<0>(*image, firstRow, endRow, t); break;
      case 3: countRows<3>(*image, firstRow, endRow, t); break;
      default: countRows<4>(*image, firstRow, endRow, t); break;
    }
  });
  for (int b = 0; b < 4; ++b) {
    std::array<uint64_t, 256>& channel = (*counts)[channelOfByte[b]];
    for (const CountTables& t : perBand)
      for (int level = 0; level < 256; ++level)
        channel[level] += uint64_t(t[0][b][level]) + t[1][b][level] + t[2][b][level] + t[3][b][level];
  }
  if (skipByte < 4) (*counts)[kHistogramAlpha][255] = uint64_t(width) * uint64_t(height);
  return true;
}

QImage histogramBitmap(const QImage& picture) {
  if (picture.isNull()) return {};
  QImage bitmap = picture.scaled(kHistogramBitmapSide, kHistogramBitmapSide, Qt::IgnoreAspectRatio,
                                 Qt::FastTransformation);
  if (bitmap.format() != QImage::Format_RGB32) bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
  return bitmap;
}

}  // namespace platform
