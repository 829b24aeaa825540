#include "widgets/i_carousel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ui/animation.h"

using platform::Layer;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::Transform3D;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFrameInterval = 1.0 / 60.0;
constexpr double kDecelerationMultiplier = 30.0;
constexpr double kClickLeftShift = 12.0;  // a click is looked up this far to the left of the pointer

// A real number as an index: not-a-number is 0, and anything beyond what doubles hold exactly is held there,
// so that no conversion overflows.
std::int64_t toIndex(double v) {
  if (std::isnan(v)) return 0;
  constexpr double kLimit = 9007199254740992.0;  // 2^53
  return static_cast<std::int64_t>(std::clamp(v, -kLimit, kLimit));
}

// The operations of the layer model: each applies the new step before what the transform already does.
Transform3D translate(const Transform3D& t, double x, double y, double z) {
  return Transform3D::translation(x, y, z).concat(t);
}
Transform3D rotate(const Transform3D& t, double angle, double x, double y, double z) {
  return Transform3D::rotation(angle, x, y, z).concat(t);
}

double depthOf(const Transform3D& t) { return t.m[0][2] + t.m[1][2] + t.m[2][2] + t.m[3][2]; }
double xSumOf(const Transform3D& t) { return t.m[0][0] + t.m[1][0] + t.m[2][0] + t.m[3][0]; }
double ySumOf(const Transform3D& t) { return t.m[0][1] + t.m[1][1] + t.m[2][1] + t.m[3][1]; }

}  // namespace

iCarousel::iCarousel(QWidget* parent) : platform::LayerHostWidget(parent), viewHolder_(std::make_unique<QWidget>()) {
  setFocusPolicy(Qt::StrongFocus);
  contentView_ = Layer::make();
  contentView_->setFrame(layer().bounds());
  layer().addSublayer(contentView_);
  if (parent) startAnimation();
}

iCarousel::~iCarousel() {
  stopAnimation();
  for (auto& [index, view] : itemViews_) delete view;
  for (QWidget* v : itemViewPool_) delete v;
  for (QWidget* v : placeholderViewPool_) delete v;
}

// --- data source and delegate ---

void iCarousel::setDataSource(iCarouselDataSource* dataSource) {
  if (dataSource_ == dataSource) return;
  dataSource_ = dataSource;
  if (dataSource_) reloadData();
}

void iCarousel::setDelegate(iCarouselDelegate* delegate) {
  if (delegate_ == delegate) return;
  delegate_ = delegate;
  if (delegate_ && dataSource_) layOutItemViews();
}

double iCarousel::valueForOption(std::int64_t option, double value) const {
  return delegate_ ? delegate_->valueForOption(const_cast<iCarousel*>(this), option, value) : value;
}

void iCarousel::reloadData() {
  for (auto& [index, view] : itemViews_) {
    if (auto it = containers_.find(view); it != containers_.end()) it->second.layer->removeFromSuperlayer();
    delete view;
  }
  containers_.clear();
  itemViews_.clear();
  for (QWidget* v : itemViewPool_) delete v;
  for (QWidget* v : placeholderViewPool_) delete v;
  itemViewPool_.clear();
  placeholderViewPool_.clear();
  if (!dataSource_ || !contentView_) return;
  numberOfVisibleItems_ = 0;
  numberOfItems_ = std::max<std::int64_t>(0, dataSource_->numberOfItemsInCarousel(this));
  numberOfPlaceholders_ = std::max<std::int64_t>(0, dataSource_->numberOfPlaceholdersInCarousel(this));
  layOutItemViews();
  if (numberOfItems_ > 0 && scrollOffset_ < 0) scrollToItemAtIndex(0, numberOfPlaceholders_ > 0);
}

// --- properties ---

void iCarousel::setType(std::int64_t type) {
  if (type_ == type) return;
  type_ = type;
  layOutItemViews();
}

void iCarousel::setVertical(bool vertical) {
  if (vertical_ == vertical) return;
  vertical_ = vertical;
  layOutItemViews();
}

void iCarousel::setPerspective(double perspective) {
  perspective_ = perspective;
  transformItemViews();
}

void iCarousel::setContentOffset(Size offset) {
  if (contentOffset_ == offset) return;
  contentOffset_ = offset;
  layOutItemViews();
}

void iCarousel::setViewpointOffset(Size offset) {
  if (viewpointOffset_ == offset) return;
  viewpointOffset_ = offset;
  transformItemViews();
}

void iCarousel::setAutoscroll(double itemsPerSecond) {
  autoscroll_ = itemsPerSecond;
  if (autoscroll_ != 0) startAnimation();
}

void iCarousel::setScrollOffset(double offset) {
  scrolling_ = false;
  decelerating_ = false;
  startOffset_ = offset;
  endOffset_ = offset;
  if (std::abs(scrollOffset_ - offset) > 0.0) {
    scrollOffset_ = offset;
    didScroll();
  }
}

void iCarousel::setCurrentItemIndex(std::int64_t index) { setScrollOffset(double(index)); }

std::int64_t iCarousel::currentItemIndex() const { return clampedIndex(toIndex(std::round(scrollOffset_))); }

