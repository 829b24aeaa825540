// The icons of the HDR and time-lapse panels, the carousel picker's dismiss chevron, the status bar's camera and
// the tripod-head button. Every point is a fraction of the frame, each axis on its own; rectangles and ovals are
// snapped to whole points from the frame's origin, free paths are not; line widths stay in points.
#include <cmath>
#include <numbers>

#include "icons/interface/compound_path.h"
#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::compound;
using icons::fillShape;
using icons::IconArt;
using icons::strokeShape;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using K = VorlaxentStyleKit;

namespace {

Color red() { return Color::rgb(1, 0.231, 0.188); }
Color lightBlue() { return Color::rgb(0.353, 0.784, 0.98); }
Color lightGrey() { return Color::white(0.784); }
Color highlightBlue() { return Color::rgb(0, 0.353, 0.863, 0.784); }

// A snapped rectangle as a path; none when its edges round to the same place.
Path snappedRect(const IconArt& art, double x0, double y0, double x1, double y1) {
  const Rect r = art.snapped(x0, y0, x1, y1);
  return r.isEmpty() ? Path() : Path::rect(r);
}

// A quarter of an ellipse as one cubic, in fractions: from the point at angle a0 to the one at a1 (radians,
// counter-clockwise when a1 > a0) around (cx, cy) with radii (rx, ry).
void arcTo(Path& p, const IconArt& art, double cx, double cy, double rx, double ry, double a0, double a1) {
  const double k = 4.0 / 3.0 * std::tan((a1 - a0) / 4);
  const double c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
  p.curveTo(art.at(cx + rx * c1, cy + ry * s1), art.at(cx + rx * (c0 - k * s0), cy + ry * (s0 + k * c0)),
            art.at(cx + rx * (c1 + k * s1), cy + ry * (s1 - k * c1)));
}

// A closed ellipse of free curves in fractions, counter-clockwise.
Path freeOval(const IconArt& art, double cx, double cy, double rx, double ry) {
  Path p;
  p.moveTo(art.at(cx + rx, cy));
  for (int q = 0; q < 4; ++q) arcTo(p, art, cx, cy, rx, ry, q * std::numbers::pi / 2, (q + 1) * std::numbers::pi / 2);
  p.close();
  return p;
}

// One bulb of the hourglass: the straight edge at `edge`, curving in to the waist at mid-height.
Path hourglassBulb(const IconArt& art, double edge) {
  const double inward = edge > 0.5 ? -1 : 1;  // from the edge towards the waist
  const auto y = [&](double fromEdge) { return edge + inward * fromEdge; };
  Path p;
  p.moveTo(art.at(0.2525, edge));
  p.lineTo(art.at(0.7525, edge));
  p.curveTo(art.at(0.525, 0.5), art.at(0.7525, y(0.2)), art.at(0.525, y(0.3)));
  p.lineTo(art.at(0.475, 0.5));
  p.curveTo(art.at(0.2525, edge), art.at(0.475, y(0.3)), art.at(0.2525, y(0.2)));
  p.close();
  return p;
}

}  // namespace

void K::drawStairsWithFrame(const Rect& frame) {
  IconArt art(frame, 0.298, 0.851, 0.392);
  if (!art.ok()) return;
  const double treads[][3] = {{0.05625, 0.325, 0.175}, {0.275, 0.54375, 0.375}, {0.49375, 0.74375, 0.575},
                              {0.69375, 0.94375, 0.775}};
  for (const auto& t : treads) art.fillRect(t[0], t[2], t[1], t[2] + 0.05);
  // Each riser stands where a tread overlaps the next, from the lower tread's bottom to the upper one's top.
  for (int i = 0; i < 3; ++i) art.fillRect(treads[i + 1][0], treads[i][2], treads[i][1], treads[i + 1][2] + 0.05);
}

void K::drawNumberWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 0.584, 0);
  if (!art.ok()) return;
  art.fillRect(0.15625, 0.33125, 0.84375, 0.38125);
  art.fillRect(0.15625, 0.6125, 0.84375, 0.6625);
  // The two uprights lean right as they rise, 0.05 of the width wide.
  art.fill(art.polygon({{0.26, 0.1}, {0.31, 0.1}, {0.44, 0.9}, {0.39, 0.9}}));
  art.fill(art.polygon({{0.556, 0.1}, {0.606, 0.1}, {0.7375, 0.9}, {0.6875, 0.9}}));
}

