// The carousel with a data source and delegate of the tests' own (as the pickers give them): each type's item
// transform at offsets -2..2, clamping and wrapping, placeholders and view reuse, eased scrolls, a flick that
// settles on an item, drags past the ends, keys, and clicks looked up in depth order.
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "widgets/i_carousel.h"
#include "widgets/testing/widget_fixture.h"

using platform::Point;
using platform::Transform3D;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kItem = 100;  // item views are 100 x 60

struct Source : iCarouselDataSource {
  std::int64_t items = 20, placeholders = 0;
  std::map<std::int64_t, int> created;          // new views made, per item index
  std::vector<std::int64_t> placeholderAsked;   // placeholder indices asked for
  int reused = 0;
  double viewWidth = kItem;
  std::int64_t numberOfItemsInCarousel(iCarousel*) override { return items; }
  std::int64_t numberOfPlaceholdersInCarousel(iCarousel*) override { return placeholders; }
  QWidget* viewForItemAtIndex(iCarousel*, std::int64_t index, QWidget* reusing) override {
    QWidget* v = reusing;
    if (v) {
      ++reused;
    } else {
      ++created[index];
      v = new QWidget();
      v->resize(int(viewWidth), 60);
    }
    QPalette pal = v->palette();
    pal.setColor(QPalette::Window, QColor::fromHsv(int(index * 37 % 360), 200, 220));
    v->setPalette(pal);
    v->setAutoFillBackground(true);
    return v;
  }
  QWidget* placeholderViewAtIndex(iCarousel*, std::int64_t index, QWidget* reusing) override {
    placeholderAsked.push_back(index);
    if (reusing) return reusing;
    auto* v = new QWidget();
    v->resize(int(viewWidth), 60);
    return v;
  }
};

// What the pickers answer: their item width, no wrapping unless told, their spacing, and the custom transform
// (a turn of pi/8 about the vertical axis, then a move of offset x item width towards the viewer).
struct Delegate : iCarouselDelegate {
  double width = kItem;
  std::vector<std::int64_t> selected;
  int didEndDecelerating = 0, indexChanges = 0;
  double itemWidthOf = kItem;
  double carouselItemWidth(iCarousel*) override { return width; }
  Transform3D itemTransformForOffset(iCarousel*, double offset, Transform3D base) override {
    // Applied to a point: the move first, then the turn, then the base.
    return Transform3D::translation(0, 0, offset * itemWidthOf).concat(Transform3D::rotation(kPi / 8, 0, 1, 0)).concat(base);
  }
  void didSelectItemAtIndex(iCarousel*, std::int64_t index) override { selected.push_back(index); }
  void carouselDidEndDecelerating(iCarousel*) override { ++didEndDecelerating; }
  void carouselCurrentItemIndexDidChange(iCarousel*) override { ++indexChanges; }
};