// --- item bookkeeping ---

std::vector<std::int64_t> iCarousel::indexesForVisibleItems() const {
  std::vector<std::int64_t> out;
  for (const auto& [index, view] : itemViews_) out.push_back(index);
  return out;
}

std::vector<QWidget*> iCarousel::visibleItemViews() const {
  std::vector<QWidget*> out;
  for (const auto& [index, view] : itemViews_) out.push_back(view);
  return out;
}

QWidget* iCarousel::itemViewAtIndex(std::int64_t index) const {
  auto it = itemViews_.find(index);
  return it == itemViews_.end() ? nullptr : it->second;
}

std::int64_t iCarousel::indexOfItemView(const QWidget* view) const {
  for (const auto& [index, v] : itemViews_) {
    if (v == view) return index;
  }
  return kNotFound;
}

std::int64_t iCarousel::indexOfItemViewOrSubview(const QWidget* view) const {
  while (view && view != this) {
    const std::int64_t index = indexOfItemView(view);
    if (index != kNotFound) return index;
    view = view->parentWidget();
  }
  return kNotFound;
}

Layer* iCarousel::containerOfItemView(const QWidget* view) const {
  auto it = containers_.find(view);
  return it == containers_.end() ? nullptr : it->second.layer.get();
}

// --- geometry ---

double iCarousel::offsetForItemAtIndex(std::int64_t index) const {
  double offset = double(index) - scrollOffset_;
  if (wrapEnabled_) {
    const double n = double(numberOfItems_);
    if (offset > n / 2) offset -= n;
    else if (offset < -n / 2) offset += n;
  }
  return vertical_ ? -offset : offset;
}

std::int64_t iCarousel::clampedIndex(std::int64_t index) const {
  if (numberOfItems_ == 0) return -1;
  if (wrapEnabled_) {
    const std::int64_t n = numberOfItems_;
    return ((index % n) + n) % n;  // index - floor(index / n) * n
  }
  return std::min(std::max<std::int64_t>(0, index), numberOfItems_ - 1);
}

double iCarousel::clampedOffset(double offset) const {
  if (numberOfItems_ == 0) return -1;
  if (wrapEnabled_) {
    const double n = double(numberOfItems_);
    return offset - std::floor(offset / n) * n;
  }
  return std::min(std::max(0.0, offset), double(numberOfItems_ - 1));
}

std::int64_t iCarousel::minScrollDistanceFromIndex(std::int64_t fromIndex, std::int64_t toIndex) const {
  const std::int64_t direct = toIndex - fromIndex;
  if (!wrapEnabled_) return direct;
  std::int64_t wrapped = std::min(fromIndex, toIndex) + numberOfItems_ - std::max(fromIndex, toIndex);
  if (fromIndex < toIndex) wrapped = -wrapped;
  return std::llabs(direct) <= std::llabs(wrapped) ? direct : wrapped;
}

double iCarousel::minScrollDistanceFromOffset(double fromOffset, double toOffset) const {
  const double direct = toOffset - fromOffset;
  if (!wrapEnabled_) return direct;
  double wrapped = std::min(fromOffset, toOffset) + double(numberOfItems_) - std::max(fromOffset, toOffset);
  if (fromOffset < toOffset) wrapped = -wrapped;
  return std::abs(direct) <= std::abs(wrapped) ? direct : wrapped;
}

double iCarousel::alphaForItemWithOffset(double offset) const {
  const double fadeMin = valueForOption(iCarouselOptionFadeMin,
                                        type_ == iCarouselTypeInvertedTimeMachine ? 0.0 : -INFINITY);
  const double fadeMax = valueForOption(iCarouselOptionFadeMax, type_ == iCarouselTypeTimeMachine ? 0.0 : INFINITY);
  const double fadeRange = valueForOption(iCarouselOptionFadeRange, 1.0);
  const double fadeMinAlpha = valueForOption(iCarouselOptionFadeMinAlpha, 0.0);
  if (vertical_) offset = -offset;
  double factor = 0;
  if (offset > fadeMax) factor = offset - fadeMax;
  else if (offset < fadeMin) factor = fadeMin - offset;
  if (factor <= 0) return 1.0;
  if (!(fadeRange > 0)) return fadeMinAlpha;  // no range to fade over: all the way at once
  return 1.0 - std::min(factor, fadeRange) / fadeRange * (1.0 - fadeMinAlpha);
}

double iCarousel::spacingUnit() const { return itemWidth_; }

