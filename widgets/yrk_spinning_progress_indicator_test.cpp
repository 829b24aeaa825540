// The spinning indicator: fins lit in turn and fading frame by frame on a clock the test advances, the fade-out
// after a stop, the determinate pie, and the threaded animation.
#include <cmath>
#include <gtest/gtest.h>

#include "platform/foundation/dispatch.h"
#include "widgets/testing/widget_fixture.h"
#include "widgets/yrk_spinning_progress_indicator.h"

using platform::Color;
using platform::Rect;

namespace {

class SpinnerTest : public widgets_testing::WidgetFixture {
 protected:
  YRKSpinningProgressIndicator* makeSpinner(Rect frame = {100, 100, 60, 60}) {
    auto* s = new YRKSpinningProgressIndicator(frame, window());
    s->setColor(Color::whiteColor());
    s->setUsesThreadedAnimation(false);
    return s;
  }
  // Brightness of fin i in the window image: the middle of its line, turned i/12 of a turn anticlockwise
  // (y-up) from straight up.
  int finBrightness(const QImage& img, YRKSpinningProgressIndicator* s, int fin) {
    const double size = std::min(s->width(), s->height());
    const double r = (0.234375 + 0.421875) / 2 * size;
    const double angle = fin * 6.282185 / 12;
    const double xUp = -std::sin(angle) * r, yUp = std::cos(angle) * r;
    const QPoint p(int(std::lround(s->width() / 2.0 + xUp)), int(std::lround(s->height() / 2.0 - yUp)));
    return pixel(img, s, p).red();
  }
};

TEST_F(SpinnerTest, FinsLightInTurnClockwiseAndFade) {
  auto* s = makeSpinner();
  showWindow();
  s->startAnimation();
  EXPECT_TRUE(s->isAnimating());
  EXPECT_TRUE(s->hasAnimationTimer());
  EXPECT_EQ(s->position(), 1);
  std::vector<int> lit;
  for (int frame = 0; frame < 14; ++frame) {
    clock_->advance(0.05);
    lit.push_back(s->position());
  }
  EXPECT_EQ(lit, (std::vector<int>{0, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 11}));
  // The fin lit now is full; the one before it 0.85, then 0.85^2, ... down to 0.15.
  EXPECT_DOUBLE_EQ(s->finAlpha(11), 1.0);
  EXPECT_NEAR(s->finAlpha(0), 0.85, 1e-9);
  EXPECT_NEAR(s->finAlpha(1), 0.85 * 0.85, 1e-9);
  EXPECT_NEAR(s->finAlpha(2), std::pow(0.85, 3), 1e-9);
  EXPECT_NEAR(s->finAlpha(10), std::pow(0.85, 11), 1e-9);
  // Drawn: brightness falls off behind the lit fin, in the order the fins were lit.
  const QImage img = grabWindow();
  const int b11 = finBrightness(img, s, 11), b0 = finBrightness(img, s, 0), b1 = finBrightness(img, s, 1),
            b2 = finBrightness(img, s, 2), b6 = finBrightness(img, s, 6);
  EXPECT_GT(b11, b0);
  EXPECT_GT(b0, b1);
  EXPECT_GT(b1, b2);
  EXPECT_GT(b2, b6);
  EXPECT_GT(b11, 200);
  EXPECT_GT(b6, 25) << "the faded fins still show at 0.15";
}

TEST_F(SpinnerTest, StopFadesOutInTwelveFramesThenRemovesTheTimer) {
  auto* s = makeSpinner();
  showWindow();
  s->startAnimation();
  clock_->advance(0.05 * 5);
  s->stopAnimation();
  EXPECT_TRUE(s->isFadingOut());
  const int before = s->position();
  for (int frame = 1; frame <= 11; ++frame) {
    clock_->advance(0.05);
    EXPECT_TRUE(s->isAnimating()) << frame;
  }
  EXPECT_NE(s->position(), before) << "positions keep turning while fading";
  EXPECT_LT(s->finAlpha(before), 0.17);
  clock_->advance(0.05);
  EXPECT_FALSE(s->isAnimating());
  EXPECT_FALSE(s->hasAnimationTimer());
  EXPECT_TRUE(s->isVisible()) << "displayed when stopped";
  // A start during a fade starts again from the beginning.
  s->startAnimation();
  clock_->advance(0.05);
  s->stopAnimation();
  s->startAnimation();
  EXPECT_FALSE(s->isFadingOut());
  EXPECT_EQ(s->position(), 1);
}

TEST_F(SpinnerTest, HiddenWhileStoppedWhenNotDisplayedThen) {
  auto* s = makeSpinner();
  showWindow();
  s->setDisplayedWhenStopped(false);
  EXPECT_FALSE(s->isVisible());
  s->startAnimation();
  EXPECT_TRUE(s->isVisible());
  s->stopAnimation();
  clock_->advance(2);
  EXPECT_FALSE(s->isAnimating());
  EXPECT_FALSE(s->isVisible());
}

TEST_F(SpinnerTest, StoppedFinsAreDrawnFaintAndScaledToTheShorterSide) {
  auto* s = makeSpinner({100, 100, 60, 40});
  showWindow();
  const QImage img = grabWindow();
  const int top = pixel(img, s, {30, 20 - 13}).red();  // fin 0, 13 points above the centre (size 40)
  EXPECT_GT(top, 25);
  EXPECT_LT(top, 60) << "alpha 0.15 while not animating";
  EXPECT_EQ(pixel(img, s, {30, 0}), QColor(20, 20, 20)) << "fins end 16.9 points out for a size of 40";
}

TEST_F(SpinnerTest, DeterminatePieFillsClockwiseFromTheTop) {
  auto* s = makeSpinner({100, 100, 100, 100});
  s->startAnimation();
  s->setDoubleValue(50);
  EXPECT_FALSE(s->isIndeterminate());
  EXPECT_TRUE(s->isFadingOut()) << "switching to determinate stops the animation";
  showWindow();
  const QImage img = grabWindow();
  EXPECT_EQ(pixel(img, s, {75, 50}), QColor(Qt::white)) << "right half filled";
  EXPECT_EQ(pixel(img, s, {25, 50}), QColor(20, 20, 20)) << "left half empty";
  EXPECT_EQ(pixel(img, s, {50, 25}).red(), 255);
  s->setDoubleValue(25);
  const QImage quarter = grabWindow();
  EXPECT_EQ(pixel(quarter, s, {70, 30}), QColor(Qt::white)) << "top-right quarter";
  EXPECT_EQ(pixel(quarter, s, {70, 70}), QColor(20, 20, 20));
  EXPECT_EQ(pixel(quarter, s, {0, 50}).red(), 20) << "outside the ring";
  EXPECT_GT(pixel(quarter, s, {3, 50}).red(), 200) << "the ring, (size - width) / 2.1 from the centre";
  EXPECT_EQ(pixel(quarter, s, {6, 50}).red(), 20) << "inside the ring";
}

TEST_F(SpinnerTest, ThreadedAnimationAdvancesAndStopsCleanly) {
  auto* s = new YRKSpinningProgressIndicator(Rect{100, 100, 60, 60}, window());
  EXPECT_TRUE(s->usesThreadedAnimation());
  showWindow();
  s->startAnimation();
  EXPECT_TRUE(s->hasAnimationThread());
  EXPECT_FALSE(s->hasAnimationTimer());
  // The thread runs on the real clock: wait for a few frames to have turned the ring.
  EXPECT_TRUE(platform::runMainUntil([&] { return s->position() != 1 && s->finAlpha(s->position()) == 1.0; },
                                     std::chrono::seconds(10)));
  s->setUsesThreadedAnimation(false);
  EXPECT_FALSE(s->hasAnimationThread());
  EXPECT_TRUE(s->hasAnimationTimer());
  s->setUsesThreadedAnimation(true);
  EXPECT_TRUE(s->hasAnimationThread());
  s->stopAnimation();
  EXPECT_TRUE(platform::runMainUntil([&] { return !s->isAnimating(); }, std::chrono::seconds(10)));
  EXPECT_FALSE(s->hasAnimationThread());
  s->startAnimation();
  delete s;  // destruction while animating stops the thread
}

}  // namespace
