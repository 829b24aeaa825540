#pragma once
// The HDR panel's lists and arithmetic, apart from its views: the step-size lists by steps per stop, the shot-count
// choices and how a picked count maps to the panel's shot index for a start point, the bracket's bulb times as
// text, a typed bulb time checked before it is taken, and the localized texts whose "%@" places take values.
// The timer panel shares the last two. Pure functions; any thread.
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace hdr {

// Where the start value sits in the bracket (the setting "HdrStartPoint").
enum StartPoint : unsigned { kMid = 0, kHi = 1, kLow = 2 };

// The step-size entries for a property with `stepsPerStop` list steps per stop (1, 2; anything else counts as 3).
std::vector<std::string> stepList(int stepsPerStop);

// The shot counts the shots picker offers for a largest count `max`: from an end 1 to max, around the middle the
// odd counts 1, 3, 5, ... up to max. Each entry's value is its count. Empty for a max below 1.
std::vector<int64_t> shotChoices(int max, unsigned startPoint);

// Shots of a shot index: index + 1 from an end, 2 x index + 1 around the middle.
unsigned shotCount(unsigned index, unsigned startPoint);
// The index of a shot count (counts below 1 give 0).
unsigned shotIndex(int64_t shots, unsigned startPoint);
// The largest index a largest count allows (0 for a max below 1).
unsigned largestShotIndex(int max, unsigned startPoint);

// The localized name of a start point: "Low-Point", "Hi-Point", else "Mid-Point".
std::string startPointText(unsigned startPoint);

// A bulb time in milliseconds as "mm:ss.t" (minutes, seconds, tenths; the tenths cut, never rounded up).
std::string bulbTimeText(uint32_t milliseconds);

// The bulb seconds a user typed: one finite number from 0.1 s to 24 h (spaces around it allowed), rounded to one
// decimal; none for anything else (a NaN, an infinity, a negative or a huge number never reaches the device).
inline constexpr double kBulbSecondsMin = 0.1;
inline constexpr double kBulbSecondsMax = 24 * 60 * 60;
std::optional<double> bulbSecondsFromText(const QString& text);

// The localized text of `key` with its "%@" places filled by `values` in order (places beyond the values stay).
std::string localizedWithValues(const char* key, std::initializer_list<std::string> values);
// The same with a text that is not looked up.
std::string withValues(std::string text, std::initializer_list<std::string> values);

}  // namespace hdr
