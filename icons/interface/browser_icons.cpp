// The browser, movie-playback and memory-card icons: share, compare, trash, edit, play and pause, the movie
// badge, the camera, the borderless memory card, exposure and contrast, and the expand and shrink arrows.
#include <QString>
#include <cmath>

#include "icons/interface/fraction_path.h"
#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::fillShape;
using icons::FractionPath;
using icons::IconArt;
using icons::strokeShape;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Rect;
using platform::Shadow;
using K = VorlaxentStyleKit;

namespace {

Color white() { return Color::whiteColor(); }
Color grey() { return Color::white(0.784); }

// The share glyph: an arrow leaving an open box, in fractions of the region of `art`.
void shareGlyph(IconArt& art, const Color& color) {
  const Shadow shadow = icons::smallDropShadow();
  fillShape(art.canvas(),
            art.polygon({{0.50417, 0.95417}, {0.32083, 0.77083}, {0.3625, 0.72917}, {0.4625, 0.82917}, {0.4625, 0.17083},
                         {0.5375, 0.17083}, {0.5375, 0.82917}, {0.6375, 0.72917}, {0.67917, 0.77083}, {0.5, 0.95833}}),
            color, &shadow);
  fillShape(art.canvas(),
            art.polygon({{0.39583, 0.67083}, {0.09583, 0.67083}, {0.09583, 0.04583}, {0.90417, 0.04583},
                         {0.90417, 0.67083}, {0.59583, 0.67083}, {0.59583, 0.59583}, {0.82917, 0.59583},
                         {0.82917, 0.1125}, {0.1625, 0.1125}, {0.1625, 0.59583}, {0.39583, 0.59583}}),
            color, &shadow);
}

// A rounded-corner sub-path in fractions: the straight edges between `points`, each corner rounded by a curve
// that starts and ends `cut` of the way along its two edges.
FractionPath roundedPolygon(std::initializer_list<FractionPath::Pt> points, double cut) {
  FractionPath p;
  const std::vector<FractionPath::Pt> v(points);
  const size_t n = v.size();
  const auto lerp = [](FractionPath::Pt a, FractionPath::Pt b, double t) {
    return FractionPath::Pt{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
  };
  for (size_t i = 0; i < n; ++i) {
    const FractionPath::Pt prev = v[(i + n - 1) % n], c = v[i], next = v[(i + 1) % n];
    const double inLen = std::hypot(c.x - prev.x, c.y - prev.y), outLen = std::hypot(next.x - c.x, next.y - c.y);
    const FractionPath::Pt a = lerp(c, prev, std::min(0.5, cut / inLen)), b = lerp(c, next, std::min(0.5, cut / outLen));
    p.lineTo(a.x, a.y);
    const FractionPath::Pt c1 = lerp(a, c, 0.55), c2 = lerp(b, c, 0.55);
    p.cubicTo(c1.x, c1.y, c2.x, c2.y, b.x, b.y);
  }
  return p.close();
}

// One of the four corner arrows of Expand and Shrink, drawn for one corner and mirrored to the others.
void cornerArrows(const Rect& frame, const FractionPath& oneCorner) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  FractionPath all;
  all.add(oneCorner).add(oneCorner.mirrored(true, false)).add(oneCorner.mirrored(false, true)).add(oneCorner.mirrored(true, true));
  const Shadow shadow = icons::smallDropShadow();
  // The mirrored copies wind the other way; apart from each other, each still fills by itself.
  fillShape(art.canvas(), all.in(frame), Color::rgb(1, 1, 1), &shadow);
}

}  // namespace

void K::drawShareWithFrame(const Rect& frame, bool toggleButtonOn) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  shareGlyph(art, toggleButtonOn ? Color::rgb(1, 1, 1) : Color::white(0.392));
}

void K::drawShareWithTextWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // The glyph above, the caption "Share" as letter outlines below.
  art.setRegion(0.2, 0.3, 0.8, 0.96);
  shareGlyph(art, white());
  art.resetRegion();
  fillShape(art.canvas(), art.glyphs(QStringLiteral("Share"), 0.12, 0.04, 0.88, 0.24), white());
}

void K::drawWhiteTrashWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A bin with three slits, its lid and the lid's handle.
  FractionPath bin;
  bin.polygon({{0.22, 0.72}, {0.78, 0.72}, {0.73, 0.08}, {0.27, 0.08}});
  FractionPath slits;
  for (double x : {0.345, 0.47, 0.595}) slits.add(roundedPolygon({{x, 0.18}, {x + 0.06, 0.18}, {x + 0.06, 0.62}, {x, 0.62}}, 0.02));
  FractionPath lid = roundedPolygon({{0.14, 0.76}, {0.86, 0.76}, {0.86, 0.84}, {0.14, 0.84}}, 0.02);
  FractionPath handle;
  handle.polygon({{0.38, 0.84}, {0.38, 0.93}, {0.62, 0.93}, {0.62, 0.84}, {0.56, 0.84}, {0.56, 0.88}, {0.44, 0.88}, {0.44, 0.84}});
  const Path glyph = IconArt::united(IconArt::cutOut(bin.in(frame), slits.in(frame)),
                                     IconArt::united(lid.in(frame), handle.in(frame)));
  const Shadow shadow = icons::smallDropShadow();
  fillShape(art.canvas(), glyph, Color::rgb(1, 1, 1), &shadow);
}

