#include "platform/ui/collection_view.h"

#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "platform/foundation/system_log.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"

namespace platform {

namespace {

QRect qtRect(const Rect& r) {
  return {int(std::lround(r.x())), int(std::lround(r.y())), int(std::lround(r.width())), int(std::lround(r.height()))};
}

Rect lerp(const Rect& a, const Rect& b, double p) {
  auto mix = [p](double x, double y) { return x + (y - x) * p; };
  return {mix(a.x(), b.x()), mix(a.y(), b.y()), mix(a.width(), b.width()), mix(a.height(), b.height())};
}

}  // namespace

// --- items ---

// Hands the presses on an item's view to the item, and its size changes to viewDidLayout.
class CollectionViewItem::ViewWatcher : public QObject {
 public:
  explicit ViewWatcher(CollectionViewItem* item) : item_(item) {}
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        item_->mouseDown(mouse, event->type() == QEvent::MouseButtonDblClick ? 2 : 1);
        return true;
      }
      case QEvent::Resize: item_->viewDidLayout(); return false;
      default: return false;
    }
  }

 private:
  CollectionViewItem* item_;
};

CollectionViewItem::CollectionViewItem() = default;

CollectionViewItem::~CollectionViewItem() {
  if (animation_) Animator::shared().cancel(animation_);
  if (view_) {
    view_->removeEventFilter(watcher_.get());
    setViewResponder(view_, nullptr);
    delete view_;
  }
}

QWidget* CollectionViewItem::view() {
  if (!view_) loadView();
  if (!view_) setView(new View());
  return view_;
}

void CollectionViewItem::loadView() { setView(new View()); }

void CollectionViewItem::setView(QWidget* view) {
  if (view_ == view) return;
  if (view_) {
    view_->removeEventFilter(watcher_.get());
    setViewResponder(view_, nullptr);
    delete view_;
  }
  view_ = view;
  if (!view_) return;
  if (!watcher_) watcher_ = std::make_unique<ViewWatcher>(this);
  view_->installEventFilter(watcher_.get());
  setViewResponder(view_, this);
  if (collectionView_) view_->setParent(collectionView_);
}

void CollectionViewItem::mouseDown(QMouseEvent* event, int clickCount) {
  if (clickCount != 1 || !collectionView_) return;
  if (auto path = collectionView_->indexPathForItem(this)) {
    collectionView_->userClickedItemAtIndexPath(*path, event->modifiers());
  }
}

// --- collection view ---

CollectionView::CollectionView(QWidget* parent) : QWidget(parent) { setFlipped(this, true); }

CollectionView::~CollectionView() {
  // Animations still running call back into the view: end them while it is whole, then drop the items.
  for (auto& [path, item] : visible_) {
    if (item->animation_) Animator::shared().cancel(std::exchange(item->animation_, 0));
  }
  auto leaving = std::move(disappearing_);
  for (auto& item : leaving) {
    if (item->animation_) Animator::shared().cancel(std::exchange(item->animation_, 0));
  }
}

void CollectionView::setCollectionViewLayout(const CollectionViewFlowLayout& layout) {
  layout_ = layout;
  relayout(false);
}

void CollectionView::registerClass(ItemFactory factory, const std::string& identifier) {
  factories_[identifier] = std::move(factory);
}

CollectionViewItem* CollectionView::makeItemWithIdentifier(const std::string& identifier, const IndexPath&) {
  std::unique_ptr<CollectionViewItem> item;
  auto& pool = reusePool_[identifier];
  if (!pool.empty()) {
    item = std::move(pool.back());
    pool.pop_back();
    item->prepareForReuse();
  } else {
    auto factory = factories_.find(identifier);
    if (factory == factories_.end() || !factory->second) {
      systemLog("collection view: no item class for \"" + identifier + "\"", LogLevel::Error);
      return nullptr;
    }
    item = factory->second();
    if (!item) return nullptr;
    item->collectionView_ = this;
    item->identifier_ = identifier;
    item->view()->setParent(this);
  }
  CollectionViewItem* raw = item.get();
  handedOut_.push_back(std::move(item));
  return raw;
}

