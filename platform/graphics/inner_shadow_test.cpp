// The inner shadow: drawn inside the shape along the edge that faces away from the offset, in the shadow's
// colour and alpha, and nowhere else.
#include <gtest/gtest.h>

#include "platform/foundation/test_application.h"
#include "platform/graphics/inner_shadow.h"

namespace platform {
namespace {

int alphaUp(const QImage& img, int x, int y) { return img.pixelColor(x, img.height() - 1 - y).alpha(); }

QImage drawWithInnerShadow(const Shadow& shadow) {
  QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  Canvas c(img);
  fillInnerShadow(c, Path::rect({20, 20, 60, 60}), shadow);
  return img;
}

TEST(InnerShadowTest, FallsInsideAlongTheEdgeFacingAwayFromTheOffset) {
  ensureTestApplication();
  // Offset 6 points down: the band under the top edge is shaded, the rest of the shape and the outside are not.
  const QImage img = drawWithInnerShadow(Shadow{Size{0, -6}, 0, Color::blackColor()});
  EXPECT_EQ(alphaUp(img, 50, 77), 255);
  EXPECT_EQ(alphaUp(img, 50, 75), 255);
  EXPECT_EQ(alphaUp(img, 50, 72), 0);
  EXPECT_EQ(alphaUp(img, 50, 50), 0);
  EXPECT_EQ(alphaUp(img, 50, 22), 0);
  EXPECT_EQ(alphaUp(img, 50, 85), 0) << "nothing outside the shape";
  // The shadow's alpha carries through; a transparent shadow draws nothing.
  EXPECT_NEAR(alphaUp(drawWithInnerShadow(Shadow{Size{0, -6}, 0, Color::blackColor().withAlpha(0.5)}), 50, 77), 128, 2);
  const QImage none = drawWithInnerShadow(Shadow{Size{0, -6}, 0, Color::blackColor().withAlpha(0)});
  EXPECT_EQ(alphaUp(none, 50, 77), 0);
}

TEST(InnerShadowTest, LeavesTheCanvasStateAsItWas) {
  ensureTestApplication();
  QImage img(50, 50, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  Canvas c(img);
  c.setAlpha(0.8);
  c.setFillColor(Color::redColor());
  const Rect clip = c.clipBoundingBox();
  fillInnerShadow(c, Path::rect({10, 10, 30, 30}), Shadow{Size{2, -2}, 3, Color::blackColor()});
  EXPECT_EQ(c.alpha(), 0.8);
  EXPECT_EQ(c.fillColor(), Color::redColor());
  EXPECT_EQ(c.clipBoundingBox(), clip);
}

}  // namespace
}  // namespace platform
