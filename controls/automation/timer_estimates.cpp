#include "controls/automation/timer_estimates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "controls/automation/hdr_settings.h"
#include "engine/automation/automation_feedback.h"

namespace timer {

int64_t roundedSeconds(double seconds) {
  if (!(seconds > 0.5)) return 0;
  if (seconds >= 9.2e18) return std::numeric_limits<int64_t>::max() / 4;
  return static_cast<int64_t>(std::llround(seconds));
}

int64_t withExposures(int64_t seconds, int64_t shots, const Exposure& exposure) {
  if (exposure.bulb) {
    const float total = static_cast<float>(seconds) + static_cast<float>(shots) * exposure.bulbSeconds;
    return std::isfinite(total) ? static_cast<int64_t>(std::trunc(static_cast<double>(total))) : seconds;
  }
  if (exposure.hdr)
    return seconds + roundedSeconds(double(shots) * (double(exposure.hdrExposureMs) + 1000.0) *
                                    double(exposure.hdrShots) / 1000.0);
  if (exposure.shutterMs) return seconds + roundedSeconds(double(shots) * double(*exposure.shutterMs) / 1000.0);
  return seconds;
}

int64_t estimatedSeconds(int64_t initialDelaySeconds, int64_t intervalSeconds, int64_t shots,
                         const Exposure& exposure) {
  const int64_t waiting = initialDelaySeconds + (shots - 1) * intervalSeconds;
  return std::max<int64_t>(0, withExposures(waiting, shots, exposure));
}

std::string durationText(int64_t seconds, int64_t shots) {
  const int64_t movieMinutes = shots / 1440;
  const int64_t movieSeconds = shots / 24 - movieMinutes * 60;
  return hdr::localizedWithValues(
      "DurationInfo", {std::to_string(seconds / 3600), std::to_string((seconds % 3600) / 60),
                       std::to_string(seconds % 60), std::to_string(movieMinutes), std::to_string(movieSeconds)});
}

int64_t remainingSeconds(int64_t taken, int64_t total, int64_t interval, int64_t initialDelaySeconds,
                         const Exposure& exposure) {
  const int64_t left = total - taken;
  int64_t seconds = left * (interval + 1);
  if (taken == 0) seconds += initialDelaySeconds - interval;
  return withExposures(seconds, left, exposure);
}

std::string remainingText(int64_t seconds) {
  return hdr::localizedWithValues(
      "TimeLapseTimeRemaining",
      {std::to_string(seconds / 3600), std::to_string((seconds % 3600) / 60), std::to_string(seconds % 60)});
}

std::string bulbDurationText(double seconds) {
  const double minutes = std::floor(seconds / 60);
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%04.1f", static_cast<int>(minutes), seconds - minutes * 60);
  return text;
}

int intervalFromDevice(float interval) {
  const uint32_t whole = automationIntervalSeconds(interval);
  return static_cast<int>(std::min<uint32_t>(whole, std::numeric_limits<int>::max()));
}

}  // namespace timer
