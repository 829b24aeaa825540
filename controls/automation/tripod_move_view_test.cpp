// The direction pad: its eight sectors and dead zone by table, the 3-point threshold, press-drag-release and the
// double click that keeps the head moving, and the arrow drawn red for the direction in force.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <vector>

#include "controls/automation/tripod_move_view.h"
#include "guitest/user_actions.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_geometry.h"

namespace {

// A point `radius` from the middle at `degrees` counter-clockwise from straight right.
std::pair<double, double> polar(double degrees, double radius) {
  const double a = degrees * M_PI / 180.0;
  return {radius * std::cos(a), radius * std::sin(a)};
}

TEST(TripodDirection, EightSectorsCentredOnTheAxesAndDiagonals) {
  struct Case {
    double degrees;
    int direction;
  };
  // Either side of each boundary at 22.5 + k x 45 degrees, in all four quadrants.
  const Case cases[] = {
      {0, 8},      {22.4, 8},    {22.6, 9},    {45, 9},      {67.4, 9},    {67.6, 1},    {90, 1},
      {112.4, 1},  {112.6, 5},   {135, 5},     {157.4, 5},   {157.6, 4},   {180, 4},     {202.4, 4},
      {202.6, 6},  {225, 6},     {247.4, 6},   {247.6, 2},   {270, 2},     {292.4, 2},   {292.6, 10},
      {315, 10},   {337.4, 10},  {337.6, 8},
  };
  for (const Case& c : cases) {
    const auto [dx, dy] = polar(c.degrees, 60);
    EXPECT_EQ(tripod::directionForOffset(dx, dy), c.direction) << c.degrees << " degrees";
  }
  // Straight up and down (dx exactly 0).
  EXPECT_EQ(tripod::directionForOffset(0, 40), 1);
  EXPECT_EQ(tripod::directionForOffset(0, -40), 2);
}

TEST(TripodDirection, NoDirectionWithinTheDeadZone) {
  for (double degrees : {0.0, 45.0, 100.0, 200.0, 300.0}) {
    const auto [inX, inY] = polar(degrees, 24.9);
    EXPECT_EQ(tripod::directionForOffset(inX, inY), 0) << degrees;
    const auto [outX, outY] = polar(degrees, 25.1);
    EXPECT_NE(tripod::directionForOffset(outX, outY), 0) << degrees;
  }
  EXPECT_EQ(tripod::directionForOffset(0, 0), 0);
}

class Recorder : public TripodMovelViewDelegate {
 public:
  void directionSelected(int direction) override { sent.push_back(direction); }
  std::vector<int> sent;
};

class TripodPadTest : public platform::testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    pad_ = std::make_unique<QY_TripodMoveView>();
    pad_->setGeometry(0, 0, 200, 200);
    pad_->setDelegate(&recorder_);
  }
  platform::Point at(double degrees, double radius) {
    const auto [dx, dy] = polar(degrees, radius);
    return {100 + dx, 100 + dy};
  }
  // Long after any earlier press, also those of earlier tests on their own clocks (every pad of the program
  // remembers the last press).
  void later() {
    static double elapsed = 0;
    elapsed += 100;
    clock_->advance(elapsed);
  }

  Recorder recorder_;
  std::unique_ptr<QY_TripodMoveView> pad_;
};

TEST_F(TripodPadTest, MovesWithinThreePointsOfTheLastPointChangeNothing) {
  later();
  pad_->mouseDown(at(90, 60));
  pad_->mouseDragged({100 + 2, 160 + 2});   // 2.8 points away
  pad_->mouseDragged({100 + 0, 160 + 3});   // 3 points: still nothing
  pad_->mouseDragged({100 + 0, 160 + 3.1}); // beyond: sent again
  pad_->mouseUp();
  EXPECT_EQ(recorder_.sent, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(pad_->currentDirection(), 0);
}

TEST_F(TripodPadTest, ADragRoundFromUpToRightSendsEachSector) {
  later();
  pad_->mouseDown(at(90, 60));
  for (double degrees = 85; degrees >= 0; degrees -= 5) pad_->mouseDragged(at(degrees, 60));
  pad_->mouseUp();
  std::vector<int> changes;
  for (int d : recorder_.sent)
    if (changes.empty() || changes.back() != d) changes.push_back(d);
  EXPECT_EQ(changes, (std::vector<int>{1, 9, 8, 0}));
}

TEST_F(TripodPadTest, ADoubleClickKeepsTheDirectionUntilTheNextClick) {
  later();
  pad_->mouseDown(at(0, 60));
  pad_->mouseUp();
  clock_->advance(0.3);  // within 0.4 s: the second press locks
  pad_->mouseDown(at(0, 60));
  EXPECT_TRUE(pad_->directionLocked());
  pad_->mouseDragged(at(90, 60));  // ignored while locked
  pad_->mouseUp();                 // so is the release
  EXPECT_EQ(recorder_.sent, (std::vector<int>{8, 0, 8}));
  EXPECT_EQ(pad_->currentDirection(), 8);

  // The next single click (0.4 s or more later) and its release stop it.
  clock_->advance(0.4);
  pad_->mouseDown(at(180, 60));
  EXPECT_FALSE(pad_->directionLocked());
  pad_->mouseUp();
  EXPECT_EQ(recorder_.sent.back(), 0);
  EXPECT_EQ(pad_->currentDirection(), 0);
}

TEST_F(TripodPadTest, TheArrowInForceIsRed) {
  pad_->resize(200, 200);
  const auto redAt = [&](double fx, double fy) {
    const QImage image = guitest::render(pad_.get());
    // Fractions of the size, y up; sampled a little inside the arrow's tip.
    const QColor c = image.pixelColor(int(fx * 200), int((1 - fy) * 200));
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
  };
  EXPECT_FALSE(redAt(0.495, 0.89));
  pad_->forceDirectionGui(1);
  EXPECT_TRUE(redAt(0.495, 0.89)) << "up";
  EXPECT_FALSE(redAt(0.89, 0.495));
  pad_->forceDirectionGui(8);
  EXPECT_TRUE(redAt(0.89, 0.495)) << "right";
  EXPECT_FALSE(redAt(0.495, 0.89));
  EXPECT_TRUE(recorder_.sent.empty()) << "drawing a direction tells no one";
}

}  // namespace
