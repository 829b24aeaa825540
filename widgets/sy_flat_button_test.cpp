// Flat and toggle buttons driven by real pointer events through their window, and checked by what they draw.
#include <gtest/gtest.h>

#include <QHBoxLayout>

#include "widgets/sy_flat_button.h"
#include "testing/ui_tagged_buttons_form.h"
#include "widgets/testing/widget_fixture.h"
#include "widgets/toggle_button.h"

using platform::Color;
using platform::Image;
using platform::Rect;
using widgets_testing::near;

namespace {

struct Recorder : SYFlatButtonDelegate {
  std::vector<std::string> events;
  void buttonDown(SYFlatButton*) override { events.push_back("down"); }
  void buttonUp(SYFlatButton*) override { events.push_back("up"); }
};

// A plain widget that counts the presses it gets.
struct Target : QWidget {
  using QWidget::QWidget;
  int presses = 0;
  void mousePressEvent(QMouseEvent* e) override {
    ++presses;
    e->accept();
  }
};

Image disc(double size) {
  return Image::withSize({size, size}, [](platform::Canvas& c, const Rect& r) {
    c.setFillColor(Color::blackColor());
    c.fillEllipse(r);
    return true;
  });
}

class FlatButtonTest : public widgets_testing::WidgetFixture {
 protected:
  SYFlatButton* makeButton(bool momentary) {
    auto* b = new SYFlatButton(Rect{50, 100, 120, 40}, window());
    b->setOnAnimateDuration(0.25);
    b->setOffAnimateDuration(0.25);
    b->setBackgroundNormalColor(Color::rgb(0, 0, 1));
    b->setBackgroundHighlightColor(Color::redColor());
    b->setTitleNormalColor(Color::whiteColor());
    b->setTitleHighlightColor(Color::whiteColor());
    b->setTitle(QStringLiteral("Capture"));
    b->setMomentary(momentary);
    b->setDelegate(&recorder_);
    b->setAction([this](SYFlatButton*) { ++actions_; });
    b->show();
    clock_->advance(1);
    return b;
  }
  QColor background(SYFlatButton* b) {
    clock_->advance(1);  // let the colour animation end
    return pixel(grabWindow(), b, {3, 3});
  }
  Recorder recorder_;
  int actions_ = 0;
};

TEST_F(FlatButtonTest, MomentaryIsOnWhilePressedToggleKeepsThePressesState) {
  for (bool momentary : {true, false}) {
    SCOPED_TRACE(momentary ? "momentary" : "toggle");
    recorder_.events.clear();
    actions_ = 0;
    SYFlatButton* b = makeButton(momentary);
    showWindow();
    EXPECT_TRUE(near(background(b), Qt::blue));
    press(inWindow(b));
    EXPECT_EQ(b->state(), 1);
    EXPECT_TRUE(b->isMouseDown());
    EXPECT_TRUE(near(background(b), Qt::red)) << "highlight colours while on";
    release(inWindow(b));
    EXPECT_EQ(b->state(), momentary ? 0 : 1);
    EXPECT_TRUE(near(background(b), momentary ? QColor(Qt::blue) : QColor(Qt::red)));
    EXPECT_EQ(actions_, 1);
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"down", "up"}));
    // A second press of the toggle turns it off again.
    click(inWindow(b));
    EXPECT_EQ(b->state(), 0);
    EXPECT_EQ(actions_, 2);
    delete b;
  }
}

TEST_F(FlatButtonTest, MouseDownBlockRunsAfterTheDelegate) {
  SYFlatButton* b = makeButton(true);
  std::vector<std::string> order;
  struct D : SYFlatButtonDelegate {
    std::vector<std::string>* order;
    void buttonDown(SYFlatButton*) override { order->push_back("delegate"); }
  } d;
  d.order = &order;
  b->setDelegate(&d);
  b->setMouseDownBlock([&] { order.push_back("block"); });
  showWindow();
  press(inWindow(b));
  release(inWindow(b));
  EXPECT_EQ(order, (std::vector<std::string>{"delegate", "block"}));
}

TEST_F(FlatButtonTest, DraggingOutCancelsThePress) {
  SYFlatButton* b = makeButton(true);
  b->awakeFromNib();  // as loaded from an interface file: it follows the pointer in and out
  showWindow();
  press(inWindow(b));
  EXPECT_EQ(b->state(), 1);
  move(inWindow(b, {b->width() - 2, 10}));
  EXPECT_EQ(b->state(), 1) << "still inside";
  move(inWindow(b, {b->width() + 30, 10}));
  EXPECT_EQ(b->state(), 0) << "state restored on the way out";
  EXPECT_FALSE(b->isMouseDown());
  EXPECT_EQ(recorder_.events, (std::vector<std::string>{"down", "up"}));
  move(inWindow(b));  // coming back does not resume the press
  EXPECT_EQ(b->state(), 0);
  release(inWindow(b, {b->width() + 30, 10}));
  EXPECT_EQ(actions_, 0) << "no action after a cancelled press";
  EXPECT_EQ(recorder_.events.size(), 2u);
  EXPECT_TRUE(near(background(b), Qt::blue));
}

