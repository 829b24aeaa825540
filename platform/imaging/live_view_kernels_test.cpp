// The live view's marks against a per-pixel reference written here from the rules alone: Rec. 709 luminance of
// the 8-bit values taken as 0...1, highlights at or above 0.99 painted red, then shadows at or below 0.001 blue,
// then the Sobel magnitude of the marked picture's luminance at or above 0.1 red, edge pixels repeated past the
// edge. Fixtures sit on both sides of each threshold.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <random>
#include <vector>

#include "platform/imaging/live_view_kernels.h"

namespace {

using platform::Color;
using platform::LiveViewMarks;
using platform::MarkKernelInput;

const MarkKernelInput kHighlights{Color::rgb(1, 0, 0), 0.99};
const MarkKernelInput kShadows{Color::rgb(0, 0, 1), 0.001};
const MarkKernelInput kPeaking{Color::rgb(1, 0, 0), 0.1};

double luminance(QRgb p) { return (0.2126 * qRed(p) + 0.7152 * qGreen(p) + 0.0722 * qBlue(p)) / 255.0; }

// The three kernels one after the other, in doubles, over a copy.
QImage reference(const QImage& in, bool highlights, bool shadows, bool peaking) {
  QImage img = in.convertToFormat(QImage::Format_RGB32);
  const int w = img.width(), h = img.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (highlights && luminance(img.pixel(x, y)) >= 0.99) img.setPixel(x, y, qRgb(255, 0, 0));
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (shadows && luminance(img.pixel(x, y)) <= 0.001) img.setPixel(x, y, qRgb(0, 0, 255));
    }
  if (!peaking) return img;
  const QImage source = img;
  auto l = [&](int x, int y) {
    return luminance(source.pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1)));
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double gx = -l(x - 1, y - 1) + l(x + 1, y - 1) - 2 * l(x - 1, y) + 2 * l(x + 1, y) - l(x - 1, y + 1) +
                        l(x + 1, y + 1);
      const double gy = -l(x - 1, y - 1) - 2 * l(x, y - 1) - l(x + 1, y - 1) + l(x - 1, y + 1) + 2 * l(x, y + 1) +
                        l(x + 1, y + 1);
      if (std::sqrt(gx * gx + gy * gy) >= 0.1) img.setPixel(x, y, qRgb(255, 0, 0));
    }
  return img;
}

// Every pixel equal; the first difference named.
::testing::AssertionResult samePixels(const QImage& got, const QImage& want) {
  if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x)
      if (got.pixel(x, y) != want.pixel(x, y))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): got " << std::hex
                                             << got.pixel(x, y) << ", want " << want.pixel(x, y);
  return ::testing::AssertionSuccess();
}

// Colours at the thresholds' edges: greys 252/253 and (255, 255, 219/220) around 0.99; near-black mixes around
// 0.001: (1, 0, 0) and (0, 0, 3) are at or below it, (0, 0, 4), (0, 1, 0) and (1, 0, 1) above; and steps of 6
// and 7 grey levels, whose gradient (4 x step / 255) falls just below and just above 0.1.
QImage edgeFixture() {
  // 13 wide: both the four-at-a-time loop and the tail see pixels.
  QImage img(13, 11, QImage::Format_RGB32);
  img.fill(qRgb(100, 100, 100));
  const QRgb row0[] = {qRgb(252, 252, 252), qRgb(253, 253, 253), qRgb(255, 255, 255), qRgb(255, 255, 219),
                       qRgb(255, 255, 220), qRgb(1, 0, 0),       qRgb(0, 0, 3),       qRgb(0, 0, 4),
                       qRgb(0, 1, 0),       qRgb(1, 0, 1),       qRgb(0, 0, 0),       qRgb(0, 0, 1),
                       qRgb(254, 254, 254)};
  for (int x = 0; x < 13; ++x) img.setPixel(x, 0, row0[x]);
  // Rows 4-5: a vertical step of 6 levels at x = 6; rows 8-10: a step of 7 levels.
  for (int y = 3; y < 6; ++y)
    for (int x = 0; x < 13; ++x) img.setPixel(x, y, x < 6 ? qRgb(60, 60, 60) : qRgb(66, 66, 66));
  for (int y = 8; y < 11; ++y)
    for (int x = 0; x < 13; ++x) img.setPixel(x, y, x < 6 ? qRgb(60, 60, 60) : qRgb(67, 67, 67));
  return img;
}

