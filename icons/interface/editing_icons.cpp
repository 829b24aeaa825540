// The first half of the image-editing icons: brightness, rotate, undo, tone curve, adjust, resize, crop and
// rotate, aspect ratio, exposure presets, bulb ramp, barcode and reset.
#include <cmath>
#include <numbers>

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

Color black() { return Color::rgb(0, 0, 0); }

void fillSnapped(IconArt& art, double x0, double y0, double x1, double y1, const Color& color,
                 const Shadow* shadow = nullptr) {
  const Rect r = art.snapped(x0, y0, x1, y1);
  if (!r.isEmpty()) fillShape(art.canvas(), Path::rect(r), color, shadow);
}

void fillSnappedOval(IconArt& art, double x0, double y0, double x1, double y1, const Color& color) {
  const Rect r = art.snapped(x0, y0, x1, y1);
  if (!r.isEmpty()) fillShape(art.canvas(), Path::ellipse(r), color);
}

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

void K::drawBrightnessWithFrame(const Rect& frame, bool buttonHighlighted) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow plain = Shadow::shadowWithColor(Color::blackColor().withAlpha(0), {3, -3}, 5);
  const Shadow glow = Shadow::shadowWithColor(Color::rgb(1, 1, 1), {0, 0}, 5);
  const Shadow& shadow = buttonHighlighted ? glow : plain;
  const Color white = Color::whiteColor();
  Canvas& c = art.canvas();
  const auto steep = [&](bool mx, bool my) {
    const auto m = [&](double x, double y) { return icons::Frac{mx ? 1 - x : x, my ? 1 - y : y}; };
    return art.polygon({m(0.6129, 0.75), m(0.72581, 0.94355), m(0.77419, 0.91129), m(0.66129, 0.72581)});
  };
  const auto shallow = [&](bool mx, bool my) {
    const auto m = [&](double x, double y) { return icons::Frac{mx ? 1 - x : x, my ? 1 - y : y}; };
    return art.polygon({m(0.73387, 0.64049), m(0.91734, 0.77419), m(0.94355, 0.72963), m(0.76882, 0.60484)});
  };
  fillSnapped(art, 0.47222, 0.77778, 0.52778, 1, white, &shadow);
  fillSnapped(art, 0.47222, 0, 0.52778, 0.22222, white, &shadow);
  fillShape(c, steep(false, false), white, &shadow);
  fillShape(c, shallow(false, false), white, &shadow);
  fillSnapped(art, 0.77778, 0.47222, 1, 0.52778, white, &shadow);
  fillShape(c, steep(false, true), white, &shadow);
  fillShape(c, shallow(false, true), white, &shadow);
  fillShape(c, steep(true, false), white, &shadow);
  fillShape(c, shallow(true, false), white, &shadow);
  fillSnapped(art, 0, 0.47222, 0.22222, 0.52778, white, &shadow);
  fillShape(c, steep(true, true), white, &shadow);
  fillShape(c, shallow(true, true), white, &shadow);
  fillShape(c, icons::ovalRing(frame, Rect(0.5 - 0.19355, 0.5 - 0.19355, 2 * 0.19355, 2 * 0.19355),
                               Rect(0.5 - 0.15323, 0.5 - 0.15323, 2 * 0.15323, 2 * 0.15323)),
            white, &shadow);
  FractionPath half;
  half.moveTo(0.50806, 0.69338)
      .cubicTo(0.61051, 0.69338, 0.69355, 0.60681, 0.69355, 0.5)
      .cubicTo(0.69355, 0.39319, 0.61051, 0.30662, 0.50806, 0.30662)
      .close();
  fillShape(c, half.in(frame), white, &shadow);
}

void K::drawRotateIconWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A portrait frame, an arrow turning to the right and down, and the landscape frame it turns into, dotted.
  FractionPath p;
  p.polygon({{0.05, 0.35}, {0.5, 0.35}, {0.5, 0.95}, {0.05, 0.95}});
  p.polygon({{0.08, 0.38}, {0.08, 0.92}, {0.47, 0.92}, {0.47, 0.38}});
  p.moveTo(0.55, 0.9).cubicTo(0.72, 0.9, 0.84, 0.84, 0.84, 0.72).lineTo(0.88, 0.72).lineTo(0.82, 0.65);
  p.lineTo(0.76, 0.72).lineTo(0.8, 0.72).cubicTo(0.8, 0.81, 0.7, 0.86, 0.55, 0.86).close();
  constexpr double x0 = 0.35, x1 = 0.92, y0 = 0.1, y1 = 0.5, r = 0.018;
  for (int i = 0; i < 8; ++i) {
    const double x = x0 + (x1 - x0) * i / 7;
    p.ellipse(x - r, y0 - r, x + r, y0 + r).ellipse(x - r, y1 - r, x + r, y1 + r);
  }
  for (int i = 1; i <= 4; ++i) {
    const double y = y0 + (y1 - y0) * i / 5;
    p.ellipse(x0 - r, y - r, x0 + r, y + r).ellipse(x1 - r, y - r, x1 + r, y + r);
  }
  fillShape(art.canvas(), p.in(frame), black());
}

