#include "widgets/sfb_popover.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QScreen>

#include "platform/graphics/canvas.h"
#include "platform/ui/presenter.h"
#include "platform/ui/view_geometry.h"

using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {
constexpr double kFadeDuration = 0.25;  // the platform's default for window animations

enum Side { kNone = -1, kRightSide = 0, kTopSide = 1, kLeftSide = 2, kBottomSide = 3 };

int sideOf(unsigned long position) {
  switch (position) {
    case 0: case 4: case 5: return kRightSide;
    case 1: case 10: case 11: return kTopSide;
    case 2: case 6: case 7: return kLeftSide;
    case 3: case 8: case 9: return kBottomSide;
    default: return kNone;
  }
}
}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Frame view

SFBPopoverWindowFrame::SFBPopoverWindowFrame(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TranslucentBackground);
}

int SFBPopoverWindowFrame::arrowSide() const { return sideOf(popoverPosition_); }

Rect SFBPopoverWindowFrame::contentRectForFrameRect(const Rect& frameRect) const {
  Rect r = frameRect.insetBy(borderWidth_, borderWidth_);
  const double off = offset();
  switch (arrowSide()) {
    case kRightSide: r.size.width -= off; break;
    case kLeftSide: r.size.width -= off; r.origin.x += off; break;
    case kBottomSide: r.size.height -= off; r.origin.y += off; break;
    case kTopSide: r.size.height -= off; break;
    default: break;
  }
  return r.insetBy(viewMargin_, viewMargin_);
}

Rect SFBPopoverWindowFrame::frameRectForContentRect(const Rect& contentRect) const {
  Rect r = contentRect.insetBy(-viewMargin_, -viewMargin_);
  const double off = offset();
  switch (arrowSide()) {
    case kRightSide: r.size.width += off; break;
    case kLeftSide: r.size.width += off; r.origin.x -= off; break;
    case kBottomSide: r.size.height += off; r.origin.y -= off; break;
    case kTopSide: r.size.height += off; break;
    default: break;
  }
  return r.insetBy(-borderWidth_, -borderWidth_);
}

Point SFBPopoverWindowFrame::attachmentPoint() const { return attachmentPointForRect(platform::boundsOf(this)); }

Point SFBPopoverWindowFrame::attachmentPointForRect(const Rect& r) const {
  double l = arrowHeight_ / 2 + 2 * borderWidth_;
  if (drawRoundCornerBesideArrow_) l += cornerRadius_;
  const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
  switch (popoverPosition_) {
    case 0: return {x + w, y + h / 2};
    case 1: return {x + w / 2, y + h};
    case 2: return {x, y + h / 2};
    case 3: return {x + w / 2, y};
    case 4: return {x + w, y + l};
    case 5: return {x + w, y + h - l};
    case 6: return {x, y + l};
    case 7: return {x, y + h - l};
    case 8: return {x + w - l, y};
    case 9: return {x + l, y};
    case 10: return {x + w - l, y + h};
    case 11: return {x + l, y + h};
    default: return {0, 0};
  }
}

void SFBPopoverWindowFrame::appendArrowToPath(Path& path) const {
  if (!drawsArrow_) return;
  const Point p = path.currentPoint();
  const double aw = arrowWidth_, ah = arrowHeight_;
  switch (arrowSide()) {
    case kTopSide:
      path.lineTo({p.x + aw / 2, p.y + ah});
      path.lineTo({p.x + aw, p.y});
      break;
    case kRightSide:
      path.lineTo({p.x + ah, p.y - aw / 2});
      path.lineTo({p.x, p.y - aw});
      break;
    case kBottomSide:
      path.lineTo({p.x - aw / 2, p.y - ah});
      path.lineTo({p.x - aw, p.y});
      break;
    case kLeftSide:
      path.lineTo({p.x - ah, p.y + aw / 2});
      path.lineTo({p.x, p.y + aw});
      break;
    default:
      break;
  }
}

