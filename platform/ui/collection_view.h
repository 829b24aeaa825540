#pragma once
// A collection view: items in sections laid out by a flow layout (a grid that scrolls one way), made through a
// data source, reused as they scroll out of sight so that only the items in view (and a margin) exist, with a
// selection that the user changes by clicking (asking the delegate which items may be selected) and that code
// sets without asking. Insertions and deletions animate: items move to their new places, new ones fade in,
// removed ones fade out.
//
// The view is flipped (y grows downwards, as item frames are given) and is meant to be the document view of a
// ScrollView, whose clip view tells it what shows; it sizes itself to its content there (at least the clip
// view's size). Outside a scroll view all of its own bounds show. Main thread only.

#include <QPointer>
#include <QWidget>
#include <compare>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/animation.h"
#include "platform/ui/responder.h"
#include "platform/ui/scroll_view.h"

class QMouseEvent;

namespace platform {

struct IndexPath {
  int section = 0;
  int item = 0;
  static IndexPath forItem(int item, int section = 0) { return {section, item}; }
  friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
};
using IndexPathSet = std::set<IndexPath>;

enum class ScrollPosition {
  None,
  Top,
  CenteredVertically,
  Bottom,
  NearestHorizontalEdge,  // the least vertical scroll that shows the items
  Left,
  CenteredHorizontally,
  Right,
  NearestVerticalEdge,  // the least horizontal scroll that shows the items
};

enum class HighlightState { None, ForSelection, ForDeselection, AsDropTarget };

class CollectionView;

// One item: a controller of a view that shows one represented object. Items are made by the collection view
// (makeItemWithIdentifier) and owned by it; one that scrolls out of sight is kept for reuse. In the responder
// chain (responder.h) the item follows its view and precedes the collection view.
class CollectionViewItem : public Responder {
 public:
  CollectionViewItem();
  virtual ~CollectionViewItem();
  CollectionViewItem(const CollectionViewItem&) = delete;
  CollectionViewItem& operator=(const CollectionViewItem&) = delete;

  // The item's view, made by loadView on first use.
  QWidget* view();
  bool isViewLoaded() const { return view_ != nullptr; }
  CollectionView* collectionView() const { return collectionView_; }
  const std::string& identifier() const { return identifier_; }

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected) { selected_ = selected; }
  HighlightState highlightState() const { return highlight_; }
  virtual void setHighlightState(HighlightState state) { highlight_ = state; }

 protected:
  // Makes the view (a plain layer-backed View unless overridden) and hands it to setView.
  virtual void loadView();
  void setView(QWidget* view);
  // After the view got its frame (and whenever its size changes).
  virtual void viewDidLayout() {}
  // Before the item is handed out again for another index path.
  virtual void prepareForReuse() {}
  // A press on the item's view: clickCount 1 for a single click, 2 for a double click. By default a single
  // click selects as the user's click does (asking the delegate).
  virtual void mouseDown(QMouseEvent* event, int clickCount);

 private:
  friend class CollectionView;
  class ViewWatcher;
  QPointer<QWidget> view_;  // null again if someone else deleted it
  std::unique_ptr<ViewWatcher> watcher_;
  CollectionView* collectionView_ = nullptr;
  std::string identifier_;
  bool selected_ = false;
  HighlightState highlight_ = HighlightState::None;
  Animator::Id animation_ = 0;
};

class CollectionViewDataSource {
 public:
  virtual ~CollectionViewDataSource() = default;
  virtual int numberOfSectionsInCollectionView(CollectionView*) { return 1; }
  virtual int collectionViewNumberOfItemsInSection(CollectionView* view, int section) = 0;
  // An item from view->makeItemWithIdentifier(...), filled for the index path.
  virtual CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(CollectionView* view,
                                                                              const IndexPath& indexPath) = 0;
};

class CollectionViewDelegate {
 public:
  virtual ~CollectionViewDelegate() = default;
  // Which of the proposed paths the user's click may select (all of them by default).
  virtual IndexPathSet collectionViewShouldSelectItemsAtIndexPaths(CollectionView*, const IndexPathSet& proposed) {
    return proposed;
  }
  virtual void collectionViewDidSelectItemsAtIndexPaths(CollectionView*, const IndexPathSet&) {}
  virtual void collectionViewDidDeselectItemsAtIndexPaths(CollectionView*, const IndexPathSet&) {}
};

struct EdgeInsets {
  double top = 0, left = 0, bottom = 0, right = 0;
};

enum class ScrollDirection { Vertical, Horizontal };

// A grid of equal items: lines across the scroll direction, filled in order, sections one after the other.
struct CollectionViewFlowLayout {
  Size itemSize{50, 50};
  double minimumInteritemSpacing = 10;  // between items of one line
  double minimumLineSpacing = 10;       // between lines
  EdgeInsets sectionInset;
  ScrollDirection scrollDirection = ScrollDirection::Vertical;
};

class CollectionView : public QWidget, public VisibleRectObserver {
 public:
  explicit CollectionView(QWidget* parent = nullptr);
  ~CollectionView() override;

  void setDataSource(CollectionViewDataSource* dataSource) { dataSource_ = dataSource; }
  CollectionViewDataSource* dataSource() const { return dataSource_; }
  void setDelegate(CollectionViewDelegate* delegate) { delegate_ = delegate; }
  CollectionViewDelegate* delegate() const { return delegate_; }

  const CollectionViewFlowLayout& collectionViewLayout() const { return layout_; }
  void setCollectionViewLayout(const CollectionViewFlowLayout& layout);

