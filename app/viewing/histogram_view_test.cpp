// The histogram view read back from the paths of its curve layers: the level heights of each curve recovered from
// the curve's points, for pictures whose counts are known here (a level holding a third of the pixels, fewer than
// 30 pixels, uniform gray, pure red stored as Qt's blue-green-red bytes), the curves' widths and tops, clear, and
// a count overtaken by clear.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/viewing/histogram_view.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/testing/offscreen_fixture.h"

namespace {

using platform::Point;

// The 256 level heights (0 ... 255) of a curve layer drawn into a frame of height `h` from y0 = 0: the curve's
// first point and the end of each of its 255 segments.
std::vector<int> levelHeights(const platform::ShapeLayer& layer, double h) {
  const QPainterPath& path = layer.path().qtPath();
  std::vector<double> ys;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type == QPainterPath::MoveToElement) ys = {e.y};
    if (e.type == QPainterPath::CurveToElement) ys.push_back(path.elementAt(i + 2).y);
  }
  std::vector<int> heights;
  for (double y : ys) heights.push_back(int(std::lround(y * 256 / h)));
  return heights;
}

class HistogramViewTest : public platform::testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    view_ = std::make_unique<HistogramView>();
    view_->resize(258, 130);  // curves of the colours in 256 x 128
  }

  // Hands the picture over and waits for its curves.
  void draw(const QImage& image, bool rgb) {
    const uint64_t before = view_->histogramsDrawn();
    view_->setImageRef(image, rgb);
    ASSERT_TRUE(platform::runMainUntil([&] { return view_->histogramsDrawn() > before; }, std::chrono::seconds(10)));
  }

  std::unique_ptr<HistogramView> view_;
};

TEST_F(HistogramViewTest, OneLevelHoldingAThirdOfThePixelsIsClippedAtAThirtiethOfThem) {
  // 300 pixels: red 200 in 100, red 50 in 5, red 60 in 8, and the other 187 at levels 68 ... 254, one each.
  QImage image(30, 10, QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x, ++n) {
      const int red = n < 100 ? 200 : n < 105 ? 50 : n < 113 ? 60 : 68 + (n - 113);
      image.setPixel(x, y, qRgb(red, 10, 10));
    }
  draw(image, true);
  const std::vector<int> red = levelHeights(*view_->redLayer(), 128);
  ASSERT_EQ(red.size(), 256u);
  // The cap is 300 / 30 = 10 pixels: 100 clips at 255, the rest scale against 10.
  EXPECT_EQ(red[200], 255);
  EXPECT_EQ(red[50], 127);  // 5 / (10 / 255)
  EXPECT_EQ(red[60], 204);  // 8 / (10 / 255)
  EXPECT_EQ(red[100], 25);  // 1 / (10 / 255)
  EXPECT_EQ(red[20], 0);
  EXPECT_FALSE(view_->redLayer()->isHidden());
  EXPECT_TRUE(view_->luminanceLayer()->isHidden());
}

TEST_F(HistogramViewTest, FewerThanThirtyPixelsDrawEveryLevelAtFullHeight) {
  QImage image(5, 5, QImage::Format_RGB32);
  image.fill(qRgb(10, 20, 30));
  draw(image, true);
  for (const auto& layer : {view_->redLayer(), view_->greenLayer(), view_->blueLayer()}) {
    const std::vector<int> heights = levelHeights(*layer, 128);
    ASSERT_EQ(heights.size(), 256u);
    for (int h : heights) ASSERT_EQ(h, 255);  // a cap of 0 is no cap: never 0 / 0
  }
  HistogramView::Bins full;
  full.fill(255);
  EXPECT_EQ(HistogramView::binHeights({}, 0), full) << "nothing counted at all";
}