Path SFBPopoverWindowFrame::popoverFramePathForContentRect(const Rect& contentRect) const {
  Rect R = contentRect.insetBy(-viewMargin_, -viewMargin_);
  R = R.insetBy(-borderWidth_ / 2, -borderWidth_ / 2);
  const unsigned long pos = popoverPosition_;
  // The corner beside the arrow is square when asked.
  auto radius = [&](bool besideArrow) {
    if (cornerRadius_ <= 0) return 0.0;
    if (!drawRoundCornerBesideArrow_ && besideArrow) return 0.0;
    return cornerRadius_;
  };
  const double rTL = radius(pos == 7 || pos == 11);
  const double rTR = radius(pos == 5 || pos == 10);
  const double rBR = radius(pos == 4 || pos == 8);
  const double rBL = radius(pos == 6 || pos == 9);
  const double aw = arrowWidth_;
  const Point topLeft{R.minX(), R.maxY()}, topRight{R.maxX(), R.maxY()};
  const Point bottomRight{R.maxX(), R.minY()}, bottomLeft{R.minX(), R.minY()};
  auto corner = [](Path& path, Point c, Point next, double r) {
    if (r > 0) path.arcToPoint(c, next, r);
    else path.lineTo(c);
  };

  Path path;
  path.moveTo({R.minX(), R.maxY() - rTL});
  corner(path, topLeft, {R.minX() + rTL, R.maxY()}, rTL);
  // Top edge, to the right.
  if (pos == 1) {
    path.lineTo({R.midX() - aw / 2, R.maxY()});
    appendArrowToPath(path);
  } else if (pos == 10) {
    path.lineTo({R.maxX() - rTR - aw, R.maxY()});
    appendArrowToPath(path);
  } else if (pos == 11) {
    appendArrowToPath(path);
  }
  path.lineTo({R.maxX() - rTR, R.maxY()});
  corner(path, topRight, {R.maxX(), R.maxY() - rTR}, rTR);
  // Right edge, downwards.
  if (pos == 0) {
    path.lineTo({R.maxX(), R.midY() + aw / 2});
    appendArrowToPath(path);
  } else if (pos == 5) {
    appendArrowToPath(path);
  } else if (pos == 4) {
    path.lineTo({R.maxX(), R.minY() + rBR + aw});
    appendArrowToPath(path);
  }
  path.lineTo({R.maxX(), R.minY() + rBR});
  corner(path, bottomRight, {R.maxX() - rBR, R.minY()}, rBR);
  // Bottom edge, to the left.
  if (pos == 3) {
    path.lineTo({R.midX() + aw / 2, R.minY()});
    appendArrowToPath(path);
  } else if (pos == 8) {
    appendArrowToPath(path);
  } else if (pos == 9) {
    path.lineTo({R.minX() + rBL + aw, R.minY()});
    appendArrowToPath(path);
  }
  path.lineTo({R.minX() + rBL, R.minY()});
  corner(path, bottomLeft, {R.minX(), R.minY() + rBL}, rBL);
  // Left edge, upwards.
  if (pos == 2) {
    path.lineTo({R.minX(), R.midY() - aw / 2});
    appendArrowToPath(path);
  } else if (pos == 6) {
    appendArrowToPath(path);
  } else if (pos == 7) {
    path.lineTo({R.minX(), R.maxY() - rTL - aw});
    appendArrowToPath(path);
  }
  path.close();
  return path;
}

void SFBPopoverWindowFrame::placeContentView(QWidget* view, const Rect& frame) {
  content_ = view;
  contentFrame_ = frame;
  if (!view) return;
  if (view->parentWidget() != this) view->setParent(this);
  platform::setFrame(view, frame);
  view->show();
}

void SFBPopoverWindowFrame::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // No autoresizing: the content view keeps its y-up frame.
  if (content_) platform::setFrame(content_, contentFrame_);
}

QPainterPath SFBPopoverWindowFrame::bubbleShape() const {
  const Rect b{0, 0, double(width()), double(height())};
  const Path path = popoverFramePathForContentRect(contentRectForFrameRect(b));
  QPainterPathStroker border;
  border.setWidth(borderWidth_);
  border.setJoinStyle(Qt::RoundJoin);
  QPainterPath shape = path.qtPath();
  if (borderWidth_ > 0) shape = shape.united(border.createStroke(shape));
  return QTransform(1, 0, 0, -1, 0, b.height()).map(shape);  // y-up to the view's y-down
}

