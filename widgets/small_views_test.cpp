// The small views: a button titled in its own colour, a view filled with one colour, the text field that
// shrinks its font until the text fits and draws it against its bottom, all checked by what they draw.
#include <QFontMetricsF>
#include <gtest/gtest.h>

#include "widgets/adjustable_font_size_text_field.h"
#include "widgets/color_view.h"
#include "widgets/jw_text_field_cell.h"
#include "widgets/testing/widget_fixture.h"
#include "widgets/text_color_button.h"

using platform::Color;
using widgets_testing::near;

namespace {

class SmallViewsTest : public widgets_testing::WidgetFixture {
 protected:
  // How many pixels of a widget's picture are close to a colour.
  int countNear(const QImage& img, const QColor& colour, QRect in = {}) {
    if (in.isNull()) in = img.rect();
    int n = 0;
    for (int y = in.top(); y <= in.bottom(); ++y)
      for (int x = in.left(); x <= in.right(); ++x) n += near(img.pixelColor(x, y), colour, 40) ? 1 : 0;
    return n;
  }
  QImage picture(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
};

TEST_F(SmallViewsTest, TextColorButtonDrawsItsTitleInItsColourAndKeepsItForNewTitles) {
  auto* b = new TextColorButton(window());
  b->setGeometry(10, 10, 160, 40);
  b->setTitle(QStringLiteral("Capture"));
  showWindow();
  EXPECT_EQ(countNear(picture(b), Qt::red), 0);
  b->setTextColor(Color::redColor());
  EXPECT_EQ(b->title(), QStringLiteral("Capture")) << "the title stays";
  EXPECT_GT(countNear(picture(b), Qt::red), 20) << "drawn again in red";
  b->setTitle(QStringLiteral("Stop"));
  EXPECT_EQ(b->title(), QStringLiteral("Stop"));
  EXPECT_GT(countNear(picture(b), Qt::red), 10);
  EXPECT_EQ(b->textColor(), Color::redColor());
}

TEST_F(SmallViewsTest, ColorViewFillsItselfWithItsColour) {
  auto* v = new ColorView(window());
  v->setGeometry(20, 20, 50, 30);
  showWindow();
  for (const Color& c : {Color::rgb(0, 0, 1), Color::rgb(1, 0.5, 0)}) {
    v->setBackgroundColor(c);
    const QImage img = grabWindow();
    EXPECT_TRUE(near(pixel(img, v, {0, 0}), c.toQColor()));
    EXPECT_TRUE(near(pixel(img, v, {49, 29}), c.toQColor()));
    EXPECT_TRUE(near(img.pixelColor(19, 19), QColor(20, 20, 20))) << "nothing outside";
  }
}

// The layer's corner radius, border and opacity, as the thumbnail cells' selection ring (clear, a yellow border
// of 3 with corner radius 5) and the panels' veils (black at opacity 0.65) use them.
TEST_F(SmallViewsTest, ColorViewDrawsItsLayersBorderCornersAndOpacity) {
  const QColor ground(20, 20, 20);  // the window
  auto* ring = new ColorView(window());
  ring->setGeometry(10, 10, 100, 100);
  ring->setBorderWidth(3);
  ring->setBorderColor(Color::rgb(1, 1, 0));
  ring->setCornerRadius(5);
  auto* filled = new ColorView(window());
  filled->setGeometry(150, 10, 60, 40);
  filled->setBackgroundColor(Color::rgb(0, 0, 1));
  filled->setCornerRadius(10);
  auto* under = new ColorView(window());
  under->setGeometry(250, 10, 60, 60);
  under->setBackgroundColor(Color::whiteColor());
  auto* veil = new ColorView(window());
  veil->setGeometry(250, 10, 60, 60);
  veil->setBackgroundColor(Color::blackColor());
  veil->layer().setOpacity(0.65);
  showWindow();
  const QImage img = grabWindow();
  const QColor yellow(255, 255, 0), blue(0, 0, 255);
  const struct {
    const char* what;
    const ColorView* view;
    QPoint at;
    QColor expected;
  } cases[] = {
      {"ring: left edge", ring, {1, 50}, yellow},
      {"ring: top edge", ring, {50, 1}, yellow},
      {"ring: last pixel of the border", ring, {97, 50}, yellow},
      {"ring: just inside the border, nothing drawn", ring, {4, 50}, ground},
      {"ring: the middle stays clear", ring, {50, 50}, ground},
      {"ring: the corner is rounded off", ring, {0, 0}, ground},
      {"fill: the middle", filled, {30, 20}, blue},
      {"fill: a straight edge", filled, {0, 20}, blue},
      {"fill: the corner is rounded off", filled, {0, 0}, ground},
      {"fill: the opposite corner too", filled, {59, 39}, ground},
      {"veil: black at 0.65 over white", veil, {30, 30}, QColor(89, 89, 89)},
  };
  for (const auto& c : cases) EXPECT_TRUE(near(pixel(img, c.view, c.at), c.expected, 4)) << c.what;
  EXPECT_EQ(ring->borderWidth(), 3);
  EXPECT_EQ(ring->borderColor(), Color::rgb(1, 1, 0));
  EXPECT_EQ(filled->cornerRadius(), 10);
}

TEST_F(SmallViewsTest, ShrinkingFieldFitsItsTextAPointAtATime) {
  const QString longName = QStringLiteral("IMG_20261210_180455_HDR_bracket_03.CR3");
  struct Case {
    const char* name;
    QString text;
    double width;
    double minimum;
    bool adjusts;
  };
  const Case cases[] = {
      {"fits already: untouched", QStringLiteral("IMG_1.JPG"), 200, 1, true},
      {"too wide: shrinks until it fits", longName, 160, 1, true},
      {"too wide even at the minimum: stops there", longName, 60, 9, true},
      {"fitting off: untouched", longName, 60, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* f = new AdjustableFontSizeTextField(window());
    QFont start = f->font();
    start.setPointSizeF(14);
    f->setFont(start);
    f->setAlignment(Qt::AlignLeft);
    f->setMinimumFontSize(c.minimum);
    f->setAdjustsFontSizeToFit(c.adjusts);
    f->setStringValue(c.text);
    f->setGeometry(0, 0, int(c.width), 24);
    QCoreApplication::processEvents();
    const double available = c.width - 4;  // the field's inset of 2 on each side
    // What the fitting must end on, worked out here: the first size down from 14 (a point at a time, held at
    // the minimum) at which the text fits, or the minimum.
    double expected = 14;
    if (c.adjusts) {
      QFont probe = start;
      while (QFontMetricsF(probe).horizontalAdvance(c.text) > available && expected > c.minimum) {
        expected = std::max(expected - 1, c.minimum);
        probe.setPointSizeF(expected);
      }
    }
    EXPECT_DOUBLE_EQ(f->font().pointSizeF(), expected);
    const bool shrunk = expected < 14;
    EXPECT_EQ(f->alignment() & Qt::AlignHorizontal_Mask, shrunk ? Qt::AlignHCenter : Qt::AlignLeft);
    if (shrunk && expected > c.minimum) {
      EXPECT_LE(QFontMetricsF(f->font()).horizontalAdvance(c.text), available);
    }
    // A shorter text later keeps the smaller font.
    f->setStringValue(QStringLiteral("A"));
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(f->font().pointSizeF(), expected);
    delete f;
  }
}

TEST_F(SmallViewsTest, FieldDrawsItsTextAgainstItsBottom) {
  auto* f = new AdjustableFontSizeTextField(window());
  QPalette pal = f->palette();
  pal.setColor(QPalette::WindowText, Qt::white);
  f->setPalette(pal);
  QFont font = f->font();
  font.setPointSizeF(10);
  f->setFont(font);
  f->setStringValue(QStringLiteral("HHHHHHHH"));
  f->setGeometry(10, 10, 200, 60);
  showWindow();
  const QImage img = picture(f);
  const double h = QFontMetricsF(font).height();
  const int top = int(60 - h);
  EXPECT_EQ(countNear(img, Qt::white, QRect(0, 0, 200, top - 1)), 0) << "nothing in the upper part";
  EXPECT_GT(countNear(img, Qt::white, QRect(0, top, 200, int(h))), 20) << "the text in the bottom line";
  // The text rectangle itself: the title rectangle's bottom, one text line high.
  const QRectF r = JWTextFieldCell::textRectForFrame(QRectF(0, 0, 200, 60), font);
  EXPECT_DOUBLE_EQ(r.bottom(), 60);
  EXPECT_DOUBLE_EQ(r.height(), h);
}

}  // namespace
