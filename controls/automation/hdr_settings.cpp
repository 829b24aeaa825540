#include "controls/automation/hdr_settings.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/localized_strings.h"

namespace hdr {

std::vector<std::string> stepList(int stepsPerStop) {
  switch (stepsPerStop) {
    case 1:
      return {"1", "2", "3"};
    case 2:
      return {"1/2", "1", "1 1/2", "2", "2 1/2", "3"};
    default:
      return {"1/3", "2/3", "1", "1 1/3", "1 2/3", "2", "2 1/3", "2 2/3", "3"};
  }
}

std::vector<int64_t> shotChoices(int max, unsigned startPoint) {
  std::vector<int64_t> out;
  const int stride = startPoint == kMid ? 2 : 1;
  for (int shots = 1; shots <= max; shots += stride) out.push_back(shots);
  return out;
}

unsigned shotCount(unsigned index, unsigned startPoint) { return startPoint == kMid ? 2 * index + 1 : index + 1; }

unsigned shotIndex(int64_t shots, unsigned startPoint) {
  if (shots < 1) return 0;
  return static_cast<unsigned>(startPoint == kMid ? (shots - 1) / 2 : shots - 1);
}

unsigned largestShotIndex(int max, unsigned startPoint) { return max < 1 ? 0 : shotIndex(max, startPoint); }

std::string startPointText(unsigned startPoint) {
  switch (startPoint) {
    case kLow:
      return platform::localizedString("Low-Point");
    case kHi:
      return platform::localizedString("Hi-Point");
    default:
      return platform::localizedString("Mid-Point");
  }
}

std::string bulbTimeText(uint32_t milliseconds) {
  const uint32_t minutes = milliseconds / 60000;
  const uint32_t seconds = (milliseconds / 1000) % 60;
  const uint32_t tenths = (milliseconds / 100) % 10;
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u.%01u", minutes, seconds, tenths);
  return text;
}

std::optional<double> bulbSecondsFromText(const QString& text) {
  bool ok = false;
  const double typed = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(typed)) return std::nullopt;
  // Rounded as it is shown ("%.1f"), so that the value kept is the value the user sees.
  const double rounded = QString::asprintf("%.1f", typed).toDouble();
  if (rounded < kBulbSecondsMin || rounded > kBulbSecondsMax) return std::nullopt;
  return rounded;
}

std::string withValues(std::string text, std::initializer_list<std::string> values) {
  size_t from = 0;
  for (const std::string& value : values) {
    const size_t at = text.find("%@", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, value);
    from = at + value.size();
  }
  return text;
}

std::string localizedWithValues(const char* key, std::initializer_list<std::string> values) {
  return withValues(platform::localizedString(key), values);
}

}  // namespace hdr