TEST_F(HistogramViewTest, UniformGrayGivesThreeEqualSpikesAndTheSameLuminanceSpike) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(qRgb(128, 128, 128));
  draw(image, true);
  const std::vector<int> red = levelHeights(*view_->redLayer(), 128);
  EXPECT_EQ(red, levelHeights(*view_->greenLayer(), 128));
  EXPECT_EQ(red, levelHeights(*view_->blueLayer(), 128));
  ASSERT_EQ(red.size(), 256u);
  EXPECT_EQ(red[128], 255);
  EXPECT_EQ(std::count(red.begin(), red.end(), 0), 255);

  draw(image, false);
  EXPECT_TRUE(view_->redLayer()->isHidden());
  EXPECT_FALSE(view_->luminanceLayer()->isHidden());
  EXPECT_EQ(levelHeights(*view_->luminanceLayer(), 128), red);

  // The counts combined as sRGB colour values: equal counts give the count back; a count in red alone gives
  // its share of the luminance, encoded (255 -> 127).
  platform::HistogramCounts counts{};
  counts[0][1] = counts[1][1] = counts[2][1] = 1200;
  counts[0][2] = 255;
  const std::array<uint64_t, 256> luminance = HistogramView::luminanceValues(counts);
  EXPECT_EQ(luminance[1], 1200u);
  EXPECT_EQ(luminance[2], 127u);
  EXPECT_EQ(luminance[3], 0u);
}

TEST_F(HistogramViewTest, PureRedLightsTheRedCurveAtTheTopLevelOnly) {
  QImage image(20, 20, QImage::Format_RGB32);  // stored blue, green, red, alpha
  image.fill(qRgb(255, 0, 0));
  draw(image, true);
  const std::vector<int> red = levelHeights(*view_->redLayer(), 128);
  const std::vector<int> blue = levelHeights(*view_->blueLayer(), 128);
  const std::vector<int> green = levelHeights(*view_->greenLayer(), 128);
  EXPECT_EQ(red[255], 255);
  EXPECT_EQ(red[0], 0);
  EXPECT_EQ(blue[0], 255);
  EXPECT_EQ(blue[255], 0);
  EXPECT_EQ(green, blue);
}

TEST_F(HistogramViewTest, ColourCurvesAreTwoPointsNarrowerThanTheLuminanceCurveAndBothStayBelowTheTop) {
  QImage image(32, 32, QImage::Format_RGB32);
  image.fill(qRgb(255, 255, 255));  // spikes at the last level: the highest and widest points
  draw(image, true);
  const platform::Rect colour = view_->redLayer()->path().bounds();
  EXPECT_DOUBLE_EQ(colour.minX(), 0);
  EXPECT_DOUBLE_EQ(colour.maxX(), 258 - 2);
  EXPECT_LE(colour.maxY(), 130 - 2);
  draw(image, false);
  const platform::Rect luminance = view_->luminanceLayer()->path().bounds();
  EXPECT_DOUBLE_EQ(luminance.maxX(), 258);
  EXPECT_LE(luminance.maxY(), 130 - 2);
  EXPECT_GE(luminance.maxY(), 127) << "a full bin reaches 255/256 of the height";
  // The baseline under each curve.
  const auto* baseline = dynamic_cast<platform::ShapeLayer*>(view_->luminanceLayer()->sublayers().front().get());
  ASSERT_NE(baseline, nullptr);
  EXPECT_DOUBLE_EQ(baseline->path().bounds().width(), 258);
  EXPECT_EQ(baseline->strokeColor(), platform::Color::grayColor());
}

TEST_F(HistogramViewTest, ClearEmptiesTheViewAndDropsACountStillRunning) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(qRgb(128, 60, 20));
  draw(image, true);
  const auto oldRed = view_->redLayer();
  view_->clear();
  EXPECT_NE(view_->redLayer(), oldRed);
  EXPECT_EQ(oldRed->superlayer(), nullptr);
  EXPECT_TRUE(view_->redLayer()->path().isEmpty());
  EXPECT_FALSE(view_->showsHistogram());

  const uint64_t drawn = view_->histogramsDrawn();
  view_->setImageRef(image, true);
  view_->clear();
  ASSERT_TRUE(platform::runMainUntil([&] { return !view_->isCounting(); }, std::chrono::seconds(10)));
  EXPECT_EQ(view_->histogramsDrawn(), drawn) << "the count came after the clear: not drawn";
  EXPECT_TRUE(view_->redLayer()->path().isEmpty());

  view_->setImageRef(QImage(), true);
  EXPECT_FALSE(view_->isCounting()) << "a null picture does nothing";
}

}  // namespace
