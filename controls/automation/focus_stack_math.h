#pragma once
// The arithmetic of the focus-stacking panel, apart from any view or camera so that it can be checked by table:
// the steps between shots that an aperture and a focal length give, the shot count and the run's step over a
// range, how a Canon lens takes a drive of a number of position units, which end points count as set, and the
// numbers a Nikon panel shows.
//
// Positions are lens-position counter values (signed 64-bit): drives toward the near end add, drives toward the far
// end subtract. Canon counts small lens steps (a medium step is 8 of them, a large one 25), Nikon its drive steps,
// Fujifilm the camera's own focus-position value.
#include <cstdint>
#include <limits>
#include <optional>

#include "engine/ptp/vendor_state.h"

namespace focus_stack {

// An end point that is not set.
inline constexpr int64_t kUnsetPoint = std::numeric_limits<int64_t>::max();

// Lens steps between two shots for an f-number and a focal length in mm, scaled by the correction factor, floored
// (single precision throughout, as the panel has always computed it). None when the result is not a whole number
// of at least one step: no vendor formula (Sony and others), a focal length or factor of 0, or an f-number or
// focal length that gives no finite number.
std::optional<int> stepsBetweenShots(VendorType vendor, bool fujiLargeSteps, float aperture, float focalLength,
                                     float factor);

// The shots that cover `range` position units with `stepsBetween` between them: ceil(|range| / steps) + 1. A
// `stepsBetween` below 1 gives 0 (nothing to divide by).
int64_t shotsForRange(int64_t range, int stepsBetween);

// The end-point run's step for `shots` pictures over `range`: ceil(|range| / (shots - 1)). None for fewer than 2
// shots.
std::optional<int64_t> runStepForShots(int64_t range, int64_t shots);

// One lens drive as focusDriveSteps takes it: the drive code (its sign the direction, on Canon its size the step
// size), the number of steps, and the position units those steps cover.
struct LensDrive {
  int code = 0;
  uint32_t count = 0;
  int64_t units = 0;  // signed like the code: what the position counter moves by
};

// Canon's units per step of increment size 1, 2 or 3 (1, 8, 25); other sizes count as 1.
int64_t canonUnitsPerStep(int incrementSize);
// The increment size setting as the lens takes it: 1, 2 or 3 (anything else is 1).
int canonIncrementSize(int64_t setting);

// A drive of `units` position units (the sign is the direction: positive toward the near end). On Canon with step
// size 2 or 3 the lens moves in steps of 8 or 25 units, so it takes max(1, round(|units| / 8 or 25)) of them and
// the drive covers that many steps' units, not exactly `units`. Other vendors drive the units as they are. A
// drive of 0 units is none (count 0).
LensDrive lensDriveForUnits(VendorType vendor, int canonIncrementSetting, int64_t units);

// A nudge of a button tag: its sign the direction (below 1: toward the far end), its magnitude the nudge size,
// `nudgeSteps` the lens steps of that size (focusStepForAperture). On Canon the drive code carries the increment
// size and each step counts its units.
LensDrive lensDriveForNudge(VendorType vendor, int canonIncrementSetting, int64_t tag, int nudgeSteps);

// Which end points count as set: the near (start) point unless it is unset; the far (end) point likewise. When both
// hold the same position, the one whose button was not just pressed counts as unset.
enum class PointButton { None, Start, End };
struct PointsShown {
  bool nearSet = false;
  bool farSet = false;
};
PointsShown pointsShown(int64_t nearStep, int64_t farStep, PointButton pressed);

// A number as the panel shows it: Nikon's drive steps in fifteens (toward zero), others as they are.
int64_t shownSteps(VendorType vendor, int64_t steps);

}  // namespace focus_stack
