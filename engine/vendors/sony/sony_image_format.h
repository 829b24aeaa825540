#pragma once
// Sony image formats as the picker sees them: the combined value (format byte, compression << 8, size << 16) of
// 0xD253 on the cameras that have it, else of 0x5004; its RAW and JPEG halves, the picker's choices, the set, and
// the label.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ptp/response_code.h"

ResponseCode sonyRawFormatValue(int32_t* out);
ResponseCode sonyJpegFormatValue(int32_t* out);
// Kind 6 RAW, 1 JPEG; the list starts with -1 (none).
ResponseCode sonyImageFormatChoices(int kind, std::vector<int32_t>* list);
ResponseCode sonySetImageFormat(int32_t raw, int32_t jpeg);
std::string sonyImageFormatLabel(int32_t value);
bool sonyImageFormatCheck();
