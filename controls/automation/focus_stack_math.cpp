#include "controls/automation/focus_stack_math.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace focus_stack {

std::optional<int> stepsBetweenShots(VendorType vendor, bool fujiLargeSteps, float aperture, float focalLength,
                                     float factor) {
  float b = 0.0f;
  switch (vendor) {
    case VENDOR_CANON: b = aperture * 57.75f / focalLength * 8.0f; break;
    case VENDOR_NIKON: b = std::pow(focalLength, -2.0f) * (aperture * 4330.0f) * 15.0f; break;
    case VENDOR_FUJI: b = aperture * (fujiLargeSteps ? 1500.0f : 400.0f) / focalLength; break;
    default: return std::nullopt;
  }
  const float steps = std::floor(factor * b);
  // A focal length of 0 gives an infinite (or, with an f-number of 0, an undefined) number; a factor of 0 gives 0.
  // Neither may reach a division or an integer conversion.
  if (!std::isfinite(steps) || steps < 1.0f || steps > static_cast<float>(std::numeric_limits<int>::max() / 2))
    return std::nullopt;
  return static_cast<int>(steps);
}

int64_t shotsForRange(int64_t range, int stepsBetween) {
  if (stepsBetween < 1) return 0;
  const float span = static_cast<float>(range < 0 ? -static_cast<double>(range) : static_cast<double>(range));
  return static_cast<int64_t>(std::ceil(span / static_cast<float>(stepsBetween))) + 1;
}

std::optional<int64_t> runStepForShots(int64_t range, int64_t shots) {
  if (shots < 2) return std::nullopt;
  const double span = std::fabs(static_cast<double>(range));
  return static_cast<int64_t>(std::ceil(span / static_cast<double>(shots - 1)));
}

int canonIncrementSize(int64_t setting) { return setting == 2 || setting == 3 ? static_cast<int>(setting) : 1; }

int64_t canonUnitsPerStep(int incrementSize) {
  switch (incrementSize) {
    case 2: return 8;
    case 3: return 25;
    default: return 1;
  }
}

LensDrive lensDriveForUnits(VendorType vendor, int canonIncrementSetting, int64_t units) {
  if (units == 0) return {};
  const int direction = units < 0 ? -1 : 1;
  const uint64_t magnitude = units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  LensDrive drive;
  if (vendor == VENDOR_CANON) {
    const int size = canonIncrementSize(canonIncrementSetting);
    const int64_t per = canonUnitsPerStep(size);
    // Round to the nearest whole step, but never to none: a drive that was asked for moves the lens.
    const uint64_t steps = std::max<uint64_t>(1, (magnitude + static_cast<uint64_t>(per) / 2) / static_cast<uint64_t>(per));
    drive.code = direction * size;
    drive.count = static_cast<uint32_t>(std::min<uint64_t>(steps, 0xFFFFFFFFu));
    drive.units = direction * static_cast<int64_t>(drive.count) * per;
    return drive;
  }
  drive.code = direction;
  drive.count = static_cast<uint32_t>(std::min<uint64_t>(magnitude, 0xFFFFFFFFu));
  drive.units = direction * static_cast<int64_t>(drive.count);
  return drive;
}

LensDrive lensDriveForNudge(VendorType vendor, int canonIncrementSetting, int64_t tag, int nudgeSteps) {
  const int direction = tag < 1 ? -1 : 1;
  LensDrive drive;
  drive.count = nudgeSteps > 0 ? static_cast<uint32_t>(nudgeSteps) : 0;
  if (vendor == VENDOR_CANON) {
    const int size = canonIncrementSize(canonIncrementSetting);
    drive.code = direction * size;
    drive.units = direction * static_cast<int64_t>(drive.count) * canonUnitsPerStep(size);
  } else {
    drive.code = direction;
    drive.units = direction * static_cast<int64_t>(drive.count);
  }
  return drive;
}

PointsShown pointsShown(int64_t nearStep, int64_t farStep, PointButton pressed) {
  PointsShown shown;
  if (nearStep != farStep) {
    shown.nearSet = nearStep != kUnsetPoint;
    shown.farSet = farStep != kUnsetPoint;
  } else {
    shown.nearSet = nearStep != kUnsetPoint && pressed != PointButton::End;
    shown.farSet = farStep != kUnsetPoint && pressed != PointButton::Start;
  }
  return shown;
}

int64_t shownSteps(VendorType vendor, int64_t steps) { return vendor == VENDOR_NIKON ? steps / 15 : steps; }

}  // namespace focus_stack