class CarouselTest : public widgets_testing::WidgetFixture {
 protected:
  iCarousel* make(std::int64_t type, std::int64_t items = 20, bool withDelegate = true) {
    source_.items = items;
    auto* c = new iCarousel(window());
    c->setGeometry(0, 0, 400, 200);
    c->setType(type);
    if (withDelegate) c->setDelegate(&delegate_);
    c->setDataSource(&source_);
    c->show();
    settle();
    return c;
  }
  void settle() { clock_->advanceInSteps(3, 1.0 / 60); }
  // Where a point of the item's own plane (relative to its centre) goes: (X, Y, Z, W) of p * M.
  static std::array<double, 4> map(const Transform3D& t, double x, double y, double z) {
    std::array<double, 4> out{};
    const double p[4] = {x, y, z, 1};
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) out[std::size_t(j)] += p[k] * t.m[k][j];
    return out;
  }
  void dragTo(iCarousel* c, std::vector<int> xs, double secondsBetween) {
    press(inWindow(c, {xs.front(), 100}));
    for (std::size_t i = 1; i < xs.size(); ++i) {
      clock_->advance(secondsBetween);
      QMouseEvent e(QEvent::MouseMove, QPointF(xs[i], 100), c->mapToGlobal(QPointF(xs[i], 100)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(c, &e);
    }
    release(inWindow(c, {xs.back(), 100}));
  }
  Source source_;
  Delegate delegate_;
};

TEST_F(CarouselTest, EachTypePlacesItsItemsAtOffsetsMinusTwoToTwo) {
  const double w = kItem;
  // The ring types see 12 items around (the 400-point row holds 4 items: ceil(4) * pi, at least 12).
  const double n = 12;
  const double ringRadius = std::max(50.0 / double(std::tan(float(kPi / n))), 50.0);
  const double cylRadius = std::max(0.01, 50.0 / double(std::tan(float(kPi / n))));
  const double wheelRadius = w * n / (2 * kPi);
  const double tilt7 = double(0.9f), tilt9 = double(0.3f);
  struct Expect {
    double x, y, z;         // the item's centre
    double ex, ey, ez;      // its right edge's middle (50 points right of the centre in its own plane)
  };
  auto ring = [&](double r, double th) {
    return Expect{r * std::sin(th), 0, r * std::cos(th) - r, r * std::sin(th) + 50, 0, r * std::cos(th) - r};
  };
  auto cylinder = [&](double r, double th) {
    const double d = r + 0.01;
    return Expect{d * std::sin(th), 0, d * std::cos(th) - r, 50 * std::cos(th) + d * std::sin(th), 0,
                  -50 * std::sin(th) + d * std::cos(th) - r};
  };
  auto wheel = [&](double r, double phi, double o) {
    const double cx = r * std::sin(phi), cy = r - r * std::cos(phi);
    return Expect{cx, cy, 0.01 * o, cx + 50 * std::cos(phi), cy + 50 * std::sin(phi), 0.01 * o};
  };
  auto flow = [&](double o) {
    const double c = std::clamp(o, -1.0, 1.0);
    const double x = (c * 0.5 * tilt7 + o * 0.25) * w, z = -std::abs(c) * w * 0.5;
    const double phi = -c * kPi / 2 * tilt7;
    return Expect{x, 0, z, x + 50 * std::cos(phi), 0, z - 50 * std::sin(phi)};
  };
  for (std::int64_t type = 0; type <= 11; ++type) {
    iCarousel* c = make(type);
    for (int o = -2; o <= 2; ++o) {
      SCOPED_TRACE(testing::Message() << "type " << type << " offset " << o);
      Expect e{};
      switch (type) {
        case 0: e = {o * w, 0, 0, o * w + 50, 0, 0}; break;
        case 1: e = ring(ringRadius, o / n * 2 * kPi); break;
        case 2: e = ring(-ringRadius, -o / n * 2 * kPi); break;
        case 3: e = cylinder(cylRadius, o / n * 2 * kPi); break;
        case 4: e = cylinder(-cylRadius, -o / n * 2 * kPi); break;
        case 5: e = wheel(wheelRadius, 2 * kPi / n * o, o); break;
        case 6: e = wheel(-wheelRadius, -2 * kPi / n * o, o); break;
        case 7: case 8: e = flow(o); break;
        case 9: e = {tilt9 * o * w, 0, o * w, tilt9 * o * w + 50, 0, o * w}; break;
        case 10: e = {tilt9 * o * w, 0, -o * w, tilt9 * o * w + 50, 0, -o * w}; break;
        case 11: {
          const double s = std::sin(kPi / 8), k = std::cos(kPi / 8);
          e = {o * w * s, 0, o * w * k, 50 * k + o * w * s, 0, -50 * s + o * w * k};
          break;
        }
      }
      const Transform3D t = c->transformForItemView(o);
      const auto centre = map(t, 0, 0, 0), edge = map(t, 50, 0, 0);
      EXPECT_NEAR(centre[0], e.x, 1e-3);
      EXPECT_NEAR(centre[1], e.y, 1e-3);
      EXPECT_NEAR(centre[2], e.z, 1e-3);
      EXPECT_NEAR(centre[3], 1 - e.z / 500, 1e-6) << "perspective -1/500";
      EXPECT_NEAR(edge[0], e.ex, 1e-3);
      EXPECT_NEAR(edge[1], e.ey, 1e-3);
      EXPECT_NEAR(edge[2], e.ez, 1e-3);
    }
    // What the containers carry is that transform, for the item's offset.
    c->setCurrentItemIndex(5);
    for (std::int64_t index : c->indexesForVisibleItems()) {
      const platform::Layer* container = c->containerOfItemView(c->itemViewAtIndex(index));
      ASSERT_NE(container, nullptr);
      EXPECT_EQ(container->transform(), c->transformForItemView(c->offsetForItemAtIndex(index))) << index;
    }
    delete c;
  }
}

TEST_F(CarouselTest, CustomTypeWithoutADelegateFlattensItsItems) {
  iCarousel* c = make(iCarouselTypeCustom, 5, false);
  const Transform3D t = c->transformForItemView(1);
  for (const auto& row : t.m)
    for (double v : row) EXPECT_EQ(v, 0.0);
}

TEST_F(CarouselTest, ClampingAndShortestDistancesWithAndWithoutWrapping) {
  struct Case {
    std::int64_t type;
    bool wraps;
    std::int64_t clampedMinus1, clamped7, fourToZero;
    double offsetOfItem0AtScroll4;
  };
  const Case cases[] = {
      {iCarouselTypeRotary, true, 4, 2, 1, 1},
      {iCarouselTypeLinear, false, 0, 4, -4, -4},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.type);
    iCarousel* c = make(k.type, 5);
    EXPECT_EQ(c->wrapEnabled(), k.wraps);
    EXPECT_EQ(c->clampedIndex(-1), k.clampedMinus1);
    EXPECT_EQ(c->clampedIndex(7), k.clamped7);
    EXPECT_EQ(c->minScrollDistanceFromIndex(4, 0), k.fourToZero);
    c->setScrollOffset(4);
    EXPECT_EQ(c->offsetForItemAtIndex(0), k.offsetOfItem0AtScroll4);
    delete c;
  }
  iCarousel* empty = make(iCarouselTypeLinear, 0);
  EXPECT_EQ(empty->clampedIndex(3), -1);
  EXPECT_EQ(empty->clampedOffset(2.5), -1);
  EXPECT_TRUE(empty->indexesForVisibleItems().empty());
}