QImage noise(int w, int h, unsigned seed) {
  std::mt19937 gen(seed);
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Mostly smooth with some bright, dark and sharp places, so that every mark has work.
      const int base = (x * 7 + y * 3) % 256;
      const int jitter = int(gen() % 9) - 4;
      int v = std::clamp(base + jitter, 0, 255);
      if (gen() % 17 == 0) v = gen() % 2 ? 255 : 0;
      img.setPixel(x, y, qRgb(v, std::clamp(v + jitter * 3, 0, 255), std::clamp(255 - v, 0, 255)));
    }
  return img;
}

struct MarksCase {
  bool highlights, shadows, peaking;
};

class MarksTest : public ::testing::TestWithParam<MarksCase> {};

TEST_P(MarksTest, MatchTheReferenceAtTheThresholdsEdgesAndOnNoise) {
  const MarksCase c = GetParam();
  LiveViewMarks marks;
  if (c.highlights) marks.highlights = kHighlights;
  if (c.shadows) marks.shadows = kShadows;
  if (c.peaking) marks.focusPeaking = kPeaking;
  for (const QImage& fixture : {edgeFixture(), noise(37, 23, 5), noise(64, 48, 9)}) {
    QImage got = fixture;
    platform::applyLiveViewMarks(got, marks);
    EXPECT_TRUE(samePixels(got, reference(fixture, c.highlights, c.shadows, c.peaking)));
  }
}

INSTANTIATE_TEST_SUITE_P(EachCombination, MarksTest,
                         ::testing::Values(MarksCase{true, false, false}, MarksCase{false, true, false},
                                           MarksCase{false, false, true}, MarksCase{true, true, false},
                                           MarksCase{true, true, true}));

TEST(LiveViewKernels, TheEdgeFixtureMarksWhatTheRulesSay) {
  // Independent of the reference above: the expected marks spelled out pixel by pixel.
  QImage img = edgeFixture();
  LiveViewMarks marks;
  marks.highlights = kHighlights;
  marks.shadows = kShadows;
  platform::applyLiveViewMarks(img, marks);
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
  const QRgb expected[] = {qRgb(252, 252, 252), red, red, qRgb(255, 255, 219), red, blue, blue, qRgb(0, 0, 4),
                           qRgb(0, 1, 0), qRgb(1, 0, 1), blue, blue, red};
  for (int x = 0; x < 13; ++x) EXPECT_EQ(img.pixel(x, 0), expected[x]) << x;

  QImage steps = edgeFixture();
  LiveViewMarks peaking;
  peaking.focusPeaking = kPeaking;
  platform::applyLiveViewMarks(steps, peaking);
  for (int x : {5, 6}) {
    EXPECT_NE(steps.pixel(x, 4), red) << "a step of 6 levels is below 0.1, x " << x;
    EXPECT_EQ(steps.pixel(x, 9), red) << "a step of 7 levels reaches it, x " << x;
  }
  EXPECT_NE(steps.pixel(0, 9), red) << "the repeated edge makes no gradient";
  EXPECT_NE(steps.pixel(12, 9), red);
}

TEST(LiveViewKernels, NamedKernelsInTurnGiveTheCombinedMarks) {
  const QImage fixture = noise(41, 29, 3);
  QImage oneByOne = fixture;
  ASSERT_TRUE(platform::applyKernelNamed("HighlightKernel", oneByOne, kHighlights));
  ASSERT_TRUE(platform::applyKernelNamed("ShadowKernel", oneByOne, kShadows));
  ASSERT_TRUE(platform::applyKernelNamed("FocusPeakingKernel", oneByOne, kPeaking));
  QImage together = fixture;
  platform::applyLiveViewMarks(together, {kHighlights, kShadows, kPeaking});
  EXPECT_TRUE(samePixels(together, oneByOne));

  QImage untouched = fixture;
  EXPECT_FALSE(platform::applyKernelNamed("BlurKernel", untouched, kHighlights));
  EXPECT_TRUE(samePixels(untouched, fixture));
}

TEST(LiveViewKernels, OtherFormatsAreMarkedAsRgb32AndNullStaysNull) {
  QImage gray(9, 3, QImage::Format_Grayscale8);
  gray.fill(254);
  LiveViewMarks marks;
  marks.highlights = kHighlights;
  platform::applyLiveViewMarks(gray, marks);
  EXPECT_EQ(gray.format(), QImage::Format_RGB32);
  EXPECT_EQ(gray.pixel(8, 2), qRgb(255, 0, 0));
  QImage none;
  platform::applyLiveViewMarks(none, marks);
  EXPECT_TRUE(none.isNull());
}

}  // namespace
