// The live-view level dial, the key, the folder, the five-star badge, the memory-card button, the plus and minus
// signs, the four white nudge arrows and the placeholder of a missing thumbnail.
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

Color white() { return Color::rgb(1, 1, 1); }

// The part of `frame` between the snapped fractions x0..x1 and y0..y1, or an empty rectangle.
Rect snappedPart(const Rect& frame, double x0, double y0, double x1, double y1) {
  const double l = icons::snapOffset(x0, frame.width()), r = icons::snapOffset(x1, frame.width());
  const double b = icons::snapOffset(y0, frame.height()), t = icons::snapOffset(y1, frame.height());
  if (!(r > l) || !(t > b)) return {};
  return {frame.x() + l, frame.y() + b, r - l, t - b};
}

// Draws `draw` into (0, 0, part size) with the origin moved to the part's corner, clipped to the part.
template <class Draw>
void drawInPart(Canvas& c, const Rect& part, Draw draw) {
  if (part.isEmpty()) return;
  c.saveGState();
  c.clipToRect(part);
  c.translate(part.x(), part.y());
  draw(Rect(0, 0, part.width(), part.height()));
  c.restoreGState();
}

// A grey disc of radius 0.45 with `sign` cut out of it.
void signDisc(const Rect& frame, const Path& sign) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  fillShape(art.canvas(), IconArt::cutOut(art.oval(0.05, 0.05, 0.95, 0.95), sign), Color::white(0.784));
}

// A bar 0.1 thick across the middle with round ends, from 0.1 to 0.9 along x (or along y when upright), wound
// counter-clockwise either way.
FractionPath roundBar(bool upright) {
  constexpr double r = 0.05, from = 0.1 + r, to = 0.9 - r;
  FractionPath p;
  if (upright) p.moveTo(0.55, from).lineTo(0.55, to).arc(0.5, to, r, r, 0, 180).lineTo(0.45, from).arc(0.5, from, r, r, 180, 360);
  else p.moveTo(from, 0.45).lineTo(to, 0.45).arc(to, 0.5, r, r, -90, 90).lineTo(from, 0.55).arc(from, 0.5, r, r, 90, 270);
  return p.close();
}

void nudgeArrow(const Rect& frame, icons::Frac tip, icons::Frac b1, icons::Frac b2) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow shadow = Shadow::shadowWithColor(Color::blackColor(), {0, 0}, 5);
  fillShape(art.canvas(), art.polygon({tip, b1, b2}), Color::whiteColor(), &shadow);
}

// A corner of an outline rounded by a curve from `a` (on the edge coming in) to `b` (on the edge going out).
void corner(FractionPath& p, FractionPath::Pt a, FractionPath::Pt c, FractionPath::Pt b) {
  p.lineTo(a.x, a.y);
  p.cubicTo(a.x + (c.x - a.x) * 0.55, a.y + (c.y - a.y) * 0.55, b.x + (c.x - b.x) * 0.55, b.y + (c.y - b.y) * 0.55, b.x, b.y);
}

}  // namespace

void K::drawElectronicLevelWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Color fill = Color::white(0.502, 0.502);
  const Shadow shadow = Shadow::shadowWithColor(Color::blackColor(), {0, 0}, 2);
  const Path ring = icons::ovalRing(frame, Rect(0.5 - 0.46667, 0.5 - 0.46667, 2 * 0.46667, 2 * 0.46667),
                                    Rect(0.5 - 0.42333, 0.5 - 0.42333, 2 * 0.42333, 2 * 0.42333));
  fillShape(c, ring, fill);
  strokeShape(c, ring, white(), 0.5, &shadow);
  struct Tick {
    icons::Frac from, to;
    double width;
  };
  const Tick ticks[] = {{{0.5, 0.99333}, {0.50167, 0.88167}, 1.5},     {{0.5, 0.12}, {0.50167, 0.00833}, 1.5},
                        {{0.00667, 0.49999}, {0.11333, 0.49999}, 2},   {{0.88667, 0.49999}, {0.99333, 0.49999}, 2},
                        {{0.22667, 0.77333}, {0.14667, 0.85333}, 1.5}, {{0.85333, 0.14667}, {0.77333, 0.22667}, 1.5},
                        {{0.77333, 0.77333}, {0.85333, 0.85333}, 1.5}, {{0.14667, 0.14667}, {0.22667, 0.22667}, 1.5}};
  // An open line fills nothing; only its stroke shows.
  for (const Tick& t : ticks) {
    Path line;
    line.moveTo(art.at(t.from.x, t.from.y));
    line.lineTo(art.at(t.to.x, t.to.y));
    strokeShape(c, line, white(), t.width, &shadow);
  }
}

void K::drawKeyWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // The blade, from inside the bow down to its flat end, back along the bottom and up its three notches.
  FractionPath blade;
  blade.moveTo(0.44, 0.64).lineTo(0.934, 0.217).lineTo(0.934, 0.09);
  blade.cubicTo(0.934, 0.075, 0.925, 0.06, 0.905, 0.06).lineTo(0.745, 0.06);
  blade.lineTo(0.746, 0.155).lineTo(0.656, 0.155).lineTo(0.656, 0.248).lineTo(0.572, 0.248).lineTo(0.572, 0.342);
  blade.lineTo(0.36, 0.52).close();
  const Path bow = IconArt::cutOut(art.oval(0.05, 0.42, 0.59, 0.95), art.oval(0.16, 0.69, 0.31, 0.83));
  fillShape(art.canvas(), IconArt::united(bow, IconArt::cutOut(blade.in(frame), art.oval(0.16, 0.69, 0.31, 0.83))), white());
}

