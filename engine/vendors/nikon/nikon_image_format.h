#pragma once
// Nikon's combined image-format value and the operations of the image-format picker and labels. The store keeps
// one u32 for 0x5004: bits 0-15 the camera's quality value, bits 16-23 the image size (0x5003), bits 24-31 the raw
// size (0xD0B6). The newer models code the quality as 0-5 JPEG (BASIC, BASIC*, NORM, NORM*, FINE, FINE*), 7 raw and
// 8-13 raw plus the JPEG of quality q - 8; the others as 0-2 JPEG, 4 raw and 5-7 raw plus the JPEG of q - 5.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

inline constexpr uint32_t kNikonImageTypeRaw = 6;
inline constexpr uint32_t kNikonImageTypeJpeg = 1;
inline constexpr uint32_t kNikonNoFormat = 0xFFFFFFFF;

// The label of a combined value on a model ("--" for 0xFFFFFFFF), at most 31 characters.
std::string nikonImageFormatLabelFor(uint8_t model, uint32_t value);
// The label on the current model.
std::string nikonImageFormatLabel(uint32_t value);
// The size and compression of one kind of image within a value: 0xFF01 when the value holds no image of the kind.
ResponseCode nikonImageFormatSizeQuality(uint32_t value, uint32_t type, uint32_t* size, uint32_t* compression);
// The raw and JPEG halves of the current value for the picker (0xFFFFFFFF when there is none).
uint32_t nikonImageFormatRawPart();
uint32_t nikonImageFormatJpegPart();
// Sets the format from the picker's halves: 0x5004, then 0x5003, then 0xD0B6, each only when it differs.
ResponseCode nikonSetImageFormat(uint32_t raw, uint32_t jpeg);
// The picker's choices of a kind (6 raw, 1 JPEG), starting with 0xFFFFFFFF.
ResponseCode nikonImageFormatChoices(uint32_t type, std::vector<uint32_t>* list);
bool nikonImageFormatIsRawPlusJpeg();
// The combined value recomputed from the store's 0x5004, 0x5003 and 0xD0B6 and kept in 0x5004's record.
void nikonRefreshCombinedFormat();
// The quality part of a combined value includes a raw picture / a JPEG picture.
bool nikonQualityIsRaw(uint8_t model, uint32_t quality);
bool nikonQualityHasJpeg(uint8_t model, uint32_t quality);
// The extended coding (raw alone 7): more than 10 allowed 0x5004 values, or model 229.
bool nikonExtendedQualityCoding();
