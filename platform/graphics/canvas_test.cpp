// Pixel checks of the drawing context: shadows, clipping, paths, gradients, transparency layers, text in fonts
// named by PostScript name, and images with drawing handlers.
#include <QFontInfo>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/foundation/test_application.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/image.h"

namespace platform {
namespace {

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }

  static QImage blank(int w = 100, int h = 100) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
  }
  // Pixel at y-up coordinates (x, y) of an image of height h.
  static QColor at(const QImage& img, int x, int yUp) { return img.pixelColor(x, img.height() - 1 - yUp); }
  static int alphaAt(const QImage& img, int x, int yUp) { return at(img, x, yUp).alpha(); }
};

TEST_F(CanvasTest, OriginIsLowerLeftAndYGrowsUp) {
  QImage img = blank();
  {
    Canvas c(img);
    c.setFillColor(Color::redColor());
    c.fillRect({0, 0, 10, 10});
  }
  EXPECT_EQ(img.pixelColor(5, 95), QColor(Qt::red));  // bottom-left in Qt's terms
  EXPECT_EQ(img.pixelColor(5, 5).alpha(), 0);
}

TEST_F(CanvasTest, ShadowLandsAtItsOffsetAndIsBlurred) {
  // A white square at (20, 50, 30, 30) y-up with a shadow 20 right and 20 down (negative height).
  auto draw = [](double blur) {
    QImage img = blank();
    Canvas c(img);
    c.setShadow(Size{20, -20}, blur, Color::blackColor());
    c.setFillColor(Color::whiteColor());
    c.fillRect({20, 50, 30, 30});
    return img;
  };
  const QImage sharp = draw(0);
  const QImage blurred = draw(8);
  for (const QImage* img : {&sharp, &blurred}) {
    EXPECT_EQ(at(*img, 35, 65), QColor(Qt::white)) << "the element itself is drawn over its shadow";
    EXPECT_GT(alphaAt(*img, 62, 38), 200) << "shadow under the offset square";
    EXPECT_EQ(at(*img, 62, 38).red(), 0) << "the shadow is black";
    EXPECT_EQ(alphaAt(*img, 10, 90), 0) << "nothing on the far side";
    EXPECT_EQ(alphaAt(*img, 62, 88), 0) << "no shadow above the element (y-up offset)";
  }
  // Sharp shadow: a hard edge at x = 70. Blurred: about half at the edge, a soft tail outside, nothing far off.
  EXPECT_EQ(alphaAt(sharp, 72, 38), 0);
  EXPECT_GT(alphaAt(sharp, 68, 38), 250);
  EXPECT_NEAR(alphaAt(blurred, 70, 38), 128, 40);
  EXPECT_GT(alphaAt(blurred, 73, 38), 10);
  EXPECT_LT(alphaAt(blurred, 73, 38), alphaAt(blurred, 70, 38));
  EXPECT_LT(alphaAt(blurred, 67, 38), 250);
  EXPECT_EQ(alphaAt(blurred, 90, 38), 0);
}

TEST_F(CanvasTest, ShadowIsClippedAndRestoredWithTheState) {
  QImage img = blank();
  {
    Canvas c(img);
    c.saveGState();
    c.clipToRect({0, 0, 55, 100});
    c.setShadow(Size{20, 0}, 0, Color::rgb(0, 0, 1));
    c.setFillColor(Color::whiteColor());
    c.fillRect({10, 10, 30, 30});
    c.restoreGState();
    c.setFillColor(Color::redColor());
    c.fillRect({10, 60, 30, 30});  // no shadow after the restore
  }
  EXPECT_EQ(at(img, 50, 20), QColor(Qt::blue));
  EXPECT_EQ(alphaAt(img, 58, 20), 0) << "shadow cut by the clip";
  EXPECT_EQ(alphaAt(img, 50, 75), 0) << "shadow gone after restoreGState";
}

