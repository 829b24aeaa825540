#pragma once
// A Bézier path kept as its elements (move, line, curve, close), as the drawing code of the views builds it, with
// its conversion into a drawing path that keeps each close, and a smooth curve through a row of points.

#include <memory>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/path.h"

struct BezierPathElement {
  enum Type { MoveTo, LineTo, CurveTo, ClosePath };
  Type type = MoveTo;
  // The end point, then for a curve its two control points.
  platform::Point point;
  platform::Point control1, control2;
  friend bool operator==(const BezierPathElement&, const BezierPathElement&) = default;
};

// An immutable path made from a Bézier path: its elements, closes included, and the path to draw.
class QuartzPath {
 public:
  explicit QuartzPath(std::vector<BezierPathElement> elements);
  const std::vector<BezierPathElement>& elements() const { return elements_; }
  const platform::Path& path() const { return path_; }

 private:
  std::vector<BezierPathElement> elements_;
  platform::Path path_;
};

class BezierPath {
 public:
  void moveToPoint(platform::Point p);
  void lineToPoint(platform::Point p);
  void curveToPoint(platform::Point end, platform::Point control1, platform::Point control2);
  void closePath();
  const std::vector<BezierPathElement>& elements() const { return elements_; }
  std::size_t elementCount() const { return elements_.size(); }

  // The path as an immutable drawing path, or null for a path without elements. A line or curve after the last
  // close leaves a subpath open: it is closed at the end.
  std::shared_ptr<const QuartzPath> quartzPath() const;

  // Appends a smooth curve through the first `numPoints` points (at most as many as given): a move to the first,
  // then a cubic to each next point whose control points follow the neighbours' direction, scaled by alpha / 2.
  void interpolatePointsWithHermite(const std::vector<platform::Point>& points, std::size_t numPoints, double alpha);

 private:
  std::vector<BezierPathElement> elements_;
};
