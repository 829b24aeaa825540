// The built-in caption outlines against the face they were taken from, set by the platform's own text engine:
// the same letters in the same places, counters open, and nothing for letters that are not built in.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "icons/interface/caption_glyphs.h"
#include "icons/interface/framed_render_test_support.h"

namespace {

using platform::Point;

class CaptionGlyphsTest : public icons::testing::FramedIconTest {};

// Fills a y-down path in white into a transparent image of w x h.
QImage paint(const QPainterPath& path, int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(path, Qt::white);
  return img;
}

TEST_F(CaptionGlyphsTest, CaptionsMatchTheFaceSetByTheTextEngine) {
  constexpr int w = 900, h = 120;
  constexpr double capHeight = 68.8, baseline = 90;  // an em of 100 pixels
  for (const char* text : {"Delete", "Compare", "Select All", "JPG", "RAW", "Video", "All"}) {
    // Ours, in y-down pixels: the place function flips y about the image.
    const platform::Path ours = icons::captionOutline(text, w / 2.0, h - baseline, capHeight,
                                                      [](double x, double y) { return Point{x, h - y}; });
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(100);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    QPainterPath theirs;
    theirs.addText(0, 0, font, QString::fromLatin1(text));
    // Placed by its advance, as the caption is: centred on the middle of the image, on the same baseline.
    const double advance = QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(text));
    theirs.translate(w / 2.0 - advance / 2, baseline);
    const QImage a = paint(ours.qtPath(), w, h), b = paint(theirs, w, h);
    int differing = 0, inked = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        inked += qAlpha(b.pixel(x, y)) > 128;
        differing += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))) > 64;
      }
    EXPECT_GT(inked, 1000) << text;
    EXPECT_LT(differing, inked / 100) << text;
  }
}

TEST_F(CaptionGlyphsTest, LettersNotBuiltInAreLeftOut) {
  const auto place = [](double x, double y) { return Point{x, y}; };
  EXPECT_TRUE(icons::captionOutline("xyz", 0, 0, 12, place).isEmpty());
  // An unknown letter neither draws nor takes room: "A?l" is laid out as "Al".
  EXPECT_EQ(icons::captionOutline("A?l", 0, 0, 12, place).bounds(), icons::captionOutline("Al", 0, 0, 12, place).bounds());
}

}  // namespace