TEST_F(FlatButtonTest, ButtonMadeInCodeDoesNotFollowThePointerOut) {
  SYFlatButton* b = makeButton(true);
  showWindow();
  press(inWindow(b));
  move(inWindow(b, {b->width() + 30, 10}));
  EXPECT_EQ(b->state(), 1);
  release(inWindow(b, {b->width() + 30, 10}));
  EXPECT_EQ(b->state(), 0);
  EXPECT_EQ(actions_, 1);
}

TEST_F(FlatButtonTest, DisabledButtonIsHalfTransparentAndPassesTheClickToTheSiblingBelow) {
  auto* below = new Target(window());
  below->setGeometry(40, 140, 200, 80);
  below->setAutoFillBackground(true);
  QPalette pal = below->palette();
  pal.setColor(QPalette::Window, Qt::black);
  below->setPalette(pal);
  SYFlatButton* b = makeButton(true);
  b->raise();
  ASSERT_TRUE(below->geometry().contains(b->geometry()));
  showWindow();
  click(inWindow(b));
  EXPECT_EQ(below->presses, 0) << "an enabled button takes the click";
  EXPECT_EQ(actions_, 1);
  b->setEnabled(false);
  click(inWindow(b));
  EXPECT_EQ(below->presses, 1) << "the disabled button lets it through";
  EXPECT_EQ(actions_, 1);
  EXPECT_EQ(b->state(), 0);
  const QColor c = background(b);
  EXPECT_TRUE(near(c, QColor(0, 0, 128), 4)) << "blue at half opacity over black";
  b->setEnabled(true);
  EXPECT_TRUE(near(background(b), Qt::blue));
  click(inWindow(b));
  EXPECT_EQ(actions_, 2);
}

TEST_F(FlatButtonTest, SameColourTwiceStartsNoAnimation) {
  SYFlatButton* b = makeButton(false);
  b->setBorderNormalColor(Color::whiteColor());
  EXPECT_FALSE(b->layer().animationKeys().empty());
  clock_->advance(1);
  b->setBorderNormalColor(Color::whiteColor());
  EXPECT_TRUE(b->layer().animationKeys().empty());
  EXPECT_TRUE(b->imageLayer().animationKeys().empty());
  EXPECT_TRUE(b->titleLayer().animationKeys().empty());
}

TEST_F(FlatButtonTest, StateChangeMidAnimationStartsFromTheCutAnimationsTarget) {
  SYFlatButton* b = makeButton(false);
  b->setOnAnimateDuration(1.0);
  b->setOffAnimateDuration(1.0);
  b->setBackgroundNormalColor(Color::blackColor());
  b->setBackgroundHighlightColor(Color::whiteColor());
  clock_->advance(2);
  b->setState(1);
  clock_->advance(0.5);
  EXPECT_NEAR(b->layer().presentationColor("backgroundColor")->red, 0.5, 0.03);
  b->setState(0);
  EXPECT_EQ(b->layer().presentationColor("backgroundColor"), Color::whiteColor());
  clock_->advance(0.5);
  EXPECT_NEAR(b->layer().presentationColor("backgroundColor")->red, 0.5, 0.03);
  clock_->advance(0.6);
  EXPECT_EQ(b->layer().presentationColor("backgroundColor"), Color::blackColor());
}

TEST_F(FlatButtonTest, StartsRedUntilTheFirstColourChange) {
  auto* b = new SYFlatButton(Rect{0, 0, 40, 20}, window());
  EXPECT_EQ(b->layer().backgroundColor(), Color::redColor());
  b->setBackgroundNormalColor(Color::blackColor());
  EXPECT_EQ(b->layer().backgroundColor(), Color::blackColor());
}

