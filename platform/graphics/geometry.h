#pragma once
// Geometry in the y-up convention the views and drawing code are written in: the origin is the lower-left
// corner and y grows upwards. Qt's y-down rectangles are converted only at the boundary (toQt/fromQt), with the
// height of the space the rectangle lives in.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace platform {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
  Point operator+(const Point& o) const { return {x + o.x, y + o.y}; }
  Point operator-(const Point& o) const { return {x - o.x, y - o.y}; }
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  Rect() = default;
  Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
  Rect(Point o, Size s) : origin(o), size(s) {}
  friend bool operator==(const Rect&, const Rect&) = default;

  double x() const { return origin.x; }
  double y() const { return origin.y; }
  double width() const { return size.width; }
  double height() const { return size.height; }
  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width / 2; }
  double midY() const { return origin.y + size.height / 2; }
  bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

  // Positive dx/dy shrink the rectangle on both sides, negative ones grow it.
  Rect insetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy}; }
  Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
  bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
  Rect intersection(const Rect& o) const;
  Rect united(const Rect& o) const;
  // The smallest rectangle with integral edges that holds this one.
  Rect integral() const;
};

// Rounds half away from zero, as the layout rules of the widgets expect.
double roundHalfAway(double v);

// y-up rectangle inside a space of the given height <-> Qt's y-down rectangle in the same space.
QRectF toQt(const Rect& r, double spaceHeight);
Rect fromQt(const QRectF& r, double spaceHeight);
QPointF toQt(const Point& p, double spaceHeight);
Point fromQt(const QPointF& p, double spaceHeight);
inline QSizeF toQt(const Size& s) { return {s.width, s.height}; }
inline Size fromQt(const QSizeF& s) { return {s.width(), s.height()}; }

}  // namespace platform
