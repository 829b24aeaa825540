#pragma once
// An inner shadow: the shadow that a shape's edge casts into the shape itself, as if the shape were a hole
// lit from the shadow's offset. Drawn with the shadow's colour, offset and blur, inside the shape only.

#include "platform/graphics/canvas.h"
#include "platform/graphics/path.h"

namespace platform {

// Draws the inner shadow of `path` into the canvas; the canvas state is as before afterwards.
void fillInnerShadow(Canvas& canvas, const Path& path, const Shadow& shadow);

}  // namespace platform