Transform3D iCarousel::transformForItemView(double offset) const {
  Transform3D base;
  base.m[2][3] = perspective_;
  base = translate(base, -viewpointOffset_.width, -viewpointOffset_.height, 0);
  const double w = itemWidth_;
  switch (type_) {
    case iCarouselTypeLinear: {
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      return vertical_ ? translate(base, 0, offset * w * spacing, 0) : translate(base, offset * w * spacing, 0, 0);
    }
    case iCarouselTypeRotary:
    case iCarouselTypeInvertedRotary: {
      const double count = double(circularCarouselItemCount());
      if (count <= 0) return base;
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      const double arc = valueForOption(iCarouselOptionArc, 2 * kPi);
      const double half = w * spacing / 2;
      double radius = valueForOption(iCarouselOptionRadius,
                                     std::max(half / double(std::tan(float(arc / 2 / count))), half));
      double angle = valueForOption(iCarouselOptionAngle, offset / count * arc);
      if (type_ == iCarouselTypeInvertedRotary) {
        radius = -radius;
        angle = -angle;
      }
      const double a = radius * std::sin(angle), b = radius * std::cos(angle) - radius;
      return vertical_ ? translate(base, 0, a, b) : translate(base, a, 0, b);
    }
    case iCarouselTypeCylinder:
    case iCarouselTypeInvertedCylinder: {
      const double count = double(circularCarouselItemCount());
      if (count <= 0) return base;
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      const double arc = valueForOption(iCarouselOptionArc, 2 * kPi);
      double radius = valueForOption(iCarouselOptionRadius,
                                     std::max(0.01, w * spacing / 2 / double(std::tan(float(arc / 2 / count)))));
      double angle = valueForOption(iCarouselOptionAngle, offset / count * arc);
      if (type_ == iCarouselTypeInvertedCylinder) {
        radius = -radius;
        angle = -angle;
      }
      Transform3D t = translate(base, 0, 0, -radius);
      t = vertical_ ? rotate(t, angle, -1, 0, 0) : rotate(t, angle, 0, 1, 0);
      return translate(t, 0, 0, radius + 0.01);
    }
    case iCarouselTypeWheel:
    case iCarouselTypeInvertedWheel: {
      const double count = double(circularCarouselItemCount());
      if (count <= 0) return base;
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      const double arc = valueForOption(iCarouselOptionArc, 2 * kPi);
      double radius = valueForOption(iCarouselOptionRadius, w * spacing * count / arc);
      double angle = valueForOption(iCarouselOptionAngle, arc / count);
      if (type_ == iCarouselTypeInvertedWheel) {
        radius = -radius;
        angle = -angle;
      }
      if (vertical_) {
        Transform3D t = translate(base, -radius, 0, 0);
        t = rotate(t, angle * offset, 0, 0, 1);
        return translate(t, radius, 0, offset * 0.01);
      }
      Transform3D t = translate(base, 0, radius, 0);
      t = rotate(t, angle * offset, 0, 0, 1);
      return translate(t, 0, -radius, offset * 0.01);
    }
    case iCarouselTypeCoverFlow:
    case iCarouselTypeCoverFlow2: {
      const double tilt = valueForOption(iCarouselOptionTilt, double(0.9f));
      const double spacing = valueForOption(iCarouselOptionSpacing, 0.25);
      double clamped = std::clamp(offset, -1.0, 1.0);
      if (type_ == iCarouselTypeCoverFlow2) {
        if (toggle_ > 0) {
          if (offset <= -0.5) clamped = -1.0;
          else if (offset <= 0.5) clamped = -toggle_;
          else if (offset <= 1.5) clamped = 1.0 - toggle_;
        } else {
          if (offset > 0.5) clamped = 1.0;
          else if (offset > -0.5) clamped = -toggle_;
          else if (offset > -1.5) clamped = -1.0 - toggle_;
        }
      }
      const double x = (clamped * 0.5 * tilt + offset * spacing) * w;
      const double z = std::abs(clamped) * -w * 0.5;
      if (vertical_) {
        const Transform3D t = translate(base, 0, x, z);
        return rotate(t, -clamped * kPi / 2 * tilt, -1, 0, 0);
      }
      const Transform3D t = translate(base, x, 0, z);
      return rotate(t, -clamped * kPi / 2 * tilt, 0, 1, 0);
    }
    case iCarouselTypeTimeMachine:
    case iCarouselTypeInvertedTimeMachine: {
      double tilt = valueForOption(iCarouselOptionTilt, double(0.3f));
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      if (type_ == iCarouselTypeInvertedTimeMachine) {
        tilt = -tilt;
        offset = -offset;
      }
      if (vertical_) return translate(base, 0, offset * w * tilt, -offset * w * spacing);
      return translate(base, offset * w * tilt, 0, offset * w * spacing);
    }
    case iCarouselTypeCustom: {
      if (!delegate_) {
        Transform3D zero;
        for (auto& row : zero.m) std::fill(std::begin(row), std::end(row), 0.0);
        return zero;
      }
      return delegate_->itemTransformForOffset(const_cast<iCarousel*>(this), offset, base);
    }
    default:
      return base;
  }
}

