#include "app/viewing/still_image_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cassert>
#include <limits>
#include <mutex>

#include "app/viewing/still_image_buffers.h"
#include "engine/store/image_files.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/system_log.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"
#include "platform/imaging/raw_decoder.h"
#include "platform/imaging/row_bands.h"

namespace {

bool startsAsJpeg(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// Qt refuses pictures above its allocation limit (128 MB by default: a 45-megapixel photo is more). The decoder
// takes pictures up to the raw converter's own limit instead, checked before anything is allocated.
void raiseReaderLimit() {
  static std::once_flag once;
  std::call_once(once, [] {
    const int needed = int(platform::kRawMaxPixels * 4 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < needed)
      QImageReader::setAllocationLimit(needed);
  });
}

// Pictures are kept as opaque premultiplied ARGB, the format the views draw: an RGB32 picture has the same bytes
// (its fourth byte is 0xFF) and takes the name in place; anything else is converted once here, off the main thread.
QImage asShownFormat(QImage image) {
  if (image.isNull() || image.format() == QImage::Format_ARGB32_Premultiplied) return image;
  if (image.format() == QImage::Format_RGB32 && image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied))
    return image;
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Qt's reader over bytes in place, its own turn off. `format` names the reader to try first ("jpeg", "tiff");
// the content decides when it does not fit.
QImage decodeWithQt(const uint8_t* data, size_t size, const char* format) {
  if (!data || size == 0 || size > size_t(std::numeric_limits<qsizetype>::max())) return {};
  raiseReaderLimit();
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer, format);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  const QSize size2 = reader.size();
  if (size2.isValid() && uint64_t(size2.width()) * uint64_t(size2.height()) > platform::kRawMaxPixels) return {};
  // Photo-sized pictures decode into a kept block (Qt's reader fills a picture of the right size and format).
  QImage image = size2.isValid() ? still_buffers::pictureBuffer(size2.width(), size2.height(), QImage::Format_RGB32)
                                 : QImage();
  if (!reader.read(&image)) return {};
  return asShownFormat(std::move(image));
}

// The orientation the metadata of the bytes gives (1 to 8), or 0 when it gives none.
uint8_t metadataOrientation(const uint8_t* data, size_t size, const std::string& hint) {
  const std::optional<platform::ValueDictionary> properties = platform::imageCopyProperties(data, size, hint);
  if (!properties) return 0;
  const auto it = properties->find(platform::kCGImagePropertyOrientation);
  if (it == properties->end() || !it->second.isNumber()) return 0;
  const int64_t value = it->second.toInteger();
  return value >= 1 && value <= 8 ? uint8_t(value) : 0;
}

uint8_t orientationInForce(uint8_t requested, uint8_t fromFile, uint8_t objectOrientation) {
  if (requested != kOrientationFromFile) return requested >= 1 && requested <= 8 ? requested : 1;
  if (fromFile != 0) return fromFile;
  return objectOrientation >= 1 && objectOrientation <= 8 ? objectOrientation : 1;
}

// The object's format for the preview locator: its own, or the one its name says.
uint16_t rawFormatOf(const StillImageSource& source) {
  if (formatIsRaw(source.format)) return source.format;
  return fileFormatForName(source.fileName.c_str());
}

}  // namespace

void stillAssertOffMainThread() { assert(!platform::isMainThread() && "picture work on the main thread"); }

const char* stillImageTypeHint(uint16_t format) {
  switch (format) {
    case 0x3000: return platform::kImageTypeNikonRaw;
    case 0x3801: return platform::kImageTypeJpeg;
    case 0xB101: return platform::kImageTypeSonyRaw;
    case 0xB103: return platform::kImageTypeCanonCr2;
    case 0xB111: return platform::kImageTypeFujiRaw;
    default: return "";
  }
}

bool stillImageIsRaw(uint16_t format, const std::string& fileName) {
  return formatIsRaw(format) || fileIsRaw(fileName.c_str());
}