TEST_F(FlatButtonTest, TitleIsCentredAndShrinksUntilItFits) {
  auto* b = new SYFlatButton(Rect{0, 0, 200, 40}, window());
  b->setFont(platform::Font::named(QStringLiteral("ArialMT"), 20));
  b->setTitle(QStringLiteral("OK"));
  const platform::Size ts = SYFlatButton::frameSizeForString(QStringLiteral("OK"), b->font());
  const Rect f = b->titleLayer().frame();
  EXPECT_EQ(f.x(), std::round((200 - ts.width) / 2));
  EXPECT_EQ(f.y(), std::round((40 - ts.height) / 2));
  EXPECT_EQ(f.width(), std::ceil(ts.width));
  EXPECT_EQ(b->font().pointSize(), 20);

  b->setTitle(QStringLiteral("A title far too wide for this button"));
  EXPECT_LT(b->font().pointSize(), 20);
  EXPECT_GE(b->titleLayer().frame().x(), 2.0);
  const platform::Font bigger = b->font().withSize(b->font().pointSize() + 1);
  const double wider = SYFlatButton::frameSizeForString(b->title(), bigger).width;
  EXPECT_LT((200 - wider) / 2, 2.0) << "one point more would not fit: it shrank no further than needed";
  EXPECT_EQ(b->titleLayer().fontSize(), b->font().pointSize());
}

TEST_F(FlatButtonTest, TitleWithAnUnmappableCharacterHasNoSize) {
  EXPECT_EQ(SYFlatButton::frameSizeForString(QStringLiteral("A\u4e2d"), platform::Font::named("ArialMT", 12)),
            (platform::Size{0, 0}));
  auto* b = new SYFlatButton(Rect{0, 0, 100, 30}, window());
  b->setTitle(QStringLiteral("\u4e2d"));
  EXPECT_EQ(b->titleLayer().frame().size, (platform::Size{0, 0}));
}

TEST_F(FlatButtonTest, ImageAndTitlePlacesFollowTheImagePosition) {
  struct Case {
    int position;
    double x, y;  // expected image origin for W=200, H=100, image 20x20, spacing 5
  };
  const platform::Font font = platform::Font::named("ArialMT", 14);
  const platform::Size t = font.sizeOfString(QStringLiteral("Go"));
  const Case cases[] = {
      {NSImageOnly, 90, 40},
      {NSImageOverlaps, 90, 40},
      {NSImageLeft, (200 - 20 - t.width) / 2 - 5, 40},
      {NSImageLeading, (200 - 20 - t.width) / 2 - 5, 40},
      {NSImageRight, (200 - 20 + t.width) / 2 + 5, 40},
      {NSImageBelow, 90, (100 - 20 + t.height) / 2 + 5},
      {NSImageAbove, 90, (100 - 20 - t.height) / 2 - 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    auto* b = new SYFlatButton(Rect{0, 0, 200, 100}, window());
    b->setFont(font);
    b->setTitle(QStringLiteral("Go"));
    b->setSpacing(5);
    b->setImage(disc(20));
    b->setImagePosition(c.position);
    ASSERT_TRUE(b->imageLayer().mask());
    EXPECT_EQ(b->imageLayer().frame(), Rect(0, 0, 200, 100));
    EXPECT_EQ(b->imageLayer().mask()->frame(), Rect(std::round(c.x), std::round(c.y), 20, 20));
    EXPECT_EQ(b->titleLayer().superlayer() != nullptr, c.position != NSImageOnly);
    delete b;
  }
  // Without an image (or at position 0) the image layer is not in the button.
  auto* b = new SYFlatButton(Rect{0, 0, 200, 100}, window());
  b->setImagePosition(NSImageLeft);
  EXPECT_EQ(b->imageLayer().superlayer(), nullptr);
}

TEST_F(FlatButtonTest, SettingAnImageLaysOutOnlyTheImage) {
  auto* b = new SYFlatButton(Rect{0, 0, 200, 60}, window());
  b->setTitle(QStringLiteral("Go"));
  b->setImage(disc(10));
  b->setImagePosition(NSImageLeft);
  const Rect before = b->titleLayer().frame();
  b->setImage(disc(30));
  EXPECT_EQ(b->titleLayer().frame(), before) << "the title keeps its place until it is laid out again";
  b->setSpacing(0);
  EXPECT_NE(b->titleLayer().frame(), before);
}

TEST_F(FlatButtonTest, ImageFollowsTheSizeALayoutGivesTheButton) {
  // The image is set while the button is still small; the layout sizes it only when the window is shown.
  auto* b = new SYFlatButton(Rect{0, 0, 20, 20}, window());
  b->setImage(disc(30));
  b->setImagePosition(NSImageOnly);
  b->setBackgroundNormalColor(Color::rgb(0, 0, 1));
  b->setImageNormalColor(Color::rgb(0, 1, 0));
  b->setMinimumSize(160, 80);
  auto* layout = new QHBoxLayout(window());
  layout->setContentsMargins(10, 10, 10, 10);
  layout->addWidget(b);
  showWindow();
  clock_->advance(1);
  ASSERT_GE(b->width(), 160);
  const double bw = b->width(), bh = b->height();
  ASSERT_TRUE(b->imageLayer().mask());
  EXPECT_EQ(b->imageLayer().frame(), Rect(0, 0, bw, bh));
  EXPECT_EQ(b->imageLayer().mask()->frame(), Rect(std::round((bw - 30) / 2), std::round((bh - 30) / 2), 30, 30));
  const QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, b, b->rect().center()), Qt::green)) << "the disc is drawn in the button's middle";
  EXPECT_TRUE(near(pixel(img, b, {5, 5}), Qt::blue));
}

