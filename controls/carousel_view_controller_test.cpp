// The carousel value picker: what it counts and shows from its lists, where it starts, what it reports (once per
// index, the initial one only after another), and the dismiss button; clicks go through the carousel's own
// hit-testing.
#include "controls/carousel_view_controller.h"

#include <QLabel>

#include "platform/ui/image_view.h"
#include "platform/ui/popover.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "widgets/sy_flat_button.h"

namespace {

using platform::ValueArray;

struct Reports : CarouselViewDelegate {
  std::vector<int64_t> indexes;
  int changed = 0;
  void valueSet(CarouselViewController*, int64_t toIndex) override { indexes.push_back(toIndex); }
  void valueChanged(CarouselViewController*) override { ++changed; }
};

class CarouselPickerTest : public platform::testing::OffscreenFixture {
 protected:
  void TearDown() override { window_.reset(); }

  // Shows the picker in a window, telling it as a container would.
  void show(CarouselViewController* picker) {
    window_ = std::make_unique<platform::Window>();
    QWidget* v = picker->view();
    window_->setFrame({100, 100, double(v->width()), double(v->height())});
    v->setParent(window_->contentView());
    v->move(0, 0);
    picker->beginAppearanceTransition(true);
    v->show();
    showAndWait(window_.get());
    picker->endAppearanceTransition();
    settle();
  }

  // A point of the carousel (Qt coordinates, at mid-height) well inside the item, found by the carousel's own
  // hit-test: the middle of the span it covers, and at least 12 points in (a click is looked up 12 points to the
  // left of the pointer).
  static QPoint pointOver(iCarousel* carousel, int64_t index) {
    int first = -1, last = -1;
    for (int x = 0; x < carousel->width(); ++x) {
      const platform::Point p = platform::pointFromQt(carousel, QPointF(x, carousel->height() / 2.0));
      if (carousel->indexOfItemView(carousel->itemViewAtPoint(p)) != index) continue;
      if (first < 0) first = x;
      last = x;
    }
    if (first < 0 || last - first < 14) return QPoint(-100, -100);
    return QPoint(std::max((first + last) / 2, first + 13), carousel->height() / 2);
  }

  static QString textOf(QWidget* item) {
    for (QLabel* label : item->findChildren<QLabel*>())
      if (label->property("tag").toInt() == 1) return label->text();
    return "(no text field)";
  }

