// The grid rule of the pickers: columns, gaps and button places for widths from ample to narrower than a button.
#include "controls/pickers/grid_layout.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/expect_rect.h"

namespace controls {
namespace {

TEST(GridLayout, ColumnsDropWhileTheGapIsBelowEightAndNeverReachZero) {
  struct Case {
    double width, buttonWidth;
    int columns;
    double gap, rowGap;
  } cases[] = {
      // floor(110/35) = 3 leaves gaps of 1.25; 2 columns leave (110 - 70) / 3.
      {110, 35, 2, 40.0 / 3, 10},
      // ISO buttons (ratio 2.2) in the picker's 400 points: 5 fit, with gaps of 2.5; 4 leave 18.4.
      {400, 77, 4, 18.4, 10},
      {131, 35, 2, 61.0 / 3, 10},  // 3 columns leave 6.5
      {97, 35, 2, 9, 9},           // a gap between 8 and 10 makes the row gap as small
      {51, 35, 1, 8, 8},                 // exactly one button with its two gaps
      {50, 35, 1, 7.5, 7.5},             // less room: still one column
      {20, 35, 1, 0, 0},                 // narrower than a button
      {0, 35, 1, 0, 0},
  };
  for (const Case& c : cases) {
    const GridMetrics m = gridMetrics(c.width, c.buttonWidth);
    EXPECT_EQ(m.columns, c.columns) << c.width << " / " << c.buttonWidth;
    EXPECT_NEAR(m.gap, c.gap, 1e-9) << c.width << " / " << c.buttonWidth;
    EXPECT_NEAR(m.rowGap, c.rowGap, 1e-9) << c.width << " / " << c.buttonWidth;
  }
}

TEST(GridLayout, RowsFillFromTheTopLeftAndTheViewGrowsToTheNeededHeight) {
  // Five 35-point buttons in 110 points: 2 columns, 3 rows, (35 + 10) x 3 + 10 = 145 points.
  double height = 0;
  GridLayout g = gridLayout(5, 110, 35, 60, &height);
  EXPECT_EQ(g.rows, 3);
  EXPECT_EQ(height, 145);
  const double gap = 40.0 / 3;
  ASSERT_EQ(g.frames.size(), 5u);
  platform::testing::expectRect(g.frames[0], platform::Rect{gap, 100, 35, 35});
  platform::testing::expectRect(g.frames[1], platform::Rect{2 * gap + 35, 100, 35, 35});
  platform::testing::expectRect(g.frames[2], platform::Rect{gap, 55, 35, 35});
  platform::testing::expectRect(g.frames[4], platform::Rect{gap, 10, 35, 35});

  // A taller view keeps its height: the rows start at its top.
  g = gridLayout(5, 110, 35, 300, &height);
  EXPECT_EQ(height, 300);
  EXPECT_EQ(g.frames[0].y(), 255);
  // The needed height is whole points.
  g = gridLayout(1, 110, 35, 0, &height);
  EXPECT_EQ(height, 55);
}

TEST(GridLayout, EveryButtonStaysInsideTheViewAtAnyWidth) {
  for (double width : {0.0, 10.0, 34.0, 35.0, 60.0, 77.0, 110.0, 250.0, 399.0, 400.0}) {
    for (double ratio : {1.0, 1.5, 2.2, 3.5}) {
      const double w = 35 * ratio;
      double height = 0;
      const GridLayout g = gridLayout(17, width, w, 0, &height);
      ASSERT_GE(g.metrics.columns, 1);
      ASSERT_EQ(g.frames.size(), 17u);
      for (const platform::Rect& f : g.frames) {
        EXPECT_GE(f.y(), 0) << width << " " << ratio;
        EXPECT_LE(f.maxY(), height) << width << " " << ratio;
        // Where a button fits the width, the whole row does.
        if (w <= width) {
          EXPECT_LE(f.maxX(), width + 1e-9) << width << " " << ratio;
        }
      }
    }
  }
}

}  // namespace
}  // namespace controls
