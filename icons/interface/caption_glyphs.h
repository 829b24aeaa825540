#pragma once
// Captions drawn as filled outlines of built-in sans-serif glyphs, so that they look the same whatever fonts
// are installed: no font is looked up at draw time.

#include <functional>
#include <string_view>

#include "platform/graphics/geometry.h"
#include "platform/graphics/path.h"

namespace icons {

// The outline of `text` (its letters must be among those built in; others are left out, advancing nothing),
// centred on `centreX` with its baseline at `baseline` and capitals `capHeight` high, all in design units that
// `place` maps to points (y up). The letters' counters run against their outlines.
platform::Path captionOutline(std::string_view text, double centreX, double baseline, double capHeight,
                              const std::function<platform::Point(double x, double y)>& place);

}  // namespace icons