std::int64_t iCarousel::circularCarouselItemCount() const {
  std::int64_t count = 0;
  const std::int64_t all = numberOfItems_ + numberOfPlaceholdersToShow_;
  switch (type_) {
    case iCarouselTypeRotary:
    case iCarouselTypeInvertedRotary:
    case iCarouselTypeCylinder:
    case iCarouselTypeInvertedCylinder:
    case iCarouselTypeWheel:
    case iCarouselTypeInvertedWheel: {
      const double d = vertical_ ? height() : width();
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      const double unit = spacing * itemWidth_;
      // Without a width the row has no size of its own: take the most that fits the ring.
      const double c = unit > 0 ? std::clamp(std::ceil(d / unit) * kPi, 12.0, 50.0) : 50.0;
      count = std::min(all, toIndex(c));
      break;
    }
    case iCarouselTypeLinear:
    case iCarouselTypeCoverFlow:
    case iCarouselTypeCoverFlow2:
    case iCarouselTypeTimeMachine:
    case iCarouselTypeInvertedTimeMachine:
    case iCarouselTypeCustom:
      count = all;
      break;
    default:
      return toIndex(valueForOption(iCarouselOptionCount, 0));
  }
  return toIndex(valueForOption(iCarouselOptionCount, double(count)));
}

void iCarousel::updateNumberOfVisibleItems() {
  const double d = vertical_ ? height() : width();
  const double w = itemWidth_;
  auto fitting = [&](double spacing, double extra) {
    const double unit = spacing * w;
    return unit > 0 ? toIndex(std::min(std::ceil(d / unit), double(kMaxVisibleItems)) + extra) : kMaxVisibleItems;
  };
  std::int64_t n = numberOfVisibleItems_;
  switch (type_) {
    case iCarouselTypeLinear:
      n = fitting(valueForOption(iCarouselOptionSpacing, 1.0), 1);
      break;
    case iCarouselTypeRotary:
    case iCarouselTypeCylinder:
      n = circularCarouselItemCount();
      break;
    case iCarouselTypeInvertedRotary:
    case iCarouselTypeInvertedCylinder:
      n = toIndex(std::ceil(double(circularCarouselItemCount()) / 2.0));
      break;
    case iCarouselTypeWheel:
    case iCarouselTypeInvertedWheel: {
      const double count = double(circularCarouselItemCount());
      const double spacing = valueForOption(iCarouselOptionSpacing, 1.0);
      const double arc = valueForOption(iCarouselOptionArc, 2 * kPi);
      const double radius = valueForOption(iCarouselOptionRadius, arc != 0 ? spacing * w * count / arc : 0);
      n = (radius - w / 2 < std::min(width(), height()) / 2.0) ? toIndex(count) : toIndex(std::ceil(count / 2)) + 1;
      break;
    }
    case iCarouselTypeCoverFlow:
    case iCarouselTypeCoverFlow2:
      n = fitting(valueForOption(iCarouselOptionSpacing, 0.25), 2);
      break;
    case iCarouselTypeTimeMachine:
    case iCarouselTypeInvertedTimeMachine:
    case iCarouselTypeCustom:
      n = kMaxVisibleItems;
      break;
    default:
      break;
  }
  n = std::min(kMaxVisibleItems, n);
  n = toIndex(valueForOption(iCarouselOptionVisibleItems, double(n)));
  numberOfVisibleItems_ = std::clamp<std::int64_t>(n, 0, numberOfItems_ + numberOfPlaceholdersToShow_);
}

void iCarousel::updateItemWidth() {
  const double w = delegate_ ? delegate_->carouselItemWidth(this) : 0;
  if (w > 0) {
    itemWidth_ = w;
  } else if ((numberOfItems_ > 0 || numberOfPlaceholdersToShow_ > 0) && itemViews_.empty()) {
    loadViewAtIndex(numberOfItems_ > 0 ? 0 : -1);
  }
}

// --- loading ---

void iCarousel::queueItemView(QWidget* view, std::int64_t index) {
  if (index < 0 || index >= numberOfItems_) placeholderViewPool_.insert(view);
  else itemViewPool_.insert(view);
}

