#pragma once
// Square bracket marks, by fractions of the art's frame: a bar with two arms of its own thickness that open
// towards the inside. Used by the focus-area and movie AF-area icons.

#include "icons/properties/icon_art.h"

namespace icons {

// "[": from x0 to x1, the bar ending at barX; the arms run y0..armLow and armHigh..y1.
platform::Path leftBracket(const IconArt& a, double x0, double barX, double x1, double y0, double armLow,
                           double armHigh, double y1);
// "]": the bar starting at barX.
platform::Path rightBracket(const IconArt& a, double x0, double barX, double x1, double y0, double armLow,
                            double armHigh, double y1);
// A bracket open downwards: the bar from barY to y1, legs x0..legL and legR..x1.
platform::Path topBracket(const IconArt& a, double x0, double legL, double legR, double x1, double y0, double barY,
                          double y1);
// A bracket open upwards: the bar from y0 to barY.
platform::Path bottomBracket(const IconArt& a, double x0, double legL, double legR, double x1, double y0,
                             double barY, double y1);

}  // namespace icons
