#pragma once
// Paths of several contours filled with the non-zero rule, where a hole must run against the shape around it:
// each contour is turned to the way it is asked for, whatever way it was built, so a hole stays a hole however
// the contour was made (an oval, a polygon, a glyph) and however the frame stretches.

#include <initializer_list>

#include "platform/graphics/path.h"

namespace icons {

struct Contour {
  platform::Path path;
  bool hole = false;  // runs clockwise (y up); a solid contour runs counter-clockwise
};

// Every closed subpath of each contour, turned the asked way, gathered into one path.
platform::Path compound(std::initializer_list<Contour> contours);

// Twice the signed area of a path's subpaths as polygons, positive when they run counter-clockwise (y up).
double signedArea(const platform::Path& path);

}  // namespace icons
