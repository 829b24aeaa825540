#include "platform/graphics/geometry.h"

#include <algorithm>
#include <cmath>

namespace platform {

Rect Rect::intersection(const Rect& o) const {
  const double x0 = std::max(minX(), o.minX());
  const double y0 = std::max(minY(), o.minY());
  const double x1 = std::min(maxX(), o.maxX());
  const double y1 = std::min(maxY(), o.maxY());
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::united(const Rect& o) const {
  if (isEmpty()) return o;
  if (o.isEmpty()) return *this;
  const double x0 = std::min(minX(), o.minX());
  const double y0 = std::min(minY(), o.minY());
  return {x0, y0, std::max(maxX(), o.maxX()) - x0, std::max(maxY(), o.maxY()) - y0};
}

Rect Rect::integral() const {
  const double x0 = std::floor(minX());
  const double y0 = std::floor(minY());
  return {x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0};
}

double roundHalfAway(double v) { return std::round(v); }  // std::round already rounds halves away from zero

QRectF toQt(const Rect& r, double spaceHeight) {
  return {r.origin.x, spaceHeight - r.origin.y - r.size.height, r.size.width, r.size.height};
}

Rect fromQt(const QRectF& r, double spaceHeight) {
  return {r.x(), spaceHeight - r.y() - r.height(), r.width(), r.height()};
}

QPointF toQt(const Point& p, double spaceHeight) { return {p.x, spaceHeight - p.y}; }

Point fromQt(const QPointF& p, double spaceHeight) { return {p.x(), spaceHeight - p.y()}; }

}  // namespace platform
