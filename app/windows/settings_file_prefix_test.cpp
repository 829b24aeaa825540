// The texts the settings window refuses before storing them: prefixes that would lead out of a folder or name a
// folder itself, and texts longer than the device keeps (refused whole, so that no character is ever cut).
#include <gtest/gtest.h>

#include <string>

#include "app/windows/settings_file_prefix.h"

namespace {

std::string repeated(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

const std::string kEAcute = "\xC3\xA9";  // two bytes in UTF-8

struct Case {
  std::string text;
  SettingsTextProblem download, sdCard, watermark;
};

TEST(SettingsFilePrefix, WhatEachTextAccepts) {
  using P = SettingsTextProblem;
  const Case cases[] = {
      {"", P::None, P::None, P::None},
      {"Trip", P::None, P::None, P::None},
      {"a/b", P::PathCharacter, P::PathCharacter, P::None},
      {"/", P::PathCharacter, P::PathCharacter, P::None},
      {std::string("a\0b", 3), P::PathCharacter, P::PathCharacter, P::None},
      {".", P::DotName, P::DotName, P::None},
      {"..", P::DotName, P::DotName, P::None},
      {"...", P::None, P::None, P::None},
      {".hidden", P::None, P::None, P::None},
      {"a..b", P::None, P::None, P::None},
      // The device keeps 63 bytes of the SD prefix: counted in bytes, not characters.
      {std::string(63, 'a'), P::None, P::None, P::None},
      {std::string(64, 'a'), P::None, P::TooLong, P::None},
      {repeated(kEAcute, 31) + "a", P::None, P::None, P::None},  // 63 bytes, 32 characters
      {repeated(kEAcute, 32), P::None, P::TooLong, P::None},      // 64 bytes, 32 characters
      // ... and 128 bytes of the watermark.
      {std::string(128, 'w'), P::None, P::TooLong, P::None},
      {std::string(129, 'w'), P::None, P::TooLong, P::TooLong},
      {repeated(kEAcute, 64), P::None, P::TooLong, P::None},
      {repeated(kEAcute, 64) + "w", P::None, P::TooLong, P::TooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\" (" + std::to_string(c.text.size()) + " bytes)");
    EXPECT_EQ(checkDownloadPrefix(c.text), c.download);
    EXPECT_EQ(checkSdCardPrefix(c.text), c.sdCard);
    EXPECT_EQ(checkWatermarkText(c.text), c.watermark);
  }
}

TEST(SettingsFilePrefix, EveryRefusalHasItsMessage) {
  using P = SettingsTextProblem;
  EXPECT_EQ(settingsTextProblemMessage(P::None, true), "");
  for (P p : {P::PathCharacter, P::DotName}) {
    EXPECT_EQ(settingsTextProblemMessage(p, true), settingsTextProblemMessage(p, false));
    EXPECT_FALSE(settingsTextProblemMessage(p, true).empty());
  }
  // Looked up by key: a missing text would show the key itself.
  EXPECT_NE(settingsTextProblemMessage(P::TooLong, true).find("63 bytes"), std::string::npos);
  EXPECT_NE(settingsTextProblemMessage(P::TooLong, false).find("128 bytes"), std::string::npos);
}

}  // namespace
