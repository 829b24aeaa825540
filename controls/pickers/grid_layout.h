#pragma once
// The picker grids' geometry: how many buttons of a width fit a row, the gaps between them, and where each button
// goes. Buttons are 35 points high. Pure arithmetic, so that every width (also one narrower than a button) gives a
// sound grid.
#include <cstddef>
#include <vector>

#include "platform/graphics/geometry.h"

namespace controls {

inline constexpr double kGridButtonHeight = 35;
inline constexpr double kGridMinimumGap = 8;
inline constexpr double kGridMaximumRowGap = 10;

struct GridMetrics {
  int columns = 1;
  double gap = 0;     // between buttons and at the row's ends, at least 8 where a button and two gaps fit
  double rowGap = 0;  // between rows and at the top and bottom: the smaller of the gap and 10
};

// As many columns as fit `width`, dropped one by one while the gap would stay below 8; never fewer than one (a
// width that holds no button with its gaps gets one column with what room there is on either side, or none).
GridMetrics gridMetrics(double width, double buttonWidth);

struct GridLayout {
  GridMetrics metrics;
  int rows = 0;
  double height = 0;               // the height the buttons need, whole points
  std::vector<platform::Rect> frames;  // per entry, y-up in the buttons view of height `viewHeight`
};

// Frames of `count` buttons of `buttonWidth` x 35 in a view `width` wide: rows from the top, left to right. The
// view keeps its height when that is at least the height needed; otherwise it takes the needed height, which
// `viewHeight` gives (the frames are in a view of that height).
GridLayout gridLayout(size_t count, double width, double buttonWidth, double currentHeight, double* viewHeight);

}  // namespace controls
