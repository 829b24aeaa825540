#include "platform/ui/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/ui/view_geometry.h"
#include "platform/ui/window_shadow.h"
#include "platform/ui/window_translucency.h"

namespace platform {

namespace {
// The offscreen platform (tests, the screenshot tool) cannot raise windows and says so on every call.
bool offscreen() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }
void raiseWindow(QWidget* w) {
  if (!offscreen()) w->raise();
}
// Offscreen windows have no opacity (and say so on every call); the alpha value is kept all the same.
void applyOpacity(QWidget* w, double alpha) {
  if (!offscreen()) w->setWindowOpacity(alpha);
}
}  // namespace

bool isRealWindow(const QWidget* w) {
  if (!w || !w->isWindow() || isWindowShadow(w)) return false;
  switch (w->windowType()) {
    case Qt::Popup:    // menus, combo-box lists, completers
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
      return false;
    default:
      return true;
  }
}

// Keeps the front-to-back order of visible top-level widgets and the key window, from show, hide and
// activation events of the whole application and from our own order calls.
class WindowRegistry : public QObject {
 public:
  static WindowRegistry& shared() {
    static WindowRegistry* r = new WindowRegistry();
    return *r;
  }

  void install() {
    if (installed_ || !qApp) return;
    qApp->installEventFilter(this);
    installed_ = true;
    // Windows shown before we started watching go behind, in Qt's order.
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible()) add(w, false);
    }
  }

  void toFront(QWidget* w) {
    add(w, true);
    for (Window* child : childWindowsOf(w)) {
      if (child->isVisible()) toFront(child);
    }
  }

  void remove(QWidget* w) {
    order_.erase(std::remove_if(order_.begin(), order_.end(),
                                [w](const QPointer<QWidget>& p) { return p.isNull() || p == w; }),
                 order_.end());
    if (key_ == w) setKey(nullptr);
  }

  std::vector<QWidget*> ordered() {
    std::vector<QWidget*> out;
    for (const auto& p : order_) {
      if (p && p->isVisible()) out.push_back(p);
    }
    return out;
  }

  Window* key() const { return key_.data(); }

  void setKey(Window* w) {
    if (key_ == w) return;
    QPointer<Window> old = key_;
    key_ = w;
    if (old) emit old->didResignKey();
    if (w) emit w->didBecomeKey();
  }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    // Only widgets' events concern the registry. Events for other receivers (the main queue's wake-ups among them)
    // may have been made on another thread and handed over by Qt's own queue; they are not looked into at all.
    if (!obj->isWidgetType()) return false;
    switch (e->type()) {
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowActivate:
      case QEvent::Destroy:
        break;
      default:
        return false;
    }
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || !w->isWindow()) return false;
    if (e->type() == QEvent::Show) {
      if (!contains(w)) add(w, true);
    } else if (e->type() == QEvent::Hide || e->type() == QEvent::Destroy) {
      remove(w);
    } else if (e->type() == QEvent::WindowActivate) {
      toFront(w);
      if (auto* win = qobject_cast<Window*>(w); win && win->canBecomeKeyWindow()) setKey(win);
    }
    return false;
  }

 private:
  bool contains(QWidget* w) const {
    return std::any_of(order_.begin(), order_.end(), [w](const QPointer<QWidget>& p) { return p == w; });
  }
  void add(QWidget* w, bool front) {
    if (!isRealWindow(w)) return;
    order_.erase(std::remove_if(order_.begin(), order_.end(),
                                [w](const QPointer<QWidget>& p) { return p.isNull() || p == w; }),
                 order_.end());
    if (front) order_.insert(order_.begin(), w);
    else order_.push_back(w);
  }

  bool installed_ = false;
  std::vector<QPointer<QWidget>> order_;
  QPointer<Window> key_;
};

Window::Window(bool borderless) : QWidget(nullptr) {
  WindowRegistry::shared().install();
  Qt::WindowFlags flags = Qt::Window;
  if (borderless) flags = Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
  setWindowFlags(flags);
  setAttribute(Qt::WA_DeleteOnClose, false);
  auto* content = new QWidget(this);
  setContentView(content);
}

Window::~Window() {
  shadow_.reset();
  if (parent_) platform::removeChildWindow(parent_, this);
  for (Window* c : childWindows()) c->parent_ = nullptr;
  if (alphaAnimation_) Animator::shared().cancel(alphaAnimation_);
  WindowRegistry::shared().remove(this);
}

void Window::setContentView(QWidget* view) {
  if (view == content_) return;
  if (content_) {
    content_->hide();
    content_->deleteLater();
  }
  content_ = view;
  if (view) {
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
  }
}

void Window::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (content_) content_->setGeometry(rect());
  invalidateShape();
}

QPainterPath Window::windowShape() const {
  QPainterPath p;
  p.addRect(QRectF(QPointF(0, 0), QSizeF(frameGeometry().size())));
  return p;
}