void K::drawCompareWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // The windows wind against the square, so the non-zero rule leaves them open.
  FractionPath p;
  p.polygon({{0.08333, 0.08333}, {0.08333, 0.91667}, {0.91667, 0.91667}, {0.91667, 0.08333}});
  for (auto [x0, x1] : {std::pair{0.14167, 0.475}, std::pair{0.525, 0.85833}})
    for (auto [y0, y1] : {std::pair{0.14167, 0.475}, std::pair{0.525, 0.85833}})
      p.polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
  fillShape(art.canvas(), p.in(frame), Color::rgb(1, 1, 1));
}

void K::drawEditWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A pencil writing down to the left: its body, its sharpened point, and the cap at the top.
  FractionPath body, point, cap;
  body.polygon({{0.25, 0.37}, {0.63, 0.75}, {0.75, 0.63}, {0.37, 0.25}});
  point.polygon({{0.22, 0.34}, {0.34, 0.22}, {0.12, 0.12}});
  cap.polygon({{0.66, 0.78}, {0.74, 0.86}, {0.86, 0.74}, {0.78, 0.66}});
  FractionPath all;
  all.add(body).add(point).add(cap);
  const Shadow shadow = icons::smallDropShadow();
  fillShape(art.canvas(), all.in(frame), Color::rgb(1, 1, 1), &shadow);
}

void K::drawPlayWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow shadow = icons::hardDropShadow();
  fillShape(art.canvas(), art.polygon({{0.84, 0.5}, {0.16, 0.89}, {0.16, 0.11}}), white(), &shadow);
}

void K::drawPauseWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow shadow = icons::hardDropShadow();
  for (auto [x0, x1] : {std::pair{0.18072, 0.43976}, std::pair{0.56024, 0.81928}}) {
    const Rect bar = art.snapped(x0, 0.13253, x1, 0.86747);
    if (!bar.isEmpty()) fillShape(art.canvas(), Path::rect(bar), white(), &shadow);
  }
}

void K::drawCircleWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  fillShape(art.canvas(), Path::ellipse(frame), Color::rgb(1, 1, 1));
}

void K::drawMovieIconWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Rect badge(frame.x(), frame.y(), std::floor(frame.width() + 0.5), std::floor(frame.height() + 0.5));
  if (!badge.isEmpty()) fillShape(c, Path::roundedRect(badge, 2, 2), Color::rgb(0, 0, 1));
  fillShape(c, art.polygon({{0.925, 0.675}, {0.925, 0.350}, {0.625, 0.50811}}), white());
  fillShape(c, art.roundedRect(0.100, 0.175, 0.575, 0.850, 0.087, 0.100), white());
}

void K::drawCameraWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // The body with the viewfinder's hump, and the lens: a ring round a glass disc.
  FractionPath body = roundedPolygon({{0.08, 0.18}, {0.92, 0.18}, {0.92, 0.72}, {0.68, 0.72}, {0.62, 0.84}, {0.38, 0.84},
                                      {0.32, 0.72}, {0.08, 0.72}},
                                     0.04);
  FractionPath lens;
  lens.arc(0.5, 0.45, 0.2, 0.2, 0, -360).close();  // against the body: a hole
  lens.ellipse(0.37, 0.32, 0.63, 0.58);
  body.add(lens);
  const Path glyph = body.in(frame);
  Canvas& c = art.canvas();
  fillShape(c, glyph, white());
  c.saveGState();
  c.setLineJoin(platform::LineJoin::Round);
  strokeShape(c, glyph, Color::blackColor());
  c.restoreGState();
}

