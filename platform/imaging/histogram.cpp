#include "platform/imaging/histogram.h"

#include <cstring>

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

  // Four tables per byte position, one for each of four neighbouring pixels: a run of equal levels then adds to
  // four counters in turn instead of waiting on one.
  static thread_local uint32_t tables[4][4][256];
  std::memset(tables, 0, sizeof tables);
  const int width = image->width(), height = image->height();
  for (int y = 0; y < height; ++y) {
    const uchar* p = image->constScanLine(y);
    int x = 0;
    for (; x + 4 <= width; x += 4, p += 16) {
      for (int k = 0; k < 4; ++k) {
        ++tables[k][0][p[4 * k]];
        ++tables[k][1][p[4 * k + 1]];
        ++tables[k][2][p[4 * k + 2]];
        ++tables[k][3][p[4 * k + 3]];
      }
    }
    for (; x < width; ++x, p += 4)
      for (int b = 0; b < 4; ++b) ++tables[0][b][p[b]];
  }
  for (int b = 0; b < 4; ++b) {
    std::array<uint64_t, 256>& channel = (*counts)[channelOfByte[b]];
    for (int level = 0; level < 256; ++level)
      channel[level] = uint64_t(tables[0][b][level]) + tables[1][b][level] + tables[2][b][level] + tables[3][b][level];
  }
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