TEST_F(CarouselTest, PlaceholdersFillTheEndsWhenNotWrapping) {
  source_.placeholders = 2;
  iCarousel* c = make(iCarouselTypeLinear, 3);
  c->setCurrentItemIndex(0);
  // Linear in 400 points: 5 slots around item 0, from -1: the placeholder before, the items, the one after.
  EXPECT_EQ(c->indexesForVisibleItems(), (std::vector<std::int64_t>{-1, 0, 1, 2, 3}));
  // Index -1 is placeholder ceil(2 / 2) - 1 = 0, index 3 is 3 + 2 / 2 - 3 = 1.
  ASSERT_FALSE(source_.placeholderAsked.empty());
  EXPECT_NE(std::find(source_.placeholderAsked.begin(), source_.placeholderAsked.end(), 0), source_.placeholderAsked.end());
  EXPECT_NE(std::find(source_.placeholderAsked.begin(), source_.placeholderAsked.end(), 1), source_.placeholderAsked.end());
  for (std::int64_t p : source_.placeholderAsked) EXPECT_TRUE(p == 0 || p == 1) << p;
  // A wrapping type shows none.
  source_.placeholderAsked.clear();
  c->setType(iCarouselTypeRotary);
  for (std::int64_t index : c->indexesForVisibleItems()) EXPECT_TRUE(index >= 0 && index < 3) << index;
}

TEST_F(CarouselTest, ScrollingTheWholeRowReusesViewsAndMakesNoneTwice) {
  iCarousel* c = make(iCarouselTypeLinear, 200);
  for (int i = 0; i <= 199; ++i) c->setScrollOffset(i);
  for (int i = 199; i >= 0; i -= 3) c->setScrollOffset(i);
  for (const auto& [index, count] : source_.created) EXPECT_EQ(count, 1) << "item " << index;
  EXPECT_LE(int(source_.created.size()), int(c->numberOfVisibleItems()) + 1) << "new views only for the first slots";
  EXPECT_GT(source_.reused, 150);
  EXPECT_EQ(std::int64_t(c->indexesForVisibleItems().size()), c->numberOfVisibleItems());
}

