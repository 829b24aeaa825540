// The design canvas and its resizing function, the dial with a number, and the centred custom text.
#include <cmath>

#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Path;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

namespace {
const QString kCanvasFont = QStringLiteral("Arial-BoldMT");
}

Rect resizingTargetRect(const Rect& design, const Rect& target, int resizing) {
  if (design == target || target == Rect()) return design;
  if (design.width() == 0 || design.height() == 0) return target;
  double sx = 1, sy = 1;
  if (resizing != 3) {
    sx = std::abs(target.width() / design.width());
    sy = std::abs(target.height() / design.height());
    if (resizing == 1) sx = sy = std::max(sx, sy);
    else if (resizing == 0) sx = sy = std::min(sx, sy);
  }
  const double w = std::abs(design.width()) * sx, h = std::abs(design.height()) * sy;
  return {target.x() + (target.width() - w) * 0.5, target.y() + (target.height() - h) * 0.5, w, h};
}

void K::drawCanvas1() { drawCanvas1WithFrame(Rect(0, 0, 240, 120), 0); }

void K::drawCanvas1WithFrame(const Rect& targetFrame, int resizing) {
  platform::Canvas* c = platform::Canvas::current();
  if (!c) return;
  const Rect design{0, 0, 240, 120};
  const Rect result = resizingTargetRect(design, targetFrame, resizing);
  c->saveGState();
  c->translate(result.x(), result.y());
  c->scale(result.width() / 240, result.height() / 120);
  c->restoreGState();
}

void K::drawCanvas2WithFrame(const Rect& frame, double r, double g, double b, double fontSize) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  // The open ring (gap at the upper left), the slanted bar in the gap and the small disc, in one path.
  constexpr double k = 0.5522847498;
  const double cx = 0.34783, cy = 0.5982;
  const double ro = 0.33333, ri = 0.26543;
  const double ryo = 0.3377, ryi = 0.2686;  // the ring's vertical radii (its anchors above and below the centre)
  Path ring;
  ring.moveTo(a.at(0.4219, 0.92717));
  ring.curveTo(a.at(cx + ro, cy), a.at(0.4219 + k * (cx + ro - 0.4219), 0.92717), a.at(cx + ro, cy + k * ryo));
  ring.curveTo(a.at(cx, 0.26087), a.at(cx + ro, cy - k * ryo), a.at(cx + k * ro, 0.26087));
  ring.curveTo(a.at(cx - ro, cy), a.at(cx - k * ro, 0.26087), a.at(cx - ro, cy - k * ryo));
  ring.curveTo(a.at(0.05229, 0.75437), a.at(cx - ro, cy + 0.06), a.at(0.03, 0.7));
  ring.lineTo(a.at(0.13184, 0.75437));
  ring.curveTo(a.at(0.08239, cy), a.at(0.1, 0.71), a.at(0.08239, cy + 0.06));
  ring.curveTo(a.at(cx, 0.32959), a.at(0.08239, cy - k * ryi), a.at(cx - k * ri, 0.32959));
  ring.curveTo(a.at(0.61326, cy), a.at(cx + k * ri, 0.32959), a.at(0.61326, cy - k * ryi));
  ring.curveTo(a.at(0.4219, 0.85622), a.at(0.61326, cy + k * ryi), a.at(0.4219 + k * 0.19, 0.85622));
  ring.close();
  QPainterPath all = ring.qtPath();
  all.addPath(a.polygon({{0.14412, 0.92304}, {0.25832, 0.7575}, {0.21511, 0.72626}, {0.09783, 0.88868}}).qtPath());
  const double rd = 0.0593;
  all.addPath(a.oval(0.29536 - rd, 0.92616 - rd * frame.width() / frame.height(), 0.29536 + rd,
                     0.92616 + rd * frame.width() / frame.height())
                  .qtPath());
  a.fill(Path::fromQt(all));
  // The number sits in a fixed box of points, not scaled with the frame.
  const Rect box{frame.x() + 97, frame.maxY() - 143, 46, 37};
  a.topText(QStringLiteral("10\t"), box, kCanvasFont, fontSize, 3);
}

void K::drawCustomStringWithFrame(const Rect& frame, double r, double g, double b, double fontSize,
                                  const QString& customText) {
  IconArt a(frame, r, g, b);
  if (!a.ok() || customText.isNull()) return;
  const Rect textRect{frame.x(), frame.y(), std::floor(frame.width() + 0.5), std::floor(frame.height() + 0.5)};
  a.centredClippedText(customText, textRect, kCanvasFont, fontSize, 1.5);
}