void K::drawHDRPropertyWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 0.231, 0.188);
  if (!art.ok()) return;
  // Eight teeth whose flat ends lie 0.352 from the centre (0.148 and 0.852 of the frame on the axes), 0.1 wide,
  // with straight flanks down to a root circle of radius 0.265, where each is 0.14 wide.
  constexpr double tip = 0.352, tipHalf = 0.05, root = 0.265, rootHalf = 0.07;
  const double tipAngle = std::atan2(tipHalf, tip), rootAngle = std::asin(rootHalf / root);
  const double tipRadius = std::hypot(tip, tipHalf), step = std::numbers::pi / 4;
  const auto polar = [&](double r, double a) { return art.at(0.5 + r * std::cos(a), 0.5 + r * std::sin(a)); };
  Path cog;
  for (int i = 0; i < 8; ++i) {
    const double a = i * step;
    if (i == 0) cog.moveTo(polar(root, a - rootAngle));
    cog.lineTo(polar(tipRadius, a - tipAngle));
    cog.lineTo(polar(tipRadius, a + tipAngle));
    cog.lineTo(polar(root, a + rootAngle));
    arcTo(cog, art, 0.5, 0.5, root, root, a + rootAngle, a + step - rootAngle);
  }
  cog.close();
  const Rect hole = art.snapped(0.37, 0.37, 0.63, 0.63);
  const Path outline = hole.isEmpty() ? compound({{cog}}) : compound({{cog}, {Path::ellipse(hole), true}});
  Canvas& c = art.canvas();
  c.setMiterLimit(4);
  strokeShape(c, outline, red(), 1.5);
}

void K::drawStartMiddleWithFrame(const Rect& frame) {
  IconArt art(frame, 0.353, 0.784, 0.98);
  if (!art.ok()) return;
  art.fillRect(0.475, 0.10625, 0.525, 0.89375);
  // The right arrow and its mirror image, one path: shaft 0.05 high, head 0.2 high and 0.125 long.
  const auto arrow = [&](double s) {  // s: +1 to the right, -1 to the left, from the centre line
    const auto x = [s](double f) { return 0.5 + s * (f - 0.5); };
    return art.polygon({{x(0.63125), 0.475}, {x(0.8), 0.475}, {x(0.8), 0.4}, {x(0.925), 0.5}, {x(0.8), 0.6},
                        {x(0.8), 0.525}, {x(0.63125), 0.525}});
  };
  art.fill(compound({{arrow(1)}, {arrow(-1)}}));
}

void K::drawDismissDownWithFrame(const Rect& frame) {
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  art.fill(art.polygon({{0.0963, 0.75417}, {0.5, 0.32083}, {0.9037, 0.75417}, {0.9375, 0.72083}, {0.5, 0.25417},
                        {0.0625, 0.72083}}));
}

void K::drawHourglassWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 0.231, 0.188);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  strokeShape(c, hourglassBulb(art, 0.8825), red());
  strokeShape(c, hourglassBulb(art, 0.1175), red());
  // The sand: what is left in the upper bulb, running down into the waist, and the mound below.
  Path upper;
  upper.moveTo(art.at(0.345, 0.684));
  upper.lineTo(art.at(0.655, 0.684));
  upper.curveTo(art.at(0.51, 0.52), art.at(0.6, 0.6), art.at(0.52, 0.56));
  upper.lineTo(art.at(0.49, 0.52));
  upper.curveTo(art.at(0.345, 0.684), art.at(0.48, 0.56), art.at(0.4, 0.6));
  upper.close();
  Path mound;
  mound.moveTo(art.at(0.27, 0.1175));
  mound.curveTo(art.at(0.5, 0.303), art.at(0.33, 0.2), art.at(0.42, 0.303));
  mound.curveTo(art.at(0.73, 0.1175), art.at(0.58, 0.303), art.at(0.67, 0.2));
  mound.close();
  for (const Path& sand : {upper, mound}) {
    fillShape(c, sand, red());
    strokeShape(c, sand, red());
  }
}

void K::drawIntervalWithFrame(const Rect& frame) {
  IconArt art(frame, 0.353, 0.784, 0.98);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Rect face = art.snapped(0.12857, 0.12143, 0.87857, 0.87143);
  if (!face.isEmpty()) strokeShape(c, Path::ellipse(face), lightBlue(), 3);
  // The sector from twelve o'clock clockwise to two o'clock, about the face's centre.
  const double cx = 0.50357, cy = 0.49643, r = 0.28;
  Path sector;
  sector.moveTo(art.at(cx, cy));
  sector.lineTo(art.at(cx, cy + r));
  arcTo(sector, art, cx, cy, r, r, std::numbers::pi / 2, std::numbers::pi / 6);
  sector.close();
  fillShape(c, sector, lightBlue());
  strokeShape(c, sector, lightBlue());
}