TEST_F(CarouselTest, ProgrammaticScrollEasesOverItsDuration) {
  iCarousel* c = make(iCarouselTypeLinear);
  c->setCurrentItemIndex(2);
  c->scrollToItemAtIndex(6, 0.4);
  EXPECT_TRUE(c->scrolling());
  clock_->advanceInSteps(0.1, 1.0 / 60);
  // Ease in and out: after a quarter of the time, 0.5 * (2 * 0.25)^3 = 1/16 of the way.
  EXPECT_NEAR(c->scrollOffset(), 2 + 4.0 / 16, 0.1);
  clock_->advanceInSteps(0.1, 1.0 / 60);
  EXPECT_NEAR(c->scrollOffset(), 4, 0.05) << "half way at half time";
  settle();
  EXPECT_EQ(c->scrollOffset(), 6);
  EXPECT_FALSE(c->scrolling());
  EXPECT_EQ(c->currentItemIndex(), 6);
  EXPECT_FALSE(c->isTimerRunning()) << "the timer stops once idle";
}

TEST_F(CarouselTest, FlickDeceleratesAndSettlesOnAWholeItem) {
  iCarousel* c = make(iCarouselTypeLinear);
  c->setCurrentItemIndex(5);
  showWindow();
  // 10 points a frame to the left at 100 points an item: 6 items a second, decelerating over 2 items.
  dragTo(c, {300, 290, 280, 270}, 1.0 / 60);
  EXPECT_TRUE(c->decelerating());
  EXPECT_NEAR(c->scrollOffset(), 5.3, 1e-9);
  settle();
  EXPECT_FALSE(c->decelerating());
  EXPECT_FALSE(c->scrolling());
  EXPECT_EQ(c->scrollOffset(), 8) << "5.3 + 2 stops at the next whole item";
  EXPECT_EQ(c->currentItemIndex(), 8);
  EXPECT_EQ(delegate_.didEndDecelerating, 1);
}

