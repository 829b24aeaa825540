#include "platform/graphics/path.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>
#include <QPolygonF>

namespace platform {

namespace {
constexpr double kPi = std::numbers::pi;
double radians(double degrees) { return degrees * kPi / 180.0; }
}  // namespace

Path::Path() { path_.setFillRule(Qt::WindingFill); }

Path Path::rect(const Rect& r) {
  Path p;
  p.addRect(r);
  return p;
}

Path Path::roundedRect(const Rect& r, double xRadius, double yRadius) {
  Path p;
  p.addRoundedRect(r, xRadius, yRadius);
  return p;
}

Path Path::ellipse(const Rect& r) {
  Path p;
  p.addEllipse(r);
  return p;
}

Path Path::fromQt(const QPainterPath& path) {
  Path p;
  p.path_ = path;
  p.path_.setFillRule(Qt::WindingFill);
  if (!path.isEmpty()) {
    const QPointF c = path.currentPosition();
    p.current_ = p.subpathStart_ = {c.x(), c.y()};
    p.hasCurrent_ = true;
  }
  return p;
}

namespace {

std::vector<QPainterPath> subpaths(const QPainterPath& path) {
  std::vector<QPainterPath> out;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo() || out.empty()) {
      out.emplace_back();
      out.back().moveTo(e.x, e.y);
    } else if (e.isLineTo()) {
      out.back().lineTo(e.x, e.y);
    } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
      out.back().cubicTo(e.x, e.y, c2.x, c2.y, end.x, end.y);
      i += 2;
    }
  }
  return out;
}

double signedArea(const QPainterPath& sub) {
  const QPolygonF poly = sub.toFillPolygon();
  double a = 0;
  for (qsizetype i = 0; i < poly.size(); ++i) {
    const QPointF& p = poly[i];
    const QPointF& q = poly[(i + 1) % poly.size()];
    a += p.x() * q.y() - q.x() * p.y();
  }
  return a / 2;
}

}  // namespace

Path Path::fromRegion(const QPainterPath& region) {
  std::vector<QPainterPath> subs = subpaths(region);
  std::vector<QPolygonF> polys;
  for (auto& s : subs) {
    s.closeSubpath();
    s.setFillRule(Qt::OddEvenFill);
    polys.push_back(s.toFillPolygon());
  }
  QPainterPath out;
  for (size_t i = 0; i < subs.size(); ++i) {
    if (polys[i].isEmpty()) continue;
    // Depth: how many other contours hold this one (tested at its mid-edge point, off any vertex).
    const QPointF probe = polys[i].size() > 1 ? (polys[i][0] + polys[i][1]) / 2 : polys[i][0];
    int depth = 0;
    for (size_t j = 0; j < subs.size(); ++j)
      if (j != i && polys[j].containsPoint(probe, Qt::OddEvenFill)) ++depth;
    const bool wantPositive = depth % 2 == 0;
    const bool positive = signedArea(subs[i]) > 0;
    out.addPath(wantPositive == positive ? subs[i] : subs[i].toReversed());
  }
  return fromQt(out);
}

void Path::moveTo(Point p) {
  path_.moveTo(p.x, p.y);
  current_ = subpathStart_ = p;
  hasCurrent_ = true;
}

void Path::lineTo(Point p) {
  if (!hasCurrent_) {
    moveTo(p);
    return;
  }
  path_.lineTo(p.x, p.y);
  current_ = p;
}

void Path::curveTo(Point end, Point c1, Point c2) {
  if (!hasCurrent_) moveTo(current_);
  path_.cubicTo(c1.x, c1.y, c2.x, c2.y, end.x, end.y);
  current_ = end;
}