void SFBPopoverWindowFrame::paintEvent(QPaintEvent*) {
  if (const QPainterPath shape = bubbleShape(); shape != drawnShape_) {
    // The outline changed (size, arrow, corners, border): the window's mask and shadow follow, after this paint.
    drawnShape_ = shape;
    if (auto* w = qobject_cast<platform::Window*>(window())) {
      QMetaObject::invokeMethod(w, [w = QPointer<platform::Window>(w)] { if (w) w->invalidateShape(); },
                                Qt::QueuedConnection);
    }
  }
  QPainter painter(this);
  platform::Canvas c(painter, {double(width()), double(height())});
  const Path path = popoverFramePathForContentRect(contentRectForFrameRect(c.bounds()));
  c.setFillColor(backgroundColor_);
  c.fillPath(path);
  if (borderWidth_ > 0) {
    c.setLineWidth(borderWidth_);
    c.setLineJoin(platform::LineJoin::Round);
    c.setStrokeColor(borderColor_);
    c.strokePath(path);
  }
}

void SFBPopoverWindowFrame::mousePressEvent(QMouseEvent* event) {
  // Dragging and resizing stay off: a press on the frame does nothing and goes no further.
  event->accept();
}

// ---------------------------------------------------------------------------------------------------------
// Window

SFBPopoverWindow::SFBPopoverWindow(const Rect& contentRect) : platform::Window(true) {
  setLevel(FloatingLevel);
  setOpaque(false);
  setHasShadow(true);
  frameView_ = new SFBPopoverWindowFrame();
  setContentView(frameView_);
  setFrame(contentRect, false);
  setAlphaValue(1.0);
}

QPainterPath SFBPopoverWindow::windowShape() const {
  return frameView_ ? frameView_->bubbleShape() : platform::Window::windowShape();
}

void SFBPopoverWindow::setPopoverContentView(QWidget* view) {
  if (view == popoverContentView_) return;
  const Size viewSize{double(view ? view->width() : 0), double(view ? view->height() : 0)};
  const Size frameSize = frameView_->frameRectForContentRect({{0, 0}, viewSize}).size;
  setFrame({{0, 0}, frameSize}, false);
  if (popoverContentView_) {
    popoverContentView_->hide();
    popoverContentView_->setParent(nullptr);
    popoverContentView_->deleteLater();  // the window owned it
  }
  popoverContentView_ = view;
  if (view) frameView_->placeContentView(view, frameView_->contentRectForFrameRect({{0, 0}, frameSize}));
}

void SFBPopoverWindow::setContentSize(Size size) {
  const Rect f = frame();
  const Size frameSize = frameView_->frameRectForContentRect({{0, 0}, size}).size;
  setFrame({f.origin, frameSize}, false);  // the origin stays
}

void SFBPopoverWindow::growOnArrowSide(double d) {
  Rect f = frame();
  Rect cv = frameView_->contentViewFrame();
  switch (sideOf(popoverPosition())) {
    case kRightSide: f.origin.x -= d; f.size.width += d; break;
    case kTopSide: f.origin.y -= d; f.size.height += d; break;
    case kLeftSide: f.size.width += d; cv.origin.x += d; break;
    case kBottomSide: f.size.height += d; cv.origin.y += d; break;
    default: break;
  }
  frameView_->placeContentView(popoverContentView_, cv);
  setFrame(f, true);
}

void SFBPopoverWindow::setDistance(double distance) {
  const double d = distance - frameView_->distance();
  if (d == 0) return;
  frameView_->setDistance(distance);
  growOnArrowSide(d);
}

void SFBPopoverWindow::setArrowHeight(double height) {
  const double d = height - frameView_->arrowHeight();
  if (d == 0) return;
  frameView_->setArrowHeight(height);
  growOnArrowSide(d);
}

void SFBPopoverWindow::outsetAwayFromArrow(double d) {
  Rect f = frame().insetBy(-d, -d);
  switch (sideOf(popoverPosition())) {
    case kRightSide: f.origin.x -= d; break;
    case kTopSide: f.origin.y -= d; break;
    case kLeftSide: f.origin.x += d; break;
    case kBottomSide: f.origin.y += d; break;
    default: break;
  }
  frameView_->placeContentView(popoverContentView_, frameView_->contentRectForFrameRect({{0, 0}, f.size}));
  setFrame(f, true);
}

void SFBPopoverWindow::setBorderWidth(double width) {
  const double d = width - frameView_->borderWidth();
  if (d == 0) return;
  frameView_->setBorderWidth(width);
  outsetAwayFromArrow(d);
}

void SFBPopoverWindow::setViewMargin(double margin) {
  const double d = margin - frameView_->viewMargin();
  if (d == 0) return;
  frameView_->setViewMargin(margin);
  outsetAwayFromArrow(d);
}

