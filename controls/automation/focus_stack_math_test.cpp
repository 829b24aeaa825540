// The focus-stacking panel's arithmetic by table: steps between shots per vendor (and the inputs that give no
// step), shot counts and run steps over a range, Canon's drives in steps of 8 and 25, nudges, which points show as
// set, and Nikon's numbers in fifteens. Expected values are worked out by hand from the formulas.
#include <gtest/gtest.h>

#include <limits>

#include "controls/automation/focus_stack_math.h"

namespace focus_stack {
namespace {

TEST(FocusStackMath, StepsBetweenShotsPerVendor) {
  struct Case {
    const char* what;
    VendorType vendor;
    bool fujiLarge;
    float aperture, focal, factor;
    std::optional<int> steps;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      // 5.6 x 57.75 / 50 x 8 = 51.744
      {"canon", VENDOR_CANON, false, 5.6f, 50, 1, 51},
      {"canon, factor 0.5", VENDOR_CANON, false, 5.6f, 50, 0.5f, 25},
      // 50^-2 x (5.6 x 4330) x 15 = 145.488
      {"nikon", VENDOR_NIKON, false, 5.6f, 50, 1, 145},
      // 5.6 x 400 / 50 = 44.8; 5.6 x 1500 / 50 = 168
      {"fuji", VENDOR_FUJI, false, 5.6f, 50, 1, 44},
      {"fuji, larger steps", VENDOR_FUJI, true, 5.6f, 50, 1, 168},
      // No step at all: no formula, nothing to divide by, nothing finite.
      {"sony has no formula", VENDOR_SONY, false, 5.6f, 50, 1, std::nullopt},
      {"no vendor", VENDOR_NONE, false, 5.6f, 50, 1, std::nullopt},
      {"focal length 0", VENDOR_CANON, false, 5.6f, 0, 1, std::nullopt},
      {"nikon focal length 0", VENDOR_NIKON, false, 5.6f, 0, 1, std::nullopt},
      {"factor 0", VENDOR_FUJI, false, 5.6f, 50, 0, std::nullopt},
      {"aperture 0 over focal length 0", VENDOR_CANON, false, 0, 0, 1, std::nullopt},
      {"factor infinite", VENDOR_CANON, false, 5.6f, 50, inf, std::nullopt},
      {"below one step", VENDOR_FUJI, false, 1.0f, 500, 1, std::nullopt},  // 0.8
  };
  for (const Case& c : cases)
    EXPECT_EQ(stepsBetweenShots(c.vendor, c.fujiLarge, c.aperture, c.focal, c.factor), c.steps) << c.what;
}

TEST(FocusStackMath, ShotsAndStepsOverARange) {
  // ceil(|range| / steps) + 1
  EXPECT_EQ(shotsForRange(150, 50), 4);
  EXPECT_EQ(shotsForRange(-151, 50), 5);
  EXPECT_EQ(shotsForRange(0, 50), 1);
  EXPECT_EQ(shotsForRange(150, 0), 0) << "no step: nothing divided";
  EXPECT_EQ(shotsForRange(150, -3), 0);

  // ceil(|range| / (shots - 1))
  EXPECT_EQ(runStepForShots(-200, 5), 50);
  EXPECT_EQ(runStepForShots(201, 5), 51);
  EXPECT_EQ(runStepForShots(-400, 2), 400);
  for (int64_t shots : {1, 0, -3}) EXPECT_EQ(runStepForShots(100, shots), std::nullopt) << shots;
  // Far beyond a 16-bit position.
  EXPECT_EQ(runStepForShots(-100000, 3), 50000);
}

TEST(FocusStackMath, CanonDrivesInWholeStepsAndCountsWhatTheyCover) {
  struct Case {
    int increment;
    int64_t units;
    LensDrive drive;
  };
  const Case cases[] = {
      {2, -50, {-2, 6, -48}},   // 50 / 8 = 6.25 -> 6 medium steps, 48 units
      {2, -4, {-2, 1, -8}},     // 0.5 rounds up
      {2, -3, {-2, 1, -8}},     // rounds to none: still one step
      {2, 100, {2, 13, 104}},   // 12.5 -> 13
      {3, -60, {-3, 2, -50}},   // 2.4 -> 2 large steps
      {3, 13, {3, 1, 25}},
      {1, -7, {-1, 7, -7}},
      {7, -7, {-1, 7, -7}},     // an unknown size is the small one
      {2, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    const LensDrive d = lensDriveForUnits(VENDOR_CANON, c.increment, c.units);
    EXPECT_EQ(d.code, c.drive.code) << c.increment << " " << c.units;
    EXPECT_EQ(d.count, c.drive.count) << c.increment << " " << c.units;
    EXPECT_EQ(d.units, c.drive.units) << c.increment << " " << c.units;
  }
  // Other vendors drive the units as they are, whatever the Canon setting.
  const LensDrive nikon = lensDriveForUnits(VENDOR_NIKON, 3, -150);
  EXPECT_EQ(nikon.code, -1);
  EXPECT_EQ(nikon.count, 150u);
  EXPECT_EQ(nikon.units, -150);
  EXPECT_EQ(lensDriveForUnits(VENDOR_FUJI, 2, 40000).units, 40000);
}

TEST(FocusStackMath, NudgesCarryDirectionAndSize) {
  // Canon with increment size 2: a large nudge is 25 medium steps, 200 small ones.
  LensDrive d = lensDriveForNudge(VENDOR_CANON, 2, 3, 25);
  EXPECT_EQ(d.code, 2);
  EXPECT_EQ(d.count, 25u);
  EXPECT_EQ(d.units, 200);
  d = lensDriveForNudge(VENDOR_CANON, 3, -1, 1);
  EXPECT_EQ(d.code, -3);
  EXPECT_EQ(d.units, -25);
  d = lensDriveForNudge(VENDOR_NIKON, 2, -2, 75);
  EXPECT_EQ(d.code, -1);
  EXPECT_EQ(d.count, 75u);
  EXPECT_EQ(d.units, -75);
  EXPECT_EQ(lensDriveForNudge(VENDOR_SONY, 1, 0, 2).code, -1) << "a tag below 1 drives toward the far end";
}

TEST(FocusStackMath, PointsOnOnePositionShowOnlyThePressedOne) {
  struct Case {
    int64_t nearStep, farStep;
    PointButton pressed;
    bool nearSet, farSet;
  };
  const Case cases[] = {
      {0, -100, PointButton::None, true, true},
      {0, kUnsetPoint, PointButton::Start, true, false},
      {kUnsetPoint, kUnsetPoint, PointButton::None, false, false},
      {-20, -20, PointButton::End, false, true},
      {-20, -20, PointButton::Start, true, false},
      {-20, -20, PointButton::None, true, true},
  };
  for (const Case& c : cases) {
    const PointsShown shown = pointsShown(c.nearStep, c.farStep, c.pressed);
    EXPECT_EQ(shown.nearSet, c.nearSet) << c.nearStep << " " << c.farStep;
    EXPECT_EQ(shown.farSet, c.farSet) << c.nearStep << " " << c.farStep;
  }
}

TEST(FocusStackMath, NikonShowsItsStepsInFifteens) {
  EXPECT_EQ(shownSteps(VENDOR_NIKON, 150), 10);
  EXPECT_EQ(shownSteps(VENDOR_NIKON, -29), -1) << "toward zero";
  EXPECT_EQ(shownSteps(VENDOR_NIKON, 14), 0);
  EXPECT_EQ(shownSteps(VENDOR_CANON, 150), 150);
}

}  // namespace
}  // namespace focus_stack
