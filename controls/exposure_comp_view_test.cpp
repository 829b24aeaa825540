// The exposure scale: its cells for a spacing, the snapping of a centre it cannot show, what it draws, the bracket
// marks and overflow arrows, and setters called from another thread.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <thread>

#include "controls/exposure_comp_image_view.h"
#include "controls/exposure_comp_view.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/image_view.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"

namespace {

using Cell = ExposureCompImageView::Cell;

class ExposureScaleTest : public platform::testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    scale_ = std::make_unique<ExposureCompView>();
    scale_->resize(kWidth, kHeight);
    scale_->initialize();
  }
  void TearDown() override { scale_.reset(); }

  static void drainMainQueue() {
    bool done = false;
    platform::mainQueue().async([&done] { done = true; });
    ASSERT_TRUE(platform::runMainUntil([&done] { return done; }, std::chrono::seconds(20)));
  }

  // White (or grey) pixels of the inner view as drawn now.
  static int markPixels(QWidget* view, int grey) {
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view->render(&image);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.alpha() > 200 && std::abs(c.red() - grey) < 12 && std::abs(c.blue() - grey) < 12) ++n;
      }
    return n;
  }

  static constexpr int kWidth = 190;
  static constexpr int kHeight = 44;
  std::unique_ptr<ExposureCompView> scale_;
};

TEST(ExposureScaleCells, OneCellPerStepOverSixStopsWithNumbersAtWholeStops) {
  struct Case {
    float centre;
    int32_t spacing;
    size_t cells;
    std::vector<int> numbers;   // in order
    std::vector<int> numberAt;  // cell index of each number
  } cases[] = {
      {0, 3, 19, {-3, -2, -1, 0, 1, 2, 3}, {0, 3, 6, 9, 12, 15, 18}},
      {0, 2, 13, {-3, -2, -1, 0, 1, 2, 3}, {0, 2, 4, 6, 8, 10, 12}},
      {0, 1, 7, {-3, -2, -1, 0, 1, 2, 3}, {0, 1, 2, 3, 4, 5, 6}},
      // Off a whole stop the window starts between marks: the numbers move with it.
      {-1.3333f, 3, 19, {-4, -3, -2, -1, 0, 1}, {1, 4, 7, 10, 13, 16}},
  };
  for (const Case& c : cases) {
    double width = 0;
    const std::vector<Cell> cells = ExposureCompImageView::cells(c.centre, c.spacing, 190, &width);
    ASSERT_EQ(cells.size(), c.cells) << c.centre << " / " << c.spacing;
    // The cells fill the width: 6 stops of `spacing` cells and the one of the far end.
    EXPECT_NEAR(width, 190.0 / (6 * c.spacing + 1), 1e-6);
    std::vector<int> numbers, at;
    for (const Cell& cell : cells) {
      EXPECT_NEAR(cell.x, cell.index * width, 1e-6);
      if (cell.number) {
        numbers.push_back(*cell.number);
        at.push_back(cell.index);
      }
    }
    EXPECT_EQ(numbers, c.numbers) << c.centre << " / " << c.spacing;
    EXPECT_EQ(at, c.numberAt) << c.centre << " / " << c.spacing;
  }
  // No spacing (or none a camera has): no cells at all.
  for (int32_t spacing : {0, -3, 1000}) EXPECT_TRUE(ExposureCompImageView::cells(0, spacing, 190).empty()) << spacing;
}

TEST_F(ExposureScaleTest, ACentreBetweenMarksIsDrawnOnTheNearestMarkItCanShow) {
  const struct {
    float value;
    float drawn;
  } cases[] = {{0.5f, 0.6666f},  {1.5f, 1.6666f},  {1.1667f, 1.0f}, {0.8333f, 1.0f},
               {-1.1667f, -1.0f}, {0.3333f, 0.3333f}, {2.0f, 2.0f},   {-0.6667f, -0.6667f}};
  ExposureCompImageView* inner = scale_->imageView();
  for (const auto& c : cases) {
    scale_->setExposureOffset(c.value);
    EXPECT_NEAR(inner->centerExposure(), c.drawn, 1e-4) << c.value;
    EXPECT_FLOAT_EQ(scale_->exposureOffset(), c.value) << "the scale keeps the value it was given";
  }
}

