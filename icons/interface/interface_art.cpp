#include "icons/interface/interface_art.h"

#include <algorithm>
#include <cmath>
#include <QPainterPath>

#include "icons/interface/bundle_images.h"


namespace icons {

using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Rect;
using platform::Shadow;
using platform::Size;

const Shadow& straightDarkGrayShadow() {
  static const Shadow shadow = Shadow::shadowWithColor(Color::white(1.0 / 3.0), Size{0, 0}, 5);
  return shadow;
}

Shadow glowShadow() { return Shadow::shadowWithColor(Color::whiteColor(), Size{0, 0}, 5); }
Shadow dropShadow() { return Shadow::shadowWithColor(Color::blackColor().withAlpha(0), Size{3, -3}, 5); }

void fillShape(Canvas& canvas, const Path& path, const Color& color, const Shadow* shadow) {
  if (path.isEmpty()) return;
  canvas.saveGState();
  if (shadow) canvas.setShadow(*shadow);
  canvas.setFillColor(color);
  canvas.fillPath(path);
  canvas.restoreGState();
}

void strokeShape(Canvas& canvas, const Path& path, const Color& color, double lineWidth, const Shadow* shadow) {
  if (path.isEmpty()) return;
  canvas.saveGState();
  if (shadow) canvas.setShadow(*shadow);
  canvas.setStrokeColor(color);
  canvas.setLineWidth(lineWidth);
  canvas.strokePath(path);
  canvas.restoreGState();
}

Path ovalRing(const Rect& frame, const Rect& outer, const Rect& inner) {
  const auto place = [&](const Rect& f) {
    return Rect(frame.x() + f.x() * frame.width(), frame.y() + f.y() * frame.height(), f.width() * frame.width(),
                f.height() * frame.height());
  };
  QPainterPath ring = Path::ellipse(place(outer)).qtPath();
  ring.addPath(Path::ellipse(place(inner)).qtPath().toReversed());
  return Path::fromQt(ring);
}

Path fivePointedStar(const Rect& frame) {
  constexpr double vertices[10][2] = {{0.5, 0.965},     {0.62031, 0.66559}, {0.94224, 0.64369}, {0.69466, 0.43675},
                                      {0.77332, 0.12381}, {0.5, 0.29532},     {0.22668, 0.12381}, {0.30534, 0.43675},
                                      {0.05776, 0.64369}, {0.37969, 0.66559}};
  Path p;
  bool first = true;
  for (const auto& v : vertices) {
    const platform::Point pt{frame.x() + v[0] * frame.width(), frame.y() + v[1] * frame.height()};
    if (first) p.moveTo(pt);
    else p.lineTo(pt);
    first = false;
  }
  p.close();
  return p;
}

Rect resizingTargetRect(const Rect& design, const Rect& target, int behaviour) {
  if (design == target || target == Rect()) return design;
  double sx = 1, sy = 1;
  if (behaviour != 3) {
    sx = std::abs(target.width() / design.width());
    sy = std::abs(target.height() / design.height());
    if (behaviour == 1) sx = sy = std::max(sx, sy);
    else if (behaviour == 0) sx = sy = std::min(sx, sy);
  }
  const double w = std::abs(design.width()) * sx, h = std::abs(design.height()) * sy;
  return {target.x() + (target.width() - w) * 0.5, target.y() + (target.height() - h) * 0.5, w, h};
}

// The bundle images come with the kit: whatever draws an interface icon can also load them by name. Every
// interface icon draws through this file, so a program that uses the kit links it, registration included.
[[maybe_unused]] static const bool kBundleImagesRegistered = registerBundleImages();

}  // namespace icons
