#pragma once
// A vector path in y-up coordinates, filled with the non-zero winding rule. Arcs follow the drawing model of the
// views: angles in degrees, counter-clockwise from the positive x axis, y up.

#include <QPainterPath>

#include "platform/graphics/geometry.h"

namespace platform {

class Path {
 public:
  Path();

  static Path rect(const Rect& r);
  static Path roundedRect(const Rect& r, double xRadius, double yRadius);
  static Path ellipse(const Rect& r);
  // A path made elsewhere (glyph outlines, boolean operations), in y-up user coordinates; it is filled with the
  // non-zero rule like every other path.
  static Path fromQt(const QPainterPath& path);
  // A region that Qt's boolean operations made (they answer with contours meant for the even-odd rule), with each
  // contour turned so that the non-zero rule fills the same region: outer contours one way, the contours inside
  // them the other.
  static Path fromRegion(const QPainterPath& region);

  void moveTo(Point p);
  void lineTo(Point p);
  void curveTo(Point end, Point control1, Point control2);
  // An arc around a centre; when the path has a current point a line joins it to the arc's start.
  void arc(Point center, double radius, double startDegrees, double endDegrees, bool clockwise = false);
  // The arc of the given radius tangent to the lines current point -> p1 and p1 -> p2 (a rounded corner);
  // a straight line to p1 when the lines are parallel or the radius is not positive.
  void arcToPoint(Point p1, Point p2, double radius);
  void addRect(const Rect& r);
  void addRoundedRect(const Rect& r, double xRadius, double yRadius);
  void addEllipse(const Rect& r);
  void close();

  bool isEmpty() const { return path_.isEmpty(); }
  bool hasCurrentPoint() const { return hasCurrent_; }
  Point currentPoint() const { return current_; }
  Rect bounds() const;
  bool contains(Point p) const { return path_.contains(QPointF(p.x, p.y)); }

  // The path in its own (y-up) coordinates; a canvas maps it to the device.
  const QPainterPath& qtPath() const { return path_; }

 private:
  QPainterPath path_;
  Point current_;
  Point subpathStart_;
  bool hasCurrent_ = false;
};

}  // namespace platform
