#include "platform/ui/view_geometry.h"

#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <cmath>

#include "platform/ui/animation.h"
#include "platform/ui/view.h"

namespace platform {

namespace {

constexpr const char* kAlphaProperty = "vx_alphaValue";
constexpr const char* kAlphaAnimationProperty = "vx_alphaAnimation";

// Layer-backed views apply their alpha while painting; the value drawn now is kept on the view, where the
// painting of every subview reads it without a property look-up.
View* paintsOwnAlpha(const QWidget* w) { return dynamic_cast<View*>(const_cast<QWidget*>(w)); }
AppliesOwnAlpha* appliesOwnAlpha(const QWidget* w) { return dynamic_cast<AppliesOwnAlpha*>(const_cast<QWidget*>(w)); }

double screenHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() + s->geometry().y() : 0;
}

void applyAlpha(QWidget* w, double alpha) {
  if (View* view = paintsOwnAlpha(w)) {
    view->setPresentedAlpha(alpha);
    return;
  }
  if (AppliesOwnAlpha* own = appliesOwnAlpha(w)) {
    own->setPresentedAlpha(std::clamp(alpha, 0.0, 1.0));
    return;
  }
  if (alpha >= 1.0) {
    if (w->graphicsEffect()) w->setGraphicsEffect(nullptr);
    return;
  }
  auto* effect = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
  if (!effect) {
    effect = new QGraphicsOpacityEffect(w);
    w->setGraphicsEffect(effect);
  }
  effect->setOpacity(std::clamp(alpha, 0.0, 1.0));
}

double presentedAlpha(const QWidget* w) {
  if (const View* view = paintsOwnAlpha(w)) return view->presentedAlpha();
  if (const AppliesOwnAlpha* own = appliesOwnAlpha(w)) return own->presentedAlpha();
  auto* effect = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
  return effect ? effect->opacity() : 1.0;
}

}  // namespace

Rect frameOf(const QWidget* w) {
  if (w->isWindow()) return screenRectFromQt(QRectF(w->geometry()));
  const QWidget* parent = w->parentWidget();
  return fromQt(QRectF(w->geometry()), parent ? parent->height() : 0);
}

void setFrame(QWidget* w, const Rect& frame) {
  QRectF q;
  if (w->isWindow()) {
    q = screenRectToQt(frame);
  } else {
    const QWidget* parent = w->parentWidget();
    q = toQt(frame, parent ? parent->height() : 0);
  }
  w->setGeometry(QRect(int(std::lround(q.x())), int(std::lround(q.y())), int(std::lround(q.width())),
                       int(std::lround(q.height()))));
}

Rect boundsOf(const QWidget* w) { return {0, 0, double(w->width()), double(w->height())}; }

Point pointFromQt(const QWidget* w, const QPointF& q) { return {q.x(), w->height() - q.y()}; }
QPointF pointToQt(const QWidget* w, Point p) { return {p.x, w->height() - p.y}; }

Point convertPoint(Point p, const QWidget* from, const QWidget* to) {
  const QWidget* window = from ? from->window() : (to ? to->window() : nullptr);
  if (!window) return p;
  QPointF q = from ? from->mapTo(window, pointToQt(from, p)) : pointToQt(window, p);
  if (to) return pointFromQt(to, to->mapFrom(window, q));
  return pointFromQt(window, q);
}

double alphaValue(const QWidget* w) {
  const QVariant v = w->property(kAlphaProperty);
  return v.isValid() ? v.toDouble() : 1.0;
}

void setAlphaValue(QWidget* w, double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  w->setProperty(kAlphaProperty, alpha);
  const QVariant running = w->property(kAlphaAnimationProperty);
  if (running.isValid()) {
    w->setProperty(kAlphaAnimationProperty, QVariant());
    Animator::shared().cancel(running.toULongLong());
  }
  const double from = presentedAlpha(w);
  QPointer<QWidget> guard(w);
  const Animator::Id id = animateInCurrentContext(
      [guard, from, alpha](double p) {
        if (guard) applyAlpha(guard, from + (alpha - from) * p);
      },
      [guard](bool) {
        if (guard) guard->setProperty(kAlphaAnimationProperty, QVariant());
      });
  if (id) w->setProperty(kAlphaAnimationProperty, QVariant::fromValue<qulonglong>(id));
  else applyAlpha(w, alpha);  // no group animates: at once
}

double effectiveAlpha(const QWidget* w) {
  double alpha = 1.0;
  for (; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (const View* view = paintsOwnAlpha(w)) alpha *= view->presentedAlpha();
    else if (const AppliesOwnAlpha* own = appliesOwnAlpha(w)) alpha *= own->presentedAlpha();
  }
  return alpha;
}

Rect screenRectFromQt(const QRectF& g) { return fromQt(g, screenHeight()); }
QRectF screenRectToQt(const Rect& r) { return toQt(r, screenHeight()); }
Point screenPointFromQt(const QPointF& g) { return fromQt(g, screenHeight()); }
QPointF screenPointToQt(Point p) { return toQt(p, screenHeight()); }

}  // namespace platform