void K::drawFolderWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  FractionPath body;
  body.moveTo(0.06475, 0.66).lineTo(0.93525, 0.66);
  body.cubicTo(0.96, 0.66, 0.9795, 0.64, 0.9795, 0.6145);
  corner(body, {0.94925, 0.15125}, {0.946, 0.1}, {0.8965, 0.1});
  corner(body, {0.106, 0.1}, {0.05, 0.1}, {0.05325, 0.15125});
  corner(body, {0.0205, 0.6145}, {0.0205, 0.66}, {0.06475, 0.66});
  body.close();
  fillShape(art.canvas(), body.in(frame), white());
  FractionPath tab;
  tab.moveTo(0.9295, 0.7).lineTo(0.9255, 0.78175);
  corner(tab, {0.9255, 0.78175}, {0.9255, 0.82}, {0.885, 0.82});
  tab.lineTo(0.52975, 0.82).lineTo(0.40675, 0.9);
  corner(tab, {0.14775, 0.9}, {0.071, 0.9}, {0.071, 0.85});
  tab.lineTo(0.071, 0.7).close();
  fillShape(art.canvas(), tab.in(frame), white());
}

void K::drawFiveStarWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  constexpr double stars[5][4] = {{0.35833, 0.61667, 0.675, 0.93333},
                                  {0.05, 0.38333, 0.36667, 0.7},
                                  {0.66667, 0.38333, 0.98333, 0.7},
                                  {0.175, 0.03333, 0.49167, 0.35},
                                  {0.53333, 0.03333, 0.85, 0.35}};
  for (const auto& s : stars)
    drawInPart(art.canvas(), snappedPart(frame, s[0], s[1], s[2], s[3]),
               [](const Rect& f) { drawStarIconWithFrame(f, true); });
}

void K::drawSdCardButtonWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Rect button(frame.x(), frame.y(), std::floor(frame.width() + 0.5), std::floor(frame.height() - 0.5) + 1);
  if (!button.isEmpty()) fillShape(art.canvas(), Path::roundedRect(button, 9, 9), white());
  drawInPart(art.canvas(), snappedPart(frame, 0.13636, 0.13636, 0.86364, 0.86364),
             [](const Rect& f) { drawSDCard_NoMarginWithFrame(f); });
}

void K::drawPlusWithFrame(const Rect& frame) {
  signDisc(frame, IconArt::united(roundBar(false).in(frame), roundBar(true).in(frame)));
}

void K::drawMinusWithFrame(const Rect& frame) { signDisc(frame, roundBar(false).in(frame)); }

void K::drawWhiteArrowUpWithFrame(const Rect& f) { nudgeArrow(f, {0.5, 0.84}, {0.89837, 0.165}, {0.10163, 0.165}); }
void K::drawWhiteArrowDownWithFrame(const Rect& f) { nudgeArrow(f, {0.5, 0.17}, {0.11, 0.84}, {0.89, 0.84}); }
void K::drawWhiteArrowLeftWithFrame(const Rect& f) { nudgeArrow(f, {0.16, 0.5}, {0.84, 0.89}, {0.84, 0.11}); }
void K::drawWhiteArrowRightWithFrame(const Rect& f) { nudgeArrow(f, {0.84, 0.5}, {0.16, 0.89}, {0.16, 0.11}); }

void K::drawUnknownThumbnailWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const double w = frame.width(), h = frame.height();
  const Rect background(frame.x(), frame.y(), std::floor(w + 0.5), std::floor(h + 0.5));
  if (!background.isEmpty()) fillShape(art.canvas(), Path::rect(background), Color::white(0.392));
  const double gx0 = std::floor(0.27222 * w - 0.5) + 1, gw = std::floor(0.73074 * w - 0.03) - std::floor(0.27222 * w - 0.5) - 0.47;
  const double gy0 = std::floor(0.11593 * h - 0.37) + 0.87,
               gh = std::floor(0.88333 * h - 0.5) - std::floor(0.11593 * h - 0.37) + 0.13;
  // A frame too small for the mark leaves the group without area: the mark is skipped.
  if (!(gw > 0) || !(gh > 0)) return;
  const Rect group(frame.x() + gx0, frame.y() + gy0, gw, gh);
  FractionPath mark;
  mark.moveTo(0, 0.67857).cubicTo(0, 0.87, 0.25, 1.0, 0.51945, 1.0);
  mark.cubicTo(0.80, 1.0, 1.0, 0.88, 1.0, 0.73352);
  mark.cubicTo(1.0, 0.56, 0.57895, 0.54, 0.57895, 0.42).lineTo(0.57895, 0.25962).lineTo(0.39359, 0.25962);
  mark.lineTo(0.39359, 0.45).cubicTo(0.39359, 0.62, 0.812, 0.60, 0.812, 0.728);
  mark.cubicTo(0.812, 0.85, 0.62, 0.904, 0.398, 0.904).cubicTo(0.27, 0.904, 0.18307, 0.80, 0.18307, 0.67857).close();
  mark.ellipse(0.34783, 0, 0.62471, 0.16346);
  fillShape(art.canvas(), mark.in(group), Color::rgb(1, 1, 0));
}
