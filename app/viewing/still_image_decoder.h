#pragma once
// Decoding for the still-image viewer: the file's bytes to the picture shown, turned upright by its orientation.
//
// - JPEG and TIFF: Qt's image reader, its own turn off; the picture is turned once here by the orientation in force
//   (the file's, else the object's).
// - Raw files (by PTP object format or file name): the preview JPEG embedded in the file comes first, then, unless
//   quick-raw mode shows previews only, the raw converter develops the whole picture, which replaces it. A raw
//   file without a preview it can be found gets the converter's picture at once. Data that starts as a JPEG (what
//   a quick-raw download delivers) is decoded as one.
//
// Every function here may be slow: none runs on the main thread (a debug assertion says so). Inputs are untrusted;
// a failure gives no picture.
#include <QImage>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/value.h"

// What one decode is given.
struct StillImageSource {
  std::shared_ptr<const platform::Data> data;
  uint16_t format = 0;             // PTP object format
  std::string fileName;            // the object's name
  uint8_t objectOrientation = 0;   // the object record's orientation byte
  bool quickRaw = false;           // "QuickRawMode": raw files show their preview only
};

struct StillDecodedPicture {
  QImage unturned;              // as stored in the file
  uint8_t orientation = 1;      // EXIF orientation in force, 1 to 8
  bool fullRawFollows = false;  // a raw file's preview: stillDecodeFullRaw gives the whole picture
};

// Orientation 255 asks for the file's own.
inline constexpr uint8_t kOrientationFromFile = 255;

// The decoder's type hint for a PTP object format ("public.jpeg", "com.nikon.raw-image", ...; empty for none).
const char* stillImageTypeHint(uint16_t format);
// Whether the object is a raw file, by its format or its name.
bool stillImageIsRaw(uint16_t format, const std::string& fileName);

// The first picture of the source with `orientation` in force (kOrientationFromFile: the file's, else the object's,
// 0 counting as 1). None when nothing decodes (or the flag was set).
std::optional<StillDecodedPicture> stillDecodeFirstPicture(const StillImageSource& source, uint8_t orientation,
                                                           const std::atomic<bool>* cancel = nullptr);
// The raw converter's picture of a raw source, unturned; none when it fails or the flag stops it.
std::optional<QImage> stillDecodeFullRaw(const StillImageSource& source, const std::atomic<bool>* cancel = nullptr);

// The picture turned (and, for 2, 4, 5 and 7, mirrored) upright for an EXIF orientation; 1 and unknown values
// give it back as it is.
QImage stillTurnedImage(const QImage& picture, uint8_t orientation);

// The rotate button's step: 1 -> 6 -> 3 -> 8 -> 1; 0 for any other orientation (no step).
uint8_t stillNextOrientation(uint8_t orientation);

// Debug builds stop when heavy picture work runs on the main thread.
void stillAssertOffMainThread();