TEST_F(CanvasTest, ClipsIntersectAndRestore) {
  QImage img = blank();
  {
    Canvas c(img);
    c.saveGState();
    c.clipToRect({0, 0, 60, 60});
    c.clipToRect({40, 40, 60, 60});  // must not replace the first
    c.setFillColor(Color::redColor());
    c.fillRect(c.bounds());
    const Rect box = c.clipBoundingBox();
    EXPECT_EQ(box, Rect(40, 40, 20, 20));
    c.restoreGState();
    c.setFillColor(Color::rgb(0, 0, 1));
    c.fillRect({0, 0, 10, 10});  // the clip is gone again
  }
  EXPECT_EQ(at(img, 50, 50), QColor(Qt::red));
  EXPECT_EQ(alphaAt(img, 30, 30), 0);
  EXPECT_EQ(alphaAt(img, 70, 70), 0);
  EXPECT_EQ(alphaAt(img, 50, 70), 0);
  EXPECT_EQ(at(img, 5, 5), QColor(Qt::blue));
}

TEST_F(CanvasTest, ClipToDisjointRectsLeavesNothing) {
  QImage img = blank();
  {
    Canvas c(img);
    c.clipToRect({0, 0, 30, 30});
    c.clipToRect({50, 50, 30, 30});
    c.setFillColor(Color::redColor());
    c.fillRect(c.bounds());
  }
  EXPECT_EQ(img, blank());
}

TEST_F(CanvasTest, PathsFillWithNonZeroWinding) {
  // Two nested squares drawn in the same direction: non-zero fills the inner one too (even-odd would not).
  QImage img = blank();
  {
    Canvas c(img);
    Path p;
    p.addRect({10, 10, 80, 80});
    p.addRect({30, 30, 40, 40});
    c.setFillColor(Color::redColor());
    c.fillPath(p);
  }
  EXPECT_EQ(at(img, 50, 50), QColor(Qt::red));
  EXPECT_EQ(at(img, 15, 15), QColor(Qt::red));
}

TEST_F(CanvasTest, ArcsRunCounterClockwiseInYUpSpace) {
  Path p;
  p.arc({50, 50}, 20, 0, 90);
  EXPECT_NEAR(p.currentPoint().x, 50, 1e-9);
  EXPECT_NEAR(p.currentPoint().y, 70, 1e-9);
  Path cw;
  cw.arc({50, 50}, 20, 90, 0, true);
  EXPECT_NEAR(cw.currentPoint().x, 70, 1e-9);
  EXPECT_NEAR(cw.currentPoint().y, 50, 1e-9);
  // A quarter arc bulges away from the centre.
  EXPECT_NEAR(p.bounds().maxX(), 70, 1e-6);
  EXPECT_NEAR(p.bounds().maxY(), 70, 1e-6);
}

TEST_F(CanvasTest, ArcToPointRoundsACorner) {
  // A square whose top-right corner is rounded with radius 20.
  Path p;
  p.moveTo({10, 10});
  p.lineTo({10, 90});
  p.arcToPoint({90, 90}, {90, 10}, 20);
  p.lineTo({90, 10});
  p.close();
  EXPECT_FALSE(p.contains({88, 88})) << "the corner is cut";
  EXPECT_TRUE(p.contains({70, 88}));
  EXPECT_TRUE(p.contains({88, 70}));
  EXPECT_TRUE(p.contains({80, 80}));
}

TEST_F(CanvasTest, LinearGradientStopsAtItsEndsUnlessExtended) {
  const Gradient g(Color::redColor(), Color::rgb(0, 0, 1));
  auto draw = [&](unsigned options) {
    QImage img = blank();
    Canvas c(img);
    c.drawLinearGradient(g, {20, 0}, {80, 0}, options);
    return img;
  };
  const QImage plain = draw(0);
  const QImage extended = draw(kGradientDrawsBeforeStart | kGradientDrawsAfterEnd);
  EXPECT_EQ(alphaAt(plain, 10, 50), 0);
  EXPECT_EQ(alphaAt(plain, 90, 50), 0);
  EXPECT_GT(at(plain, 25, 50).red(), 200);
  EXPECT_GT(at(plain, 75, 50).blue(), 200);
  const QColor mid = at(plain, 50, 50);
  EXPECT_NEAR(mid.red(), mid.blue(), 20);
  EXPECT_EQ(at(extended, 5, 50), QColor(Qt::red));
  EXPECT_EQ(at(extended, 95, 50), QColor(Qt::blue));
}

