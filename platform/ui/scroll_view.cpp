#include "platform/ui/scroll_view.h"

#include <QEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QVariant>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/foundation/notification_center.h"

namespace platform {

const char* const ScrollViewDidLiveScrollNotification = "ScrollViewDidLiveScroll";

namespace {

constexpr const char* kFlippedProperty = "vx_flipped";
constexpr int kScrollerThickness = 10;

}  // namespace

void setFlipped(QWidget* view, bool flipped) { view->setProperty(kFlippedProperty, flipped); }
bool isFlipped(const QWidget* view) { return view && view->property(kFlippedProperty).toBool(); }

// --- clip view ---

ClipView::ClipView(QWidget* parent) : QWidget(parent) {}

ClipView::~ClipView() { cancelAnimation(); }

void ClipView::setDocumentView(QWidget* document) {
  if (document_ == document) return;
  cancelAnimation();
  if (document_) {
    document_->removeEventFilter(this);
    document_->setParent(nullptr);
  }
  document_ = document;
  if (document_) {
    document_->setParent(this);
    document_->installEventFilter(this);
    document_->show();
  }
  place({0, 0});
}

QSize ClipView::clipSize() const {
  const QWidget* parent = parentWidget();
  return dynamic_cast<const ScrollView*>(parent) ? parent->size() : size();
}

Rect ClipView::bounds() const {
  const QSize s = clipSize();
  return {origin_.x, origin_.y, double(s.width()), double(s.height())};
}

Point ClipView::constrainScrollPoint(Point p) const {
  if (!document_) return {0, 0};
  const QSize s = clipSize();
  const double maxX = std::max(0.0, double(document_->width() - s.width()));
  const double maxY = std::max(0.0, double(document_->height() - s.height()));
  return {std::clamp(p.x, 0.0, maxX), std::clamp(p.y, 0.0, maxY)};
}

Rect ClipView::constrainBoundsRect(const Rect& proposed) const {
  const Point p = constrainScrollPoint({proposed.x(), proposed.y()});
  return {p.x, p.y, proposed.width(), proposed.height()};
}

void ClipView::cancelAnimation() {
  if (!animation_) return;
  const Animator::Id id = animation_;
  animation_ = 0;
  Animator::shared().cancel(id);
}

void ClipView::scrollToPoint(Point origin) {
  cancelAnimation();
  place(constrainScrollPoint(origin));
}

void ClipView::setBoundsOrigin(Point origin) {
  cancelAnimation();
  const Point from = origin_;
  const Point to = constrainScrollPoint(origin);
  QPointer<ClipView> guard(this);
  animation_ = animateInCurrentContext(
      [guard, from, to](double p) {
        if (guard) guard->place({from.x + (to.x - from.x) * p, from.y + (to.y - from.y) * p});
      },
      [guard](bool finished) {
        if (guard && finished) guard->animation_ = 0;
      });
  if (!animation_) place(to);
}

void ClipView::place(Point origin) {
  origin_ = origin;
  if (size() != clipSize()) resize(clipSize());
  if (document_) {
    const double y = isFlipped(document_) ? -origin.y : -(document_->height() - height() - origin.y);
    document_->move(int(std::lround(-origin.x)), int(std::lround(y)));
  }
  if (auto* observer = dynamic_cast<VisibleRectObserver*>(document_)) observer->visibleRectChanged();
  if (boundsChanged_) boundsChanged_();
}

void ClipView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!animation_) place(constrainScrollPoint(origin_));
}

bool ClipView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == document_ && event->type() == QEvent::Resize && !animation_) {
    place(constrainScrollPoint(origin_));
  }
  return false;
}

// --- scroll view ---

ScrollView::ScrollView(QWidget* parent)
    : View(parent),
      clip_(new ClipView(this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)) {
  horizontal_->hide();
  vertical_->hide();
  clip_->setBoundsChangedHandler([this] { reflectScrolledClipView(clip_); });
  for (QScrollBar* bar : {horizontal_, vertical_}) {
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [this] { scrollerMoved(); });
  }
}

