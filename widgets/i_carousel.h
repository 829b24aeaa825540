#pragma once
// A row of item views laid out in 3D space around a scroll position: scrolled with the mouse, the arrow keys or
// programmatically with eased animation, decelerating after a flick, bouncing at the ends, telling a delegate
// when the current item changes or an item is clicked.
//
// Each item view is drawn through a container layer of its own that carries the item's 3D transform (with
// perspective) and opacity; the views themselves stay hidden children of the carousel, rendered into their
// containers when loaded (reloadItemAtIndex draws one again). Scroll offsets are in items: item i is centred
// at offset i. Geometry is y-up. Main thread only; the animation timer runs on the current time source.

#include <QWidget>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/layer.h"
#include "platform/ui/time_source.h"
#include "platform/ui/transform3d.h"

class iCarousel;

enum iCarouselType : std::int64_t {
  iCarouselTypeLinear = 0,
  iCarouselTypeRotary,
  iCarouselTypeInvertedRotary,
  iCarouselTypeCylinder,
  iCarouselTypeInvertedCylinder,
  iCarouselTypeWheel,
  iCarouselTypeInvertedWheel,
  iCarouselTypeCoverFlow,
  iCarouselTypeCoverFlow2,
  iCarouselTypeTimeMachine,
  iCarouselTypeInvertedTimeMachine,
  iCarouselTypeCustom,
};

enum iCarouselOption : std::int64_t {
  iCarouselOptionWrap = 0,
  iCarouselOptionShowBackfaces,
  iCarouselOptionOffsetMultiplier,
  iCarouselOptionVisibleItems,
  iCarouselOptionCount,
  iCarouselOptionArc,
  iCarouselOptionAngle,
  iCarouselOptionRadius,
  iCarouselOptionTilt,
  iCarouselOptionSpacing,
  iCarouselOptionFadeMin,
  iCarouselOptionFadeMax,
  iCarouselOptionFadeRange,
  iCarouselOptionFadeMinAlpha,
};

// Supplies the items. A view offered for reuse may be returned (filled anew); a null answer becomes an empty
// view. The carousel owns the views it is given.
class iCarouselDataSource {
 public:
  virtual ~iCarouselDataSource() = default;
  virtual std::int64_t numberOfItemsInCarousel(iCarousel* carousel) = 0;
  virtual QWidget* viewForItemAtIndex(iCarousel* carousel, std::int64_t index, QWidget* reusingView) = 0;
  virtual std::int64_t numberOfPlaceholdersInCarousel(iCarousel*) { return 0; }
  virtual QWidget* placeholderViewAtIndex(iCarousel*, std::int64_t, QWidget*) { return nullptr; }
};

// Told about scrolling and choices, and asked for the item width, the custom transform and option values.
// Every operation has a default, so the carousel always calls them.
class iCarouselDelegate {
 public:
  virtual ~iCarouselDelegate() = default;
  virtual void carouselWillBeginScrollingAnimation(iCarousel*) {}
  virtual void carouselDidEndScrollingAnimation(iCarousel*) {}
  virtual void carouselDidScroll(iCarousel*) {}
  virtual void carouselCurrentItemIndexDidChange(iCarousel*) {}
  virtual void carouselWillBeginDragging(iCarousel*) {}
  virtual void carouselDidEndDragging(iCarousel*, bool willDecelerate) { (void)willDecelerate; }
  virtual void carouselWillBeginDecelerating(iCarousel*) {}
  virtual void carouselDidEndDecelerating(iCarousel*) {}
  virtual bool shouldSelectItemAtIndex(iCarousel*, std::int64_t) { return true; }
  virtual void didSelectItemAtIndex(iCarousel*, std::int64_t) {}
  // 0: no width of the delegate's (the first view's width is taken).
  virtual double carouselItemWidth(iCarousel*) { return 0; }
  virtual platform::Transform3D itemTransformForOffset(iCarousel*, double offset, platform::Transform3D base) {
    (void)offset;
    return base;
  }
  virtual double valueForOption(iCarousel*, std::int64_t option, double value) {
    (void)option;
    return value;
  }
};

class iCarousel : public platform::LayerHostWidget {
  Q_OBJECT
  Q_PROPERTY(qlonglong type READ qType WRITE setQType)

