#include "icons/interface/fraction_path.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace icons {

using platform::Color;
using platform::Path;
using platform::Rect;
using platform::Shadow;
using platform::Size;

Shadow smallDropShadow() { return Shadow::shadowWithColor(Color::blackColor(), Size{1, -1}, 1); }
Shadow hardDropShadow() { return Shadow::shadowWithColor(Color::blackColor(), Size{2, -2}, 0); }

FractionPath& FractionPath::moveTo(double x, double y) {
  path_.moveTo(x, y);
  open_ = true;
  return *this;
}

FractionPath& FractionPath::lineTo(double x, double y) {
  if (!open_) return moveTo(x, y);
  path_.lineTo(x, y);
  return *this;
}

FractionPath& FractionPath::cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
  if (!open_) moveTo(c1x, c1y);
  path_.cubicTo(c1x, c1y, c2x, c2y, x, y);
  return *this;
}

FractionPath& FractionPath::arc(double cx, double cy, double rx, double ry, double fromDegrees, double toDegrees) {
  const double a0 = fromDegrees * std::numbers::pi / 180, a1 = toDegrees * std::numbers::pi / 180;
  const auto point = [&](double a) { return QPointF(cx + rx * std::cos(a), cy + ry * std::sin(a)); };
  lineTo(point(a0).x(), point(a0).y());
  // Cubic pieces of at most a quarter turn each.
  const int pieces = std::max(1, int(std::ceil(std::abs(a1 - a0) / (std::numbers::pi / 2) - 1e-9)));
  const double step = (a1 - a0) / pieces, k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < pieces; ++i) {
    const double s = a0 + i * step, e = s + step;
    const QPointF p0 = point(s), p1 = point(e);
    path_.cubicTo(p0.x() - k * rx * std::sin(s), p0.y() + k * ry * std::cos(s), p1.x() + k * rx * std::sin(e),
                  p1.y() - k * ry * std::cos(e), p1.x(), p1.y());
  }
  return *this;
}

FractionPath& FractionPath::close() {
  if (open_) path_.closeSubpath();
  open_ = false;
  return *this;
}

FractionPath& FractionPath::polygon(std::initializer_list<Pt> points) {
  close();
  for (const Pt& p : points) lineTo(p.x, p.y);
  return close();
}

FractionPath& FractionPath::ellipse(double x0, double y0, double x1, double y1) {
  close();
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  arc(cx, cy, (x1 - x0) / 2, (y1 - y0) / 2, 0, 360);
  return close();
}

FractionPath& FractionPath::add(const FractionPath& other) {
  close();
  path_.addPath(other.path_);
  return *this;
}

FractionPath FractionPath::mirrored(bool inX, bool inY) const {
  FractionPath out;
  // A mirror about 0.5: x -> 1 - x and/or y -> 1 - y.
  out.path_ = QTransform(inX ? -1 : 1, 0, 0, inY ? -1 : 1, inX ? 1 : 0, inY ? 1 : 0).map(path_);
  return out;
}

namespace {
QTransform placing(const Rect& frame) {
  return QTransform(frame.width(), 0, 0, frame.height(), frame.x(), frame.y());
}
}  // namespace

Path FractionPath::in(const Rect& frame) const { return Path::fromQt(placing(frame).map(path_)); }

namespace {
// The stroker's outline is meant for the non-zero rule, which every path here is filled with.
QPainterPath strokeOutline(const QPainterPath& path, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(join);
  stroker.setMiterLimit(4);
  return stroker.createStroke(path);
}
}  // namespace

Path FractionPath::strokedIn(const Rect& frame, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join) const {
  return Path::fromQt(placing(frame).map(strokeOutline(path_, width, cap, join)));
}

Path FractionPath::strokedInPoints(const Rect& frame, double points, Qt::PenCapStyle cap, Qt::PenJoinStyle join) const {
  const QPainterPath atOrigin = placing(Rect(0, 0, frame.width(), frame.height())).map(path_);
  // Flattened where it is worked out: curves left to the rasterizer are flattened where they land, which moves
  // their edge coverage a little from place to place.
  QPainterPath flat;
  for (const QPolygonF& polygon : strokeOutline(atOrigin, points, cap, join).toSubpathPolygons()) flat.addPolygon(polygon);
  return Path::fromQt(QTransform::fromTranslate(frame.x(), frame.y()).map(flat));
}

}  // namespace icons
