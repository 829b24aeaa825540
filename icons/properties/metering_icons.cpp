// Metering icons, including the Sony family: each shape under the shadow its flag selects.
#include "icons/properties/icon_art.h"
#include "icons/properties/property_motifs.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Path;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

namespace {

// An oval band around the centre.
Path ovalRing(const IconArt& a, double x0, double y0, double x1, double y1, double thickness) {
  return IconArt::cutOut(a.oval(x0, y0, x1, y1), a.oval(x0 + thickness, y0 + thickness * 1.2, x1 - thickness,
                                                         y1 - thickness * 1.2));
}

// The Sony rounded frame ring (outer and inner contour in opposite directions).
Path sonyRing(const IconArt& a, double o0, double o1, double i0, double i1, double round) {
  Path outer = a.roundedRect(o0, o0, o1, o1, round, round);
  QPainterPath q = outer.qtPath();
  q.addPath(a.roundedRect(i0, i0, i1, i1, round, round, true).qtPath());
  return Path::fromQt(q);
}

}  // namespace

void K::drawMeteringMode_EvaluativeWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  icons::fillOpenViewfinder(a);
  a.fill(ovalRing(a, 0.24, 0.28, 0.76, 0.72, 0.05));
  icons::fillCentreDisc(a, 0.07);
}

void K::drawMeteringMode_MultiPatternWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  icons::fillClosedViewfinder(a);
  a.fillRect(0.3, 0.63, 0.7, 0.7);
  a.fillRect(0.3, 0.3, 0.7, 0.37);
  a.fillRect(0.2, 0.37, 0.26, 0.63);
  a.fillRect(0.74, 0.37, 0.8, 0.63);
  icons::fillCentreDisc(a, 0.08);
}

void K::drawMeteringMode_CenterWeightedWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  icons::fillOpenViewfinder(a);
}

void K::drawMeteringMode_CenterWeighted_NIKONWithFrame(const Rect& frame, double r, double g, bool showShadow,
                                                       double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  icons::fillClosedViewfinder(a);
  // The ring keeps its left and right arcs: open at top and bottom.
  const Path gaps = IconArt::united(a.rect(0.4, 0.6, 0.6, 0.8), a.rect(0.4, 0.2, 0.6, 0.4));
  a.fill(IconArt::cutOut(ovalRing(a, 0.26, 0.3, 0.74, 0.7, 0.05), gaps));
  icons::fillCentreDisc(a, 0.07);
}

void K::drawMeteringMode_HighlightWeightedWithFrame(const Rect& frame, double r, double g, bool showShadow,
                                                    double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fill(a.ring(0.04, 0.1, 0.8, 0.76, 0.1, 0.16, 0.74, 0.7));
  a.fillOval(0.34, 0.35, 0.5, 0.51);
  for (double angle : {90.0, 30.0, 150.0}) a.fill(icons::ray(a, 0.89, 0.88, -0.1, 0.1, angle, 0.05));
}

void K::drawMeteringMode_PartialWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  icons::fillOpenViewfinder(a);
  const Path gaps = IconArt::united(a.rect(0.2, 0.4, 0.4, 0.6), a.rect(0.6, 0.4, 0.8, 0.6));
  a.fill(IconArt::cutOut(ovalRing(a, 0.3, 0.3, 0.7, 0.7, 0.05), gaps));
}

void K::drawMeteringMode_SpotWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  icons::fillOpenViewfinder(a);
  icons::fillCentreDisc(a, 0.06);
}

void K::drawMeteringMode_Spot_NIKONWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  drawMeteringMode_SpotWithFrame(frame, r, g, showShadow, b);
}

void K::drawSony_MeteringMode_EntireScreenAverageWithFrame(const Rect& frame, double r, double g, bool showShadow,
                                                          double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fill(sonyRing(a, 0.097, 0.909, 0.131, 0.874, 0.044));
  const Rect inner = a.snapped(0.18286, 0.18857, 0.82286, 0.82857);
  if (!inner.isEmpty()) a.fill(Path::roundedRect(inner, 2, 2));
}

void K::drawSony_MeteringMode_SpotStandardWithFrame(const Rect& frame, double r, double g, bool showShadow,
                                                    double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fillOval(0.37143, 0.37143, 0.64, 0.64);
  a.fill(sonyRing(a, 0.097, 0.909, 0.131, 0.874, 0.044));
}

void K::drawSony_MeteringMode_SpotLargeWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fillOval(0.36628, 0.36628, 0.63953, 0.63953);
  a.fill(a.polygon({{0.82558, 0.22674}, {0.82558, 0.01744}, {0.96512, 0.01744}, {0.96512, 0.06767},
                    {0.87483, 0.06767}, {0.87483, 0.22674}}));
  a.fill(IconArt::cutOut(sonyRing(a, 0.087, 0.913, 0.122, 0.878, 0.04), a.rect(0.77907, 0.0, 1.0, 0.25581)));
}

void K::drawSony_MeteringMode_HighlightWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fillOval(0.37143, 0.37714, 0.64, 0.64571);
  a.fill(a.polygon({{0.88, 0.98857}, {0.85355, 0.90074}, {0.76571, 0.87429}, {0.85355, 0.84783}, {0.88, 0.76},
                    {0.90645, 0.84783}, {0.99429, 0.87429}, {0.90645, 0.90074}}));
  a.fill(IconArt::cutOut(sonyRing(a, 0.097, 0.909, 0.131, 0.874, 0.044), a.rect(0.73143, 0.71429, 1.0, 1.0)));
}