void K::drawUndoIconWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  FractionPath p;
  p.moveTo(0.08, 0.7).lineTo(0.3, 0.9).lineTo(0.3, 0.76).lineTo(0.6, 0.76);
  p.cubicTo(0.77, 0.76, 0.9, 0.62, 0.9, 0.455).cubicTo(0.9, 0.29, 0.77, 0.15, 0.6, 0.15).lineTo(0.4, 0.15);
  p.lineTo(0.4, 0.27).lineTo(0.6, 0.27).cubicTo(0.7, 0.27, 0.78, 0.36, 0.78, 0.455);
  p.cubicTo(0.78, 0.55, 0.7, 0.64, 0.6, 0.64).lineTo(0.3, 0.64).lineTo(0.3, 0.5).close();
  fillShape(art.canvas(), p.in(frame), black());
}

void K::drawToneCurveWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  FractionPath axes;
  axes.polygon({{0.05, 0.05}, {0.95, 0.05}, {0.95, 0.08}, {0.08, 0.08}, {0.08, 0.95}, {0.05, 0.95}});
  FractionPath curve;
  curve.moveTo(0.2, 0.2).cubicTo(0.55, 0.2, 0.5, 0.85, 0.85, 0.85);
  fillShape(art.canvas(), IconArt::united(axes.in(frame), curve.strokedIn(frame, 0.09, Qt::RoundCap)), black());
}

void K::drawAdjustWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Three sliders, each knob at another place along its bar.
  struct Slider {
    double y, knob;
  };
  for (const Slider& s : {Slider{0.76, 0.33}, Slider{0.5, 0.66}, Slider{0.24, 0.44}}) {
    fillSnapped(art, 0.1, s.y - 0.025, 0.9, s.y + 0.025, black());
    fillSnappedOval(art, s.knob - 0.08, s.y - 0.08, s.knob + 0.08, s.y + 0.08, Color::blackColor());
  }
}

void K::drawResizeWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color black = Color::blackColor();
  fillSnapped(art, 0.1, 0.1, 0.36, 0.36, black);
  // Fourteen dots evenly along the larger square's outline, from above the small square round to its right.
  const double corners[5][2] = {{0.1, 0.5}, {0.1, 0.9}, {0.9, 0.9}, {0.9, 0.1}, {0.5, 0.1}};
  for (int i = 0; i < 14; ++i) {
    double along = 2.4 * i / 13;
    int leg = 0;
    double legLength = 0;
    for (; leg < 4; ++leg) {
      legLength = std::hypot(corners[leg + 1][0] - corners[leg][0], corners[leg + 1][1] - corners[leg][1]);
      if (along <= legLength + 1e-9) break;
      along -= legLength;
    }
    leg = std::min(leg, 3);
    const double t = std::min(1.0, along / legLength);
    const double x = corners[leg][0] + (corners[leg + 1][0] - corners[leg][0]) * t;
    const double y = corners[leg][1] + (corners[leg + 1][1] - corners[leg][1]) * t;
    fillShape(art.canvas(), art.oval(x - 0.025, y - 0.025, x + 0.025, y + 0.025), black);
  }
  for (auto [x0, y0, x1, y1] : {std::tuple{0.38, 0.38, 0.65, 0.65}, std::tuple{0.67, 0.68, 0.5, 0.68},
                                std::tuple{0.67, 0.68, 0.67, 0.51}}) {
    FractionPath bar;
    bar.moveTo(x0, y0).lineTo(x1, y1);
    fillShape(art.canvas(), bar.strokedIn(frame, 0.06, Qt::RoundCap), black);
  }
}