std::optional<StillDecodedPicture> stillDecodeFirstPicture(const StillImageSource& source, uint8_t orientation,
                                                           const std::atomic<bool>* cancel) {
  stillAssertOffMainThread();
  if (!source.data || source.data->empty()) return std::nullopt;
  const uint8_t* data = source.data->data();
  const size_t size = source.data->size();
  StillDecodedPicture picture;

  if (!stillImageIsRaw(source.format, source.fileName) || startsAsJpeg(data, size)) {
    picture.unturned = decodeWithQt(data, size, source.format == 0x380D ? "tiff" : "jpeg");
    if (picture.unturned.isNull()) return std::nullopt;
    const uint8_t fromFile =
        orientation == kOrientationFromFile ? metadataOrientation(data, size, stillImageTypeHint(source.format)) : 0;
    picture.orientation = orientationInForce(orientation, fromFile, source.objectOrientation);
    return picture;
  }

  // A raw file: its container's orientation (else its preview's) holds for the preview and the whole picture.
  uint8_t fromFile = 0;
  if (orientation == kOrientationFromFile) fromFile = metadataOrientation(data, size, stillImageTypeHint(source.format));
  uint64_t offset = 0, length = 0;
  if (rawFindPreview(data, size, &offset, &length, rawFormatOf(source))) {
    picture.unturned = decodeWithQt(data + offset, size_t(length), "jpeg");
    if (!picture.unturned.isNull() && fromFile == 0 && orientation == kOrientationFromFile)
      fromFile = metadataOrientation(data + offset, size_t(length), platform::kImageTypeJpeg);
  }
  picture.orientation = orientationInForce(orientation, fromFile, source.objectOrientation);
  if (!picture.unturned.isNull()) {
    picture.fullRawFollows = !source.quickRaw;
    return picture;
  }
  if (source.quickRaw) return std::nullopt;
  // No preview to show first: the converter's picture is the first one.
  std::optional<QImage> full = stillDecodeFullRaw(source, cancel);
  if (!full) return std::nullopt;
  picture.unturned = std::move(*full);
  return picture;
}

std::optional<QImage> stillDecodeFullRaw(const StillImageSource& source, const std::atomic<bool>* cancel) {
  stillAssertOffMainThread();
  if (!source.data || source.data->empty()) return std::nullopt;
  platform::RawDecodeResult result = platform::rawDecode(source.data->data(), source.data->size(), cancel);
  if (result.status != platform::RawDecodeStatus::Decoded) {
    if (result.status != platform::RawDecodeStatus::Cancelled)
      platform::systemLog("raw decode of " + source.fileName + " failed: " + result.detail);
    return std::nullopt;
  }
  return asShownFormat(std::move(result.image));
}

QImage stillTurnedImage(const QImage& picture, uint8_t orientation) {
  stillAssertOffMainThread();
  if (picture.isNull() || orientation < 2 || orientation > 8) return picture;
  if (picture.depth() != 32) return stillTurnedImage(asShownFormat(picture), orientation);
  // The stored pixel shown at (x, y): column a x + b y + c, row d x + e y + f of the W x H picture.
  const int64_t W = picture.width(), H = picture.height();
  struct Map {
    int64_t a, b, c, d, e, f;
  };
  const Map maps[9] = {{},
                       {1, 0, 0, 0, 1, 0},
                       {-1, 0, W - 1, 0, 1, 0},
                       {-1, 0, W - 1, 0, -1, H - 1},
                       {1, 0, 0, 0, -1, H - 1},
                       {0, 1, 0, 1, 0, 0},
                       {0, 1, 0, -1, 0, H - 1},
                       {0, -1, W - 1, -1, 0, H - 1},
                       {0, -1, W - 1, 1, 0, 0}};
  const Map m = maps[orientation];
  const bool sideways = orientation >= 5;
  const int width = int(sideways ? H : W), height = int(sideways ? W : H);
  QImage turned = still_buffers::pictureBuffer(width, height, picture.format());
  if (turned.isNull()) return {};
  const auto* source = reinterpret_cast<const uint32_t*>(picture.constBits());
  const int64_t stride = picture.bytesPerLine() / 4;
  // Tiles of 64 x 64 keep the rows read for a turned column in the cache; bands of rows run side by side.
  constexpr int kTile = 64;
  platform::forEachRowBand(height, width, [&](int, int firstRow, int endRow) {
    for (int ty = firstRow; ty < endRow; ty += kTile) {
      const int tyEnd = std::min(endRow, ty + kTile);
      for (int tx = 0; tx < width; tx += kTile) {
        const int txEnd = std::min(width, tx + kTile);
        for (int y = ty; y < tyEnd; ++y) {
          auto* out = reinterpret_cast<uint32_t*>(turned.scanLine(y)) + tx;
          const uint32_t* in = source + (m.d * tx + m.e * y + m.f) * stride + (m.a * tx + m.b * y + m.c);
          const int64_t step = m.d * stride + m.a;
          for (int x = tx; x < txEnd; ++x, in += step) *out++ = *in;
        }
      }
    }
  });
  return turned;
}

uint8_t stillNextOrientation(uint8_t orientation) {
  switch (orientation) {
    case 1: return 6;
    case 6: return 3;
    case 3: return 8;
    case 8: return 1;
    default: return 0;
  }
}
