#include "platform/ui/popover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "platform/ui/presenter.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"

namespace platform {

namespace {

constexpr double kArrowDepth = 10;
constexpr double kArrowWidth = 20;
constexpr double kCornerRadius = 6;

bool isVerticalEdge(RectEdge e) { return e == RectEdge::MinY || e == RectEdge::MaxY; }

RectEdge opposite(RectEdge e) {
  switch (e) {
    case RectEdge::MinX: return RectEdge::MaxX;
    case RectEdge::MaxX: return RectEdge::MinX;
    case RectEdge::MinY: return RectEdge::MaxY;
    case RectEdge::MaxY: return RectEdge::MinY;
  }
  return e;
}

}  // namespace

// The bubble: a rounded rectangle with an arrow on the side that faces the positioning rectangle, holding the
// content view. Sizes and the arrow's place are in Qt coordinates of the window (y down).
class PopoverWindow : public Window {
 public:
  PopoverWindow() : Window(true) {
    setOpaque(false);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* frame = new Frame(this);
    setContentView(frame);
  }

  // Lays the bubble out for content of `size` with the arrow on `edge` of the positioning rectangle (so on
  // the opposite side of the bubble), its tip `tip` along that side.
  void layout(Size size, RectEdge edge, double tip) {
    edge_ = edge;
    tip_ = tip;
    contentSize_ = size;
    if (QWidget* content = contentWidget()) content->setGeometry(contentRect());
    invalidateShape();
    contentView()->update();
  }
  Size frameSize() const {
    return isVerticalEdge(edge_) ? Size{contentSize_.width, contentSize_.height + kArrowDepth}
                                 : Size{contentSize_.width + kArrowDepth, contentSize_.height};
  }
  QRect contentRect() const {
    const int w = int(contentSize_.width), h = int(contentSize_.height), d = int(kArrowDepth);
    switch (edge_) {
      case RectEdge::MinY: return QRect(0, d, w, h);  // below the rectangle: arrow on top
      case RectEdge::MaxY: return QRect(0, 0, w, h);
      case RectEdge::MinX: return QRect(0, 0, w, h);  // left of the rectangle: arrow on the right
      case RectEdge::MaxX: return QRect(d, 0, w, h);
    }
    return QRect(0, 0, w, h);
  }
  void setContentWidget(QWidget* content) {
    if (content_ == content) return;
    content_ = content;
    if (content) {
      // Placed by the next layout: its own size may be what the popover is to take.
      const QSize size = content->size();
      content->setParent(contentView());
      content->resize(size);
      content->show();
    }
  }
  QWidget* contentWidget() const { return content_.data(); }

  QPainterPath windowShape() const override { return bubble(); }

  QPainterPath bubble() const {
    const QRectF body(contentRect());
    QPainterPath path;
    path.addRoundedRect(body, kCornerRadius, kCornerRadius);
    QPolygonF arrow;
    const double half = kArrowWidth / 2;
    switch (edge_) {
      case RectEdge::MinY:
        arrow << QPointF(tip_ - half, body.top() + 1) << QPointF(tip_, 0) << QPointF(tip_ + half, body.top() + 1);
        break;
      case RectEdge::MaxY:
        arrow << QPointF(tip_ - half, body.bottom() - 1) << QPointF(tip_, body.bottom() + kArrowDepth)
              << QPointF(tip_ + half, body.bottom() - 1);
        break;
      case RectEdge::MinX:
        arrow << QPointF(body.right() - 1, tip_ - half) << QPointF(body.right() + kArrowDepth, tip_)
              << QPointF(body.right() - 1, tip_ + half);
        break;
      case RectEdge::MaxX:
        arrow << QPointF(body.left() + 1, tip_ - half) << QPointF(0, tip_) << QPointF(body.left() + 1, tip_ + half);
        break;
    }
    QPainterPath arrowPath;
    arrowPath.addPolygon(arrow);
    arrowPath.closeSubpath();
    return path.united(arrowPath);
  }

 private:
  class Frame : public QWidget {
   public:
    explicit Frame(PopoverWindow* window) : QWidget(window), window_(window) {}

   protected:
    void paintEvent(QPaintEvent*) override {
      QPainter p(this);
      p.setRenderHint(QPainter::Antialiasing);
      p.fillPath(window_->bubble(), QColor(44, 44, 46));
      p.setPen(QPen(QColor(255, 255, 255, 40), 1));
      p.drawPath(window_->bubble());
    }

   private:
    PopoverWindow* window_;
  };