TEST_F(CanvasTest, RadialGradientEndsAtItsRadiusUnlessExtended) {
  const Gradient g(Color::whiteColor(), Color::blackColor());
  for (unsigned options : {0u, unsigned(kGradientDrawsAfterEnd)}) {
    QImage img = blank();
    {
      Canvas c(img);
      c.drawRadialGradient(g, {50, 50}, 0, {50, 50}, 30, options);
    }
    EXPECT_GT(at(img, 50, 50).red(), 240);
    EXPECT_LT(at(img, 75, 50).red(), 80);
    EXPECT_EQ(alphaAt(img, 95, 95), options ? 255 : 0);
  }
}

TEST_F(CanvasTest, TransparencyLayerCompositesAsOneElement) {
  auto draw = [](bool layer) {
    QImage img = blank();
    Canvas c(img);
    c.setAlpha(0.5);
    if (layer) c.beginTransparencyLayer();
    c.setFillColor(Color::redColor());
    c.fillRect({10, 10, 50, 50});
    c.fillRect({40, 40, 50, 50});
    if (layer) c.endTransparencyLayer();
    return img;
  };
  const QImage grouped = draw(true);
  const QImage separate = draw(false);
  EXPECT_NEAR(alphaAt(grouped, 50, 50), alphaAt(grouped, 20, 20), 2) << "overlap no darker inside a layer";
  EXPECT_NEAR(alphaAt(grouped, 20, 20), 128, 3);
  EXPECT_GT(alphaAt(separate, 50, 50), alphaAt(separate, 20, 20) + 40);
}

TEST_F(CanvasTest, TransparencyLayerCastsOneShadow) {
  QImage img = blank();
  {
    Canvas c(img);
    c.setShadow(Size{0, -30}, 0, Color::rgb(0, 0, 1));
    c.beginTransparencyLayer();
    c.setFillColor(Color::redColor());
    c.fillRect({10, 60, 30, 30});
    c.fillRect({60, 60, 30, 30});
    c.endTransparencyLayer();
  }
  EXPECT_EQ(at(img, 25, 45), QColor(Qt::blue));
  EXPECT_EQ(at(img, 75, 45), QColor(Qt::blue));
  EXPECT_EQ(at(img, 25, 75), QColor(Qt::red));
}

TEST_F(CanvasTest, NamedFontsMapToTheInstalledFamilies) {
  struct Case {
    const char* name;
    const char* family;
    int weight;
    bool italic;
  };
  const Case cases[] = {
      {"ArialMT", "Liberation Sans", QFont::Normal, false},
      {"Arial-BoldMT", "Liberation Sans", QFont::Bold, false},
      {"Arial-ItalicMT", "Liberation Sans", QFont::Normal, true},
      {"AvenirNext-Regular", "Lato", QFont::Normal, false},
      {"AvenirNext-Medium", "Lato", QFont::Medium, false},
      {"AvenirNext-DemiBold", "Lato", QFont::DemiBold, false},
      {"AvenirNext-Bold", "Lato", QFont::Bold, false},
      {"AvenirNext-MediumItalic", "Lato", QFont::Medium, true},
  };
  for (const Case& c : cases) {
    const Font f = Font::named(c.name, 20);
    const QFontInfo info(f.qfont());
    EXPECT_EQ(info.family(), c.family) << c.name;
    EXPECT_EQ(info.weight(), c.weight) << c.name;
    EXPECT_EQ(info.italic(), c.italic) << c.name;
    EXPECT_EQ(info.pixelSize(), 20) << c.name << ": one point is one pixel";
  }
}