TEST_F(CarouselTest, DragsAreResistedPastTheEndAndTimelessEventsKeepTheVelocity) {
  iCarousel* c = make(iCarouselTypeLinear, 5);
  c->setCurrentItemIndex(4);
  showWindow();
  // Far past the last item: resisted in proportion, never beyond one bounce distance.
  press(inWindow(c, {390, 100}));
  double previous = c->scrollOffset(), previousStep = 1e9;
  for (int x : {340, 290, 240, 190, 140, 90, 40, 10}) {
    clock_->advance(1.0 / 60);
    QMouseEvent e(QEvent::MouseMove, QPointF(x, 100), c->mapToGlobal(QPointF(x, 100)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(c, &e);
    const double step = c->scrollOffset() - previous;
    EXPECT_LE(step, previousStep + 1e-9) << "each equal move gains less past the end";
    EXPECT_LE(c->scrollOffset(), 5.0) << "at most one item beyond the last";
    previous = c->scrollOffset();
    previousStep = step;
  }
  EXPECT_GT(c->scrollOffset(), 4.2);
  release(inWindow(c, {10, 100}));
  settle();
  EXPECT_EQ(c->scrollOffset(), 4) << "back on the last item";
  // Two events at the same moment: no infinite speed, a sound settle.
  c->setCurrentItemIndex(1);
  dragTo(c, {300, 290, 280}, 1.0 / 60);
  press(inWindow(c, {280, 100}));
  QMouseEvent same(QEvent::MouseMove, QPointF(270, 100), c->mapToGlobal(QPointF(270, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  clock_->advance(1.0 / 60);
  QMouseEvent first(QEvent::MouseMove, QPointF(275, 100), c->mapToGlobal(QPointF(275, 100)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(c, &first);
  QCoreApplication::sendEvent(c, &same);  // no time between the two
  release(inWindow(c, {270, 100}));
  settle();
  EXPECT_TRUE(std::isfinite(c->scrollOffset()));
  EXPECT_EQ(c->scrollOffset(), std::round(c->scrollOffset()));
  EXPECT_GE(c->currentItemIndex(), 0);
  EXPECT_LE(c->currentItemIndex(), 4);
}

TEST_F(CarouselTest, ViewsWithoutWidthNeverDivideByZero) {
  source_.viewWidth = 0;
  delegate_.width = 0;
  iCarousel* c = make(iCarouselTypeLinear, 10);
  showWindow();
  EXPECT_EQ(c->itemWidth(), 0);
  dragTo(c, {300, 250, 200}, 1.0 / 60);
  settle();
  EXPECT_TRUE(std::isfinite(c->scrollOffset()));
  EXPECT_LE(c->numberOfVisibleItems(), iCarousel::kMaxVisibleItems);
  for (std::int64_t type : {1, 5, 7}) {
    c->setType(type);
    settle();
    EXPECT_TRUE(std::isfinite(c->scrollOffset())) << type;
  }
}

TEST_F(CarouselTest, ArrowKeysStepOneItem) {
  struct Case {
    bool vertical;
    Qt::Key key;
    std::int64_t expected;
  };
  const Case cases[] = {
      {false, Qt::Key_Right, 4}, {false, Qt::Key_Left, 2}, {false, Qt::Key_Up, 3},
      {true, Qt::Key_Down, 4},   {true, Qt::Key_Up, 2},    {true, Qt::Key_Right, 3},
  };
  iCarousel* c = make(iCarouselTypeLinear);
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.vertical << " " << int(k.key));
    c->setVertical(k.vertical);
    c->setCurrentItemIndex(3);
    settle();
    QTest::keyClick(c, k.key);
    settle();
    EXPECT_EQ(c->currentItemIndex(), k.expected);
    EXPECT_EQ(c->scrollOffset(), double(k.expected));
  }
  // While a scroll runs, keys wait.
  c->setVertical(false);
  c->scrollToItemAtIndex(10, 0.4);
  QTest::keyClick(c, Qt::Key_Right);
  settle();
  EXPECT_EQ(c->currentItemIndex(), 10);
}

TEST_F(CarouselTest, ClicksAreLookedUpInDepthOrderTwelvePointsToTheLeft) {
  struct Case {
    const char* name;
    std::int64_t type;
    int x;  // where the pointer is, in the carousel (Qt coordinates, the row's middle height)
    std::int64_t selected;
  };
  // Current item 5, centred at x = 200. Receding stack: the item behind (4) peeks out to the left, under the
  // front one where they overlap.
  const Case cases[] = {
      {"linear: inside the current item", iCarouselTypeLinear, 200, 5},
      {"linear: 5 points into the next item looks 12 to the left", iCarouselTypeLinear, 255, 5},
      {"linear: 15 points into the next item", iCarouselTypeLinear, 265, 6},
      {"stack: where the back item lies under the front one", iCarouselTypeTimeMachine, 180, 5},
      {"stack: the back item where it shows alone", iCarouselTypeTimeMachine, 150, 4},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    delegate_.selected.clear();
    iCarousel* c = make(k.type);
    c->setCurrentItemIndex(5);
    showWindow();
    click(inWindow(c, {k.x, 100}));
    ASSERT_EQ(delegate_.selected.size(), 1u);
    EXPECT_EQ(delegate_.selected[0], k.selected);
    settle();
    EXPECT_EQ(c->currentItemIndex(), k.selected) << "a chosen item is scrolled to the centre";
    delete c;
  }
}

TEST_F(CarouselTest, DrawsTheCurrentItemInTheMiddle) {
  iCarousel* c = make(iCarouselTypeLinear);
  c->setCurrentItemIndex(5);
  showWindow();
  const QImage img = grabWindow();
  EXPECT_TRUE(widgets_testing::near(pixel(img, c, {200, 100}), QColor::fromHsv(5 * 37 % 360, 200, 220), 4));
  EXPECT_TRUE(widgets_testing::near(pixel(img, c, {300, 100}), QColor::fromHsv(6 * 37 % 360, 200, 220), 4));
  EXPECT_TRUE(widgets_testing::near(pixel(img, c, {200, 20}), QColor(20, 20, 20), 4)) << "above the row";
}

}  // namespace
