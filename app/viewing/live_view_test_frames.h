#pragma once
// Live-view frames for the display's tests and window shots (header only), written byte by byte at the offsets of
// each vendor's frame format: a Canon header with its AF frames, level, audio and movie time in front of a
// picture; a Nikon record in front of a JPEG; Sony's camera data with the level, the focus block and a JPEG; and
// pictures to put in them (lossless bitmaps where pixels are compared, bare JPEGs where the format needs one).
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "devicesim/canon_frames.h"

namespace live_view_testing {

using Bytes = std::vector<uint8_t>;

inline void put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
inline void put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void putFloat(Bytes& b, size_t at, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  put32(b, at, bits);
}

// A picture with something to see: a sky-to-ground gradient, a bright sun, a dark doorway and sharp stripes, so
// that each mark finds pixels.
inline QImage samplePicture(int width = 960, int height = 640) {
  QImage img(width, height, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(70, 110, 170));
  sky.setColorAt(0.6, QColor(150, 170, 190));
  sky.setColorAt(0.61, QColor(80, 110, 60));
  sky.setColorAt(1, QColor(50, 70, 40));
  p.fillRect(img.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 250));
  p.drawEllipse(QPointF(width * 0.78, height * 0.2), width * 0.06, width * 0.06);
  p.setBrush(QColor(0, 0, 0));
  p.drawRect(QRectF(width * 0.15, height * 0.45, width * 0.08, height * 0.3));
  p.setBrush(QColor(200, 60, 40));
  for (int i = 0; i < 6; ++i) p.drawRect(QRectF(width * (0.4 + 0.04 * i), height * 0.65, width * 0.02, height * 0.2));
  return img;
}

inline Bytes encoded(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, quality);
  return Bytes(bytes.begin(), bytes.end());
}
// A lossless picture (a bitmap file, as Canon's YUV bodies deliver).
inline Bytes bitmapFile(const QImage& image) { return encoded(image, "BMP"); }
// A JPEG that starts FF D8 FF DB, as the cameras send them.
inline Bytes bareJpeg(const QImage& image, int quality = 85) {
  return devicesim::canonBareJpeg(encoded(image, "JPEG", quality));
}

struct CanonAfFrame {
  uint32_t state, x, y, width, height;
};

struct CanonFrameSpec {
  uint8_t kind = 1;
  uint32_t orientationIndex = 0;
  float roll = 0, pitch = 0;
  uint32_t mode = 1;                                  // below 2: whole-image coordinates
  uint32_t zoomX = 0, zoomY = 0, zoomWidth = 0, zoomHeight = 0;
  uint32_t wholeWidth = 6000, wholeHeight = 4000;
  uint32_t correctionHeight = 4000;                   // the value at 48
  std::vector<CanonAfFrame> frames;
  std::array<int32_t, 4> audio{-1, -1, -1, -1};       // level left, right, peak left, right (dB)
  int32_t movieSeconds = -1, movieMilliseconds = 0;
};

inline Bytes canonFrame(const CanonFrameSpec& s, const Bytes& picture) {
  Bytes b(1364, 0);
  b[0] = s.kind;
  put32(b, 4, s.orientationIndex);
  putFloat(b, 8, s.roll);
  putFloat(b, 12, s.pitch);
  put32(b, 16, s.mode);
  put32(b, 20, s.zoomX);
  put32(b, 24, s.zoomY);
  put32(b, 28, s.wholeWidth);
  put32(b, 32, s.wholeHeight);
  put32(b, 36, s.zoomWidth);
  put32(b, 40, s.zoomHeight);
  put32(b, 48, s.correctionHeight);
  put32(b, 52, uint32_t(s.frames.size()));
  for (size_t i = 0; i < s.frames.size() && i < 64; ++i) {
    const CanonAfFrame& f = s.frames[i];
    const uint32_t fields[5] = {f.state, f.x, f.y, f.width, f.height};
    for (int k = 0; k < 5; ++k) put32(b, 56 + 256 * k + 4 * i, fields[k]);
  }
  for (int k = 0; k < 4; ++k) put32(b, 1336 + 4 * k, uint32_t(s.audio[k]));
  put32(b, 1352, uint32_t(s.movieSeconds));
  put32(b, 1356, uint32_t(s.movieMilliseconds));
  put32(b, 1360, uint32_t(picture.size()));
  b.insert(b.end(), picture.begin(), picture.end());
  return b;
}

struct NikonFrameSpec {
  uint16_t displayWidth = 3000, displayHeight = 2000, displayCentreX = 3100, displayCentreY = 2050;
  uint16_t afWidth = 400, afHeight = 300, afCentreX = 3100, afCentreY = 2050;
  uint8_t orientationIndex = 0, afSelected = 0, afState = 2;
  uint32_t roll = 0, pitch = 0, movieRemainingMs = 1234567;
  uint8_t peakLeft = 10, peakRight = 12, levelLeft = 7, levelRight = 9;
};

inline Bytes nikonFrame(const NikonFrameSpec& s, const Bytes& picture) {
  Bytes b(388, 0);
  put32(b, 0, 388);
  put32(b, 4, uint32_t(picture.size()));
  const uint16_t words[8] = {s.displayWidth, s.displayHeight, s.displayCentreX, s.displayCentreY,
                             s.afWidth,      s.afHeight,      s.afCentreX,      s.afCentreY};
  for (int i = 0; i < 8; ++i) put16(b, 16 + 2 * i, words[i]);
  b[37] = s.orientationIndex;
  b[38] = s.afSelected;
  b[48] = s.afState;
  put32(b, 52, s.roll);
  put32(b, 56, s.pitch);
  put32(b, 64, s.movieRemainingMs);
  b[352] = s.peakLeft, b[353] = s.peakRight, b[354] = s.levelLeft, b[355] = s.levelRight;
  b.insert(b.end(), picture.begin(), picture.end());
  return b;
}

struct SonyFrameSpec {
  uint16_t roll = 0;
  size_t focusBlock = 1093;  // 581 on the bodies 0xB0, 0xB6, 0xB7
  uint16_t focusX = 0, focusY = 0, focusWidth = 0, focusHeight = 0;
  size_t headerLength = 1200;  // where the JPEG starts
};

inline Bytes sonyFrame(const SonyFrameSpec& s, const Bytes& bareJpegBytes) {
  Bytes b(s.headerLength, 0);
  if (b.size() >= 1038) put16(b, 1036, s.roll);
  if (b.size() >= s.focusBlock + 14) {
    put16(b, s.focusBlock, s.focusX);
    put16(b, s.focusBlock + 4, s.focusY);
    put16(b, s.focusBlock + 8, s.focusHeight);
    put16(b, s.focusBlock + 12, s.focusWidth);
  }
  b.insert(b.end(), bareJpegBytes.begin(), bareJpegBytes.end());
  return b;
}

}  // namespace live_view_testing