TEST_F(CanvasTest, TextIsDrawnInTheNamedFontsFamily) {
  const QString text = QStringLiteral("Rag 2.8 Wg");
  auto drawCanvas = [&](const char* name) {
    QImage img = blank(200, 40);
    Canvas c(img);
    c.drawString(text, Point{4, 8}, Font::named(name, 24), Color::whiteColor());
    return img;
  };
  auto drawDirect = [&](const char* family, int weight) {
    QImage img = blank(200, 40);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont f(family);
    f.setPixelSize(24);
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    p.setFont(f);
    p.setPen(Qt::white);
    const double descent = QFontMetricsF(f).descent();
    p.drawText(QPointF(4, 40 - 8 - descent), text);
    return img;
  };
  const QImage arial = drawCanvas("ArialMT");
  EXPECT_EQ(arial, drawDirect("Liberation Sans", QFont::Normal));
  EXPECT_NE(arial, drawDirect("DejaVu Sans", QFont::Normal));
  EXPECT_NE(arial, drawDirect("Lato", QFont::Normal));
  EXPECT_EQ(drawCanvas("Arial-BoldMT"), drawDirect("Liberation Sans", QFont::Bold));
  EXPECT_EQ(drawCanvas("AvenirNext-Regular"), drawDirect("Lato", QFont::Normal));
  // The line box sits on the point: nothing below y = 8 - a little for anti-aliasing, ink above it.
  int lowestInk = 1000;
  for (int y = 0; y < arial.height(); ++y)
    for (int x = 0; x < arial.width(); ++x)
      if (arial.pixelColor(x, y).alpha() > 0) lowestInk = std::min(lowestInk, arial.height() - 1 - y);
  EXPECT_GE(lowestInk, 7);
  EXPECT_LE(lowestInk, 14);
}

TEST_F(CanvasTest, FontMeasuresGlyphsOfItsOwn) {
  const Font f = Font::named("ArialMT", 20);
  EXPECT_TRUE(f.mapsAllCharacters(QStringLiteral("Hello")));
  EXPECT_FALSE(f.mapsAllCharacters(QStringLiteral("Hello \u4e2d")));
  EXPECT_GT(f.glyphAdvanceSum(QStringLiteral("Hello")), 40);
  EXPECT_EQ(f.glyphAdvanceSum(QStringLiteral("\u4e2d")), -1);
  // Sizes scale with the point size, fractional ones too.
  const double w20 = f.sizeOfString(QStringLiteral("Hello")).width;
  EXPECT_NEAR(Font::named("ArialMT", 10).sizeOfString(QStringLiteral("Hello")).width, w20 / 2, 0.5);
  EXPECT_NEAR(Font::named("ArialMT", 10.5).sizeOfString(QStringLiteral("Hello")).width, w20 * 10.5 / 20, 0.5);
  EXPECT_NEAR(f.ascent() + f.descent(), 20 * 1.149, 1.0);  // Liberation Sans: ascent + descent = 1.149 em
}

TEST_F(CanvasTest, ImageDrawingHandlerRendersAtAnyScale) {
  int calls = 0;
  const Image img = Image::withSize({10, 10}, [&](Canvas& c, const Rect& r) {
    ++calls;
    c.setFillColor(Color::redColor());
    c.fillRect({r.x(), r.y(), r.width() / 2, r.height() / 2});  // lower-left quarter
    return true;
  });
  const QImage x2 = img.render(2);
  EXPECT_EQ(x2.size(), QSize(20, 20));
  EXPECT_EQ(x2.pixelColor(2, 18), QColor(Qt::red));
  EXPECT_EQ(x2.pixelColor(18, 2).alpha(), 0);
  QImage target = blank();
  {
    Canvas c(target);
    c.drawImage(img, {50, 50, 40, 40});
  }
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(at(target, 55, 55), QColor(Qt::red));
  EXPECT_EQ(alphaAt(target, 85, 85), 0);
  // Bitmaps are drawn upright.
  QImage bitmap(2, 2, QImage::Format_ARGB32_Premultiplied);
  bitmap.fill(Qt::blue);
  bitmap.setPixelColor(0, 0, Qt::red);  // top-left
  QImage big = blank();
  {
    Canvas c(big);
    c.drawImage(Image::fromBitmap(bitmap), {0, 0, 100, 100});
  }
  EXPECT_EQ(big.pixelColor(10, 10), QColor(Qt::red));
  EXPECT_EQ(big.pixelColor(90, 90), QColor(Qt::blue));
}

