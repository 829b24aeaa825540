#include "icons/interface/compound_path.h"

#include <QPainterPath>
#include <QPolygonF>

namespace icons {

using platform::Path;

namespace {

double polygonArea(const QPolygonF& poly) {
  double twice = 0;
  for (qsizetype i = 0; i < poly.size(); ++i) {
    const QPointF& a = poly[i];
    const QPointF& b = poly[(i + 1) % poly.size()];
    twice += a.x() * b.y() - b.x() * a.y();
  }
  return twice;
}

// The subpaths of a path, each as a path of its own.
QList<QPainterPath> subpaths(const QPainterPath& path) {
  QList<QPainterPath> out;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type == QPainterPath::MoveToElement) {
      out.append(QPainterPath(QPointF(e.x, e.y)));
    } else if (e.type == QPainterPath::LineToElement) {
      if (out.isEmpty()) out.append(QPainterPath(QPointF(e.x, e.y)));
      out.last().lineTo(e.x, e.y);
    } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
      if (out.isEmpty()) out.append(QPainterPath());
      const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
      out.last().cubicTo(e.x, e.y, c2.x, c2.y, end.x, end.y);
      i += 2;
    }
  }
  return out;
}

}  // namespace

double signedArea(const Path& path) {
  double twice = 0;
  for (const QPolygonF& poly : path.qtPath().toSubpathPolygons()) twice += polygonArea(poly);
  return twice;
}

Path compound(std::initializer_list<Contour> contours) {
  QPainterPath out;
  for (const Contour& c : contours)
    for (QPainterPath sub : subpaths(c.path.qtPath())) {
      const double area = polygonArea(sub.toFillPolygon());
      if (area == 0) continue;
      if ((area < 0) != c.hole) sub = sub.toReversed();
      sub.closeSubpath();
      out.addPath(sub);
    }
  return Path::fromQt(out);
}

}  // namespace icons