CollectionViewItem* CollectionView::itemAtIndexPath(const IndexPath& indexPath) const {
  auto it = visible_.find(indexPath);
  return it == visible_.end() ? nullptr : it->second.get();
}

std::optional<IndexPath> CollectionView::indexPathForItem(const CollectionViewItem* item) const {
  for (const auto& [path, visible] : visible_) {
    if (visible.get() == item) return path;
  }
  return std::nullopt;
}

std::vector<CollectionViewItem*> CollectionView::visibleItems() const {
  std::vector<CollectionViewItem*> items;
  for (const auto& [path, item] : visible_) items.push_back(item.get());
  return items;
}

IndexPathSet CollectionView::indexPathsForVisibleItems() const {
  IndexPathSet paths;
  for (const auto& [path, item] : visible_) paths.insert(path);
  return paths;
}

int CollectionView::numberOfItemsInSection(int section) const {
  return section >= 0 && section < int(counts_.size()) ? counts_[section] : 0;
}

// --- geometry ---

ScrollView* CollectionView::enclosingScrollView() const {
  auto* clip = dynamic_cast<ClipView*>(parentWidget());
  return clip ? dynamic_cast<ScrollView*>(clip->parentWidget()) : nullptr;
}

Rect CollectionView::visibleRect() const {
  if (auto* clip = dynamic_cast<ClipView*>(parentWidget())) return clip->bounds();
  return {0, 0, double(width()), double(height())};
}

void CollectionView::computeMetrics() {
  const bool vertical = layout_.scrollDirection == ScrollDirection::Vertical;
  const EdgeInsets& in = layout_.sectionInset;
  const Size item = layout_.itemSize;
  const QSize shown = dynamic_cast<ClipView*>(parentWidget()) ? static_cast<ClipView*>(parentWidget())->clipSize()
                                                               : size();
  const double across = vertical ? shown.width() - in.left - in.right : shown.height() - in.top - in.bottom;
  const double itemAcross = vertical ? item.width : item.height;
  const double itemAlong = vertical ? item.height : item.width;
  const int perLine = std::max(
      1, int(std::floor((across + layout_.minimumInteritemSpacing) / (itemAcross + layout_.minimumInteritemSpacing))));
  metrics_.clear();
  double start = 0;
  for (int count : counts_) {
    SectionMetrics m;
    m.count = count;
    m.perLine = perLine;
    m.start = start;
    const int lines = (count + perLine - 1) / perLine;
    m.length = (vertical ? in.top + in.bottom : in.left + in.right) + lines * itemAlong +
               std::max(0, lines - 1) * layout_.minimumLineSpacing;
    start += m.length;
    metrics_.push_back(m);
  }
}

Size CollectionView::collectionViewContentSize() const {
  const bool vertical = layout_.scrollDirection == ScrollDirection::Vertical;
  const EdgeInsets& in = layout_.sectionInset;
  double along = 0;
  int widest = 0;
  for (const SectionMetrics& m : metrics_) {
    along += m.length;
    widest = std::max(widest, std::min(m.count, m.perLine));
  }
  const double itemAcross = vertical ? layout_.itemSize.width : layout_.itemSize.height;
  const double across = widest * itemAcross + std::max(0, widest - 1) * layout_.minimumInteritemSpacing +
                        (vertical ? in.left + in.right : in.top + in.bottom);
  return vertical ? Size{across, along} : Size{along, across};
}

Rect CollectionView::frameForItemAtIndexPath(const IndexPath& p) const {
  if (p.section < 0 || p.section >= int(metrics_.size())) return {};
  const SectionMetrics& m = metrics_[p.section];
  if (p.item < 0 || p.item >= m.count) return {};
  const int line = p.item / m.perLine, slot = p.item % m.perLine;
  const EdgeInsets& in = layout_.sectionInset;
  const Size s = layout_.itemSize;
  if (layout_.scrollDirection == ScrollDirection::Vertical) {
    return {in.left + slot * (s.width + layout_.minimumInteritemSpacing),
            m.start + in.top + line * (s.height + layout_.minimumLineSpacing), s.width, s.height};
  }
  return {m.start + in.left + line * (s.width + layout_.minimumLineSpacing),
          in.top + slot * (s.height + layout_.minimumInteritemSpacing), s.width, s.height};
}

