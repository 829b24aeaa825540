#pragma once
// Conventions of the interface icons on top of the property kit's IconArt: the kit's one shared dark-grey shadow,
// the glow and drop shadows built per call, a fill or stroke in a colour of its own (each shadowed shape inside
// its own saved state, so the shadow never leaks), and the mapping of a fixed design rectangle
// into a target rectangle.

#include "platform/graphics/canvas.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
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

// Where the design rectangle lands in the target for a resizing behaviour (0 aspect fit, 1 aspect fill, 3 centre,
// any other value stretch), centred in the target. The design rectangle comes back unchanged when the target
// equals it or is the zero rectangle.
platform::Rect resizingTargetRect(const platform::Rect& design, const platform::Rect& target, int behaviour);

}  // namespace icons