void SFBPopoverWindow::setPopoverPosition(unsigned long position) {
  if (position == frameView_->popoverPosition()) return;
  const Rect f = frame();
  const Point oldAttachment = frameView_->attachmentPointForRect({{0, 0}, f.size});
  const double oldOffset = frameView_->arrowHeight() + frameView_->distance();
  auto offsetAxis = [](unsigned long p) {
    const int side = sideOf(p);
    return side == kRightSide || side == kLeftSide ? 0 : side == kTopSide || side == kBottomSide ? 1 : -1;
  };
  Size size = f.size;
  if (offsetAxis(frameView_->popoverPosition()) == 0) size.width -= oldOffset;
  else if (offsetAxis(frameView_->popoverPosition()) == 1) size.height -= oldOffset;
  frameView_->setPopoverPosition(position);
  if (offsetAxis(position) == 0) size.width += oldOffset;
  else if (offsetAxis(position) == 1) size.height += oldOffset;
  const bool wasVisible = isVisible();
  const bool wasKey = isKeyWindow();
  if (wasVisible) orderOut();
  frameView_->placeContentView(popoverContentView_, frameView_->contentRectForFrameRect({{0, 0}, size}));
  const Point newAttachment = frameView_->attachmentPointForRect({{0, 0}, size});
  const Point origin = f.origin + oldAttachment - newAttachment;
  frameView_->update();
  setFrame({origin, size}, true);
  if (wasVisible) {
    if (wasKey) makeKeyAndOrderFront();
    else orderFront();
  }
}

void SFBPopoverWindow::setBorderColor(const Color& c) {
  frameView_->setBorderColor(c);
  frameView_->update();
}
void SFBPopoverWindow::setCornerRadius(double r) {
  frameView_->setCornerRadius(r);
  frameView_->update();
}
void SFBPopoverWindow::setDrawsArrow(bool d) {
  frameView_->setDrawsArrow(d);
  frameView_->update();
}
void SFBPopoverWindow::setArrowWidth(double w) {
  frameView_->setArrowWidth(w);
  frameView_->update();
}
void SFBPopoverWindow::setDrawRoundCornerBesideArrow(bool d) {
  frameView_->setDrawRoundCornerBesideArrow(d);
  frameView_->update();
}
void SFBPopoverWindow::setPopoverBackgroundColor(const Color& c) {
  frameView_->setBackgroundColor(c);
  frameView_->update();
}

// ---------------------------------------------------------------------------------------------------------
// Animation delegate and popover

void SFBPopoverAnimationDelegate::animationDidStop(bool finished) {
  SFBPopoverWindow* window = popoverWindow_;
  if (!finished || !window || window->alphaValue() != 0) return;
  if (QWidget* parent = window->parentWindow()) platform::removeChildWindow(parent, window);
  platform::currentPresenter().dismiss(*window);
  window->setAlphaValue(1.0);
}

SFBPopover::SFBPopover(QWidget* contentView) {
  const Size size{double(contentView ? contentView->width() : 0), double(contentView ? contentView->height() : 0)};
  popoverWindow_ = new SFBPopoverWindow({{0, 0}, size});
  popoverWindow_->setPopoverContentView(contentView);
  popoverWindow_->setMinSize(size);
  animationDelegate_ = std::make_unique<SFBPopoverAnimationDelegate>(popoverWindow_);
  connect(popoverWindow_, &platform::Window::didResignKey, this, &SFBPopover::windowDidResignKey);
  connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive) applicationDidResignActive();
  });
}

namespace {
// The controller's view, at its preferred content size when it has one.
QWidget* contentOf(platform::ViewController* controller) {
  if (!controller) return nullptr;
  const Size size = controller->contentSizeForContainer();
  QWidget* view = controller->view();
  view->resize(int(size.width), int(size.height));
  return view;
}
}  // namespace

SFBPopover::SFBPopover(platform::ViewController* controller) : SFBPopover(contentOf(controller)) {
  controller_ = controller;
}

SFBPopover::~SFBPopover() {
  if (parentWindow_) platform::removeChildWindow(parentWindow_, popoverWindow_);
  // The controller keeps its view (unless a newer popover took it already).
  if (controller_ && controller_->isViewLoaded() && controller_->view()->window() == popoverWindow_) {
    QWidget* view = controller_->view();
    view->hide();
    view->setParent(nullptr);
  }
  delete popoverWindow_;
}

platform::ViewController* SFBPopover::contentViewController() const { return controller_; }

bool SFBPopover::isVisible() const { return popoverWindow_->isVisible(); }