TEST_F(ExposureScaleTest, NothingIsDrawnWithoutSpacingAndMarksGreyWhileDisabled) {
  ExposureCompImageView* inner = scale_->imageView();
  scale_->setSpacing(0);
  EXPECT_EQ(markPixels(inner, 255), 0);
  scale_->setSpacing(3);
  const int white = markPixels(inner, 255);
  EXPECT_GT(white, 40) << "numbers, dots and signs";
  EXPECT_EQ(markPixels(inner, 178), 0);
  scale_->setEnabled(false);
  EXPECT_EQ(markPixels(inner, 255), 0);
  EXPECT_GT(markPixels(inner, 178), 40);
  // The centre line greys at the next drawing of the marks.
  auto* line = dynamic_cast<platform::View*>(scale_->centerLine());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->layer().backgroundColor(), ExposureCompImageView::markColor(true));
  scale_->updateBrackets();
  EXPECT_EQ(line->layer().backgroundColor(), ExposureCompImageView::markColor(false));
  const QRect lineFrame = line->geometry();
  EXPECT_EQ(lineFrame.width(), 4);
  EXPECT_EQ(lineFrame.x(), kWidth / 2 - 2);
}

TEST_F(ExposureScaleTest, BracketBarsStandWhereTheirShotsLieAndShotsBeyondTheWindowShowArrowsInsideIt) {
  scale_->setSpacing(3);
  scale_->replaceBrackets({-1.0f, 1.0f, 4.0f, -4.0f});
  const std::vector<QWidget*> marks = scale_->bracketViews();
  ASSERT_EQ(marks.size(), 4u);
  // Bars: 19/20 of the width spans six stops.
  const double perStop = 0.95 * kWidth / 6;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(dynamic_cast<platform::ImageView*>(marks[i]), nullptr) << "a bar";
    const platform::Rect frame = platform::frameOf(marks[i]);
    EXPECT_NEAR(frame.origin.x + 2, kWidth / 2.0 + (i == 0 ? -perStop : perStop), 1.0);
    EXPECT_NEAR(frame.size.height, kHeight / 4.0, 1.0);
  }
  // Beyond the window: an arrow at each edge, whose picture lies inside the scale.
  for (int i = 2; i < 4; ++i) {
    auto* arrow = dynamic_cast<platform::ImageView*>(marks[i]);
    ASSERT_NE(arrow, nullptr);
    const platform::Rect frame = platform::frameOf(arrow);
    const platform::Rect drawn = arrow->imageRect();
    const double left = frame.origin.x + drawn.origin.x, right = left + drawn.size.width;
    EXPECT_GE(left, 0) << i;
    EXPECT_LE(right, kWidth) << i;
    if (i == 2) EXPECT_GT(left, kWidth - 30) << "at the right edge";
    else EXPECT_LT(right, 30) << "at the left edge";
  }
  // Replaced in one step: only the new marks stand.
  scale_->replaceBrackets({2.0f});
  EXPECT_EQ(scale_->bracketViews().size(), 1u);
  scale_->clearBrackets(true);
  EXPECT_TRUE(scale_->bracketViews().empty());
}

TEST_F(ExposureScaleTest, OneOverflowArrowAtATimeAndSettingOneClearsTheMarks) {
  scale_->replaceBrackets({-1.0f, 1.0f});
  scale_->setLeftOverflow(true);
  EXPECT_TRUE(scale_->leftOverflow());
  EXPECT_TRUE(scale_->bracketValues().empty());
  ASSERT_EQ(scale_->bracketViews().size(), 1u);
  EXPECT_LT(platform::frameOf(scale_->bracketViews()[0]).origin.x, 10);
  scale_->setRightOverflow(true);
  EXPECT_TRUE(scale_->rightOverflow());
  EXPECT_FALSE(scale_->leftOverflow());
  ASSERT_EQ(scale_->bracketViews().size(), 1u);
  EXPECT_GT(platform::frameOf(scale_->bracketViews()[0]).origin.x, kWidth - 20);
  // A bracket added turns the arrows off.
  scale_->addBracket(0.5f);
  EXPECT_FALSE(scale_->rightOverflow());
  scale_->setRightOverflow(false);
  EXPECT_TRUE(scale_->bracketViews().empty());
}

TEST_F(ExposureScaleTest, SettersFromAnotherThreadChangeNothingUntilTheMainQueueRunsThem) {
  std::thread([&] {
    scale_->setSpacing(2);
    scale_->setExposureOffset(1.0f);
    scale_->replaceBrackets({-0.5f, 0.5f});
  }).join();
  EXPECT_EQ(scale_->spacing(), 0);
  EXPECT_TRUE(scale_->bracketValues().empty());
  drainMainQueue();
  EXPECT_EQ(scale_->spacing(), 2);
  EXPECT_FLOAT_EQ(scale_->exposureOffset(), 1.0f);
  EXPECT_EQ(scale_->imageView()->spacing(), 2);
  EXPECT_EQ(scale_->bracketViews().size(), 2u);
  // Queued for a scale that is gone by the time the main queue runs: dropped.
  std::thread([&] { scale_->setExposureOffset(-2.0f); }).join();
  scale_.reset();
  drainMainQueue();
}

}  // namespace
