#pragma once
// Views in the y-up model: frames and points of QWidgets read and written in their parent's y-up coordinates
// (lower-left origin), the alpha value of a view (with its subviews), and the content view of a window.

#include <QWidget>

#include "platform/graphics/geometry.h"

namespace platform {

// The widget's frame in its parent's y-up coordinates (for a window: y-up screen coordinates).
Rect frameOf(const QWidget* widget);
void setFrame(QWidget* widget, const Rect& frame);
// (0, 0, width, height).
Rect boundsOf(const QWidget* widget);
// A point from one widget's y-up coordinates to another's (both in the same window, or `to` null for the
// window's own coordinates: y-up from the lower-left corner of its client area).
Point convertPoint(Point p, const QWidget* from, const QWidget* to);
// A y-up point of a widget from/to a Qt event position.
Point pointFromQt(const QWidget* widget, const QPointF& qtPoint);
QPointF pointToQt(const QWidget* widget, Point p);

// A widget that is not a View but applies its alpha itself while painting, as a View does, instead of taking
// an opacity effect: an effect renders the whole widget offscreen on every frame of a fade, which for a widget
// laid over a whole window costs more than a frame. It takes the alpha as drawn now and repaints what it
// changes; its subviews read it through effectiveAlpha or are faded by it.
class AppliesOwnAlpha {
 public:
  virtual double presentedAlpha() const = 0;
  virtual void setPresentedAlpha(double alpha) = 0;

 protected:
  ~AppliesOwnAlpha() = default;
};

// The view's alpha (1 = opaque), applied to it and its subviews: by layer-backed views (View) and widgets that
// apply their own alpha while they paint, on other widgets through an opacity effect. Inside an
// AnimationContext group the change animates with the group's duration.
double alphaValue(const QWidget* widget);
void setAlphaValue(QWidget* widget, double alpha);
// The alpha a widget is painted with: its own alpha as drawn now and its superviews', multiplied, as far as
// painting applies them (a superview faded by an opacity effect is left to the effect).
double effectiveAlpha(const QWidget* widget);

// The y-up screen: origin at the lower-left corner of the primary screen.
Rect screenRectFromQt(const QRectF& global);
QRectF screenRectToQt(const Rect& r);
Point screenPointFromQt(const QPointF& global);
QPointF screenPointToQt(Point p);

}  // namespace platform