void K::drawSDCard_NoMarginWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  // The card's sub-frame: snapped edges moved half a point inwards, so that its 1-point outline covers whole
  // pixels and stays inside the frame.
  const double left = frame.x() + icons::snapOffset(0.125, frame.width()) + 0.5;
  const double right = frame.x() + icons::snapOffset(0.87344, frame.width()) - 0.5;
  const double bottom = frame.y() + icons::snapOffset(0.00781, frame.height()) + 0.5;
  const double top = frame.y() + icons::snapOffset(0.98958, frame.height()) - 0.5;
  if (!(right > left) || !(top > bottom)) return;
  const Rect group(left, bottom, right - left, top - bottom);
  FractionPath card;
  card.moveTo(0.842, 1.0).lineTo(0.764, 1.0).lineTo(0.210, 1.0).lineTo(0.123, 1.0).lineTo(0.040, 1.0);
  card.cubicTo(0.018, 1.0, 0.0, 0.982, 0.0, 0.960).lineTo(0.0, 0.040);
  card.cubicTo(0.0, 0.018, 0.018, 0.0, 0.040, 0.0).lineTo(0.960, 0.0);
  card.cubicTo(0.982, 0.0, 1.0, 0.018, 1.0, 0.040).lineTo(1.0, 0.882).lineTo(0.842, 1.0).close();
  const Path outline = card.in(group);
  fillShape(c, outline, Color::blackColor());
  c.saveGState();
  c.setMiterLimit(4);
  strokeShape(c, outline, Color::rgb(1, 1, 1));
  c.restoreGState();
  FractionPath pads;
  for (int i = 0; i < 5; ++i) {
    const double x = 0.773 - (4 - i) * 0.115;
    pads.polygon({{x + 0.024, 0.868}, {x, 0.724}, {x + 0.078, 0.706}, {x + 0.102, 0.850}});
  }
  fillShape(c, pads.in(group), grey());
  FractionPath band;
  band.moveTo(0.118, 0.433).lineTo(0.884, 0.433).lineTo(0.884, 0.637).lineTo(0.148, 0.637);
  band.cubicTo(0.131, 0.637, 0.118, 0.624, 0.118, 0.607).close();
  fillShape(c, band.in(group), Color::rgb(1, 1, 1));
  FractionPath panel;
  panel.moveTo(0.118, 0.433).lineTo(0.118, 0.147).cubicTo(0.118, 0.125, 0.136, 0.107, 0.158, 0.107);
  panel.lineTo(0.844, 0.107).cubicTo(0.866, 0.107, 0.884, 0.125, 0.884, 0.147).lineTo(0.884, 0.433).close();
  fillShape(c, panel.in(group), grey());
}

void K::drawAdjustExposureWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // The exposure-compensation sign: a framed square split on its diagonal, a plus in the upper left and the
  // lower right half solid with a minus cut out of it.
  FractionPath rim;
  rim.polygon({{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}});
  rim.polygon({{0.16, 0.16}, {0.16, 0.84}, {0.84, 0.84}, {0.84, 0.16}});
  rim.polygon({{0.84, 0.16}, {0.84, 0.84}, {0.16, 0.16}});
  FractionPath minus;
  minus.polygon({{0.58, 0.27}, {0.78, 0.27}, {0.78, 0.33}, {0.58, 0.33}});
  const Color rgbWhite = Color::rgb(1, 1, 1);
  fillShape(art.canvas(), IconArt::cutOut(rim.in(frame), minus.in(frame)), rgbWhite);
  FractionPath plus;
  plus.polygon({{0.22, 0.67}, {0.3, 0.67}, {0.3, 0.59}, {0.36, 0.59}, {0.36, 0.67}, {0.44, 0.67}, {0.44, 0.73}, {0.36, 0.73},
                {0.36, 0.81}, {0.3, 0.81}, {0.3, 0.73}, {0.22, 0.73}});
  fillShape(art.canvas(), plus.in(frame), rgbWhite);
}

void K::drawContrastIconWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A ring, and inside it the left half dark (left open) and the right half white.
  FractionPath ring;
  ring.ellipse(0.06, 0.06, 0.94, 0.94);
  ring.arc(0.5, 0.5, 0.36, 0.36, 0, -360).close();
  fillShape(art.canvas(), ring.in(frame), Color::rgb(1, 1, 1));
  FractionPath half;
  half.moveTo(0.5, 0.86).arc(0.5, 0.5, 0.36, 0.36, 90, -90).close();
  fillShape(art.canvas(), half.in(frame), white());
}

void K::drawBlank() {}

void K::drawExpandWithFrame(const Rect& frame) {
  FractionPath upperRight;
  upperRight.polygon({{0.58667, 0.64667}, {0.73667, 0.79333}, {0.68, 0.85333}, {0.85333, 0.85333}, {0.85333, 0.67333},
                      {0.79667, 0.73333}, {0.64667, 0.58667}});
  cornerArrows(frame, upperRight);
}

void K::drawShrinkWithFrame(const Rect& frame) {
  FractionPath lowerRight;
  lowerRight.polygon({{0.66667, 0.33333}, {0.66667, 0.16667}, {0.72, 0.22}, {0.87333, 0.07333}, {0.93333, 0.13333},
                      {0.78, 0.28}, {0.83333, 0.33333}});
  cornerArrows(frame, lowerRight);
}
