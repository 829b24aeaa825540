#pragma once
// Canon image formats. The camera describes a format as a record of one or two images (raw and/or JPEG, each with
// its size and compression); the store keeps it packed into one u32 that the pickers, the property button and the
// icon text share:
//   bits 28-31 number of images (1 or 2; values outside 0x10000000-0x2FFFFFFF are not image formats)
//   bits 24-27 first image's type (6 raw, 1 JPEG), bits 18-23 its size, bits 14-17 its compression
//   with two images: bits 10-13 second image's type, bits 4-9 its size, bits 0-3 its compression.
// The camera's record (events and SetDevicePropValueEx; u32 little-endian): number of images N, then per image the
// entry length (16), type, size and compression.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

inline constexpr uint32_t kCanonImageTypeRaw = 6;
inline constexpr uint32_t kCanonImageTypeJpeg = 1;
inline constexpr uint32_t kCanonNoImageFormat = 0xFFFFFFFF;  // "none" in the pickers
inline constexpr size_t kCanonImageFormatRecordMax = 36;

// Packs the camera record at `record` (holding `available` bytes) into *out: the bytes consumed (20 for one image,
// 36 for two); ERROR_INVALID_INPUT (0xFF15) for a record shorter than it announces, or without arguments; -1 for a
// count other than 1 or 2. Nothing is read outside the bytes given.
int canonImageFormatPack(const uint8_t* record, size_t available, uint32_t* out);
// True for a result of canonImageFormatPack that consumed a record.
inline bool canonImageFormatPacked(int result) { return result == 20 || result == 36; }
// The camera record of a packed value into `record` (room for 36 bytes): its length (20 or 36), or 0xFF15 for a
// value outside 0x10000000-0x2FFFFFFF.
int canonImageFormatUnpack(uint8_t* record, uint32_t value);

// One image of a packed value.
struct CanonImagePart {
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t compression = 0;
};
// The images of a packed value (none for a value that is not an image format).
std::vector<CanonImagePart> canonImageFormatParts(uint32_t value);
// A one-image value of a type, size and compression.
uint32_t canonImageFormatOne(uint32_t type, uint32_t size, uint32_t compression);

// The halves of a packed value as one-image values (0xFFFFFFFF when the value holds no such half).
uint32_t canonImageFormatRawHalf(uint32_t value);
uint32_t canonImageFormatJpegHalf(uint32_t value);
// Raw and JPEG halves joined (either may be 0xFFFFFFFF; both give 0xFFFFFFFF).
uint32_t canonImageFormatJoin(uint32_t raw, uint32_t jpeg);

// The size and compression of the image of a type within a packed value; 0xFF01 when the value holds none.
ResponseCode canonImageFormatSizeQuality(uint32_t value, uint32_t type, uint16_t* size, uint8_t* compression);
// The display name of a size code ("Large", "Medium", "M1", "M2", "Small", "S1", "S2", "S3"; none for others) and
// the letters the image-format buttons show ("L", "M", "M1", "M2", "S", "S1", "S2", "S3").
const char* canonImageSizeName(uint32_t size);
const char* canonImageSizeLetters(uint32_t size);
// The display name of a JPEG compression ("Fine" 3, "Normal" 2, "None" 0; none for others).
const char* canonJpegQualityName(uint32_t compression);
// The display name of a packed value by its contents ("RAW + Large Fine JPEG"); empty when it has none.
std::string canonImageFormatName(uint32_t value);

// Operations on the store's 0xD120 record (each read under the record's lock). ERROR_INVALID_INPUT for a missing
// output, ERROR_GENERAL when the camera has no 0xD120.
ResponseCode canonImageFormatRawPart(uint32_t* out);
ResponseCode canonImageFormatJpegPart(uint32_t* out);
// 0xFFFFFFFF ("none") followed by every allowed one-image value whose image has the type.
ResponseCode canonImageFormatChoices(uint32_t type, std::vector<uint32_t>* list);
// Sets 0xD120 (with confirmation) to the joined halves; both none gives ERROR_INVALID_INPUT.
ResponseCode canonSetImageFormat(uint32_t raw, uint32_t jpeg);