void Window::invalidateShape() {
  const bool translucent = translucentWindowsAvailable();
  const QPainterPath shape = windowShape();
  if (!opaque_) {
    if (translucent) {
      clearMask();
    } else {
      const QPoint inFrame = geometry().topLeft() - frameGeometry().topLeft();
      setMask(QRegion(shape.translated(-inFrame).toFillPolygon().toPolygon()));
    }
  }
  if (hasShadow_ && translucent && isVisible()) {
    if (!shadow_) shadow_ = std::make_unique<WindowShadow>(this);
    shadow_->follow(shape);
    if (!shadow_->isVisible()) {
      // Kept with what the window belongs to (above that, below the window itself).
      if (!shadow_->windowHandle()) shadow_->winId();
      QWindow* owner = windowHandle() ? windowHandle()->transientParent() : nullptr;
      if (shadow_->windowHandle()) shadow_->windowHandle()->setTransientParent(owner);
      shadow_->show();
      raiseWindow(this);  // the shadow stays just behind its window
    }
    applyOpacity(shadow_.get(), alpha_);
  } else if (shadow_) {
    shadow_->hide();
  }
}

void Window::setHasShadow(bool s) {
  hasShadow_ = s;
  invalidateShape();
}

void Window::applyAlpha() {
  applyOpacity(this, alpha_);
  if (shadow_) applyOpacity(shadow_.get(), alpha_);
}

void Window::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (shadow_) shadow_->hide();
}

Rect Window::frame() const { return screenRectFromQt(QRectF(geometry())); }

void Window::setFrame(const Rect& frame, bool display) {
  const QRectF q = screenRectToQt(frame);
  setGeometry(QRect(int(std::lround(q.x())), int(std::lround(q.y())), int(std::lround(q.width())),
                    int(std::lround(q.height()))));
  // A hidden window gets its resize events only when shown: lay the content view out now, and let it lay out
  // its own subviews (whose y-up frames depend on its height).
  if (content_) {
    const QSize old = content_->size();
    content_->setGeometry(rect());
    if (!content_->isVisible() && old != content_->size()) {
      QResizeEvent resize(content_->size(), old);
      QCoreApplication::sendEvent(content_, &resize);
    }
  }
  if (display && isVisible()) repaint();
}

void Window::setFrameOrigin(Point origin) {
  const Rect f = frame();
  setFrame({origin, f.size}, false);
}

void Window::setContentSize(Size size) {
  const Rect f = frame();
  // Keep the top-left corner where it is, as resizing a window does.
  setFrame({f.x(), f.maxY() - size.height, size.width, size.height}, false);
}

void Window::setMinSize(Size size) {
  minSize_ = size;
  applyMinSize();
}

// Only the platform window gets the minimum: it bounds what the window manager lets the user do, while the
// widget's own minimum would also refuse the program's smaller frames.
void Window::applyMinSize() {
  if (QWindow* handle = windowHandle()) {
    handle->setMinimumSize(QSize(int(std::ceil(minSize_.width)), int(std::ceil(minSize_.height))));
  }
}

void Window::closeEvent(QCloseEvent* event) {
  if (closeRequestHandler_ && !closeRequestHandler_()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void Window::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  applyMinSize();
  invalidateShape();
}

void Window::setAlphaValue(double alpha) {
  if (alphaAnimation_) {
    const Animator::Id id = alphaAnimation_;
    alphaAnimation_ = 0;
    Animator::shared().cancel(id);
  }
  alpha_ = std::clamp(alpha, 0.0, 1.0);
  applyAlpha();
}

void Window::animateAlphaValue(double to, double duration, std::function<void(bool)> didStop) {
  if (alphaAnimation_) {
    const Animator::Id id = alphaAnimation_;
    alphaAnimation_ = 0;
    Animator::shared().cancel(id);
  }
  const double from = alpha_;
  to = std::clamp(to, 0.0, 1.0);
  QPointer<Window> self(this);
  Animator::Plan plan;
  plan.duration = duration;
  plan.timing = TimingFunction::Default;
  plan.step = [self, from, to](double p) {
    if (!self) return;
    self->alpha_ = from + (to - from) * p;
    self->applyAlpha();
  };
  auto idHolder = std::make_shared<Animator::Id>(0);
  plan.done = [self, idHolder, didStop = std::move(didStop)](bool finished) {
    if (self && self->alphaAnimation_ == *idHolder) self->alphaAnimation_ = 0;
    if (didStop) didStop(finished);
  };
  AnimationContext* ctx = AnimationContext::current();
  *idHolder = ctx ? ctx->start(std::move(plan)) : Animator::shared().start(std::move(plan));
  if (Animator::shared().isRunning(*idHolder)) alphaAnimation_ = *idHolder;
}

bool Window::isAnimatingAlpha() const { return alphaAnimation_ != 0; }

void Window::setLevel(int level) {
  if (level == level_) return;
  level_ = level;
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, level > NormalLevel);
  if (visible) show();
}

