#pragma once
// The timer panel's arithmetic, apart from its views: the estimated length of a time-lapse before it starts, the
// time left while it runs, the texts that show them, the bulb duration as shown, and the interval the device
// reports turned into whole seconds. Pure functions; any thread.
#include <cstdint>
#include <optional>
#include <string>

namespace timer {

// How long each shot exposes.
struct Exposure {
  bool bulb = false;  // the camera is in its bulb setting: each shot lasts bulbSeconds
  float bulbSeconds = 0;
  bool hdr = false;  // each shot is an HDR bracket of hdrShots exposures of hdrExposureMs
  uint32_t hdrExposureMs = 0;
  uint32_t hdrShots = 0;
  std::optional<uint32_t> shutterMs;  // the shutter speed's exposure; none when the camera has no such property
};

// Seconds to add for an exposure total: the nearest whole number, halves away from zero; 0.5 or less adds nothing.
int64_t roundedSeconds(double seconds);
// `seconds` of waiting plus the exposures of `shots` shots: in bulb the whole part of the sum with every bulb
// exposure; else each HDR bracket's exposures with a second per shot, or the shutter speed's exposure.
int64_t withExposures(int64_t seconds, int64_t shots, const Exposure& exposure);

// The estimate before a start: the initial delay, the intervals between the shots and the exposures; never below 0.
int64_t estimatedSeconds(int64_t initialDelaySeconds, int64_t intervalSeconds, int64_t shots, const Exposure& exposure);
// The text "DurationInfo" of an estimate (hours, minutes, seconds) and of the movie that `shots` frames make at 24
// frames per second (minutes, seconds).
std::string durationText(int64_t seconds, int64_t shots);

// The time left while a time-lapse runs: `taken` of `total` shots, `interval` seconds apart, the initial delay
// still ahead while no shot is taken; the exposures of the shots left added.
int64_t remainingSeconds(int64_t taken, int64_t total, int64_t interval, int64_t initialDelaySeconds,
                         const Exposure& exposure);
// The text "TimeLapseTimeRemaining" of a time left (hours, minutes, seconds).
std::string remainingText(int64_t seconds);

// A bulb duration as shown: "%02d:%04.1f" of the whole minutes and the seconds left.
std::string bulbDurationText(double seconds);

// The interval the device reports, in whole seconds an int holds: a NaN, an infinity or a negative is 0, a huge
// finite one is capped.
int intervalFromDevice(float interval);

}  // namespace timer