void ScrollView::setDocumentView(QWidget* document) {
  clip_->setDocumentView(document);
  reflectScrolledClipView(clip_);
}

void ScrollView::setHasHorizontalScroller(bool has) {
  hasHorizontal_ = has;
  layoutScrollers();
}

void ScrollView::setHasVerticalScroller(bool has) {
  hasVertical_ = has;
  layoutScrollers();
}

void ScrollView::setAutohidesScrollers(bool autohides) {
  autohides_ = autohides;
  layoutScrollers();
}

void ScrollView::setDocumentCursor(const QCursor& cursor) { clip_->setCursor(cursor); }

void ScrollView::resizeEvent(QResizeEvent* event) {
  View::resizeEvent(event);
  clip_->setGeometry(0, 0, width(), height());
  layoutScrollers();
}

void ScrollView::layoutScrollers() {
  const QWidget* doc = documentView();
  const QSize shown = clip_->clipSize();
  const bool wider = doc && doc->width() > shown.width();
  const bool taller = doc && doc->height() > shown.height();
  const bool showH = hasHorizontal_ && (!autohides_ || wider);
  const bool showV = hasVertical_ && (!autohides_ || taller);
  horizontal_->setGeometry(0, height() - kScrollerThickness, width() - (showV ? kScrollerThickness : 0),
                           kScrollerThickness);
  vertical_->setGeometry(width() - kScrollerThickness, 0, kScrollerThickness,
                         height() - (showH ? kScrollerThickness : 0));
  horizontal_->setVisible(showH);
  vertical_->setVisible(showV);
  horizontal_->raise();
  vertical_->raise();
}

void ScrollView::reflectScrolledClipView(ClipView* clip) {
  if (clip != clip_) return;
  const QWidget* doc = documentView();
  const Point origin = clip_->boundsOrigin();
  const QSize shown = clip_->clipSize();
  const int maxX = doc ? std::max(0, doc->width() - shown.width()) : 0;
  const int maxY = doc ? std::max(0, doc->height() - shown.height()) : 0;
  reflecting_ = true;
  horizontal_->setRange(0, maxX);
  horizontal_->setPageStep(std::max(1, shown.width()));
  horizontal_->setValue(int(std::lround(origin.x)));
  // Qt's scroller counts from the top.
  vertical_->setRange(0, maxY);
  vertical_->setPageStep(std::max(1, shown.height()));
  vertical_->setValue(int(std::lround(isFlipped(doc) ? origin.y : maxY - origin.y)));
  reflecting_ = false;
  layoutScrollers();
}

void ScrollView::scrollByUser(Point origin) {
  clip_->scrollToPoint(origin);
  NotificationCenter::defaultCenter().postNotificationName(ScrollViewDidLiveScrollNotification,
                                                           Value::reference(this));
}

void ScrollView::scrollerMoved() {
  if (reflecting_) return;
  const QWidget* doc = documentView();
  const double y = isFlipped(doc) ? vertical_->value() : vertical_->maximum() - vertical_->value();
  scrollByUser({double(horizontal_->value()), y});
}

void ScrollView::wheelEvent(QWheelEvent* event) {
  const QWidget* doc = documentView();
  if (!doc) {
    event->ignore();
    return;
  }
  QPointF delta = event->pixelDelta();
  if (delta.isNull()) delta = QPointF(event->angleDelta()) / 120.0 * kLineScroll;
  // A document that only scrolls sideways takes the vertical wheel sideways too.
  const QSize shown = clip_->clipSize();
  const bool onlySideways = doc->height() <= shown.height() && doc->width() > shown.width();
  if (onlySideways && delta.x() == 0) delta = QPointF(delta.y(), 0);
  const Point origin = clip_->boundsOrigin();
  // Wheel down (negative) shows what lies further down and further right.
  const double dy = isFlipped(doc) ? -delta.y() : delta.y();
  scrollByUser({origin.x - delta.x(), origin.y + dy});
  event->accept();
}

}  // namespace platform