TEST_F(CanvasTest, MiterLimitCountsTheWholeMiterInLineWidths) {
  // A join of about 53 degrees: its miter is 2.24 line widths long, tip at y = 91 above the join at (50, 80).
  auto draw = [](double limit) {
    QImage img = blank();
    Canvas c(img);
    c.setLineWidth(10);
    c.setLineJoin(LineJoin::Miter);
    c.setMiterLimit(limit);
    Path p;
    p.moveTo({20, 20});
    p.lineTo({50, 80});
    p.lineTo({80, 20});
    c.strokePath(p);
    return img;
  };
  EXPECT_GT(alphaAt(draw(3), 50, 88), 200) << "a limit above the miter's length keeps the point";
  EXPECT_EQ(alphaAt(draw(2), 50, 88), 0) << "a limit below it bevels the join";
  EXPECT_GT(alphaAt(draw(2), 50, 80), 200);
}

TEST_F(CanvasTest, RegionsFromBooleanOperationsKeepTheirHolesUnderNonZero) {
  // A square with a hole, and an island inside the hole: Qt's boolean results are meant for even-odd.
  QPainterPath outer, hole, island;
  outer.addRect(10, 10, 80, 80);
  hole.addRect(25, 25, 50, 50);
  island.addEllipse(40, 40, 20, 20);
  const Path region = Path::fromRegion(outer.subtracted(hole).united(island));
  EXPECT_EQ(region.qtPath().fillRule(), Qt::WindingFill);
  QImage img = blank();
  {
    Canvas c(img);
    c.setFillColor(Color::redColor());
    c.fillPath(region);
  }
  EXPECT_EQ(alphaAt(img, 15, 50), 255) << "the band";
  EXPECT_EQ(alphaAt(img, 30, 50), 0) << "the hole";
  EXPECT_EQ(alphaAt(img, 50, 50), 255) << "the island";
  EXPECT_EQ(alphaAt(img, 95, 50), 0);
}

TEST_F(CanvasTest, TextBoundingSizeWrapsAtTheWidth) {
  const Font font = Font::named(QStringLiteral("ArialMT"), 20);
  EXPECT_EQ(font.boundingSize(QString(), Size{100, 0}), (Size{0, 0}));
  const Size oneLine = font.boundingSize(QStringLiteral("ab cd"), Size{0, 0});
  EXPECT_NEAR(oneLine.width, font.sizeOfString(QStringLiteral("ab cd")).width, 0.5);
  EXPECT_NEAR(oneLine.height, font.lineHeight(), 1);
  // Narrower than the text: two lines.
  const Size twoLines = font.boundingSize(QStringLiteral("ab cd"), Size{oneLine.width * 0.7, 0});
  EXPECT_NEAR(twoLines.height, 2 * oneLine.height, 1.5);
  EXPECT_LT(twoLines.width, oneLine.width);
}

TEST_F(CanvasTest, GeometryConvertsAtTheBoundary) {
  const Rect r{10, 20, 30, 40};
  const QRectF q = toQt(r, 100);
  EXPECT_EQ(q, QRectF(10, 40, 30, 40));
  EXPECT_EQ(fromQt(q, 100), r);
  EXPECT_EQ(fromQt(toQt(Point{5, 7}, 50), 50), (Point{5, 7}));
  EXPECT_EQ(Rect(0, 0, 10, 10).intersection({5, 5, 10, 10}), Rect(5, 5, 5, 5));
  EXPECT_TRUE(Rect(0, 0, 10, 10).intersection({20, 20, 1, 1}).isEmpty());
  EXPECT_EQ(roundHalfAway(2.5), 3);
  EXPECT_EQ(roundHalfAway(-2.5), -3);
}

}  // namespace
}  // namespace platform