void Window::setOpaque(bool opaque) {
  opaque_ = opaque;
  setAttribute(Qt::WA_TranslucentBackground, !opaque);
  if (content_) content_->setAttribute(Qt::WA_TranslucentBackground, !opaque);
  if (opaque) clearMask();
  invalidateShape();
}

void Window::addChildWindow(Window* child) { platform::addChildWindow(this, child); }
void Window::removeChildWindow(Window* child) { platform::removeChildWindow(this, child); }
std::vector<Window*> Window::childWindows() const { return childWindowsOf(this); }

void Window::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (shadow_) shadow_->followPosition();
  emit didMove();
}

// Keeps a parent's child windows with it: installed on the parent, moves them by the parent's moves.
class ChildWindowFollower : public QObject {
 public:
  explicit ChildWindowFollower(QWidget* parent) : QObject(parent), parent_(parent), lastPos_(parent->pos()) {
    parent->installEventFilter(this);
  }
  std::vector<QPointer<Window>> children;

  static ChildWindowFollower* of(const QWidget* parent, bool create) {
    for (QObject* o : parent->children()) {
      if (auto* f = dynamic_cast<ChildWindowFollower*>(o)) return f;
    }
    return create ? new ChildWindowFollower(const_cast<QWidget*>(parent)) : nullptr;
  }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj == parent_ && e->type() == QEvent::Move) {
      const QPoint now = parent_->pos();
      const QPoint delta = now - lastPos_;
      lastPos_ = now;
      if (!delta.isNull()) {
        for (const auto& c : children) {
          if (c) c->move(c->pos() + delta);
        }
      }
    } else if (obj == parent_ && e->type() == QEvent::Show) {
      for (const auto& c : children) {
        if (c && !c->isHidden()) WindowRegistry::shared().toFront(c);
      }
    }
    return false;
  }

 private:
  QWidget* parent_;
  QPoint lastPos_;
};

void addChildWindow(QWidget* parent, Window* child) {
  if (!parent || !child || parent == child) return;
  if (child->parent_ && child->parent_ != parent) removeChildWindow(child->parent_, child);
  child->parent_ = parent;
  ChildWindowFollower* f = ChildWindowFollower::of(parent, true);
  if (std::none_of(f->children.begin(), f->children.end(), [child](const QPointer<Window>& c) { return c == child; })) {
    f->children.push_back(child);
  }
  if (!parent->windowHandle()) parent->winId();
  if (!child->windowHandle()) child->winId();
  if (child->windowHandle() && parent->windowHandle()) child->windowHandle()->setTransientParent(parent->windowHandle());
  if (parent->isVisible()) {
    child->show();
    raiseWindow(child);
    WindowRegistry::shared().toFront(child);
  }
}

void removeChildWindow(QWidget* parent, Window* child) {
  if (!parent) return;
  if (ChildWindowFollower* f = ChildWindowFollower::of(parent, false)) {
    f->children.erase(std::remove_if(f->children.begin(), f->children.end(),
                                     [child](const QPointer<Window>& c) { return c.isNull() || c == child; }),
                      f->children.end());
  }
  if (child && child->parent_ == parent) {
    child->parent_ = nullptr;
    if (child->windowHandle()) child->windowHandle()->setTransientParent(nullptr);
  }
}

std::vector<Window*> childWindowsOf(const QWidget* parent) {
  std::vector<Window*> out;
  if (!parent) return out;
  if (ChildWindowFollower* f = ChildWindowFollower::of(parent, false)) {
    for (const auto& c : f->children) {
      if (c) out.push_back(c);
    }
  }
  return out;
}

Point convertPointToScreen(const QWidget* window, Point p) {
  if (!window) return p;
  const Rect f = screenRectFromQt(QRectF(window->geometry()));
  return {f.x() + p.x, f.y() + p.y};
}

Point convertPointFromScreen(const QWidget* window, Point p) {
  if (!window) return p;
  const Rect f = screenRectFromQt(QRectF(window->geometry()));
  return {p.x - f.x(), p.y - f.y()};
}

void Window::orderFront() {
  show();
  raiseWindow(this);
  WindowRegistry::shared().toFront(this);
  for (Window* child : childWindows()) child->orderFront();
}

void Window::orderOut() {
  hide();
  WindowRegistry::shared().remove(this);
}

void Window::makeKeyWindow() {
  if (!canBecomeKeyWindow()) return;
  activateWindow();
  WindowRegistry::shared().setKey(this);
}

void Window::makeKeyAndOrderFront() {
  orderFront();
  makeKeyWindow();
}

bool Window::isKeyWindow() const { return WindowRegistry::shared().key() == this; }

Point Window::convertPointToScreen(Point p) const { return platform::convertPointToScreen(this, p); }
Point Window::convertPointFromScreen(Point p) const { return platform::convertPointFromScreen(this, p); }

std::vector<QWidget*> Window::orderedWindows() {
  WindowRegistry::shared().install();
  return WindowRegistry::shared().ordered();
}

Window* Window::keyWindow() { return WindowRegistry::shared().key(); }

}  // namespace platform