void K::drawCropRotateWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Two crop brackets crossing, and two arrows turning round them.
  FractionPath brackets;
  brackets.moveTo(0.32, 0.8).lineTo(0.32, 0.32).lineTo(0.8, 0.32);
  brackets.moveTo(0.2, 0.68).lineTo(0.68, 0.68).lineTo(0.68, 0.2);
  Path glyph = brackets.strokedIn(frame, 0.06, Qt::SquareCap);
  for (double start : {80.0, 260.0}) {
    FractionPath arrow;
    arrow.arc(0.5, 0.5, 0.42, 0.42, start, start - 60);
    glyph = IconArt::united(glyph, arrow.strokedIn(frame, 0.05));
    const double end = radians(start - 60), ex = 0.5 + 0.42 * std::cos(end), ey = 0.5 + 0.42 * std::sin(end);
    // The head points along the circle, clockwise.
    const double tx = std::sin(end), ty = -std::cos(end), nx = std::cos(end), ny = std::sin(end);
    FractionPath head;
    head.polygon({{ex + 0.07 * nx, ey + 0.07 * ny}, {ex + 0.08 * tx, ey + 0.08 * ty}, {ex - 0.07 * nx, ey - 0.07 * ny}});
    glyph = IconArt::united(glyph, head.in(frame));
  }
  fillShape(art.canvas(), glyph, black());
}

void K::drawAspectRatioWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Frames of other proportions round a small square, lighter outwards.
  fillSnapped(art, 0.38, 0.38, 0.62, 0.62, Color::blackColor());
  fillSnapped(art, 0.3, 0.2, 0.7, 0.8, Color::rgb(0, 0, 0, 0.686));
  fillSnapped(art, 0.1, 0.28, 0.9, 0.72, Color::rgb(0, 0, 0, 0.502));
  fillSnapped(art, 0.2, 0.1, 0.8, 0.9, Color::rgb(0, 0, 0, 0.502));
}

void K::drawExposurePresetsWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color white = Color::whiteColor();
  // An iris: three wedges with a curved outer edge, and three straight blades between them.
  for (double at : {90.0, 210.0, 330.0}) {
    FractionPath wedge;
    const double a0 = radians(at - 22), a1 = radians(at + 22);
    wedge.moveTo(0.5 + 0.14 * std::cos(a0), 0.5 + 0.14 * std::sin(a0));
    wedge.arc(0.5, 0.5, 0.45, 0.45, at - 22, at + 22);
    wedge.lineTo(0.5 + 0.14 * std::cos(a1), 0.5 + 0.14 * std::sin(a1)).close();
    fillShape(art.canvas(), wedge.in(frame), white);
  }
  for (double at : {30.0, 150.0, 270.0}) {
    const double a = radians(at), ux = std::cos(a), uy = std::sin(a), px = -uy * 0.045, py = ux * 0.045;
    FractionPath blade;
    blade.polygon({{0.5 + 0.17 * ux - px, 0.5 + 0.17 * uy - py}, {0.5 + 0.43 * ux - px, 0.5 + 0.43 * uy - py},
                   {0.5 + 0.43 * ux + px, 0.5 + 0.43 * uy + py}, {0.5 + 0.17 * ux + px, 0.5 + 0.17 * uy + py}});
    fillShape(art.canvas(), blade.in(frame), white);
  }
}

void K::drawBulbRampWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Exposure time ramping up over a sequence: a flat start, a rise, and a long flat top.
  FractionPath p;
  p.moveTo(0.08, 0.2).lineTo(0.92, 0.2).lineTo(0.92, 0.8).lineTo(0.78, 0.8);
  p.cubicTo(0.6, 0.8, 0.6, 0.32, 0.36, 0.32).cubicTo(0.25, 0.32, 0.2, 0.32, 0.08, 0.32).close();
  // Stroked 2 points wide with round joins, as one outline.
  fillShape(art.canvas(), p.strokedInPoints(frame, 2, Qt::SquareCap, Qt::RoundJoin), Color::blackColor());
}

void K::drawBarcodeWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  FractionPath p;
  for (auto [x0, x1] : {std::pair{0.09, 0.15}, std::pair{0.2, 0.36}, std::pair{0.41, 0.47}, std::pair{0.52, 0.68},
                        std::pair{0.73, 0.79}, std::pair{0.84, 0.9}})
    p.polygon({{x0, 0.25}, {x1, 0.25}, {x1, 0.78}, {x0, 0.78}});
  fillShape(art.canvas(), p.in(frame), Color::whiteColor());
}

void K::drawResetWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A thick arrow round nearly the whole circle, clockwise from the top, its head at the upper left pointing up.
  FractionPath band;
  band.arc(0.5, 0.45, 0.4, 0.4, 90, -210).arc(0.5, 0.45, 0.28, 0.28, -210, 90).close();
  FractionPath head;
  head.polygon({{0.0, 0.6}, {0.42, 0.6}, {0.21, 0.9}});
  fillShape(art.canvas(), IconArt::united(band.in(frame), head.in(frame)), Color::rgb(1, 1, 1));
}