IndexPathSet CollectionView::indexPathsInRect(const Rect& rect) const {
  IndexPathSet paths;
  const bool vertical = layout_.scrollDirection == ScrollDirection::Vertical;
  const double lo = vertical ? rect.minY() : rect.minX();
  const double hi = vertical ? rect.maxY() : rect.maxX();
  const double lead = vertical ? layout_.sectionInset.top : layout_.sectionInset.left;
  const double pitch = (vertical ? layout_.itemSize.height : layout_.itemSize.width) + layout_.minimumLineSpacing;
  for (int s = 0; s < int(metrics_.size()); ++s) {
    const SectionMetrics& m = metrics_[s];
    if (m.count == 0 || m.start + m.length <= lo || m.start >= hi) continue;
    const int lines = (m.count + m.perLine - 1) / m.perLine;
    const int first = std::max(0, int(std::floor((lo - m.start - lead) / pitch)));
    const int last = std::min(lines - 1, int(std::floor((hi - m.start - lead) / pitch)));
    for (int line = first; line <= last; ++line) {
      for (int slot = 0; slot < m.perLine; ++slot) {
        const int item = line * m.perLine + slot;
        if (item >= m.count) break;
        paths.insert({s, item});
      }
    }
  }
  return paths;
}

// --- layout and reuse ---

void CollectionView::recount() {
  counts_.clear();
  if (!dataSource_) return;
  const int sections = std::max(0, dataSource_->numberOfSectionsInCollectionView(this));
  for (int s = 0; s < sections; ++s) counts_.push_back(std::max(0, dataSource_->collectionViewNumberOfItemsInSection(this, s)));
}

void CollectionView::visibleRectChanged() { relayout(false); }

void CollectionView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (backgroundView_) backgroundView_->setGeometry(rect());
  relayout(false);
}

void CollectionView::relayout(bool animated, const IndexPathSet& appearing) {
  if (relayingOut_) return;
  relayingOut_ = true;
  computeMetrics();
  if (auto* clip = dynamic_cast<ClipView*>(parentWidget())) {
    const Size content = collectionViewContentSize();
    const QSize shown = clip->clipSize();
    const bool vertical = layout_.scrollDirection == ScrollDirection::Vertical;
    const QSize wanted = vertical ? QSize(shown.width(), std::max(shown.height(), int(std::ceil(content.height))))
                                  : QSize(std::max(shown.width(), int(std::ceil(content.width))), shown.height());
    if (size() != wanted) resize(wanted);
  }
  tile(animated, appearing);
  relayingOut_ = false;
}

void CollectionView::tile(bool animated, const IndexPathSet& appearing) {
  Rect shown = visibleRect();
  if (layout_.scrollDirection == ScrollDirection::Vertical) shown = shown.insetBy(0, -kPrefetchMargin);
  else shown = shown.insetBy(-kPrefetchMargin, 0);
  const IndexPathSet wanted = indexPathsInRect(shown);
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (wanted.count(it->first)) {
      ++it;
      continue;
    }
    recycle(std::move(it->second));
    it = visible_.erase(it);
  }
  for (const IndexPath& path : wanted) {
    auto it = visible_.find(path);
    if (it != visible_.end()) {
      placeItem(it->second.get(), path, animated, false);
      continue;
    }
    if (!dataSource_) continue;
    CollectionViewItem* item = dataSource_->collectionViewItemForRepresentedObjectAtIndexPath(this, path);
    auto owned = std::find_if(handedOut_.begin(), handedOut_.end(), [item](const auto& i) { return i.get() == item; });
    if (!item || owned == handedOut_.end()) continue;  // not one of ours: nothing to show
    visible_[path] = std::move(*owned);
    handedOut_.erase(owned);
    const bool lately = recentlyInserted_.count(path) && currentTimeSource()->now() < recentlyInsertedUntil_;
    placeItem(item, path, false, (animated && appearing.count(path)) || lately);
  }
  // Made but not returned by the data source: back to the pool.
  auto unused = std::move(handedOut_);
  handedOut_.clear();
  for (auto& item : unused) recycle(std::move(item));
}