TEST_F(FlatButtonTest, ImageIsTintedByTheStatesImageColour) {
  SYFlatButton* b = makeButton(false);
  b->setTitle(QString());
  b->setImage(disc(30));
  b->setImagePosition(NSImageOnly);
  b->setImageNormalColor(Color::rgb(0, 1, 0));
  b->setImageHighlightColor(Color::whiteColor());
  showWindow();
  clock_->advance(1);
  QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, b, {60, 20}), Qt::green)) << "inside the disc: image colour";
  EXPECT_TRUE(near(pixel(img, b, {47, 7}), Qt::blue)) << "outside the disc's shape: background";
  b->setState(1);
  clock_->advance(1);
  img = grabWindow();
  EXPECT_TRUE(near(pixel(img, b, {60, 20}), Qt::white));
  EXPECT_TRUE(near(pixel(img, b, {47, 7}), Qt::red));
}

// One action shared by several buttons tells them apart by their tags, which their interface file sets (by the
// setter, or as a property set by name); toggle buttons carry tags too.
TEST_F(FlatButtonTest, ASharedActionReadsTheTagOfTheButtonClicked) {
  auto* form = new QWidget(window());
  Ui::TaggedButtonsForm ui;
  ui.setupUi(form);
  std::vector<qint64> seen;
  for (SYFlatButton* b : {ui.oNarrowButton, ui.oWidenButton, static_cast<SYFlatButton*>(ui.oLargeFartherButton),
                          ui.oUntaggedButton}) {
    b->setMomentary(true);
    b->setAction([&seen](SYFlatButton* sender) { seen.push_back(sender->tag()); });
  }
  showWindow();
  clock_->advance(1);  // the toggle button takes its look
  for (QWidget* b : {static_cast<QWidget*>(ui.oWidenButton), static_cast<QWidget*>(ui.oNarrowButton),
                     static_cast<QWidget*>(ui.oLargeFartherButton), static_cast<QWidget*>(ui.oUntaggedButton)})
    click(inWindow(b));
  EXPECT_EQ(seen, (std::vector<qint64>{1, -1, 3, 0}));
  // Read by name, as code that handles plain and flat buttons alike reads it; and changed in code.
  EXPECT_EQ(ui.oWidenButton->property("tag").toLongLong(), 1);
  ui.oUntaggedButton->setTag(0x80000000LL);  // a camera value above the 32-bit signed range stays whole
  EXPECT_EQ(ui.oUntaggedButton->property("tag").toLongLong(), 0x80000000LL);
}

class ToggleButtonTest : public widgets_testing::WidgetFixture {};

TEST_F(ToggleButtonTest, TakesItsLookAfterATenthOfASecondAndSwapsImagesWithTheState) {
  auto* t = new ToggleButton(Rect{20, 20, 60, 60}, window());
  t->setImagePosition(NSImageOnly);
  t->setCornerRadius(8);
  t->setOnImage(disc(30), disc(20));
  EXPECT_EQ(t->borderWidth(), 0) << "plain until initialized";
  EXPECT_EQ(t->image().size().width, 20) << "off image already chosen by setOnImage";
  clock_->advance(0.099);
  EXPECT_EQ(t->borderWidth(), 0);
  clock_->advance(0.002);
  EXPECT_EQ(t->borderWidth(), 2);
  EXPECT_FALSE(t->momentary());
  EXPECT_EQ(t->borderNormalColor(), Color::whiteColor());
  EXPECT_EQ(t->backgroundNormalColor(), Color::clear());
  EXPECT_EQ(t->imageNormalColor(), Color::whiteColor());
  showWindow();
  click(inWindow(t));
  EXPECT_EQ(t->state(), 1);
  EXPECT_EQ(t->image().size().width, 30) << "on image";
  EXPECT_EQ(t->imageNormalColor(), Color::blackColor());
  clock_->advance(1);
  QImage img = grabWindow();
  EXPECT_TRUE(near(pixel(img, t, {30, 30}), Qt::black)) << "black image on a white fill";
  EXPECT_TRUE(near(pixel(img, t, {6, 30}), Qt::white));
  click(inWindow(t));
  EXPECT_EQ(t->state(), 0);
  EXPECT_EQ(t->image().size().width, 20);
  t->setEnabled(false);
  EXPECT_EQ(t->borderNormalColor(), Color::grayColor());
  EXPECT_EQ(t->imageNormalColor(), Color::grayColor());
}

}  // namespace
