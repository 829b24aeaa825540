#pragma once
// The blur behind drop shadows: a Gaussian approximated by three box blurs, on an alpha mask.

#include <QImage>

#include "platform/graphics/color.h"

namespace platform {

// A shadow image of the same size as `source`: its alpha, blurred with the given standard deviation (pixels),
// tinted with `color` (whose alpha scales the result). Premultiplied ARGB32.
QImage makeShadowImage(const QImage& source, double sigma, const Color& color);

}  // namespace platform
