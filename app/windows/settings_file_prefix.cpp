#include "app/windows/settings_file_prefix.h"

#include "engine/link/device_commands.h"
#include "platform/foundation/localized_strings.h"

size_t sdPrefixMaxBytes() { return kSdTransferTextMax; }
size_t watermarkTextMaxBytes() { return kWatermarkTextSize; }

SettingsTextProblem checkDownloadPrefix(const std::string& utf8) {
  if (utf8.find('/') != std::string::npos || utf8.find('\0') != std::string::npos)
    return SettingsTextProblem::PathCharacter;
  if (utf8 == "." || utf8 == "..") return SettingsTextProblem::DotName;
  return SettingsTextProblem::None;
}

SettingsTextProblem checkSdCardPrefix(const std::string& utf8) {
  const SettingsTextProblem problem = checkDownloadPrefix(utf8);
  if (problem != SettingsTextProblem::None) return problem;
  return utf8.size() > sdPrefixMaxBytes() ? SettingsTextProblem::TooLong : SettingsTextProblem::None;
}

SettingsTextProblem checkWatermarkText(const std::string& utf8) {
  return utf8.size() > watermarkTextMaxBytes() ? SettingsTextProblem::TooLong : SettingsTextProblem::None;
}

std::string settingsTextProblemMessage(SettingsTextProblem problem, bool sdCard) {
  switch (problem) {
    case SettingsTextProblem::None: return {};
    case SettingsTextProblem::PathCharacter: return platform::localizedString("PrefixPathCharacter");
    case SettingsTextProblem::DotName: return platform::localizedString("PrefixDotName");
    case SettingsTextProblem::TooLong:
      return platform::localizedString(sdCard ? "SdPrefixTooLong" : "WatermarkTextTooLong");
  }
  return {};
}