void Path::arc(Point c, double r, double startDegrees, double endDegrees, bool clockwise) {
  double a0 = radians(startDegrees);
  double a1 = radians(endDegrees);
  double sweep = a1 - a0;
  // Normalise the sweep into the direction asked for; a full turn stays a full turn.
  if (!clockwise) {
    while (sweep < 0) sweep += 2 * kPi;
    if (sweep > 2 * kPi) sweep = std::fmod(sweep, 2 * kPi);
  } else {
    while (sweep > 0) sweep -= 2 * kPi;
    if (sweep < -2 * kPi) sweep = -std::fmod(-sweep, 2 * kPi);
  }
  const Point start{c.x + r * std::cos(a0), c.y + r * std::sin(a0)};
  if (hasCurrent_) lineTo(start);
  else moveTo(start);
  if (sweep == 0 || r <= 0) return;
  const int segments = std::max(1, int(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
  const double step = sweep / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = a0;
  for (int i = 0; i < segments; ++i) {
    const double b = a + step;
    const Point p0{c.x + r * std::cos(a), c.y + r * std::sin(a)};
    const Point p3{c.x + r * std::cos(b), c.y + r * std::sin(b)};
    const Point c1{p0.x - k * r * std::sin(a), p0.y + k * r * std::cos(a)};
    const Point c2{p3.x + k * r * std::sin(b), p3.y - k * r * std::cos(b)};
    curveTo(p3, c1, c2);
    a = b;
  }
}

void Path::arcToPoint(Point p1, Point p2, double radius) {
  if (!hasCurrent_) {
    moveTo(p1);
    return;
  }
  const Point p0 = current_;
  const double v1x = p0.x - p1.x, v1y = p0.y - p1.y;
  const double v2x = p2.x - p1.x, v2y = p2.y - p1.y;
  const double l1 = std::hypot(v1x, v1y), l2 = std::hypot(v2x, v2y);
  if (radius <= 0 || l1 == 0 || l2 == 0) {
    lineTo(p1);
    return;
  }
  const double cosTheta = (v1x * v2x + v1y * v2y) / (l1 * l2);
  const double theta = std::acos(std::clamp(cosTheta, -1.0, 1.0));  // angle at the corner
  if (theta < 1e-9 || std::abs(theta - kPi) < 1e-9) {
    lineTo(p1);
    return;
  }
  const double t = radius / std::tan(theta / 2);  // distance of the tangent points from the corner
  const Point t1{p1.x + v1x / l1 * t, p1.y + v1y / l1 * t};
  const Point t2{p1.x + v2x / l2 * t, p1.y + v2y / l2 * t};
  // The centre lies on the bisector, radius / sin(theta / 2) from the corner.
  const double bx = v1x / l1 + v2x / l2, by = v1y / l1 + v2y / l2;
  const double bl = std::hypot(bx, by);
  const double d = radius / std::sin(theta / 2);
  const Point c{p1.x + bx / bl * d, p1.y + by / bl * d};
  const double a0 = std::atan2(t1.y - c.y, t1.x - c.x) * 180.0 / kPi;
  const double a1 = std::atan2(t2.y - c.y, t2.x - c.x) * 180.0 / kPi;
  // Turning direction of the corner decides the arc's direction.
  const double cross = (p1.x - p0.x) * (p2.y - p1.y) - (p1.y - p0.y) * (p2.x - p1.x);
  lineTo(t1);
  arc(c, radius, a0, a1, cross < 0);
}

void Path::addRect(const Rect& r) {
  moveTo(r.origin);
  lineTo({r.maxX(), r.minY()});
  lineTo({r.maxX(), r.maxY()});
  lineTo({r.minX(), r.maxY()});
  close();
}

void Path::addRoundedRect(const Rect& r, double xRadius, double yRadius) {
  if (xRadius <= 0 || yRadius <= 0) {
    addRect(r);
    return;
  }
  path_.addRoundedRect(QRectF(r.x(), r.y(), r.width(), r.height()), xRadius, yRadius);
  current_ = subpathStart_ = {r.maxX(), r.midY()};
  hasCurrent_ = true;
}

void Path::addEllipse(const Rect& r) {
  path_.addEllipse(QRectF(r.x(), r.y(), r.width(), r.height()));
  current_ = subpathStart_ = {r.maxX(), r.midY()};
  hasCurrent_ = true;
}

void Path::close() {
  if (!hasCurrent_) return;
  path_.closeSubpath();
  current_ = subpathStart_;
}

Rect Path::bounds() const {
  const QRectF b = path_.boundingRect();
  return {b.x(), b.y(), b.width(), b.height()};
}

}  // namespace platform