void CollectionView::recycle(std::unique_ptr<CollectionViewItem> item) {
  if (item->animation_) Animator::shared().cancel(std::exchange(item->animation_, 0));
  if (QWidget* v = item->view_) v->hide();
  item->setHighlightState(HighlightState::None);
  reusePool_[item->identifier_].push_back(std::move(item));
}

double CollectionView::animationDuration() const {
  const AnimationContext* ctx = AnimationContext::current();
  return ctx ? ctx->duration() : kDefaultAnimationDuration;
}

TimingFunction CollectionView::animationTiming() const {
  const AnimationContext* ctx = AnimationContext::current();
  return ctx ? ctx->timing() : TimingFunction::Default;
}

namespace {

// Starts an item animation in the group in force, or on its own with the given duration and timing.
Animator::Id startItemAnimation(double duration, TimingFunction timing, std::function<void(double)> step,
                                std::function<void(bool)> done) {
  if (const Animator::Id id = animateInCurrentContext(step, done)) return id;
  if (AnimationContext::current()) return 0;  // a group of no duration: already done
  Animator::Plan plan;
  plan.duration = duration;
  plan.timing = timing;
  plan.step = std::move(step);
  plan.done = std::move(done);
  const Animator::Id id = Animator::shared().start(std::move(plan));
  return Animator::shared().isRunning(id) ? id : 0;
}

void setAlphaAtOnce(QWidget* view, double alpha) {
  DisableActions immediate;
  setAlphaValue(view, alpha);
}

}  // namespace

void CollectionView::placeItem(CollectionViewItem* item, const IndexPath& path, bool animated, bool appearing) {
  QWidget* v = item->view();
  const Rect target = frameForItemAtIndexPath(path);
  if (item->animation_) Animator::shared().cancel(std::exchange(item->animation_, 0));
  const Rect current{double(v->x()), double(v->y()), double(v->width()), double(v->height())};
  const bool wasHidden = v->isHidden();
  v->show();
  if (appearing) {
    v->setGeometry(qtRect(target));
    setAlphaAtOnce(v, 0);
    QPointer<QWidget> guard(v);
    item->animation_ = startItemAnimation(
        animationDuration(), animationTiming(),
        [guard](double p) {
          if (guard) setAlphaAtOnce(guard, p);
        },
        [item, guard](bool) {
          item->animation_ = 0;
          if (guard) setAlphaAtOnce(guard, 1);
        });
    if (!item->animation_) setAlphaAtOnce(v, 1);
    return;
  }
  if (alphaValue(v) < 1) setAlphaAtOnce(v, 1);
  if (!animated || current == target || wasHidden) {
    v->setGeometry(qtRect(target));
    return;
  }
  QPointer<QWidget> guard(v);
  item->animation_ = startItemAnimation(
      animationDuration(), animationTiming(),
      [guard, current, target](double p) {
        if (guard) guard->setGeometry(qtRect(lerp(current, target, p)));
      },
      [item](bool) { item->animation_ = 0; });
  if (!item->animation_) v->setGeometry(qtRect(target));
}

void CollectionView::fadeOutAndRecycle(std::unique_ptr<CollectionViewItem> item) {
  if (item->animation_) Animator::shared().cancel(std::exchange(item->animation_, 0));
  CollectionViewItem* raw = item.get();
  QPointer<QWidget> guard(raw->view_);
  disappearing_.push_back(std::move(item));
  QPointer<CollectionView> self(this);
  raw->animation_ = startItemAnimation(
      animationDuration(), animationTiming(),
      [guard](double p) {
        if (guard) setAlphaAtOnce(guard, 1 - p);
      },
      [self, raw](bool) {
        raw->animation_ = 0;
        if (self) self->finishDisappearing(raw);
      });
  if (!raw->animation_) finishDisappearing(raw);
}

