#pragma once
// 3D layer transforms in the row-vector convention of the layer model (a point p maps to p * M), with the
// perspective term m34. A layer lies in the z = 0 plane, so a transform reaches the screen as a 2D projective
// transform (a homography), which QPainter draws directly.

#include <QTransform>

namespace platform {

struct Transform3D {
  double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

  static Transform3D identity() { return {}; }
  static Transform3D translation(double tx, double ty, double tz);
  static Transform3D scaling(double sx, double sy, double sz);
  // Rotation by `radians` about the axis (x, y, z); positive turns anticlockwise looking down the axis.
  static Transform3D rotation(double radians, double x, double y, double z);

  // this, then `other`.
  Transform3D concat(const Transform3D& other) const;
  Transform3D translated(double tx, double ty, double tz) const { return concat(translation(tx, ty, tz)); }
  Transform3D scaled(double sx, double sy, double sz) const { return concat(scaling(sx, sy, sz)); }
  Transform3D rotated(double radians, double x, double y, double z) const { return concat(rotation(radians, x, y, z)); }
  // The projection with perspective term m34 (usually -1 / eye distance); apply it after the rotations.
  static Transform3D perspective(double m34) {
    Transform3D t;
    t.m[2][3] = m34;
    return t;
  }
  // This transform seen in perspective.
  Transform3D withPerspective(double m34) const { return concat(perspective(m34)); }
  bool isIdentity() const;
  friend bool operator==(const Transform3D& a, const Transform3D& b);

  // The map of the z = 0 plane: (x, y) -> (X / W, Y / W).
  QTransform toQTransform() const;
};

}  // namespace platform
