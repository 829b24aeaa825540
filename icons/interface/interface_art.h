#pragma once
// Conventions of the interface icons on top of the property kit's IconArt: the kit's one shared dark-grey shadow,
// the glow and drop shadows built per call, a fill or stroke in a colour of its own (each shadowed shape inside
// its own saved state, so the shadow never leaks), and the mapping of a fixed design rectangle
// into a target rectangle.

#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/graphics/path.h"

namespace icons {

// Dark grey, no offset, blur 5; made once, on first use, and shared for the whole run.
const platform::Shadow& straightDarkGrayShadow();

// A white glow (no offset, blur 5) and the invisible drop shadow (black at alpha 0, offset (3, -3), blur 5).
platform::Shadow glowShadow();
platform::Shadow dropShadow();

// Fills `path` in `color`, under `shadow` when given, leaving the canvas state as it was. Empty paths are skipped.
void fillShape(platform::Canvas& canvas, const platform::Path& path, const platform::Color& color,
               const platform::Shadow* shadow = nullptr);
void strokeShape(platform::Canvas& canvas, const platform::Path& path, const platform::Color& color,
                 double lineWidth = 1, const platform::Shadow* shadow = nullptr);

// The band between two ovals of fraction boxes (x0, y0, x1, y1) of `frame`: the outer one with the inner one
// running the other way, so the non-zero rule leaves the inner one a hole. Built directly rather than by a boolean
// operation, so that it comes out the same wherever the frame lies.
platform::Path ovalRing(const platform::Rect& frame, const platform::Rect& outer, const platform::Rect& inner);

// The five-pointed star of every rating and star icon: first point straight up, outer radius 0.465 and inner
// radius 0.20468 of the frame per axis, its ten vertices in drawing order.
platform::Path fivePointedStar(const platform::Rect& frame);

// Where the design rectangle lands in the target for a resizing behaviour (0 aspect fit, 1 aspect fill, 3 centre,
// any other value stretch), centred in the target. The design rectangle comes back unchanged when the target
// equals it or is the zero rectangle.
platform::Rect resizingTargetRect(const platform::Rect& design, const platform::Rect& target, int behaviour);

// A new image of `size` whose handler calls `draw` with (0, 0, size) every time the image is drawn.
template <class Draw>
platform::Image iconImage(const platform::Size& size, Draw draw) {
  return platform::Image::withSize(size, [size, draw](platform::Canvas&, const platform::Rect&) {
    draw(platform::Rect(0, 0, size.width, size.height));
    return true;
  });
}

}  // namespace icons
