#pragma once
// Pictures for the still viewer's tests, window shots and benchmark (header only): the stand-in device's JPEGs and
// raw files with a chosen orientation, JPEGs without any metadata, and the object record a picture comes with.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "devicesim/jpeg_factory.h"
#include "devicesim/raw_factory.h"
#include "session/ptp_object_info_class.h"

namespace still_testing {

// A picture encoded as a JPEG by Qt: no EXIF, no orientation.
inline std::vector<uint8_t> encodeJpeg(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, "jpeg").write(image);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A JPEG without metadata: red rising to the right, green downwards.
inline std::vector<uint8_t> bareJpeg(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 90));
  return encodeJpeg(image);
}

// The stand-in device's JPEG of a vendor (EXIF with shooting data, the orientation given).
inline std::vector<uint8_t> deviceJpeg(int width, int height, uint8_t orientation, uint32_t seed = 1,
                                       devicesim::Vendor vendor = devicesim::Vendor::Nikon) {
  devicesim::JpegRecipe r = devicesim::vendorJpegRecipe(vendor);
  r.width = width;
  r.height = height;
  r.orientation = orientation;
  r.size = uint32_t(std::max(60 * 1024, width * height / 3));
  r.seed = seed;
  return devicesim::jpegImage(r)->bytes;
}

// The stand-in device's raw file of a kind, made for a vendor, its preview's orientation given.
inline std::vector<uint8_t> deviceRaw(devicesim::RawKind kind, devicesim::Vendor vendor, uint8_t orientation = 1) {
  devicesim::RawRecipe recipe = devicesim::vendorRawRecipe(vendor);
  recipe.kind = kind;
  recipe.preview.orientation = orientation;
  return devicesim::rawImage(recipe)->bytes;
}

// A camera object of the format and name, with the record's orientation byte.
inline std::shared_ptr<const PtpObjectInfoClass> objectOf(uint16_t format, const std::string& name,
                                                          uint8_t orientation = 0) {
  PtpObjectInfoStruct record{};
  record.objectId = 0x1001;
  record.objectFormat = format;
  std::snprintf(record.fileName, sizeof record.fileName, "%s", name.c_str());
  record.fileNameLength = uint16_t(name.size() + 1);
  record.orientation = orientation;
  return PtpObjectInfoClass::init(&record);
}

}  // namespace still_testing
