#include "widgets/bezier_path_quartz_utilities.h"

#include <algorithm>

using platform::Point;

QuartzPath::QuartzPath(std::vector<BezierPathElement> elements) : elements_(std::move(elements)) {
  for (const BezierPathElement& e : elements_) {
    switch (e.type) {
      case BezierPathElement::MoveTo: path_.moveTo(e.point); break;
      case BezierPathElement::LineTo: path_.lineTo(e.point); break;
      case BezierPathElement::CurveTo: path_.curveTo(e.point, e.control1, e.control2); break;
      case BezierPathElement::ClosePath: path_.close(); break;
    }
  }
}

void BezierPath::moveToPoint(Point p) { elements_.push_back({BezierPathElement::MoveTo, p, {}, {}}); }
void BezierPath::lineToPoint(Point p) { elements_.push_back({BezierPathElement::LineTo, p, {}, {}}); }
void BezierPath::curveToPoint(Point end, Point control1, Point control2) {
  elements_.push_back({BezierPathElement::CurveTo, end, control1, control2});
}
void BezierPath::closePath() { elements_.push_back({BezierPathElement::ClosePath, {}, {}, {}}); }

std::shared_ptr<const QuartzPath> BezierPath::quartzPath() const {
  if (elements_.empty()) return nullptr;
  std::vector<BezierPathElement> out;
  bool didClosePath = true;
  for (const BezierPathElement& e : elements_) {
    out.push_back(e);
    if (e.type == BezierPathElement::LineTo || e.type == BezierPathElement::CurveTo) didClosePath = false;
    else if (e.type == BezierPathElement::ClosePath) didClosePath = true;
  }
  if (!didClosePath) out.push_back({BezierPathElement::ClosePath, {}, {}, {}});
  return std::make_shared<const QuartzPath>(std::move(out));
}

void BezierPath::interpolatePointsWithHermite(const std::vector<Point>& points, std::size_t numPoints, double alpha) {
  const std::size_t n = std::min(numPoints, points.size());  // never read past what was given
  if (n == 0) return;
  moveToPoint(points[0]);
  if (n < 2) return;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const Point current = points[i];
    const Point previous = i == 0 ? current : points[i - 1];
    const Point next = points[i + 1];
    const Point after = i + 2 < n ? points[i + 2] : next;
    const Point c1{current.x + alpha * (next.x - previous.x) / 2, current.y + alpha * (next.y - previous.y) / 2};
    const Point c2{next.x - alpha * (after.x - current.x) / 2, next.y - alpha * (after.y - current.y) / 2};
    curveToPoint(next, c1, c2);
  }
}
