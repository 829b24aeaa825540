#pragma once
// What the pickers on a carousel of the exposure background share: the items seen along a ruler turned by pi/8
// about the vertical axis, and the carousel's options (no wrapping, the spacing widened by a picker's factor).
#include <cmath>
#include <cstdint>

#include "platform/ui/transform3d.h"
#include "widgets/i_carousel.h"

namespace controls {

// The transform of an item `offset` items from the centre, `itemWidth` apart. In the layer model each step
// applies before what the transform does: turned by pi/8 about y, then moved along the turned z axis.
inline platform::Transform3D tiltedItemTransform(double offset, double itemWidth, const platform::Transform3D& base) {
  const platform::Transform3D turned = platform::Transform3D::rotation(0.39269908169872414, 0, 1, 0).concat(base);
  return platform::Transform3D::translation(0, 0, offset * itemWidth).concat(turned);
}

// An option's value: wrapping off, the spacing times `spacingFactor`, the known options as the carousel has them,
// any later one 0.
inline double tiltedCarouselOption(int64_t option, double value, double spacingFactor) {
  if (option == iCarouselOptionWrap) return 0;
  if (option == iCarouselOptionSpacing) return value * spacingFactor;
  if (option >= iCarouselOptionShowBackfaces && option <= iCarouselOptionFadeMinAlpha) return value;
  return 0;
}

}  // namespace controls
