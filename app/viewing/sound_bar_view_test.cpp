// The audio meter by its pixels: bins lit up to the current level and at the peak, coloured by where they sit
// in the row.
#include <gtest/gtest.h>

#include <limits>

#include "app/viewing/live_view_test_support.h"
#include "app/viewing/sound_bar_view.h"

namespace {

using live_view_testing::isDarkGrey;
using live_view_testing::isGreen;
using live_view_testing::isRed;
using live_view_testing::isYellow;
using platform::Point;
using platform::Rect;

class SoundBarViewTest : public live_view_testing::ViewFixture {
 protected:
  // 23 bins of 10 points: bin i covers x = 10 i ... 10 i + 8.
  SoundBarView* makeBars() {
    auto* bars = new SoundBarView(Rect(20, 20, 230, 14), window());
    showAndWait(window());
    return bars;
  }
  QColor binColour(const QImage& img, SoundBarView* bars, int i) { return at(img, bars, Point{10.0 * i + 4, 7}); }
};

TEST_F(SoundBarViewTest, TwentyThreeBinsByColourAndLitState) {
  SoundBarView* bars = makeBars();
  bars->setNumberOfBins(23);
  bars->setCurrentBin(5);
  bars->setMaxBin(20);
  const QImage img = grabWindow();
  for (int i = 0; i < 23; ++i) {
    SCOPED_TRACE(i);
    const QColor c = binColour(img, bars, i);
    if (i <= 5)
      EXPECT_TRUE(isGreen(c));
    else if (i == 20)
      EXPECT_TRUE(isRed(c)) << "the peak's bin, in the last fifth";
    else
      EXPECT_TRUE(isDarkGrey(c));
  }
  // The gap between bins: a fifth of each bin is left out.
  EXPECT_FALSE(isGreen(at(img, bars, Point{9, 7})));

  bars->setCurrentBin(22);
  const QImage all = grabWindow();
  for (int i = 0; i < 23; ++i) {
    SCOPED_TRACE(i);
    const QColor c = binColour(all, bars, i);
    if (i <= 13)
      EXPECT_TRUE(isGreen(c));
    else if (i <= 18)
      EXPECT_TRUE(isYellow(c));
    else
      EXPECT_TRUE(isRed(c));
  }
}

TEST_F(SoundBarViewTest, CurrentZeroLightsBinZeroAndNoBinsDrawNothing) {
  SoundBarView* bars = makeBars();
  bars->setNumberOfBins(15);
  bars->setMaxBin(0);
  const QImage img = grabWindow();
  EXPECT_TRUE(isGreen(at(img, bars, Point{3, 7})));
  EXPECT_TRUE(isDarkGrey(at(img, bars, Point{230.0 / 15 + 3, 7})));
  bars->setNumberOfBins(0);
  EXPECT_EQ(at(grabWindow(), bars, Point{3, 7}), QColor(20, 20, 20));
}

}  // namespace
