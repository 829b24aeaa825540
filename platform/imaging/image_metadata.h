#pragma once
// Image metadata read from memory with Exiv2 (JPEG, and the raw files CR2, CR3, NEF, ARW, RAF and DNG), as a
// dictionary of the shape described in image_property_keys.h, and the lossless rewrite of a JPEG's orientation.
//
// The bytes are never copied whole: Exiv2 reads them in place through a memory stream. Whatever Exiv2 throws on
// bad input is caught here and becomes "no metadata" (nullopt); nothing it raises reaches the caller.
// Numbers: rationals become doubles, and a rational with a zero denominator is left out (absent), never stored as
// an infinity or NaN. Texts are cut at their first NUL and never run past their count.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/value.h"

namespace platform {

// Type hints naming the container the caller expects; the bytes decide first, the hint is tried when they alone
// do not identify the container.
inline constexpr const char* kImageTypeJpeg = "public.jpeg";
inline constexpr const char* kImageTypeNikonRaw = "com.nikon.raw-image";
inline constexpr const char* kImageTypeSonyRaw = "com.sony.arw-raw-image";
inline constexpr const char* kImageTypeCanonCr2 = "com.canon.cr2-raw-image";
inline constexpr const char* kImageTypeFujiRaw = "com.fuji.raw-image";

// The metadata of the first image in the data, or nullopt when the data is no image Exiv2 knows or holds neither
// EXIF nor TIFF entries. The top-level pixel size comes from the metadata or, failing that, from Qt's image reader
// (which reads the header only, without decoding pixels).
std::optional<ValueDictionary> imageCopyProperties(const uint8_t* data, size_t size, const std::string& typeHint = {});

// The pixel size of the image in the data as Qt's image reader sees it from the header, without decoding;
// nullopt when it cannot tell.
std::optional<std::pair<int, int>> imagePixelSize(const uint8_t* data, size_t size);

// The length of the JPEG at the start of the data up to and including its end marker, or nullopt when the data
// does not start with a JPEG whose segments can be walked to the compressed picture. Without an end marker (a cut
// file) the whole data counts.
std::optional<size_t> jpegLength(const uint8_t* data, size_t size);

// The JPEG at the start of the data (up to its end marker) with its EXIF orientation set to `orientation`, written
// by Exiv2 as a metadata edit: the compressed picture is copied byte for byte, never re-encoded. Bytes after the
// JPEG are not part of the result. nullopt when the data is no JPEG or the edit fails.
std::optional<Data> jpegWithOrientation(const uint8_t* data, size_t size, uint16_t orientation);

}  // namespace platform