void CollectionView::finishDisappearing(CollectionViewItem* raw) {
  auto it = std::find_if(disappearing_.begin(), disappearing_.end(), [raw](const auto& i) { return i.get() == raw; });
  if (it == disappearing_.end()) return;
  auto done = std::move(*it);
  disappearing_.erase(it);
  setAlphaAtOnce(done->view(), 1);
  recycle(std::move(done));
}

// --- changes of the data ---

IndexPath CollectionView::shifted(const IndexPath& path, const IndexPathSet& changed, int delta) {
  IndexPath p = path;
  if (delta > 0) {
    // Inserted paths are the new positions, in increasing order: each one at or before p pushes it on.
    for (const IndexPath& c : changed) {
      if (c.section == p.section && c.item <= p.item) ++p.item;
    }
  } else {
    int before = 0;
    for (const IndexPath& c : changed) {
      if (c.section == path.section && c.item < path.item) ++before;
    }
    p.item -= before;
  }
  return p;
}

void CollectionView::reloadData() {
  recentlyInserted_.clear();
  for (auto& [path, item] : visible_) recycle(std::move(item));
  visible_.clear();
  recount();
  IndexPathSet kept;
  for (const IndexPath& p : selection_) {
    if (p.item < numberOfItemsInSection(p.section)) kept.insert(p);
  }
  selection_ = kept;
  relayout(false);
}

void CollectionView::reloadItemsAtIndexPaths(const IndexPathSet& paths) {
  for (const IndexPath& p : paths) {
    auto it = visible_.find(p);
    if (it == visible_.end()) continue;
    recycle(std::move(it->second));
    visible_.erase(it);
  }
  tile(false);
}

void CollectionView::insertItemsAtIndexPaths(const IndexPathSet& paths) {
  std::map<IndexPath, std::unique_ptr<CollectionViewItem>> moved;
  for (auto& [path, item] : visible_) moved[shifted(path, paths, +1)] = std::move(item);
  visible_ = std::move(moved);
  IndexPathSet selection;
  for (const IndexPath& p : selection_) selection.insert(shifted(p, paths, +1));
  selection_ = selection;
  recount();
  recentlyInserted_ = paths;
  recentlyInsertedUntil_ = currentTimeSource()->now() + animationDuration();
  relayout(true, paths);
}

void CollectionView::deleteItemsAtIndexPaths(const IndexPathSet& paths) {
  recentlyInserted_.clear();
  std::map<IndexPath, std::unique_ptr<CollectionViewItem>> kept;
  for (auto& [path, item] : visible_) {
    if (paths.count(path)) fadeOutAndRecycle(std::move(item));
    else kept[shifted(path, paths, -1)] = std::move(item);
  }
  visible_ = std::move(kept);
  IndexPathSet selection;
  for (const IndexPath& p : selection_) {
    if (!paths.count(p)) selection.insert(shifted(p, paths, -1));
  }
  selection_ = selection;
  recount();
  relayout(true);
}

// --- selection ---

void CollectionView::applySelectionToVisibleItems() {
  for (auto& [path, item] : visible_) {
    const bool selected = selection_.count(path) > 0;
    if (item->isSelected() != selected) item->setSelected(selected);
  }
}

void CollectionView::setSelectionIndexPaths(const IndexPathSet& paths) {
  selection_ = paths;
  applySelectionToVisibleItems();
}

void CollectionView::selectItemsAtIndexPaths(const IndexPathSet& paths, ScrollPosition scrollPosition) {
  if (paths.empty()) return;
  if (!allowsMultiple_) selection_.clear();
  if (allowsMultiple_) selection_.insert(paths.begin(), paths.end());
  else selection_.insert(*paths.begin());
  applySelectionToVisibleItems();
  scrollToItemsAtIndexPaths(paths, scrollPosition);
}

void CollectionView::deselectItemsAtIndexPaths(const IndexPathSet& paths) {
  for (const IndexPath& p : paths) selection_.erase(p);
  applySelectionToVisibleItems();
}

void CollectionView::selectAll() {
  if (!allowsMultiple_) return;
  for (int s = 0; s < numberOfSections(); ++s) {
    for (int i = 0; i < counts_[s]; ++i) selection_.insert({s, i});
  }
  applySelectionToVisibleItems();
}

