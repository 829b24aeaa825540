#include "app/viewing/qy_image_scroll_view.h"

#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "platform/graphics/image.h"
#include "platform/ui/animation.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/frame_notifications.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/utilities.h"

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

constexpr unsigned kSizableMask = platform::ViewWidthSizable | platform::ViewHeightSizable;  // 18
constexpr double kGlideFactor = 10;
constexpr double kGlideDuration = 0.6;

}  // namespace

QY_ImageScrollView::QY_ImageScrollView(const Rect& frame, QWidget* parent) : platform::ScrollView(parent) {
  platform::setFrame(this, frame);
  setAutohidesScrollers(true);
  if (parent) platform::setAutoresizingMask(this, kSizableMask);
  auto* document = new platform::View;
  platform::setFrame(document, Rect(0, 0, frame.width(), frame.height()));
  setDocumentView(document);
  platform::setAutoresizingMask(document, kSizableMask);
  platform::setPostsFrameChangedNotifications(this, true);
  platform::NotificationCenter::defaultCenter().addObserver(
      this, [this](const platform::Notification&) { viewResized(); }, platform::ViewFrameDidChangeNotification,
      static_cast<const QWidget*>(this));
}

QY_ImageScrollView::~QY_ImageScrollView() { platform::NotificationCenter::defaultCenter().removeObserver(this); }

platform::ImageView* QY_ImageScrollView::imageView() const {
  return dynamic_cast<platform::ImageView*>(documentView());
}

Size QY_ImageScrollView::fittedSize() const {
  const QWidget* document = documentView();
  if (!document) return {};
  return Utilities::rectThatFitsImageSize(mImageRect.size, platform::boundsOf(document)).size;
}

void QY_ImageScrollView::setImageRef(const QImage& image) {
  if (image.isNull()) return;
  // A zoomed view keeps its factor about the picture's point at the centre of what shows.
  const float zoom = mZoomFactor;
  Point relative{0.5, 0.5};
  if (zoom > 0 && documentView() && documentView()->width() > 0 && documentView()->height() > 0) {
    const Rect visible = documentVisibleRect();
    relative = {std::clamp(visible.midX() / documentView()->width(), 0.0, 1.0),
                std::clamp(visible.midY() / documentView()->height(), 0.0, 1.0)};
  }
  mImageRef = image;
  mImageRect = Rect(0, 0, image.width(), image.height());
  auto* view = new platform::ImageView;
  view->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
  view->setImage(platform::Image::fromBitmap(image));
  platform::setFrame(view, platform::boundsOf(this));
  QWidget* old = documentView();
  setDocumentView(view);
  delete old;
  setHasHorizontalScroller(true);
  if (zoom > 0) {
    const Size fitted = fittedSize();
    setZoomFactor(zoom, {relative.x * fitted.width, relative.y * fitted.height});
  } else {
    mZoomFactor = 0;
  }
}

void QY_ImageScrollView::setZoomToFit() {
  setHasHorizontalScroller(false);
  setHasVerticalScroller(false);
  mZoomFactor = 0;
  if (QWidget* document = documentView()) platform::setFrame(document, platform::boundsOf(this));
  contentView()->scrollToPoint({0, 0});
  reflectScrolledClipView(contentView());
}

void QY_ImageScrollView::viewResized() {
  if (mZoomFactor == 0) setZoomToFit();
}

void QY_ImageScrollView::setZoomFactor(float factor, Point point) {
  QWidget* document = documentView();
  const Size fitted = fittedSize();
  if (!document || fitted.width <= 0 || fitted.height <= 0 || !(factor > 0)) return;
  mZoomFactor = factor;
  const Size d{std::round(double(factor) * mImageRect.width()), std::round(double(factor) * mImageRect.height())};
  platform::setFrame(document, Rect(0, 0, std::max(1.0, d.width), std::max(1.0, d.height)));
  const Size v = platform::boundsOf(this).size;
  double x = point.x / fitted.width * d.width - v.width / 2;
  double y = point.y / fitted.height * d.height - v.height / 2;
  x = std::min(std::max(x, 0.0), d.width - v.width);
  y = std::max(std::min(y, d.height - v.height), 0.0);
  contentView()->scrollToPoint({x, y});
  reflectScrolledClipView(contentView());
  setHasHorizontalScroller(true);
  setHasVerticalScroller(true);
}

void QY_ImageScrollView::scrollToPoint(Point point, double duration) {
  platform::AnimationContext::run(
      duration, platform::TimingFunction::EaseOut,
      [this, point] {
        mAnimationActive = true;
        contentView()->setBoundsOrigin(point);
        reflectScrolledClipView(contentView());
      },
      [guard = QPointer<QY_ImageScrollView>(this)] {
        if (guard) guard->mAnimationActive = false;
      });
}

Point QY_ImageScrollView::windowPoint(const QMouseEvent* event) const {
  return platform::convertPoint(platform::pointFromQt(this, event->position()), this, nullptr);
}

void QY_ImageScrollView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    platform::ScrollView::mousePressEvent(event);
    return;
  }
  clickPoint = windowPoint(event);
  originalOrigin = contentView()->boundsOrigin();
  lastMousePosition_ = event->scenePosition();
  dragging_ = true;
  setDocumentCursor(Qt::OpenHandCursor);
  event->accept();
}

void QY_ImageScrollView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    platform::ScrollView::mouseDoubleClickEvent(event);
    return;
  }
  // The second press of a double click: reported, and no drag starts from it.
  dragging_ = false;
  event->accept();
  if (!delegate_) return;
  const Point inView = platform::pointFromQt(this, event->position());
  const Rect fitted = Utilities::rectThatFitsImageSize(mImageRect.size, documentView());
  delegate_->imageScrollViewDoubleClicked(this, {inView.x - fitted.x(), inView.y - fitted.y()});
}

void QY_ImageScrollView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
    platform::ScrollView::mouseMoveEvent(event);
    return;
  }
  const Point now = windowPoint(event);
  contentView()->scrollToPoint(contentView()->constrainScrollPoint(
      {clickPoint.x - now.x + originalOrigin.x, clickPoint.y - now.y + originalOrigin.y}));
  reflectScrolledClipView(contentView());
  // The event's movement as the pointer's deltas give it: x to the right, y downwards.
  const QPointF position = event->scenePosition();
  lastDeltaX = position.x() - lastMousePosition_.x();
  lastDeltaY = position.y() - lastMousePosition_.y();
  lastMousePosition_ = position;
  event->accept();
}

void QY_ImageScrollView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    platform::ScrollView::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  const bool wasDragging = dragging_;
  dragging_ = false;
  setDocumentCursor(Qt::ArrowCursor);
  if (!wasDragging || (lastDeltaX == 0 && lastDeltaY == 0)) return;
  const Point origin = contentView()->boundsOrigin();
  const Point target{origin.x - kGlideFactor * lastDeltaX, origin.y + kGlideFactor * lastDeltaY};
  lastDeltaX = 0;
  lastDeltaY = 0;
  scrollToPoint(target, kGlideDuration);
}