QWidget* iCarousel::loadViewAtIndex(std::int64_t index) {
  platform::DisableActions immediate;
  auto take = [](std::set<QWidget*>& pool) -> QWidget* {
    if (pool.empty()) return nullptr;
    QWidget* v = *pool.begin();
    pool.erase(pool.begin());
    return v;
  };
  // A view shown at this index already is offered back for its new contents.
  QWidget* current = itemViewAtIndex(index);
  if (current) {
    if (auto it = containers_.find(current); it != containers_.end()) {
      it->second.layer->removeFromSuperlayer();
      containers_.erase(it);
    }
    itemViews_.erase(index);
  }
  QWidget* offered = nullptr;
  QWidget* view = nullptr;
  if (index < 0) {
    offered = current ? current : take(placeholderViewPool_);
    view = dataSource_->placeholderViewAtIndex(
        this, toIndex(std::ceil(double(numberOfPlaceholdersToShow_) / 2.0)) + index, offered);
  } else if (index >= numberOfItems_) {
    offered = current ? current : take(placeholderViewPool_);
    view = dataSource_->placeholderViewAtIndex(
        this, toIndex(double(index) + double(numberOfPlaceholdersToShow_) / 2.0 - double(numberOfItems_)), offered);
  } else {
    offered = current ? current : take(itemViewPool_);
    view = dataSource_->viewForItemAtIndex(this, index, offered);
  }
  if (offered && offered != view) delete offered;  // not taken: nobody else holds it
  if (!view) view = new QWidget();
  view->setParent(viewHolder_.get());
  view->hide();

  // The container: item-width wide (or high), drawing the view stretched over its bounds.
  if (itemWidth_ <= 0) itemWidth_ = vertical_ ? view->height() : view->width();
  const double vw = view->width(), vh = view->height();
  auto container = Layer::make();
  container->setFrame(vertical_ ? Rect{0, 0, vw, itemWidth_} : Rect{0, 0, itemWidth_, vh});
  const double ratio = devicePixelRatioF();
  QImage image(QSize(std::max(1, int(std::ceil(vw * ratio))), std::max(1, int(std::ceil(vh * ratio)))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  if (vw > 0 && vh > 0) view->render(&image);
  container->setContents(platform::Image::fromBitmap(image, ratio));
  container->setOpacity(0);
  itemViews_[index] = view;
  containers_[view] = Container{container};
  contentView_->addSublayer(container);
  transformItemView(index);
  return view;
}

void iCarousel::loadUnloadViews() {
  updateItemWidth();
  updateNumberOfVisibleItems();
  std::set<std::int64_t> wanted;
  const std::int64_t visible = numberOfVisibleItems_;
  std::int64_t first = currentItemIndex() - visible / 2;
  if (!wrapEnabled_) {
    const std::int64_t lo = -toIndex(std::ceil(double(numberOfPlaceholdersToShow_) / 2.0));
    const std::int64_t hi = numberOfItems_ + numberOfPlaceholdersToShow_ / 2 - visible;
    first = std::max(lo, std::min(hi, first));
  }
  for (std::int64_t i = 0; i < visible; ++i) {
    std::int64_t index = i + first;
    if (wrapEnabled_) index = clampedIndex(index);
    if (alphaForItemWithOffset(offsetForItemAtIndex(index)) != 0) wanted.insert(index);
  }
  for (auto it = itemViews_.begin(); it != itemViews_.end();) {
    if (wanted.count(it->first)) {
      ++it;
      continue;
    }
    QWidget* view = it->second;
    queueItemView(view, it->first);
    if (auto c = containers_.find(view); c != containers_.end()) {
      c->second.layer->removeFromSuperlayer();
      containers_.erase(c);
    }
    it = itemViews_.erase(it);
  }
  for (std::int64_t index : wanted) {
    if (!itemViews_.count(index)) loadViewAtIndex(index);
  }
}

// --- transforms ---

void iCarousel::transformItemView(std::int64_t index) {
  QWidget* view = itemViewAtIndex(index);
  Layer* container = containerOfItemView(view);
  if (!container) return;
  platform::DisableActions immediate;
  const double offset = offsetForItemAtIndex(index);
  container->setOpacity(alphaForItemWithOffset(offset));
  const Size size = container->frame().size;
  const Point centre{width() / 2.0 + contentOffset_.width, height() / 2.0 + contentOffset_.height};
  container->setFrame({centre.x - size.width / 2, centre.y - size.height / 2, size.width, size.height});

  // The toggle that the second tilted flow follows.
  if (decelerating_ || (scrolling_ && !dragging_ && !didDrag_) || (autoscroll_ != 0 && !dragging_) ||
      (!wrapEnabled_ && (scrollOffset_ < 0 || scrollOffset_ >= double(numberOfItems_ - 1)))) {
    const double clamped = std::clamp(offset, -1.0, 1.0);
    if (offset > 0) toggle_ = offset <= 0.5 ? -clamped : 1.0 - clamped;
    else toggle_ = offset > -0.5 ? -clamped : -1.0 - clamped;
  }

  const Transform3D transform = transformForItemView(offset);
  container->setTransform(transform);
  const bool showBackfaces = valueForOption(iCarouselOptionShowBackfaces,
                                            type_ == iCarouselTypeInvertedCylinder ? 0.0 : 1.0) != 0;
  container->setHidden(!showBackfaces && !(transform.m[2][2] > 0));
}

std::vector<QWidget*> iCarousel::viewsInDepthOrder() const {
  std::vector<QWidget*> views = visibleItemViews();
  const Layer* currentContainer = containerOfItemView(currentItemView());
  const Transform3D currentTransform = currentContainer ? currentContainer->transform() : Transform3D{};
  auto along = [this](const Transform3D& t) { return vertical_ ? ySumOf(t) : xSumOf(t); };
  std::stable_sort(views.begin(), views.end(), [&](QWidget* a, QWidget* b) {
    const Transform3D& ta = containerOfItemView(a)->transform();
    const Transform3D& tb = containerOfItemView(b)->transform();
    const double za = depthOf(ta), zb = depthOf(tb);
    if (za != zb) return za < zb;
    // Level: the one farther from the current item lies behind.
    const double da = std::abs(along(ta) - along(currentTransform));
    const double db = std::abs(along(tb) - along(currentTransform));
    return da > db;
  });
  return views;
}

void iCarousel::transformItemViews() {
  for (const auto& [index, view] : itemViews_) transformItemView(index);
  // Drawn back to front, in the order a click looks them up.
  platform::DisableActions immediate;
  double z = 0;
  for (QWidget* view : viewsInDepthOrder()) containerOfItemView(view)->setZPosition(z++);
  update();
}

QWidget* iCarousel::itemViewAtPoint(Point point) const {
  const std::vector<QWidget*> views = viewsInDepthOrder();
  for (auto it = views.rbegin(); it != views.rend(); ++it) {
    if (Layer* container = containerOfItemView(*it); container && container->hitTest(point)) return *it;
  }
  return nullptr;
}

// --- layout and scrolling ---

void iCarousel::layOutItemViews() {
  if (!dataSource_ || !contentView_) return;
  const bool defaultWrap = (type_ >= iCarouselTypeRotary && type_ <= iCarouselTypeInvertedWheel)
                               ? true
                               : ((type_ == iCarouselTypeLinear ||
                                   (type_ >= iCarouselTypeCoverFlow && type_ <= iCarouselTypeCustom))
                                      ? false
                                      : wrapEnabled_);
  wrapEnabled_ = valueForOption(iCarouselOptionWrap, defaultWrap ? 1.0 : 0.0) != 0;
  numberOfPlaceholdersToShow_ = wrapEnabled_ ? 0 : numberOfPlaceholders_;
  updateItemWidth();
  updateNumberOfVisibleItems();
  previousScrollOffset_ = scrollOffset_;
  offsetMultiplier_ = valueForOption(iCarouselOptionOffsetMultiplier,
                                     (type_ == iCarouselTypeCoverFlow || type_ == iCarouselTypeCoverFlow2) ? 2.0 : 1.0);
  if (!scrolling_ && !decelerating_ && autoscroll_ == 0) {
    if (scrollToItemBoundary_ && currentItemIndex() != -1) scrollToItemAtIndex(currentItemIndex(), kScrollDuration);
    else scrollOffset_ = clampedOffset(scrollOffset_);
  }
  didScroll();
}

void iCarousel::didScroll() {
  if (!wrapEnabled_ && bounces_) {
    const double lo = -bounceDistance_;
    const double hi = double(std::max<std::int64_t>(numberOfItems_ - 1, 0)) + bounceDistance_;
    if (scrollOffset_ < lo) {
      scrollOffset_ = lo;
      startVelocity_ = 0;
    } else if (scrollOffset_ > hi) {
      scrollOffset_ = hi;
      startVelocity_ = 0;
    }
  } else {
    scrollOffset_ = clampedOffset(scrollOffset_);
  }
  const std::int64_t current = currentItemIndex();
  const std::int64_t difference = minScrollDistanceFromIndex(previousItemIndex_, current);
  if (difference != 0) {
    toggleTime_ = platform::currentTimeSource()->now();
    toggle_ = std::clamp(double(difference), -1.0, 1.0);
    if (vertical_) toggle_ = -toggle_;
    startAnimation();
  }
  loadUnloadViews();
  transformItemViews();
  if (std::abs(scrollOffset_ - previousScrollOffset_) > 1e-6 && delegate_) delegate_->carouselDidScroll(this);
  if (previousItemIndex_ != current && delegate_) delegate_->carouselCurrentItemIndexDidChange(this);
  previousScrollOffset_ = scrollOffset_;
  previousItemIndex_ = current;
}

void iCarousel::scrollByOffset(double offset, double duration) {
  if (duration > 0) {
    decelerating_ = false;
    scrolling_ = true;
    startTime_ = platform::currentTimeSource()->now();
    startOffset_ = scrollOffset_;
    scrollDuration_ = duration;
    endOffset_ = startOffset_ + offset;
    if (!wrapEnabled_) endOffset_ = clampedOffset(endOffset_);
    if (delegate_) delegate_->carouselWillBeginScrollingAnimation(this);
    startAnimation();
  } else {
    setScrollOffset(scrollOffset_ + offset);
  }
}

void iCarousel::scrollToOffset(double offset, double duration) {
  scrollByOffset(minScrollDistanceFromOffset(scrollOffset_, offset), duration);
}

void iCarousel::scrollByNumberOfItems(std::int64_t itemCount, double duration) {
  if (duration > 0) {
    double offset = 0;
    if (itemCount > 0) offset = std::floor(scrollOffset_) + double(itemCount) - scrollOffset_;
    else if (itemCount < 0) offset = std::ceil(scrollOffset_) + double(itemCount) - scrollOffset_;
    else offset = std::round(scrollOffset_) - scrollOffset_;
    scrollByOffset(offset, duration);
  } else {
    setScrollOffset(double(clampedIndex(previousItemIndex_ + itemCount)));
  }
}

void iCarousel::scrollToItemAtIndex(std::int64_t index, double duration) { scrollToOffset(double(index), duration); }

void iCarousel::scrollToItemAtIndex(std::int64_t index, bool animated) {
  scrollToItemAtIndex(index, animated ? kScrollDuration : 0.0);
}

// --- items changed ---

void iCarousel::reloadItemAtIndex(std::int64_t index, bool animated) {
  (void)animated;  // the new contents take the place of the old at once
  if (itemViewAtIndex(index)) loadViewAtIndex(index);
}

void iCarousel::insertItemAtIndex(std::int64_t index, bool animated) {
  (void)animated;
  if (!dataSource_) return;
  numberOfItems_ = std::max<std::int64_t>(0, dataSource_->numberOfItemsInCarousel(this));
  index = std::clamp<std::int64_t>(index, 0, std::max<std::int64_t>(numberOfItems_ - 1, 0));
  // Views from the index on move one place up; the new index loads with the next layout.
  std::map<std::int64_t, QWidget*> moved;
  for (auto& [i, view] : itemViews_) moved[i >= index && i < numberOfItems_ ? i + 1 : i] = view;
  itemViews_.swap(moved);
  layOutItemViews();
  if (!itemViews_.count(index) && wrapEnabled_) loadUnloadViews();
}

void iCarousel::removeItemAtIndex(std::int64_t index, bool animated) {
  (void)animated;
  if (!dataSource_) return;
  if (QWidget* view = itemViewAtIndex(index)) {
    if (auto c = containers_.find(view); c != containers_.end()) {
      c->second.layer->removeFromSuperlayer();
      containers_.erase(c);
    }
    itemViews_.erase(index);
    delete view;
  }
  std::map<std::int64_t, QWidget*> moved;
  for (auto& [i, view] : itemViews_) moved[i > index && i < numberOfItems_ ? i - 1 : i] = view;
  itemViews_.swap(moved);
  numberOfItems_ = std::max<std::int64_t>(0, dataSource_->numberOfItemsInCarousel(this));
  layOutItemViews();
}

// --- animation ---

void iCarousel::startAnimation() {
  if (timer_.isValid()) return;
  lastTime_ = platform::currentTimeSource()->now();
  timer_.start(kFrameInterval, true, [this] { step(); });
}

void iCarousel::stopAnimation() { timer_.invalidate(); }

double iCarousel::easeInOut(double time) {
  return time < 0.5 ? 0.5 * std::pow(time * 2.0, 3.0) : 0.5 * std::pow(time * 2.0 - 2.0, 3.0) + 1.0;
}

double iCarousel::decelerationDistance() const {
  const double denominator = 2.0 * kDecelerationMultiplier * (1.0 - decelerationRate_);
  if (!(denominator > 0)) return 0;
  return startVelocity_ / denominator;  // v² / (2 · 30 · v · (1 − rate))
}

bool iCarousel::shouldDecelerate() const {
  return std::abs(startVelocity_) > 2.0 && std::abs(decelerationDistance()) > 0.1;
}

bool iCarousel::shouldScroll() const { return std::abs(startVelocity_) > 2.0 && std::abs(scrollOffset_ - double(currentItemIndex())) > 0.1; }

void iCarousel::startDecelerating() {
  double distance = decelerationDistance();
  startOffset_ = scrollOffset_;
  endOffset_ = startOffset_ + distance;
  if (pagingEnabled_) {
    endOffset_ = distance > 0 ? std::ceil(startOffset_) : std::floor(startOffset_);
  } else if (stopAtItemBoundary_) {
    endOffset_ = distance > 0 ? std::ceil(endOffset_) : std::floor(endOffset_);
  }
  if (!wrapEnabled_) {
    if (bounces_) {
      endOffset_ = std::clamp(endOffset_, -bounceDistance_, double(numberOfItems_ - 1) + bounceDistance_);
    } else {
      endOffset_ = clampedOffset(endOffset_);
    }
  }
  distance = endOffset_ - startOffset_;
  startTime_ = platform::currentTimeSource()->now();
  scrollDuration_ = std::abs(distance / std::abs(0.5 * startVelocity_));
  if (distance != 0 && std::isfinite(scrollDuration_)) {
    decelerating_ = true;
    startAnimation();
  }
}

void iCarousel::step() {
  platform::DisableActions immediate;
  const double now = platform::currentTimeSource()->now();
  const double delta = now - lastTime_;
  lastTime_ = now;
  if (scrolling_ && !dragging_) {
    const double time = scrollDuration_ > 0 ? std::min((now - startTime_) / scrollDuration_, 1.0) : 1.0;
    scrollOffset_ = startOffset_ + (endOffset_ - startOffset_) * easeInOut(time);
    didScroll();
    if (time >= 1.0) {
      scrolling_ = false;
      if (delegate_) delegate_->carouselDidEndScrollingAnimation(this);
    }
  } else if (decelerating_) {
    const double time = std::min(now - startTime_, scrollDuration_);
    const double acceleration = -startVelocity_ / scrollDuration_;
    scrollOffset_ = startOffset_ + startVelocity_ * time + 0.5 * acceleration * time * time;
    didScroll();
    if (std::abs(time - scrollDuration_) < 1e-6) {
      decelerating_ = false;
      if (delegate_) delegate_->carouselDidEndDecelerating(this);
      if ((scrollToItemBoundary_ || std::abs(scrollOffset_ - clampedOffset(scrollOffset_)) > 1e-6) && autoscroll_ == 0) {
        if (std::abs(scrollOffset_ - double(currentItemIndex())) < 1e-6) scrollToItemAtIndex(currentItemIndex(), 0.01);
        else scrollToItemAtIndex(currentItemIndex(), kScrollDuration);
      } else {
        double difference = std::round(scrollOffset_) - scrollOffset_;
        if (difference > 0.5) difference -= 1.0;
        else if (difference < -0.5) difference += 1.0;
        toggleTime_ = now - kScrollDuration * std::abs(difference);
        toggle_ = std::clamp(-difference, -1.0, 1.0);
      }
    }
  } else if (autoscroll_ != 0 && !dragging_) {
    setScrollOffset(clampedOffset(scrollOffset_ - delta * autoscroll_));
  } else if (std::abs(toggle_) > 1e-6) {
    const double k = startVelocity_ != 0 ? std::min(1.0 / std::abs(startVelocity_), 1.0) : 1.0;
    const double time = std::min((now - toggleTime_) / (0.2 + 0.2 * k), 1.0);
    const double eased = easeInOut(time);
    toggle_ = toggle_ < 0 ? eased - 1.0 : 1.0 - eased;
    didScroll();
  } else if (autoscroll_ == 0) {
    stopAnimation();
  }
}

// --- mouse and keys ---

void iCarousel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  didDrag_ = false;
  startVelocity_ = 0;
  startTime_ = platform::currentTimeSource()->now();
  lastDragX_ = vertical_ ? event->position().y() : event->position().x();
  event->accept();
}

void iCarousel::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  didDrag_ = true;
  const double along = vertical_ ? event->position().y() : event->position().x();
  const double delta = along - lastDragX_;
  lastDragX_ = along;
  if (!scrollEnabled_) return;
  if (!dragging_) {
    dragging_ = true;
    if (delegate_) delegate_->carouselWillBeginDragging(this);
  }
  scrolling_ = false;
  decelerating_ = false;
  double factor = 1.0;
  if (!wrapEnabled_ && bounces_ && bounceDistance_ > 0) {
    factor = 1.0 - std::min(std::abs(scrollOffset_ - clampedOffset(scrollOffset_)), bounceDistance_) / bounceDistance_;
  }
  const double now = platform::currentTimeSource()->now();
  const double dt = now - startTime_;
  const double w = itemWidth_;
  // Two events at the same time say nothing about speed: the last velocity stands.
  if (dt > 0 && w > 0) startVelocity_ = -delta / dt * factor * scrollSpeed_ / w;
  startTime_ = now;
  if (w > 0) scrollOffset_ -= delta * factor * offsetMultiplier_ / w;
  platform::DisableActions immediate;
  didScroll();
}

