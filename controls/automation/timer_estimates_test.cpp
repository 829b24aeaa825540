// The timer panel's arithmetic and texts: the estimate before a start, the time left while a time-lapse runs, the
// movie length at 24 frames per second, the bulb duration as shown, the device's interval in whole seconds, and
// the minute and second fields' formatter.
#include "controls/automation/timer_estimates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/automation/qy_time_formatter.h"

namespace {

using timer::Exposure;

Exposure shutter(uint32_t ms) {
  Exposure e;
  e.shutterMs = ms;
  return e;
}

TEST(TimerEstimatesTest, ExposuresAddOnlyWholeSecondsAboveAHalf) {
  struct Case {
    double seconds;
    int64_t added;
  };
  for (const Case& c : {Case{0, 0}, Case{0.5, 0}, Case{0.51, 1}, Case{1.49, 1}, Case{1.5, 2}, Case{2.5, 3}, Case{-4, 0},
                        Case{std::nan(""), 0}})
    EXPECT_EQ(timer::roundedSeconds(c.seconds), c.added) << c.seconds;
}

TEST(TimerEstimatesTest, TheEstimateCountsDelayIntervalsAndExposures) {
  // 120 shots 10 s apart after 65 s: 65 + 119 x 10 = 1255 s of waiting.
  EXPECT_EQ(timer::estimatedSeconds(65, 10, 120, Exposure{}), 1255);
  // A 1/60 s shutter (16 ms): 120 x 0.016 = 1.92 s, so 2 s more; 30 of them make 0.48 s, which adds nothing.
  EXPECT_EQ(timer::estimatedSeconds(65, 10, 120, shutter(16)), 1257);
  EXPECT_EQ(timer::estimatedSeconds(0, 1, 30, shutter(16)), 29);
  // Bulb: the whole part of the waiting plus every exposure (75 s each), whatever the shutter or HDR say.
  Exposure bulb = shutter(16);
  bulb.bulb = true;
  bulb.bulbSeconds = 75.0f;
  bulb.hdr = true;
  EXPECT_EQ(timer::estimatedSeconds(65, 10, 120, bulb), 1255 + 120 * 75);
  bulb.bulbSeconds = 0.3f;
  EXPECT_EQ(timer::estimatedSeconds(0, 2, 3, bulb), 4);  // 4 + 0.9, cut
  // HDR: each bracket's shots expose the start value's time and take a second each: 10 x (250 + 1000) x 3 / 1000.
  Exposure hdr = shutter(16);
  hdr.hdr = true;
  hdr.hdrExposureMs = 250;
  hdr.hdrShots = 3;
  EXPECT_EQ(timer::estimatedSeconds(0, 20, 10, hdr), 180 + 38);
  // No shots: never below 0.
  EXPECT_EQ(timer::estimatedSeconds(0, 10, 0, Exposure{}), 0);
}

TEST(TimerEstimatesTest, TheDurationTextShowsTimeAndTheMovieAt24FramesPerSecond) {
  EXPECT_EQ(timer::durationText(3725, 1440), "Duration: 1 h 2 min 5 s   Movie at 24 fps: 1 min 0 s");
  EXPECT_EQ(timer::durationText(0, 1439), "Duration: 0 h 0 min 0 s   Movie at 24 fps: 0 min 59 s");
  EXPECT_EQ(timer::durationText(59, 3000), "Duration: 0 h 0 min 59 s   Movie at 24 fps: 2 min 5 s");
}

TEST(TimerEstimatesTest, TheTimeLeftCountsTheShotsStillToTake) {
  // 3 of 120 taken, 10 s apart: 117 x 11 s, and the shutter's 117 x 16 ms round to 2 s.
  EXPECT_EQ(timer::remainingSeconds(3, 120, 10, 65, shutter(16)), 117 * 11 + 2);
  // Before the first shot the initial delay is still ahead, in place of one interval.
  EXPECT_EQ(timer::remainingSeconds(0, 3, 5, 2, Exposure{}), 3 * 6 + 2 - 5);
  EXPECT_EQ(timer::remainingText(3725), "Time remaining: 1 h 2 min 5 s");
}

TEST(TimerEstimatesTest, BulbDurationsShowMinutesAndTenthsOfSeconds) {
  EXPECT_EQ(timer::bulbDurationText(75.0), "01:15.0");
  EXPECT_EQ(timer::bulbDurationText(0.1), "00:00.1");
  EXPECT_EQ(timer::bulbDurationText(59.9), "00:59.9");
  EXPECT_EQ(timer::bulbDurationText(86400.0), "1440:00.0");
}

TEST(TimerEstimatesTest, TheDevicesIntervalIsClampedBeforeItBecomesAnInt) {
  EXPECT_EQ(timer::intervalFromDevice(10.9f), 10);
  EXPECT_EQ(timer::intervalFromDevice(-5.0f), 0);
  EXPECT_EQ(timer::intervalFromDevice(std::nanf("")), 0);
  EXPECT_EQ(timer::intervalFromDevice(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(timer::intervalFromDevice(1e20f), std::numeric_limits<int>::max());
}

TEST(QYTimeFormatterTest, ShowsTwoDigitsAndReadsOneBoundedWholeNumber) {
  QY_TimeFormatter f;
  f.setMinValue(0);
  f.setMaxValue(59);
  EXPECT_EQ(f.stringForObjectValue(platform::Value(int64_t{7})), std::optional<QString>("07"));
  EXPECT_EQ(f.stringForObjectValue(platform::Value(int64_t{42})), std::optional<QString>("42"));
  EXPECT_EQ(f.stringForObjectValue(platform::Value("7")), std::nullopt);

  struct Case {
    const char* typed;
    const char* refusal;  // null: accepted
    int64_t value;
  };
  for (const Case& c :
       {Case{"7", nullptr, 7}, Case{" 07 ", nullptr, 7}, Case{"59", nullptr, 59}, Case{"0", nullptr, 0},
        Case{"7a", "Could not convert to integer.", 0}, Case{"", "Could not convert to integer.", 0},
        Case{"1.5", "Could not convert to integer.", 0}, Case{"99999999999", "Could not convert to integer.", 0},
        Case{"-1", "Value must be 0 or greater.", 0}, Case{"60", "Value must be 59 or less.", 0}}) {
    platform::Value value;
    QString why;
    const bool ok = f.getObjectValue(&value, QString::fromLatin1(c.typed), &why);
    EXPECT_EQ(ok, c.refusal == nullptr) << '"' << c.typed << '"';
    if (c.refusal)
      EXPECT_EQ(why.toStdString(), c.refusal) << '"' << c.typed << '"';
    else
      EXPECT_EQ(value.toInteger(), c.value) << '"' << c.typed << '"';
  }

  QY_TimeFormatter unbounded;  // bounds the interface file leaves out do not limit
  platform::Value value;
  QString why;
  EXPECT_TRUE(unbounded.getObjectValue(&value, "-1", &why));
  EXPECT_TRUE(unbounded.getObjectValue(&value, "1000", &why));
}

}  // namespace
