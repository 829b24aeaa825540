// The collection view as the thumbnail strip and the card browser drive it: a data source of records, items
// made through the reuse pool, selection by clicks with a should-select answer, inserts and deletes that
// animate on the test clock, scrolling to an item and the live-scroll notification.
#include "platform/ui/collection_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/testing/manual_time_source.h"

namespace platform {
namespace {

int gCellsMade = 0;

class TestCell : public CollectionViewItem {
 public:
  TestCell() { ++gCellsMade; }
  int record = -1;
  int reuses = 0;
  void mouseDown(QMouseEvent* event, int clickCount) override {
    clicks.push_back(clickCount);
    CollectionViewItem::mouseDown(event, clickCount);
  }
  std::vector<int> clicks;

 protected:
  void prepareForReuse() override { ++reuses; }
};

// Records are numbers; item i shows record i. Selection answers like the strip: a path that is already
// selected may not be selected again.
class Source : public CollectionViewDataSource, public CollectionViewDelegate {
 public:
  std::vector<int> records;
  std::vector<IndexPathSet> selected, deselected;
  int shouldSelectAsked = 0;

  int collectionViewNumberOfItemsInSection(CollectionView*, int) override { return int(records.size()); }
  CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(CollectionView* view,
                                                                      const IndexPath& path) override {
    auto* cell = static_cast<TestCell*>(view->makeItemWithIdentifier("Cell", path));
    cell->record = records.at(path.item);
    cell->setSelected(view->selectionIndexPaths().count(path) > 0);
    return cell;
  }
  IndexPathSet collectionViewShouldSelectItemsAtIndexPaths(CollectionView* view,
                                                          const IndexPathSet& proposed) override {
    ++shouldSelectAsked;
    const IndexPath first = *proposed.begin();
    if (view->selectionIndexPaths().count(first)) return {};
    return {first};
  }
  void collectionViewDidSelectItemsAtIndexPaths(CollectionView*, const IndexPathSet& paths) override {
    selected.push_back(paths);
  }
  void collectionViewDidDeselectItemsAtIndexPaths(CollectionView*, const IndexPathSet& paths) override {
    deselected.push_back(paths);
  }
};

class CollectionViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCellsMade = 0;
    grid_ = new CollectionView();
    grid_->registerClass([] { return std::make_unique<TestCell>(); }, "Cell");
    grid_->setDataSource(&source_);
    grid_->setDelegate(&source_);
    grid_->setSelectable(true);
    scroll_.resize(800, 600);
    scroll_.setDocumentView(grid_);
  }