void iCarousel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (didDrag_) {
    if (!scrollEnabled_) return;
    dragging_ = false;
    if (shouldDecelerate()) {
      didDrag_ = false;
      startDecelerating();
    }
    if (delegate_) delegate_->carouselDidEndDragging(this, decelerating_);
    if (decelerating_ || autoscroll_ != 0) {
      if (delegate_) delegate_->carouselWillBeginDecelerating(this);
    } else {
      std::int64_t index = currentItemIndex();
      if (shouldScroll()) index += startVelocity_ > 0 ? 1 : -1;
      scrollToItemAtIndex(index, kScrollDuration);
    }
    return;
  }
  // A click: looked up a little to the left of the pointer.
  const QPointF p = event->position();
  const Point point{p.x() - kClickLeftShift, height() - p.y()};
  QWidget* view = itemViewAtPoint(point);
  if (!view) return;
  const std::int64_t index = indexOfItemView(view);
  if (centerItemWhenSelected_ && index != currentItemIndex()) scrollToItemAtIndex(index, true);
  if (!delegate_ || delegate_->shouldSelectItemAtIndex(this, index)) {
    if (delegate_) delegate_->didSelectItemAtIndex(this, index);
  }
}

void iCarousel::keyPressEvent(QKeyEvent* event) {
  if (!scrollEnabled_ || scrolling_) {
    LayerHostWidget::keyPressEvent(event);
    return;
  }
  int step = 0;
  switch (event->key()) {
    case Qt::Key_Left: step = vertical_ ? 0 : -1; break;
    case Qt::Key_Right: step = vertical_ ? 0 : 1; break;
    case Qt::Key_Up: step = vertical_ ? -1 : 0; break;
    case Qt::Key_Down: step = vertical_ ? 1 : 0; break;
    default: break;
  }
  if (step == 0) {
    LayerHostWidget::keyPressEvent(event);
    return;
  }
  scrollToItemAtIndex(currentItemIndex() + step, kScrollDuration);
}

// --- size and parent ---

void iCarousel::resizeEvent(QResizeEvent* event) {
  LayerHostWidget::resizeEvent(event);
  {
    platform::DisableActions immediate;
    contentView_->setFrame(layer().bounds());
  }
  layOutItemViews();
}

void iCarousel::changeEvent(QEvent* event) {
  LayerHostWidget::changeEvent(event);
  if (event->type() == QEvent::ParentChange) {
    if (parentWidget()) startAnimation();
    else stopAnimation();
  }
}