 public:
  static constexpr std::int64_t kNotFound = std::numeric_limits<std::int64_t>::max();
  static constexpr std::int64_t kMaxVisibleItems = 50;
  static constexpr double kScrollDuration = 0.4;

  explicit iCarousel(QWidget* parent = nullptr);
  ~iCarousel() override;

  iCarouselDataSource* dataSource() const { return dataSource_; }
  void setDataSource(iCarouselDataSource* dataSource);
  iCarouselDelegate* delegate() const { return delegate_; }
  void setDelegate(iCarouselDelegate* delegate);
  void reloadData();

  // Properties.
  std::int64_t type() const { return type_; }
  void setType(std::int64_t type);
  qlonglong qType() const { return type_; }
  void setQType(qlonglong type) { setType(type); }
  bool vertical() const { return vertical_; }
  void setVertical(bool vertical);
  double perspective() const { return perspective_; }
  void setPerspective(double perspective);
  double decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(double r) { decelerationRate_ = r; }
  double scrollSpeed() const { return scrollSpeed_; }
  void setScrollSpeed(double s) { scrollSpeed_ = s; }
  double bounceDistance() const { return bounceDistance_; }
  void setBounceDistance(double d) { bounceDistance_ = d; }
  bool scrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool e) { scrollEnabled_ = e; }
  bool pagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool e) { pagingEnabled_ = e; }
  bool wrapEnabled() const { return wrapEnabled_; }
  bool bounces() const { return bounces_; }
  void setBounces(bool b) { bounces_ = b; }
  double scrollOffset() const { return scrollOffset_; }
  void setScrollOffset(double offset);
  double offsetMultiplier() const { return offsetMultiplier_; }
  platform::Size contentOffset() const { return contentOffset_; }
  void setContentOffset(platform::Size offset);
  platform::Size viewpointOffset() const { return viewpointOffset_; }
  void setViewpointOffset(platform::Size offset);
  std::int64_t numberOfItems() const { return numberOfItems_; }
  std::int64_t numberOfPlaceholders() const { return numberOfPlaceholders_; }
  std::int64_t numberOfVisibleItems() const { return numberOfVisibleItems_; }
  double itemWidth() const { return itemWidth_; }
  platform::Layer& contentView() { return *contentView_; }
  double toggle() const { return toggle_; }
  double autoscroll() const { return autoscroll_; }
  void setAutoscroll(double itemsPerSecond);
  bool stopAtItemBoundary() const { return stopAtItemBoundary_; }
  void setStopAtItemBoundary(bool s) { stopAtItemBoundary_ = s; }
  bool scrollToItemBoundary() const { return scrollToItemBoundary_; }
  void setScrollToItemBoundary(bool s) { scrollToItemBoundary_ = s; }
  bool ignorePerpendicularSwipes() const { return ignorePerpendicularSwipes_; }
  void setIgnorePerpendicularSwipes(bool i) { ignorePerpendicularSwipes_ = i; }
  bool centerItemWhenSelected() const { return centerItemWhenSelected_; }
  void setCenterItemWhenSelected(bool c) { centerItemWhenSelected_ = c; }
  bool dragging() const { return dragging_; }
  bool decelerating() const { return decelerating_; }
  bool scrolling() const { return scrolling_; }

  std::int64_t currentItemIndex() const;
  void setCurrentItemIndex(std::int64_t index);
  QWidget* currentItemView() const { return itemViewAtIndex(currentItemIndex()); }

  // Loaded items.
  std::vector<std::int64_t> indexesForVisibleItems() const;
  std::vector<QWidget*> visibleItemViews() const;
  QWidget* itemViewAtIndex(std::int64_t index) const;
  std::int64_t indexOfItemView(const QWidget* view) const;
  std::int64_t indexOfItemViewOrSubview(const QWidget* view) const;
  // The front-most item view under a point of the carousel (y-up), or null.
  QWidget* itemViewAtPoint(platform::Point point) const;
  // The container layer of a loaded item view (its transform and opacity), or null.
  platform::Layer* containerOfItemView(const QWidget* view) const;

  double offsetForItemAtIndex(std::int64_t index) const;
  std::int64_t clampedIndex(std::int64_t index) const;
  double clampedOffset(double offset) const;
  std::int64_t minScrollDistanceFromIndex(std::int64_t fromIndex, std::int64_t toIndex) const;
  double minScrollDistanceFromOffset(double fromOffset, double toOffset) const;
  double alphaForItemWithOffset(double offset) const;
  // The transform of an item at an offset for the current type and options.
  platform::Transform3D transformForItemView(double offset) const;

  // Programmatic scrolling.
  void scrollByOffset(double offset, double duration);
  void scrollToOffset(double offset, double duration);
  void scrollByNumberOfItems(std::int64_t itemCount, double duration);
  void scrollToItemAtIndex(std::int64_t index, double duration);
  void scrollToItemAtIndex(std::int64_t index, bool animated);

  // Item changes (not used by the pickers).
  void insertItemAtIndex(std::int64_t index, bool animated);
  void removeItemAtIndex(std::int64_t index, bool animated);
  void reloadItemAtIndex(std::int64_t index, bool animated);

  // Lays out at once (what a resize, a type change or a new delegate asks for).
  void layOutItemViews();
  // One tick of the animation timer (the timer calls it 60 times a second while anything moves).
  void step();
  bool isTimerRunning() const { return timer_.isValid(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  double valueForOption(std::int64_t option, double value) const;
  double spacingUnit() const;  // the item width, never 0 where it divides
  std::int64_t circularCarouselItemCount() const;
  void updateNumberOfVisibleItems();
  void updateItemWidth();
  void loadUnloadViews();
  QWidget* loadViewAtIndex(std::int64_t index);
  void queueItemView(QWidget* view, std::int64_t index);
  void transformItemView(std::int64_t index);
  void transformItemViews();
  void didScroll();
  void startAnimation();
  void stopAnimation();
  void startDecelerating();
  bool shouldDecelerate() const;
  bool shouldScroll() const;
  double decelerationDistance() const;
  void pushAnimationState(bool enabled);
  // Items by offset of their view's container from the front, nearest the viewer first.
  std::vector<QWidget*> viewsInDepthOrder() const;
  static double easeInOut(double time);

  struct Container {
    std::shared_ptr<platform::Layer> layer;
  };

  bool scrollEnabled_ = true;
  bool pagingEnabled_ = false;
  bool vertical_ = false;
  bool wrapEnabled_ = false;
  bool bounces_ = true;
  bool stopAtItemBoundary_ = true;
  bool scrollToItemBoundary_ = true;
  bool ignorePerpendicularSwipes_ = true;
  bool centerItemWhenSelected_ = true;
  bool dragging_ = false, decelerating_ = false, scrolling_ = false, didDrag_ = false;
  iCarouselDataSource* dataSource_ = nullptr;
  iCarouselDelegate* delegate_ = nullptr;
  std::int64_t type_ = 0;
  double perspective_ = -1.0 / 500.0;
  double decelerationRate_ = 0.95;
  double scrollSpeed_ = 1.0;
  double bounceDistance_ = 1.0;
  double scrollOffset_ = 0;
  double offsetMultiplier_ = 1.0;
  std::int64_t numberOfItems_ = 0, numberOfPlaceholders_ = 0, numberOfVisibleItems_ = 0;
  double itemWidth_ = 0;
  std::shared_ptr<platform::Layer> contentView_;
  double toggle_ = 0;
  double autoscroll_ = 0;
  std::map<std::int64_t, QWidget*> itemViews_;
  std::map<const QWidget*, Container> containers_;
  std::set<QWidget*> itemViewPool_, placeholderViewPool_;
  double previousScrollOffset_ = 0;
  std::int64_t previousItemIndex_ = 0;
  std::int64_t numberOfPlaceholdersToShow_ = 0;
  double startOffset_ = 0, endOffset_ = 0, scrollDuration_ = 0, startTime_ = 0, lastTime_ = 0, startVelocity_ = 0;
  platform::Timer timer_;
  double previousTranslation_ = 0, toggleTime_ = 0;
  platform::Size contentOffset_{0, 0};
  platform::Size viewpointOffset_{0, 0};
  double lastDragX_ = 0;  // the pointer's last position along the row, for the drag's deltas
  // Keeps the item views (hidden, off any window) so that drawing them sends the carousel no events.
  std::unique_ptr<QWidget> viewHolder_;
};