void CollectionView::deselectAll() {
  selection_.clear();
  applySelectionToVisibleItems();
}

void CollectionView::userClickedItemAtIndexPath(const IndexPath& path, Qt::KeyboardModifiers modifiers) {
  if (!selectable_) return;
  const bool toggling = allowsMultiple_ && (modifiers & (Qt::ControlModifier | Qt::MetaModifier));
  if (toggling && selection_.count(path)) {
    if (!allowsEmpty_ && selection_.size() == 1) return;
    selection_.erase(path);
    applySelectionToVisibleItems();
    if (delegate_) delegate_->collectionViewDidDeselectItemsAtIndexPaths(this, {path});
    return;
  }
  IndexPathSet allowed = delegate_ ? delegate_->collectionViewShouldSelectItemsAtIndexPaths(this, {path})
                                   : IndexPathSet{path};
  if (allowed.empty()) return;
  if (!allowsMultiple_) allowed = {*allowed.begin()};
  if (!toggling) {
    IndexPathSet dropped;
    for (const IndexPath& p : selection_) {
      if (!allowed.count(p)) dropped.insert(p);
    }
    if (!dropped.empty()) {
      for (const IndexPath& p : dropped) selection_.erase(p);
      applySelectionToVisibleItems();
      if (delegate_) delegate_->collectionViewDidDeselectItemsAtIndexPaths(this, dropped);
    }
  }
  IndexPathSet added;
  for (const IndexPath& p : allowed) {
    if (selection_.insert(p).second) added.insert(p);
  }
  applySelectionToVisibleItems();
  if (!added.empty() && delegate_) delegate_->collectionViewDidSelectItemsAtIndexPaths(this, added);
}

void CollectionView::mousePressEvent(QMouseEvent* event) {
  // A click beside the items clears the selection where an empty one is allowed.
  if (event->button() != Qt::LeftButton || !selectable_ || !allowsEmpty_ || selection_.empty()) return;
  const IndexPathSet dropped = selection_;
  deselectAll();
  if (delegate_) delegate_->collectionViewDidDeselectItemsAtIndexPaths(this, dropped);
}

// --- scrolling ---

void CollectionView::scrollToItemsAtIndexPaths(const IndexPathSet& paths, ScrollPosition position) {
  auto* clip = dynamic_cast<ClipView*>(parentWidget());
  if (!clip || paths.empty() || position == ScrollPosition::None) return;
  relayout(false);
  Rect u;
  bool first = true;
  for (const IndexPath& p : paths) {
    const Rect f = frameForItemAtIndexPath(p);
    if (f.isEmpty()) continue;
    u = first ? f : u.united(f);
    first = false;
  }
  if (first) return;
  const Rect shown = clip->bounds();
  double x = shown.x(), y = shown.y();
  switch (position) {
    case ScrollPosition::None: return;
    case ScrollPosition::Top: y = u.minY(); break;
    case ScrollPosition::Bottom: y = u.maxY() - shown.height(); break;
    case ScrollPosition::CenteredVertically: y = u.midY() - shown.height() / 2; break;
    case ScrollPosition::NearestHorizontalEdge:
      if (u.minY() < shown.minY()) y = u.minY();
      else if (u.maxY() > shown.maxY()) y = u.maxY() - shown.height();
      break;
    case ScrollPosition::Left: x = u.minX(); break;
    case ScrollPosition::Right: x = u.maxX() - shown.width(); break;
    case ScrollPosition::CenteredHorizontally: x = u.midX() - shown.width() / 2; break;
    case ScrollPosition::NearestVerticalEdge:
      if (u.minX() < shown.minX()) x = u.minX();
      else if (u.maxX() > shown.maxX()) x = u.maxX() - shown.width();
      break;
  }
  clip->setBoundsOrigin({x, y});
}

void CollectionView::setBackgroundView(QWidget* view) {
  if (backgroundView_ == view) return;
  delete backgroundView_;
  backgroundView_ = view;
  if (!view) return;
  view->setParent(this);
  view->setGeometry(rect());
  view->lower();
  view->show();
}

}  // namespace platform