void K::drawHDRColorWithFrame(const Rect& frame) {
  IconArt art(frame, 0.298, 0.851, 0.392);
  if (!art.ok()) return;
  art.fillRect(0.36, 0.095, 0.915, 0.5);
  art.fill(compound({{art.rect(0.226, 0.302, 0.783, 0.708)}, {art.rect(0.274, 0.349, 0.736, 0.660), true}}));
  // Five bars rising at 45 degrees (in fractions) across the opening, cut at its edges.
  const Path opening = art.rect(0.274, 0.349, 0.736, 0.660);
  for (double start : {-0.3, -0.15, 0.0, 0.15, 0.3}) {
    const double lo = 0.349, hi = 0.660;
    const Path bar = art.polygon({{lo + start, lo}, {lo + start + 0.038, lo}, {hi + start + 0.038, hi}, {hi + start, hi}});
    art.fill(IconArt::intersected(bar, opening));
  }
  // The rear picture: its top and left sides whole, its right and bottom sides stopping in the middle frame.
  art.fill(art.polygon({{0.651, 0.906}, {0.651, 0.67}, {0.604, 0.67}, {0.604, 0.859}, {0.141, 0.859}, {0.141, 0.547},
                        {0.245, 0.547}, {0.245, 0.5}, {0.094, 0.5}, {0.094, 0.906}}));
}

void K::drawLightCameraWithFrame(const Rect& frame) {
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  // The body with rounded corners and the hump on its top edge, as one outline.
  const Path body = IconArt::united(art.roundedRect(0.017, 0.175, 0.983, 0.753, 0.06, 0.08),
                                    art.polygon({{0.274, 0.74}, {0.747, 0.74}, {0.7, 0.833}, {0.321, 0.833}}));
  art.fill(compound({{body}, {freeOval(art, 0.5, 0.472, 0.169, 0.169), true}, {freeOval(art, 0.5, 0.472, 0.1, 0.1)}}));
}

void K::drawTripodWithFrame(const Rect& frame, bool buttonHighlighted) {
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  Path tripod;
  const auto add = [&](const Path& p) { tripod = IconArt::united(tripod, p); };
  const Rect head = art.snapped(0.396, 0.821, 0.613, 0.943);
  if (!head.isEmpty()) add(Path::roundedRect(head, 1, 1));
  add(snappedRect(art, 0.481, 0.368, 0.528, 0.915));
  add(art.polygon({{0.16, 0.285}, {0.195, 0.285}, {0.47, 0.8}, {0.44, 0.83}}));
  add(art.polygon({{0.85, 0.285}, {0.815, 0.285}, {0.53, 0.8}, {0.56, 0.83}}));
  // The rotation arrow beneath: a crescent between 0.185 and 0.815 with its top at 0.22, dipping to 0.09, and a
  // head at each end pointing up and out.
  Path crescent;
  crescent.moveTo(art.at(0.24, 0.2));
  crescent.curveTo(art.at(0.76, 0.2), art.at(0.37, 0.06), art.at(0.63, 0.06));
  crescent.curveTo(art.at(0.24, 0.2), art.at(0.63, 0.11), art.at(0.37, 0.11));
  crescent.close();
  add(crescent);
  add(art.polygon({{0.185, 0.22}, {0.215, 0.13}, {0.29, 0.2}}));
  add(art.polygon({{0.815, 0.22}, {0.71, 0.2}, {0.785, 0.13}}));
  // One outline filled once, so that the translucent blue is not laid twice where shapes overlap.
  const Color color = buttonHighlighted ? highlightBlue() : lightGrey();
  fillShape(art.canvas(), tripod, color);
  if (buttonHighlighted) fillShape(art.canvas(), snappedRect(art, 0.0566, 0.0283, 0.95283, 0.04717), highlightBlue());
}

void K::drawDirectionSignWithFrame(const Rect& frame) {
  // A signpost: a post with a sign pointing right and one pointing left below it.
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  art.fillRect(0.46, 0.08, 0.54, 0.9);
  art.fill(compound({{art.polygon({{0.2, 0.62}, {0.75, 0.62}, {0.88, 0.72}, {0.75, 0.82}, {0.2, 0.82}})},
                     {art.polygon({{0.8, 0.32}, {0.25, 0.32}, {0.12, 0.42}, {0.25, 0.52}, {0.8, 0.52}})}}));
}

void K::drawTotalDegreesWithFrame(const Rect& frame) {
  // A turn of three quarters with an arrowhead at its end, and a degree ring at the upper right.
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  constexpr double cx = 0.45, cy = 0.45, r = 0.3;
  Path turn;
  turn.moveTo(art.at(cx + r, cy));
  for (int q = 0; q < 3; ++q) arcTo(turn, art, cx, cy, r, r, q * std::numbers::pi / 2, (q + 1) * std::numbers::pi / 2);
  strokeShape(c, turn, lightGrey(), 2);
  art.fill(art.polygon({{cx, cy - r + 0.09}, {cx + 0.12, cy - r}, {cx, cy - r - 0.09}}));
  const Rect ring = art.snapped(0.76, 0.7, 0.92, 0.86);
  if (!ring.isEmpty()) strokeShape(c, Path::ellipse(ring), lightGrey(), 1.5);
}
