// The HDR panel's lists and arithmetic: step lists by steps per stop, the shots picker's counts and the index a
// picked count gives for each start point, bulb times as text, and typed bulb seconds.
#include "controls/automation/hdr_settings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Strings = std::vector<std::string>;

TEST(HdrSettingsTest, StepListsFollowTheStepsPerStop) {
  EXPECT_EQ(hdr::stepList(1), (Strings{"1", "2", "3"}));
  EXPECT_EQ(hdr::stepList(2), (Strings{"1/2", "1", "1 1/2", "2", "2 1/2", "3"}));
  const Strings thirds{"1/3", "2/3", "1", "1 1/3", "1 2/3", "2", "2 1/3", "2 2/3", "3"};
  EXPECT_EQ(hdr::stepList(3), thirds);
  EXPECT_EQ(hdr::stepList(0), thirds);  // the engine could not tell: thirds
  EXPECT_EQ(hdr::stepList(7), thirds);
}

TEST(HdrSettingsTest, ShotsListsAndTheIndexAPickedCountGives) {
  using V = std::vector<int64_t>;
  EXPECT_EQ(hdr::shotChoices(7, hdr::kMid), (V{1, 3, 5, 7}));
  EXPECT_EQ(hdr::shotChoices(7, hdr::kHi), (V{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(hdr::shotChoices(7, hdr::kLow), (V{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(hdr::shotChoices(6, hdr::kMid), (V{1, 3, 5}));
  EXPECT_EQ(hdr::shotChoices(0, hdr::kHi), V{});

  struct Case {
    unsigned startPoint;
    int64_t picked;
    unsigned index;
  };
  // Around the middle 5 shots are index 2; from an end index 4; each index gives back its count.
  for (const Case& c : {Case{hdr::kMid, 5, 2}, Case{hdr::kMid, 1, 0}, Case{hdr::kMid, 7, 3}, Case{hdr::kHi, 5, 4},
                        Case{hdr::kLow, 1, 0}, Case{hdr::kLow, 7, 6}}) {
    EXPECT_EQ(hdr::shotIndex(c.picked, c.startPoint), c.index) << c.picked << " at " << c.startPoint;
    EXPECT_EQ(hdr::shotCount(c.index, c.startPoint), unsigned(c.picked));
  }
  EXPECT_EQ(hdr::shotIndex(0, hdr::kHi), 0u);
  EXPECT_EQ(hdr::shotIndex(-3, hdr::kMid), 0u);
}

TEST(HdrSettingsTest, TheLargestIndexKeepsTheCountWithinTheMaximum) {
  // An index picked from an end (6: seven shots) is clamped around the middle to 3: seven shots again, not 13.
  for (int max : {1, 2, 6, 7, 100}) {
    for (unsigned start : {hdr::kMid, hdr::kHi, hdr::kLow}) {
      const unsigned largest = hdr::largestShotIndex(max, start);
      EXPECT_LE(hdr::shotCount(largest, start), unsigned(max)) << max << " at " << start;
      EXPECT_GT(hdr::shotCount(largest + 1, start), unsigned(max)) << max << " at " << start;
    }
  }
  EXPECT_EQ(hdr::largestShotIndex(7, hdr::kMid), 3u);
  EXPECT_EQ(hdr::largestShotIndex(0, hdr::kMid), 0u);
}

TEST(HdrSettingsTest, BulbTimesShowMinutesSecondsAndTenths) {
  struct Case {
    uint32_t ms;
    const char* text;
  };
  for (const Case& c : {Case{0, "00:00.0"}, Case{1000, "00:01.0"}, Case{1984, "00:01.9"}, Case{59999, "00:59.9"},
                        Case{60000, "01:00.0"}, Case{754300, "12:34.3"}, Case{6000000, "100:00.0"}})
    EXPECT_EQ(hdr::bulbTimeText(c.ms), c.text) << c.ms;
}

TEST(HdrSettingsTest, TypedBulbSecondsAreFiniteFromATenthToADay) {
  struct Case {
    const char* typed;
    double seconds;  // NaN: refused
  };
  const double refused = std::nan("");
  for (const Case& c :
       {Case{"75", 75.0}, Case{" 2.26 ", 2.3}, Case{"0.1", 0.1}, Case{"86400", 86400.0}, Case{"0.04", refused},
        Case{"0", refused}, Case{"-3", refused}, Case{"86400.1", refused}, Case{"1e308", refused}, Case{"nan", refused},
        Case{"inf", refused}, Case{"", refused}, Case{"2 s", refused}, Case{"abc", refused}}) {
    const std::optional<double> got = hdr::bulbSecondsFromText(QString::fromLatin1(c.typed));
    if (std::isnan(c.seconds)) {
      EXPECT_FALSE(got.has_value()) << '"' << c.typed << "\" gave " << got.value_or(0);
    } else {
      ASSERT_TRUE(got.has_value()) << '"' << c.typed << '"';
      EXPECT_DOUBLE_EQ(*got, c.seconds) << '"' << c.typed << '"';
    }
  }
}

TEST(HdrSettingsTest, ValuesFillThePlacesInOrder) {
  EXPECT_EQ(hdr::withValues("%@ of %@ shots", {"2", "5"}), "2 of 5 shots");
  EXPECT_EQ(hdr::withValues("%@: %@", {"a %@ b"}), "a %@ b: %@");  // a value's own "%@" is not filled
  EXPECT_EQ(hdr::withValues("no places", {"x"}), "no places");
}

}  // namespace
