#pragma once
// Fujifilm image formats: the table of image sizes that the text-valued 0x5003 names, their aspect groups, and the
// one image-format value that the picker, the property button and its label share:
//   bits 24-31 RAW compression (0xD022: 1 off, 2 on), bits 16-23 1 when RAW is recorded, bits 8-15 the size index,
//   bits 0-7 the JPEG quality (2 FINE, 3 NORMAL, 6 SUPER FINE); -1 means none.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

inline constexpr uint32_t kFujiImageSizeCount = 70;
inline constexpr int32_t kFujiFormatNone = -1;

// The size text of an index (0-69), or none; its size letter ('S', 'M', 'L'; 0 for none).
const char* fujiImageSizeText(uint32_t index);
char fujiImageSizeLetter(uint32_t index);
// The index of a size text for a model (several indices share a text; the model picks which): 0 for no text,
// 0xFFFF when none matches.
uint16_t fujiImageSizeIndexForModel(const char* text, uint8_t model);
uint16_t fujiImageSizeIndex(const char* text);  // for the session's model

// The size indices offered with the current one, in offer order, for a model: its aspect group, or empty when no
// group holds the index.
std::vector<uint32_t> fujiAspectGroup(uint32_t sizeIndex, uint8_t model);

// The property button's value from 0xD018, 0x5003 and 0xD022.
ResponseCode fujiImageFormatValue(uint32_t* out);
// The picker's current RAW and JPEG parts (-1 when the format has none).
ResponseCode fujiRawFormatValue(int32_t* out);
ResponseCode fujiJpegFormatValue(int32_t* out);
// The picker's buttons of a kind (6 RAW, 1 JPEG): a list beginning with -1.
ResponseCode fujiImageFormatChoices(int kind, std::vector<int32_t>* list);
// Sets quality, RAW compression and size from a RAW part and a JPEG part.
ResponseCode fujiSetImageFormat(int32_t raw, int32_t jpeg);
bool fujiFormatIsRawPlusJpeg();
// The label of an image-format value: "--" for -1, e.g. "C-RAW + L JPG (FINE)".
std::string fujiImageFormatLabel(int32_t value);

// Shots left on the card, from the text of 0xD20D.
int fujiShotsAvailable();
