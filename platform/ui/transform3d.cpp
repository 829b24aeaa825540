#include "platform/ui/transform3d.h"

#include <cmath>

namespace platform {

Transform3D Transform3D::translation(double tx, double ty, double tz) {
  Transform3D t;
  t.m[3][0] = tx;
  t.m[3][1] = ty;
  t.m[3][2] = tz;
  return t;
}

Transform3D Transform3D::scaling(double sx, double sy, double sz) {
  Transform3D t;
  t.m[0][0] = sx;
  t.m[1][1] = sy;
  t.m[2][2] = sz;
  return t;
}

Transform3D Transform3D::rotation(double a, double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  if (len == 0) return {};
  x /= len;
  y /= len;
  z /= len;
  const double c = std::cos(a), s = std::sin(a), t = 1 - c;
  Transform3D r;
  // Row-vector form of the axis-angle rotation.
  r.m[0][0] = t * x * x + c;
  r.m[0][1] = t * x * y + s * z;
  r.m[0][2] = t * x * z - s * y;
  r.m[1][0] = t * x * y - s * z;
  r.m[1][1] = t * y * y + c;
  r.m[1][2] = t * y * z + s * x;
  r.m[2][0] = t * x * z + s * y;
  r.m[2][1] = t * y * z - s * x;
  r.m[2][2] = t * z * z + c;
  return r;
}

Transform3D Transform3D::concat(const Transform3D& o) const {
  Transform3D r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += m[i][k] * o.m[k][j];
      r.m[i][j] = sum;
    }
  return r;
}

bool Transform3D::isIdentity() const { return *this == Transform3D{}; }

bool operator==(const Transform3D& a, const Transform3D& b) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (a.m[i][j] != b.m[i][j]) return false;
  return true;
}

QTransform Transform3D::toQTransform() const {
  // Rows 0, 1 and 3 act on (x, y, 0, 1); columns 0, 1 and 3 give X, Y and W.
  return QTransform(m[0][0], m[0][1], m[0][3], m[1][0], m[1][1], m[1][3], m[3][0], m[3][1], m[3][3]);
}

}  // namespace platform
