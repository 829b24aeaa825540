#pragma once
// Glyph outlines built in fractions of a frame (x right, y up, 0 to 1) and placed into the frame at the end, so
// that a non-square frame stretches them, curves and strokes included; and the two small drop shadows of the
// browser and editing icons.

#include <QPainterPath>
#include <initializer_list>

#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/path.h"

namespace icons {

// Black, offset (1, -1), blur 1.
platform::Shadow smallDropShadow();
// Black, offset (2, -2), no blur.
platform::Shadow hardDropShadow();

class FractionPath {
 public:
  struct Pt {
    double x, y;
  };

  FractionPath& moveTo(double x, double y);
  FractionPath& lineTo(double x, double y);
  // A cubic curve: two control points, then the end.
  FractionPath& cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
  // An elliptic arc about (cx, cy) from one angle to the other (degrees, counter-clockwise from +x, y up; an end
  // below the start runs clockwise); a line joins the current point to the arc's start, or the arc starts a
  // sub-path when there is none.
  FractionPath& arc(double cx, double cy, double rx, double ry, double fromDegrees, double toDegrees);
  FractionPath& close();
  // A closed polygon as a sub-path of its own.
  FractionPath& polygon(std::initializer_list<Pt> points);
  FractionPath& ellipse(double x0, double y0, double x1, double y1);
  // Appends another fraction path's sub-paths.
  FractionPath& add(const FractionPath& other);

  // The same outline with x mirrored about 0.5, y mirrored about 0.5, or both.
  FractionPath mirrored(bool inX, bool inY) const;

  const QPainterPath& unit() const { return path_; }
  // The outline placed in `frame`.
  platform::Path in(const platform::Rect& frame) const;
  // The outline of this path stroked `width` wide (in fractions), as a fillable outline placed in `frame`.
  platform::Path strokedIn(const platform::Rect& frame, double width, Qt::PenCapStyle cap = Qt::FlatCap,
                           Qt::PenJoinStyle join = Qt::MiterJoin) const;
  // The outline of this path placed in `frame` and stroked `points` wide, worked out at the frame's origin and
  // then moved, so that it comes out the same wherever the frame lies.
  platform::Path strokedInPoints(const platform::Rect& frame, double points, Qt::PenCapStyle cap = Qt::FlatCap,
                                 Qt::PenJoinStyle join = Qt::MiterJoin) const;

 private:
  QPainterPath path_;
  bool open_ = false;  // a sub-path has been begun and not closed
};

}  // namespace icons