  // The card browser's grid: 160 x 106 thumbnails, 10 apart, in an 800-point-wide scroll view.
  void makeGrid(int count) {
    CollectionViewFlowLayout layout;
    layout.itemSize = {160, 106};
    grid_->setCollectionViewLayout(layout);
    for (int i = 0; i < count; ++i) source_.records.push_back(i);
    grid_->reloadData();
  }
  // The strip: a row of 120 x 120 items, 10 apart, scrolling sideways in a 600 x 130 scroll view.
  void makeStrip(int count) {
    scroll_.resize(600, 130);
    CollectionViewFlowLayout layout;
    layout.itemSize = {120, 120};
    layout.scrollDirection = ScrollDirection::Horizontal;
    grid_->setCollectionViewLayout(layout);
    for (int i = 0; i < count; ++i) source_.records.push_back(i);
    grid_->reloadData();
  }
  TestCell* cell(int item) const { return static_cast<TestCell*>(grid_->itemAtIndexPath(IndexPath::forItem(item))); }
  void click(int item, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool twice = false) {
    QWidget* v = cell(item)->view();
    const QPointF at(5, 5);
    QMouseEvent press(twice ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, at, v->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(v, &press);
  }

  bool application_ = (ensureTestApplication(), true);  // before any widget
  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource scoped_{clock_};
  Source source_;
  ScrollView scroll_;
  CollectionView* grid_ = nullptr;
};

TEST_F(CollectionViewTest, ThousandsOfItemsMakeOnlyWhatShowsAndReuseItWhileScrolling) {
  makeGrid(5000);
  // Four items a line: 4 x 160 + 3 x 10 = 670 fits 800, five (850) do not; 1250 lines 116 apart.
  EXPECT_EQ(grid_->size(), QSize(800, 1250 * 116 - 10));
  EXPECT_EQ(grid_->frameForItemAtIndexPath(IndexPath::forItem(4998)), Rect(2 * 170, 1249 * 116, 160, 106));
  // 600 points and a margin of 100 below: lines 0 to 6.
  EXPECT_EQ(grid_->indexPathsForVisibleItems().size(), 7u * 4);
  const int madeAtFirst = gCellsMade;
  EXPECT_EQ(madeAtFirst, 28);
  for (double y = 0; y < 1250 * 116; y += 250) {
    scroll_.contentView()->scrollToPoint({0, y});
    for (const IndexPath& p : grid_->indexPathsForVisibleItems()) {
      TestCell* c = cell(p.item);
      ASSERT_EQ(c->record, p.item);
      const Rect f = grid_->frameForItemAtIndexPath(p);
      ASSERT_EQ(c->view()->geometry(), QRect(int(f.x()), int(f.y()), 160, 106));
    }
  }
  EXPECT_LE(gCellsMade, madeAtFirst + 8) << "items scrolled out of sight are reused, not made anew";
  const Rect last = grid_->frameForItemAtIndexPath(IndexPath::forItem(4999));
  EXPECT_TRUE(grid_->indexPathsForVisibleItems().count(IndexPath::forItem(4999)));
  EXPECT_EQ(scroll_.documentVisibleRect().maxY(), last.maxY()) << "scrolled to the very end";
}

TEST_F(CollectionViewTest, ClicksSelectThroughShouldSelectAndCodeSelectsWithoutAsking) {
  makeGrid(10);
  click(2);
  EXPECT_EQ(grid_->selectionIndexPaths(), IndexPathSet{IndexPath::forItem(2)});
  ASSERT_EQ(source_.selected.size(), 1u);
  EXPECT_EQ(source_.selected[0], IndexPathSet{IndexPath::forItem(2)});
  EXPECT_TRUE(cell(2)->isSelected());
  // Already selected: should-select answers nothing, so nothing is told again.
  click(2);
  EXPECT_EQ(source_.shouldSelectAsked, 2);
  EXPECT_EQ(source_.selected.size(), 1u);
  // Single selection: a click elsewhere moves it, telling the delegate what was dropped.
  click(5);
  EXPECT_EQ(grid_->selectionIndexPaths(), IndexPathSet{IndexPath::forItem(5)});
  EXPECT_FALSE(cell(2)->isSelected());
  ASSERT_EQ(source_.deselected.size(), 1u);
  EXPECT_EQ(source_.deselected[0], IndexPathSet{IndexPath::forItem(2)});
  // A double click reaches the item as a second press of count 2 and selects nothing more.
  click(5, Qt::NoModifier, true);
  EXPECT_EQ(cell(5)->clicks, (std::vector<int>{1, 2}));
  // Multiple selection (the card browser): control-click adds, and toggles off again.
  grid_->setAllowsMultipleSelection(true);
  click(7, Qt::ControlModifier);
  EXPECT_EQ(grid_->selectionIndexPaths(), (IndexPathSet{IndexPath::forItem(5), IndexPath::forItem(7)}));
  click(7, Qt::ControlModifier);
  EXPECT_EQ(grid_->selectionIndexPaths(), IndexPathSet{IndexPath::forItem(5)});
  // Code: select all and deselect all ask and tell nothing.
  const size_t told = source_.selected.size() + source_.deselected.size();
  const int asked = source_.shouldSelectAsked;
  grid_->selectAll();
  EXPECT_EQ(grid_->selectionIndexPaths().size(), 10u);
  EXPECT_TRUE(cell(0)->isSelected());
  grid_->deselectAll();
  EXPECT_FALSE(cell(5)->isSelected());
  EXPECT_EQ(source_.selected.size() + source_.deselected.size(), told);
  EXPECT_EQ(source_.shouldSelectAsked, asked);
  // Not selectable: clicks do nothing.
  grid_->setSelectable(false);
  click(1);
  EXPECT_TRUE(grid_->selectionIndexPaths().empty());
}

TEST_F(CollectionViewTest, AppendedItemFadesInAtTheEndAndIsScrolledToTheRightEdge) {
  makeStrip(10);
  scroll_.show();
  // 10 items: 10 x 120 + 9 x 10 = 1290 wide.
  EXPECT_EQ(grid_->width(), 1290);
  source_.records.push_back(10);
  const IndexPath added = IndexPath::forItem(10);
  grid_->insertItemsAtIndexPaths({added});
  grid_->scrollToItemsAtIndexPaths({added}, ScrollPosition::Right);
  EXPECT_EQ(grid_->width(), 1420);
  EXPECT_EQ(scroll_.contentView()->boundsOrigin().x, 1420 - 600) << "its right edge at the strip's right edge";
  ASSERT_NE(cell(10), nullptr);
  EXPECT_EQ(cell(10)->record, 10);
  EXPECT_DOUBLE_EQ(alphaValue(cell(10)->view()), 0.0);
  clock_->advanceInSteps(CollectionView::kDefaultAnimationDuration / 2, 1.0 / 60);
  const double halfway = alphaValue(cell(10)->view());
  EXPECT_GT(halfway, 0.1);
  EXPECT_LT(halfway, 0.95);
  clock_->advance(CollectionView::kDefaultAnimationDuration);
  EXPECT_DOUBLE_EQ(alphaValue(cell(10)->view()), 1.0);
}

TEST_F(CollectionViewTest, DeletedItemFadesOutWhileTheOthersMoveUpAndSelectionFollows) {
  makeStrip(3);
  scroll_.show();
  grid_->setSelectionIndexPaths({IndexPath::forItem(2)});
  TestCell* first = cell(0);
  TestCell* third = cell(2);
  source_.records.erase(source_.records.begin());
  grid_->deleteItemsAtIndexPaths({IndexPath::forItem(0)});
  EXPECT_EQ(grid_->selectionIndexPaths(), IndexPathSet{IndexPath::forItem(1)}) << "the third item is now second";
  EXPECT_EQ(cell(1), third) << "the same item, moved";
  EXPECT_TRUE(third->isSelected());
  clock_->advanceInSteps(CollectionView::kDefaultAnimationDuration / 2, 1.0 / 60);
  // On its way from x = 260 to x = 130.
  EXPECT_GT(third->view()->x(), 130);
  EXPECT_LT(third->view()->x(), 260);
  EXPECT_TRUE(first->view()->isVisible()) << "still fading out";
  EXPECT_LT(alphaValue(first->view()), 1.0);
  clock_->advance(CollectionView::kDefaultAnimationDuration);
  EXPECT_EQ(third->view()->x(), 130);
  EXPECT_FALSE(first->view()->isVisible());
  // The faded item is the next one handed out.
  const int made = gCellsMade;
  source_.records.push_back(3);
  grid_->insertItemsAtIndexPaths({IndexPath::forItem(2)});
  EXPECT_EQ(cell(2), first);
  EXPECT_EQ(first->reuses, 1);
  EXPECT_EQ(first->record, 3);
  EXPECT_EQ(gCellsMade, made);
}

TEST_F(CollectionViewTest, UserScrollingPostsLiveScrollAndBringsTheNextItemsIn) {
  makeGrid(400);
  scroll_.show();
  int liveScrolls = 0;
  const ObserverToken token = NotificationCenter::defaultCenter().addObserverForName(
      ScrollViewDidLiveScrollNotification, nullptr, [&](const Notification& n) {
        if (n.object.identity() == &scroll_) ++liveScrolls;
      });
  EXPECT_EQ(grid_->itemAtIndexPath(IndexPath::forItem(60)), nullptr) << "line 15 is far below";
  for (int i = 0; i < 40; ++i) {
    const QPointF at(100, 100);
    QWheelEvent down(at, scroll_.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(&scroll_, &down);
  }
  NotificationCenter::defaultCenter().removeObserver(token);
  EXPECT_EQ(liveScrolls, 40);
  EXPECT_EQ(scroll_.documentVisibleRect().y(), 40 * ScrollView::kLineScroll);
  ASSERT_NE(cell(60), nullptr);
  EXPECT_EQ(cell(60)->record, 60);
  EXPECT_EQ(grid_->itemAtIndexPath(IndexPath::forItem(0)), nullptr) << "scrolled out of sight";
}

}  // namespace
}  // namespace platform