  // Items.
  using ItemFactory = std::function<std::unique_ptr<CollectionViewItem>()>;
  void registerClass(ItemFactory factory, const std::string& identifier);
  // A reused item of the identifier, or a new one; null for an identifier never registered.
  CollectionViewItem* makeItemWithIdentifier(const std::string& identifier, const IndexPath& indexPath);
  // The item shown at the path, or null when it is not in view.
  CollectionViewItem* itemAtIndexPath(const IndexPath& indexPath) const;
  std::optional<IndexPath> indexPathForItem(const CollectionViewItem* item) const;
  std::vector<CollectionViewItem*> visibleItems() const;
  IndexPathSet indexPathsForVisibleItems() const;

  // Counts as the data source last gave them.
  int numberOfSections() const { return int(counts_.size()); }
  int numberOfItemsInSection(int section) const;

  // Geometry (flipped: origin at the top left).
  Rect frameForItemAtIndexPath(const IndexPath& indexPath) const;
  Size collectionViewContentSize() const;
  // The part of the view that shows (the clip view's bounds in a scroll view, else the bounds).
  Rect visibleRect() const;
  ScrollView* enclosingScrollView() const;

  // Changes of the data. The data source has the new counts when these are called.
  void reloadData();
  void reloadItemsAtIndexPaths(const IndexPathSet& indexPaths);
  void insertItemsAtIndexPaths(const IndexPathSet& indexPaths);
  void deleteItemsAtIndexPaths(const IndexPathSet& indexPaths);

  // Selection. Changes by code do not ask or tell the delegate.
  bool isSelectable() const { return selectable_; }
  void setSelectable(bool selectable) { selectable_ = selectable; }
  bool allowsMultipleSelection() const { return allowsMultiple_; }
  void setAllowsMultipleSelection(bool allows) { allowsMultiple_ = allows; }
  bool allowsEmptySelection() const { return allowsEmpty_; }
  void setAllowsEmptySelection(bool allows) { allowsEmpty_ = allows; }
  const IndexPathSet& selectionIndexPaths() const { return selection_; }
  void setSelectionIndexPaths(const IndexPathSet& indexPaths);
  void selectItemsAtIndexPaths(const IndexPathSet& indexPaths, ScrollPosition scrollPosition);
  void deselectItemsAtIndexPaths(const IndexPathSet& indexPaths);
  void selectAll();
  void deselectAll();
  // What a click of the user on the item at the path does (also what an item's default mouseDown runs).
  void userClickedItemAtIndexPath(const IndexPath& indexPath, Qt::KeyboardModifiers modifiers);

  // Scrolls the enclosing scroll view so that the items stand as asked (animated inside a group).
  void scrollToItemsAtIndexPaths(const IndexPathSet& indexPaths, ScrollPosition scrollPosition);

  // A view behind the items, as large as the collection view.
  void setBackgroundView(QWidget* view);
  QWidget* backgroundView() const { return backgroundView_; }

  // Duration of insert and delete animations when no animation group is in force.
  static constexpr double kDefaultAnimationDuration = 0.25;
  // How far beyond what shows items are kept made, in points along the scroll direction.
  static constexpr double kPrefetchMargin = 100;

  void visibleRectChanged() override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class CollectionViewItem;
  struct SectionMetrics {
    int count = 0;
    int perLine = 1;  // items per line across the scroll direction
    double start = 0;  // offset of the section along the scroll direction
    double length = 0;
  };

  void recount();
  void computeMetrics();
  // Sizes the view to its content (at least what the clip view shows), then makes and places what shows.
  void relayout(bool animated, const IndexPathSet& appearing = {});
  // `appearing`: inserted paths, which fade in when animated.
  void tile(bool animated, const IndexPathSet& appearing = {});
  IndexPathSet indexPathsInRect(const Rect& rect) const;
  void recycle(std::unique_ptr<CollectionViewItem> item);
  void placeItem(CollectionViewItem* item, const IndexPath& indexPath, bool animated, bool appearing);
  void fadeOutAndRecycle(std::unique_ptr<CollectionViewItem> item);
  void finishDisappearing(CollectionViewItem* item);
  void applySelectionToVisibleItems();
  void changeSelectionByUser(const IndexPathSet& selected);
  double animationDuration() const;
  TimingFunction animationTiming() const;
  // Moves the paths at or after each changed path by `delta` (for inserts +1, deletes -1).
  static IndexPath shifted(const IndexPath& path, const IndexPathSet& changed, int delta);

  CollectionViewDataSource* dataSource_ = nullptr;
  CollectionViewDelegate* delegate_ = nullptr;
  CollectionViewFlowLayout layout_;
  std::map<std::string, ItemFactory> factories_;
  std::map<std::string, std::vector<std::unique_ptr<CollectionViewItem>>> reusePool_;
  std::map<IndexPath, std::unique_ptr<CollectionViewItem>> visible_;
  std::vector<std::unique_ptr<CollectionViewItem>> disappearing_;
  // Items handed out by makeItemWithIdentifier and not yet placed.
  std::vector<std::unique_ptr<CollectionViewItem>> handedOut_;
  std::vector<int> counts_;
  std::vector<SectionMetrics> metrics_;
  IndexPathSet selection_;
  // Paths inserted lately: an item made for one of them before the insert animation's time is over (say,
  // after scrolling to it) fades in as well.
  IndexPathSet recentlyInserted_;
  double recentlyInsertedUntil_ = 0;
  bool selectable_ = false;
  bool allowsMultiple_ = false;
  bool allowsEmpty_ = true;
  bool relayingOut_ = false;
  QWidget* backgroundView_ = nullptr;
};

}  // namespace platform