void SFBPopover::displayPopoverInWindow(QWidget* window, Point point) {
  displayPopoverInWindow(window, point, false, false);
}

void SFBPopover::displayPopoverInWindow(QWidget* window, Point point, bool chooseBestLocation, bool makeKey) {
  if (isVisible()) return;
  if (chooseBestLocation) setPosition(bestPositionInWindow(window, point));
  const Point attachment = popoverWindow_->popoverWindowFrame()->attachmentPoint();
  const Point screenPoint = window ? platform::convertPointToScreen(window, point) : point;
  popoverWindow_->setFrameOrigin(screenPoint - attachment);
  if (animates_) popoverWindow_->setAlphaValue(0);
  parentWindow_ = window;
  if (controller_) controller_->beginAppearanceTransition(true);
  if (window) platform::addChildWindow(window, popoverWindow_);
  platform::currentPresenter().present(*popoverWindow_, makeKey);
  if (!animates_) {
    if (controller_) controller_->endAppearanceTransition();
    return;
  }
  QPointer<SFBPopover> self(this);
  popoverWindow_->animateAlphaValue(1.0, kFadeDuration, [self](bool finished) {
    if (self && finished && self->controller_) self->controller_->endAppearanceTransition();
  });
}

void SFBPopover::movePopoverToPoint(Point point) {
  const Point attachment = popoverWindow_->popoverWindowFrame()->attachmentPoint();
  const Point screenPoint = parentWindow_ ? platform::convertPointToScreen(parentWindow_, point) : point;
  popoverWindow_->setFrameOrigin(screenPoint - attachment);
}

void SFBPopover::closePopover() {
  if (!isVisible()) return;
  if (controller_) controller_->beginAppearanceTransition(false);
  if (animates_) {
    SFBPopoverAnimationDelegate* delegate = animationDelegate_.get();
    QPointer<SFBPopover> self(this);
    popoverWindow_->animateAlphaValue(0.0, kFadeDuration, [delegate, self](bool finished) {
      delegate->animationDidStop(finished);
      if (self && finished && self->controller_ && !self->isVisible()) self->controller_->endAppearanceTransition();
    });
    return;
  }
  if (QWidget* parent = popoverWindow_->parentWindow()) platform::removeChildWindow(parent, popoverWindow_);
  platform::currentPresenter().dismiss(*popoverWindow_);
  if (controller_) controller_->endAppearanceTransition();
}

void SFBPopover::forceViewRefresh() { popoverWindow_->popoverWindowFrame()->repaint(); }

void SFBPopover::windowDidResignKey() {
  if (closesWhenPopoverResignsKey_) closePopover();
}

void SFBPopover::applicationDidResignActive() {
  if (closesWhenApplicationBecomesInactive_) closePopover();
}

unsigned long SFBPopover::bestPositionInWindow(QWidget* window, Point point) const {
  // The first of below, above, right and left (then the corner positions) whose bubble fits on the screen.
  const Point screenPoint = window ? platform::convertPointToScreen(window, point) : point;
  const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  const Rect available = screen ? platform::screenRectFromQt(QRectF(screen->availableGeometry())) : Rect{};
  const SFBPopoverWindowFrame* fv = popoverWindow_->popoverWindowFrame();
  QWidget* content = popoverWindow_->popoverContentView();
  const Size contentSize{double(content ? content->width() : 0), double(content ? content->height() : 0)};
  SFBPopoverWindowFrame probe;
  probe.setBorderWidth(fv->borderWidth());
  probe.setViewMargin(fv->viewMargin());
  probe.setArrowHeight(fv->arrowHeight());
  probe.setArrowWidth(fv->arrowWidth());
  probe.setDistance(fv->distance());
  probe.setCornerRadius(fv->cornerRadius());
  probe.setDrawRoundCornerBesideArrow(fv->drawRoundCornerBesideArrow());
  for (unsigned long p : {1ul, 3ul, 2ul, 0ul, 11ul, 10ul, 9ul, 8ul, 7ul, 6ul, 5ul, 4ul}) {
    probe.setPopoverPosition(p);
    const Size size = probe.frameRectForContentRect({{0, 0}, contentSize}).size;
    const Point origin = screenPoint - probe.attachmentPointForRect({{0, 0}, size});
    const Rect frame{origin, size};
    if (available.isEmpty() || frame.intersection(available) == frame) return p;
  }
  return fv->popoverPosition();
}