  RectEdge edge_ = RectEdge::MinY;
  double tip_ = 0;
  Size contentSize_{0, 0};
  QPointer<QWidget> content_;
};

Popover::Popover(QObject* parent) : QObject(parent) {}

Popover::~Popover() {
  if (filtering_ && qApp) qApp->removeEventFilter(this);
  if (window_) {
    if (QWidget* parent = window_->parentWindow()) removeChildWindow(parent, window_.get());
    // The controller keeps its view.
    if (QWidget* content = window_->contentWidget()) {
      content->hide();
      content->setParent(nullptr);
    }
  }
}

void Popover::setContentViewController(ViewController* controller) {
  if (controller_ == controller) return;
  if (controller_ && state_ != State::Closed) {
    // The one shown goes without ceremony.
    controller_->beginAppearanceTransition(false);
    controller_->endAppearanceTransition();
  }
  if (controller_) disconnect(controller_, nullptr, this, nullptr);
  if (window_) {
    if (QWidget* old = window_->contentWidget()) {
      old->hide();
      old->setParent(nullptr);
    }
    window_->setContentWidget(nullptr);
  }
  controller_ = controller;
  if (!controller) return;
  connect(controller, &ViewController::preferredContentSizeChanged, this, [this] {
    if (state_ != State::Closed) place();
  });
  if (state_ != State::Closed) {
    window_->setContentWidget(controller->view());
    controller->beginAppearanceTransition(true);
    place();
    controller->endAppearanceTransition();
  }
}

Size Popover::contentSize() const {
  if (contentSize_.width > 0 && contentSize_.height > 0) return contentSize_;
  if (!controller_ || !controller_->isViewLoaded()) return {0, 0};
  return controller_->contentSizeForContainer();
}

void Popover::setContentSize(Size size) {
  contentSize_ = size;
  if (state_ != State::Closed) place();
}

Window* Popover::popoverWindow() const { return state_ == State::Closed ? nullptr : window_.get(); }

void Popover::showRelativeToRect(const Rect& rect, QWidget* view, RectEdge preferredEdge) {
  if (!controller_ || !view) return;
  positioningView_ = view;
  positioningWindow_ = view->window();
  positioningRect_ = rect;
  preferredEdge_ = preferredEdge;
  QWidget* content = controller_->view();
  if (state_ == State::Shown || state_ == State::Showing) {
    place();
    return;
  }
  const bool reopening = state_ == State::Closing;
  if (!window_) window_ = std::make_unique<PopoverWindow>();
  window_->setContentWidget(content);
  if (delegate_) delegate_->popoverWillShow(this);
  controller_->beginAppearanceTransition(true);
  state_ = State::Showing;
  if (!filtering_) {
    qApp->installEventFilter(this);
    filtering_ = true;
  }
  place();
  if (animates_ && !reopening) window_->setAlphaValue(0);
  addChildWindow(positioningWindow_, window_.get());
  currentPresenter().present(*window_, false);
  if (!animates_) {
    window_->setAlphaValue(1);
    finishShow();
    return;
  }
  fadeTo(1.0, State::Showing, &Popover::finishShow);
}

void Popover::finishShow() {
  state_ = State::Shown;
  if (controller_) controller_->endAppearanceTransition();
  if (delegate_) delegate_->popoverDidShow(this);
}

void Popover::close() {
  if (state_ == State::Closed || state_ == State::Closing) return;
  state_ = State::Closing;
  if (delegate_) delegate_->popoverWillClose(this);
  if (controller_) controller_->beginAppearanceTransition(false);
  if (!animates_ || !window_->isVisible()) {
    finishClose();
    return;
  }
  fadeTo(0.0, State::Closing, &Popover::finishClose);
}

void Popover::fadeTo(double alpha, State during, void (Popover::*then)()) {
  // A fade that another replaces, or that ends after the state moved on, finishes nothing.
  QPointer<Popover> self(this);
  window_->animateAlphaValue(alpha, kFadeDuration, [self, during, then](bool finished) {
    if (self && finished && self->state_ == during) (self.data()->*then)();
  });
}

void Popover::finishClose() {
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  if (QWidget* parent = window_->parentWindow()) removeChildWindow(parent, window_.get());
  currentPresenter().dismiss(*window_);
  window_->setAlphaValue(1);
  state_ = State::Closed;
  if (controller_) controller_->endAppearanceTransition();
  // The delegate may delete the popover: nothing of it is touched afterwards.
  QPointer<Popover> self(this);
  emit didClose();
  if (self && delegate_) delegate_->popoverDidClose(this);
}

void Popover::place() {
  if (!window_ || !controller_) return;
  const Size size = contentSize();
  QWidget* view = positioningView_;
  QWidget* host = positioningWindow_;
  if (!view || !host) return;
  // The positioning rectangle on the y-up screen.
  const Point a = convertPointToScreen(host, convertPoint(positioningRect_.origin, view, nullptr));
  const Point b = convertPointToScreen(host, convertPoint({positioningRect_.maxX(), positioningRect_.maxY()}, view, nullptr));
  const Rect anchor{std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
  const QScreen* screen = host->screen() ? host->screen() : QGuiApplication::primaryScreen();
  const Rect available = screen ? screenRectFromQt(QRectF(screen->availableGeometry())) : Rect{};

  auto frameFor = [&](RectEdge edge) {
    const Size fs = isVerticalEdge(edge) ? Size{size.width, size.height + kArrowDepth}
                                         : Size{size.width + kArrowDepth, size.height};
    switch (edge) {
      case RectEdge::MinY: return Rect{anchor.midX() - fs.width / 2, anchor.minY() - fs.height, fs.width, fs.height};
      case RectEdge::MaxY: return Rect{anchor.midX() - fs.width / 2, anchor.maxY(), fs.width, fs.height};
      case RectEdge::MinX: return Rect{anchor.minX() - fs.width, anchor.midY() - fs.height / 2, fs.width, fs.height};
      case RectEdge::MaxX: return Rect{anchor.maxX(), anchor.midY() - fs.height / 2, fs.width, fs.height};
    }
    return Rect{};
  };
  auto fitsAcross = [&](const Rect& f, RectEdge edge) {
    if (available.isEmpty()) return true;
    return isVerticalEdge(edge) ? f.minY() >= available.minY() && f.maxY() <= available.maxY()
                                : f.minX() >= available.minX() && f.maxX() <= available.maxX();
  };
  edge_ = preferredEdge_;
  Rect frame = frameFor(edge_);
  if (!fitsAcross(frame, edge_) && fitsAcross(frameFor(opposite(edge_)), opposite(edge_))) {
    edge_ = opposite(edge_);
    frame = frameFor(edge_);
  }
  // Along the edge: kept on the screen, the arrow still pointing at the rectangle's middle.
  double tip;
  if (isVerticalEdge(edge_)) {
    if (!available.isEmpty()) {
      frame.origin.x = std::clamp(frame.x(), available.minX(), std::max(available.minX(), available.maxX() - frame.width()));
    }
    tip = anchor.midX() - frame.x();
    tip = std::clamp(tip, kCornerRadius + kArrowWidth / 2, std::max(kCornerRadius + kArrowWidth / 2, frame.width() - kCornerRadius - kArrowWidth / 2));
  } else {
    if (!available.isEmpty()) {
      frame.origin.y = std::clamp(frame.y(), available.minY(), std::max(available.minY(), available.maxY() - frame.height()));
    }
    // Qt's y runs down from the window's top.
    tip = frame.maxY() - anchor.midY();
    tip = std::clamp(tip, kCornerRadius + kArrowWidth / 2, std::max(kCornerRadius + kArrowWidth / 2, frame.height() - kCornerRadius - kArrowWidth / 2));
  }
  window_->setFrame(frame, false);
  window_->layout(size, edge_, tip);
}

bool Popover::isOurs(const QWidget* widget) const {
  if (!window_) return false;
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    if (w == window_.get()) return true;
    // Windows opened from inside the popover (nested popovers, lists of its combo boxes) count as inside it.
    std::vector<const QWidget*> stack{window_.get()};
    while (!stack.empty()) {
      const QWidget* top = stack.back();
      stack.pop_back();
      for (Window* child : childWindowsOf(top)) {
        if (child == w) return true;
        stack.push_back(child);
      }
    }
  }
  return false;
}

bool Popover::closesOnPressIn(QWidget* window) const {
  switch (behavior_) {
    case PopoverBehavior::ApplicationDefined: return false;
    case PopoverBehavior::SemiTransient: return window == positioningWindow_;
    case PopoverBehavior::Transient: return true;
  }
  return false;
}

bool Popover::eventFilter(QObject* watched, QEvent* event) {
  if (state_ != State::Shown && state_ != State::Showing) return false;
  if (event->type() == QEvent::ApplicationDeactivate) {
    if (behavior_ == PopoverBehavior::Transient) close();
    return false;
  }
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (!isOurs(widget) && closesOnPressIn(widget->window())) close();
      return false;  // the press goes on to what was pressed
    case QEvent::KeyPress: {
      if (behavior_ == PopoverBehavior::ApplicationDefined) return false;
      if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
      const bool inReach = isOurs(widget) || widget->window() == positioningWindow_ ||
                           behavior_ == PopoverBehavior::Transient;
      if (!inReach) return false;
      close();
      return true;  // Escape was for the popover
    }
    case QEvent::Hide:
      // The window it points into went away: so does the popover, at once.
      if (widget == positioningWindow_) {
        const bool animated = animates_;
        animates_ = false;
        close();
        animates_ = animated;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace platform
