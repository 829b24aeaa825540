#pragma once
// The message of a result code, as alerts show it. Most codes are looked up by key in the string tables (a key
// without a text shows as the key itself); three have a fixed English text; vendor response codes (0xA001 to
// 0xA802) depend on the maker of the camera in the current session; any other code reads "0x%X".
#include <cstdint>
#include <string>

class PtpErrors {
 public:
  // The text of `code`.
  static std::string stringForResponseCode(uint16_t code);
  // The caller's message, one blank, and the text of `code`: the form that alerts use.
  static std::string appendString(const std::string& text, uint16_t code);

  PtpErrors() = delete;
};