  std::unique_ptr<platform::Window> window_;
};

TEST_F(CarouselPickerTest, ValuesWithoutVisualsShowTheirTextAndAnInitialValueNotInTheListStartsAtTheFirst) {
  auto picker = CarouselViewController::initWithValuesInitialValue(ValueArray{100, 200, 400}, std::nullopt, 800,
                                                                   false);
  EXPECT_EQ(picker->initialIndex(), 0);
  auto byValue = CarouselViewController::initWithValuesInitialValue(ValueArray{100, 200, 400}, std::nullopt, 400,
                                                                    false);
  EXPECT_EQ(byValue->initialIndex(), 2);

  show(byValue.get());
  iCarousel* carousel = byValue->oCarouselView;
  ASSERT_NE(carousel, nullptr);
  EXPECT_EQ(carousel->type(), iCarouselTypeCustom);
  EXPECT_EQ(carousel->numberOfItems(), 3);
  EXPECT_EQ(carousel->currentItemIndex(), 2);
  EXPECT_EQ(byValue->selectedValue().toInteger(), 400);
  for (int64_t i = 0; i < 3; ++i) {
    QWidget* item = carousel->itemViewAtIndex(i);
    ASSERT_NE(item, nullptr) << i;
    EXPECT_EQ(textOf(item), QString::number(100 << i)) << i;
  }
  // The initial item is the highlighted one until told otherwise.
  EXPECT_EQ(textOf(carousel->itemViewAtIndex(2)), "400");
  EXPECT_FALSE(byValue->oCarouselBackgroundImageView->image().isNull());
  EXPECT_EQ(byValue->oDismissButton, nullptr);
}

TEST_F(CarouselPickerTest, TheShorterListCountsAndAnInitialIndexPastTheItemsStartsAtTheFirst) {
  std::vector<controls::Visual> visuals = {QString("A"), QString("B")};
  auto picker = CarouselViewController::initWithValues(ValueArray{1, 2, 3, 4}, visuals, 3, false);
  EXPECT_EQ(picker->initialIndex(), 0);
  EXPECT_EQ(picker->lastNotifiedIndex(), 0);
  EXPECT_EQ(picker->numberOfItemsInCarousel(nullptr), 2);
  EXPECT_FALSE(picker->visualAtIndex(-1).has_value());
  EXPECT_FALSE(picker->visualAtIndex(2).has_value());
  ASSERT_TRUE(picker->visualAtIndex(1).has_value());
  EXPECT_EQ(std::get<QString>(*picker->visualAtIndex(1)), "B");
  show(picker.get());
  EXPECT_EQ(picker->oCarouselView->numberOfItems(), 2);

  auto empty = CarouselViewController::initWithValues(std::nullopt, std::nullopt, 5, true);
  EXPECT_EQ(empty->lastNotifiedIndex(), -1);
  EXPECT_EQ(empty->numberOfItemsInCarousel(nullptr), 0);
  EXPECT_TRUE(empty->selectedValue().isNull());
}

TEST_F(CarouselPickerTest, OptionsAnswerAsThePickerWantsThem) {
  auto picker = CarouselViewController::initWithValues(ValueArray{1}, std::nullopt, 0, false);
  struct Case {
    int64_t option;
    double expected;
  } cases[] = {{iCarouselOptionWrap, 0},   {iCarouselOptionSpacing, 2.2}, {iCarouselOptionShowBackfaces, 2},
               {iCarouselOptionTilt, 2},   {iCarouselOptionFadeMin, 2},   {iCarouselOptionFadeMinAlpha, 2},
               {14, 0},                    {100, 0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(picker->valueForOption(nullptr, c.option, 2.0), c.expected) << c.option;
  EXPECT_DOUBLE_EQ(picker->carouselItemWidth(nullptr), 40);
}

TEST_F(CarouselPickerTest, ClicksReportEachNewIndexOnceAndTheInitialOneOnlyAfterAnother) {
  std::vector<controls::Visual> visuals = {QString("-1"), QString("0"), QString("+1"), QString("+2")};
  auto picker = CarouselViewController::initWithValues(ValueArray{-1, 0, 1, 2}, visuals, 1, false);
  Reports reports;
  picker->setDelegate(&reports);
  show(picker.get());
  iCarousel* carousel = picker->oCarouselView;

  // The current (initial) item clicked: nothing new.
  QPoint at = pointOver(carousel, 1);
  ASSERT_GE(at.x(), 0);
  click(carousel, at);
  EXPECT_TRUE(reports.indexes.empty());

  at = pointOver(carousel, 2);
  ASSERT_GE(at.x(), 0) << "item 2 is nowhere on the carousel";
  click(carousel, at);
  clock_->advance(1.0);  // the scroll to the chosen item runs and ends
  settle();
  EXPECT_EQ(reports.indexes, (std::vector<int64_t>{2}));
  EXPECT_EQ(picker->selectedIndex(), 2);
  EXPECT_EQ(std::get<QString>(*picker->selectedVisual()), "+1");

  // Scrolled back to the initial item: reported when the scroll comes to rest, now that another one was.
  carousel->scrollToItemAtIndex(1, true);
  EXPECT_EQ(reports.indexes, (std::vector<int64_t>{2}));
  clock_->advance(1.0);
  settle();
  EXPECT_EQ(reports.indexes, (std::vector<int64_t>{2, 1}));
  // Coming to rest on it again says nothing.
  carousel->scrollToItemAtIndex(1, true);
  clock_->advance(1.0);
  EXPECT_EQ(reports.indexes, (std::vector<int64_t>{2, 1}));

  picker->callValueChanged();
  EXPECT_EQ(reports.changed, 1);
}

TEST_F(CarouselPickerTest, HighlightingRedrawsTheItemInTheHighlightColour) {
  auto picker = CarouselViewController::initWithValues(ValueArray{10, 20, 30}, std::nullopt, 0, false);
  show(picker.get());
  auto colourOf = [&](int64_t i) {
    for (QLabel* label : picker->oCarouselView->itemViewAtIndex(i)->findChildren<QLabel*>())
      return label->palette().color(QPalette::WindowText);
    return QColor();
  };
  EXPECT_EQ(colourOf(0), QColor::fromRgbF(0.0f, 0.5f, 1.0f, 1.0f));
  EXPECT_EQ(colourOf(1), QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
  picker->highlightIndex(1);
  EXPECT_EQ(colourOf(0), QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
  EXPECT_EQ(colourOf(1), QColor::fromRgbF(0.0f, 0.5f, 1.0f, 1.0f));
}

TEST_F(CarouselPickerTest, TheDismissButtonAsksThePresenterToDismissThePicker) {
  auto picker = CarouselViewController::initWithValues(ValueArray{1, 2}, std::nullopt, 0, true);
  platform::ViewController presenter;
  window_ = std::make_unique<platform::Window>();
  window_->setFrame({100, 100, 400, 300});
  presenter.view()->setParent(window_->contentView());
  presenter.view()->resize(400, 300);
  presenter.view()->show();
  showAndWait(window_.get());
  presenter.presentViewControllerAsPopover(picker.get(), platform::boundsOf(presenter.view()), presenter.view(),
                                           platform::RectEdge::MinY, platform::PopoverBehavior::ApplicationDefined);
  settle();
  ASSERT_EQ(presenter.presentedViewControllers().size(), 1u);
  ASSERT_NE(picker->oDismissButton, nullptr);
  EXPECT_FALSE(picker->oDismissButton->image().isNull());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->view()->window()));
  click(picker->oDismissButton);
  clock_->advance(1.0);
  settle();
  EXPECT_TRUE(presenter.presentedViewControllers().empty());
}

}  // namespace
