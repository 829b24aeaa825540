#include "platform/graphics/inner_shadow.h"

namespace platform {

void fillInnerShadow(Canvas& canvas, const Path& path, const Shadow& shadow) {
  if (path.isEmpty() || !(shadow.color.alpha > 0)) return;
  // The shape drawn opaque under its shadow and composited "source out": what stays is the part of the shape
  // that its own shadow does not cover, the band along the edge facing away from the offset. The shadow's alpha
  // applies to the whole layer; the clip keeps it inside the shape.
  const Color opaque = shadow.color.withAlpha(1);
  canvas.saveGState();
  canvas.clipToPath(path);
  canvas.clearShadow();
  canvas.setAlpha(shadow.color.alpha);
  canvas.beginTransparencyLayer();
  canvas.setShadow(shadow.offset, shadow.blur, opaque);
  canvas.setBlendMode(BlendMode::SourceOut);
  canvas.beginTransparencyLayer();
  canvas.setFillColor(opaque);
  canvas.fillPath(path);
  canvas.endTransparencyLayer();
  canvas.endTransparencyLayer();
  canvas.restoreGState();
}

}  // namespace platform
