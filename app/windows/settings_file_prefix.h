#pragma once
// The checks the settings window makes before it stores a text that names files: the prefix of downloaded
// pictures ("CustomFileName"), the prefix of the copies on the device's SD card ("SdPrefix") and the watermark
// text the device stamps on shared pictures ("WatermarkText").
//
// A prefix becomes the first part of a file name, so it must not lead out of the folder or be a folder's own
// name: "/" and NUL are refused, and so are "." and "..". The device keeps at most 63 bytes of the SD prefix and
// 128 of the watermark; a longer text is refused whole rather than cut, which could split a character.
#include <cstddef>
#include <string>

enum class SettingsTextProblem {
  None,
  PathCharacter,  // holds "/" or NUL
  DotName,        // is "." or ".."
  TooLong,        // more bytes than the device keeps
};

// The most bytes the device keeps of the SD-card prefix and of the watermark text (UTF-8).
size_t sdPrefixMaxBytes();
size_t watermarkTextMaxBytes();

SettingsTextProblem checkDownloadPrefix(const std::string& utf8);
SettingsTextProblem checkSdCardPrefix(const std::string& utf8);
SettingsTextProblem checkWatermarkText(const std::string& utf8);

// The message that tells the user why a text was refused (empty for None); `sdCard` picks the SD card's length
// message, else the watermark's.
std::string settingsTextProblemMessage(SettingsTextProblem problem, bool sdCard);
