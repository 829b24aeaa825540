// Push buttons, round toggles, the tripod joystick, the rating stars, the gear and the zoom bars.
#include <QString>
#include <cmath>
#include <numbers>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/inner_shadow.h"

using icons::dropShadow;
using icons::fillShape;
using icons::glowShadow;
using icons::IconArt;
using icons::strokeShape;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using platform::Shadow;
using K = VorlaxentStyleKit;

namespace {

Color white() { return Color::whiteColor(); }
Color red() { return Color::redColor(); }
Color lightGrey() { return Color::white(0.784); }
Color pushVeil() { return Color::white(0.502, 0.588); }
Color toggleVeil() { return Color::white(0.502, 0.502); }
Color clearVeil() { return Color::rgb(0.800, 0.322, 0.322, 0); }
Color clearWhite() { return Color::white(1, 0); }
Color barGrey() { return Color::white(0.392); }
Color blue() { return Color::rgb(0, 0, 1); }
Color green() { return Color::rgb(0, 1, 0); }

// The oval of the close and check buttons, 4 points in from the left and 3 from the bottom, 7 points smaller
// than the frame; none when the frame is too small to hold it.
Path roundButtonOval(const Rect& f) {
  const Rect r(f.x() + 4, f.y() + 3, f.width() - 7, f.height() - 7);
  if (r.isEmpty()) return {};
  return Path::ellipse(r);
}

void roundButton(const Rect& frame, const Color& fill, std::initializer_list<icons::Frac> glyph1,
                 std::initializer_list<icons::Frac> glyph2) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Path oval = roundButtonOval(frame);
  fillShape(c, oval, fill);
  platform::fillInnerShadow(c, oval, icons::straightDarkGrayShadow());
  for (auto glyph : {glyph1, glyph2}) {
    if (glyph.size() == 0) continue;
    const Path p = art.polygon(glyph);
    fillShape(c, p, white());
    strokeShape(c, p, white());
  }
}

// A glyph shape of a round toggle: white under the glow when on, light grey under the invisible drop shadow.
void toggleShape(Canvas& c, const Path& p, bool on) {
  const Shadow glow = glowShadow(), drop = dropShadow();
  fillShape(c, p, on ? white() : lightGrey(), on ? &glow : &drop);
}

// The background oval of a round toggle, inset by the snapped fraction on each side.
void toggleBackground(IconArt& art, double inset, bool enabled) {
  const Rect& f = art.frame();
  const double x0 = icons::snapOffset(inset, f.width()), x1 = icons::snapOffset(1 - inset, f.width());
  const double y0 = icons::snapOffset(inset, f.height()), y1 = icons::snapOffset(1 - inset, f.height());
  if (x1 <= x0 || y1 <= y0) return;
  fillShape(art.canvas(), Path::ellipse(Rect(f.x() + x0, f.y() + y0, x1 - x0, y1 - y0)),
            enabled ? clearWhite() : toggleVeil());
}

// The ring of the round toggles: a band between two circles of the frame's centre.
Path toggleRing(const IconArt& art) {
  constexpr double outer = 0.45714, inner = 0.42143;
  return icons::ovalRing(art.frame(), Rect(0.5 - outer, 0.5 - outer, 2 * outer, 2 * outer),
                        Rect(0.5 - inner, 0.5 - inner, 2 * inner, 2 * inner));
}

void star(const Rect& frame, const Color& fill, const Shadow& glow) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Path p = icons::fivePointedStar(frame);
  fillShape(art.canvas(), p, fill, &glow);
  strokeShape(art.canvas(), p, Color::grayColor(), 0.5);
}

// The letters W and T of the zoom bars, x in fractions of `w`, y of `h`, from (x, y).
Path zoomLetter(double x, double y, double w, double h, std::initializer_list<icons::Frac> points) {
  Path p;
  bool first = true;
  for (const icons::Frac& f : points) {
    const Point pt{x + f.x * w, y + f.y * h};
    if (first) p.moveTo(pt);
    else p.lineTo(pt);
    first = false;
  }
  p.close();
  return p;
}
constexpr std::initializer_list<icons::Frac> kLetterW = {
    {0.08535, 0.62187}, {0.08604, 0.62187}, {0.10736, 0.25}, {0.12179, 0.25}, {0.14838, 0.74321}, {0.13252, 0.74321},
    {0.11427, 0.35698}, {0.11372, 0.35698}, {0.0928, 0.74321}, {0.07858, 0.74321}, {0.05773, 0.35698},
    {0.05719, 0.35698}, {0.03894, 0.74321}, {0.02301, 0.74321}, {0.0496, 0.25}, {0.06409, 0.25}};
constexpr std::initializer_list<icons::Frac> kLetterT = {
    {0.92138, 0.25}, {0.92138, 0.67725}, {0.95152, 0.67725}, {0.95152, 0.74321},
    {0.87585, 0.74321}, {0.87585, 0.67725}, {0.90606, 0.67725}, {0.90606, 0.25}};

void fillRectIfAny(Canvas& c, const Rect& r, const Color& color) {
  if (r.isEmpty()) return;
  fillShape(c, Path::rect(r), color);
}

// The zoom bar in design units, from (0, 0): W the bar's length, t its height.
void zoomBarDesign(Canvas& c, double percentage, double W) {
  const double t = 40 * W / 200;
  const Color box = Color::blackColor().withAlpha(0.502);
  const double h = std::floor(t + 0.5);
  fillRectIfAny(c, Rect(0, 0, std::floor(0.17 * W + 0.5), h), box);
  fillShape(c, zoomLetter(0, 0, W, t, kLetterW), Color::blackColor());
  const double right0 = std::floor(0.83 * W + 0.5), right1 = std::floor(W + 0.5);
  fillRectIfAny(c, Rect(right0, 0, right1 - right0, h), box);
  fillShape(c, zoomLetter(0, 0, W, t, kLetterT), Color::blackColor());
  if (W > 0 && t > 0) strokeShape(c, Path::rect(Rect(0, 0, W, t)), barGrey());
  fillRectIfAny(c, Rect(percentage / 100 * 0.62 * W + 0.17 * W, 0, 0.04 * W, t), blue());
}

}  // namespace

void K::drawXButtonWithFrame(const Rect& frame) {
  roundButton(frame, red(),
              {{0.23148, 0.32407}, {0.65741, 0.75}, {0.75611, 0.65879}, {0.32407, 0.23148}},
              {{0.34121, 0.75729}, {0.77463, 0.32388}, {0.67612, 0.22537}, {0.24271, 0.65879}});
}

void K::drawCheckButtonWithFrame(const Rect& frame) {
  // A tick: a short stroke down to the bottom point and a long one up to the right.
  roundButton(frame, green(),
              {{0.24, 0.53}, {0.33, 0.62}, {0.44, 0.49}, {0.70, 0.77}, {0.79, 0.68}, {0.44, 0.31}}, {});
}

void K::drawTripodJoystickWithFrame(const Rect& frame, double selectedArrow) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Shadow glow = glowShadow();
  const Path ring = IconArt::cutOut(art.oval(-0.005, -0.005, 1.005, 1.005), art.oval(0.143, 0.143, 0.857, 0.857));
  fillShape(c, ring, toggleVeil(), &glow);
  strokeShape(c, ring, white(), 1, &glow);
  struct Arrow {
    int code;
    double degrees;
    Point apex;
  };
  // Apexes in fractions; the diagonals lie on the circle of the cardinal apexes.
  constexpr double d = 0.435 * 0.70710678;
  const Arrow arrows[] = {{1, 90, {0.505, 0.935}},  {2, 270, {0.495, 0.065}},  {8, 0, {0.93463, 0.50514}},
                          {4, 180, {0.06463, 0.50514}}, {9, 45, {0.5 + d, 0.5 + d}}, {10, 315, {0.5 + d, 0.5 - d}},
                          {5, 135, {0.5 - d, 0.5 + d}}, {6, 225, {0.5 - d, 0.5 - d}}};
  for (const Arrow& a : arrows) {
    const double rad = a.degrees * std::numbers::pi / 180, ux = std::cos(rad), uy = std::sin(rad);
    const double bx = a.apex.x - 0.06 * ux, by = a.apex.y - 0.06 * uy;  // the base's middle, towards the centre
    const Path p = art.polygon({{a.apex.x, a.apex.y}, {bx - 0.055 * uy, by + 0.055 * ux}, {bx + 0.055 * uy, by - 0.055 * ux}});
    fillShape(c, p, selectedArrow == a.code ? red() : white());
    strokeShape(c, p, white(), 1, &glow);
  }
}

void K::drawZoomBarWithZoomBarPercentage(double zoomBarPercentage, double zoomBarWidth) {
  drawZoomBarWithFrame(Rect(0, 0, 200, 40), 0, zoomBarPercentage, zoomBarWidth);
}

void K::drawZoomBarWithFrame(const Rect& frame, int resizing, double zoomBarPercentage, double zoomBarWidth) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Rect design(0, 0, 200, 40);
  const Rect target = icons::resizingTargetRect(design, frame, resizing);
  Canvas& c = art.canvas();
  c.translate(target.x(), target.y());
  c.scale(target.width() / design.width(), target.height() / design.height());
  zoomBarDesign(c, zoomBarPercentage, zoomBarWidth);
}

void K::drawDefaultButtonWithFrame(const Rect& frame, bool buttonHighlighted, bool buttonEnabled) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Path button = Path::roundedRect(frame, 8, 8);
  fillShape(c, button, buttonHighlighted ? white() : clearVeil());
  strokeShape(c, button, lightGrey());
  // The veil keeps its fixed place and size whatever the frame.
  fillShape(c, Path::roundedRect(Rect(24, 54, 216, 122), 8, 8), buttonEnabled ? clearVeil() : pushVeil());
}

void K::drawCaptureButtonWithFrame(const Rect& frame, bool buttonHighlighted, bool buttonEnabled) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Path button = Path::roundedRect(frame, 8, 8);
  fillShape(c, button, buttonHighlighted ? white() : red());
  strokeShape(c, button, buttonHighlighted ? red() : white());
  fillShape(c, button, buttonEnabled ? clearVeil() : pushVeil());
}

void K::drawLiveViewTogglePushButtonWithFrame(const Rect& frame, bool toggleButtonEnabled, bool toggleButtonOn) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  toggleBackground(art, 0.07143, toggleButtonEnabled);
  // An eye: an almond from edge to edge with its iris as a ring and a pupil in it.
  Path almond;
  almond.moveTo(art.at(0.04, 0.5));
  almond.curveTo(art.at(0.96, 0.5), art.at(0.3, 0.86), art.at(0.7, 0.86));
  almond.curveTo(art.at(0.04, 0.5), art.at(0.7, 0.14), art.at(0.3, 0.14));
  almond.close();
  const Path eye = IconArt::cutOut(almond, art.oval(0.35, 0.35, 0.65, 0.65));
  toggleShape(art.canvas(), eye, toggleButtonOn);
  toggleShape(art.canvas(), art.oval(0.42, 0.42, 0.58, 0.58), toggleButtonOn);
}

void K::drawStarIconWithFrame(const Rect& frame, bool ratingHighlighted) {
  star(frame, ratingHighlighted ? white() : clearVeil(), Shadow::shadowWithColor(white(), {0, 0}, 10));
}

void K::drawYellowStarIconWithFrame(const Rect& frame, bool ratingHighlighted) {
  const Color yellow = Color::rgb(1, 1, 0);
  star(frame, ratingHighlighted ? yellow : Color::clear(),
       Shadow::shadowWithColor(ratingHighlighted ? yellow : Color::clear(), {0, 0}, 10));
}

void K::drawGearWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Built in fractions about the centre: eight teeth with flat tips 0.44444 out and 0.16 wide, straight flanks
  // down to a root circle of radius 0.357 where each tooth is 0.19 wide, and root arcs between the teeth.
  constexpr double tip = 0.44444, tipHalf = 0.08, root = 0.357, rootHalf = 0.095;
  const double tipAngle = std::atan2(tipHalf, std::sqrt(tip * tip - tipHalf * tipHalf));
  const double rootAngle = std::asin(rootHalf / root);
  const auto polar = [&](double r, double a) { return art.at(0.5 + r * std::cos(a), 0.5 + r * std::sin(a)); };
  const double step = std::numbers::pi / 4;
  Path p;
  for (int i = 0; i < 8; ++i) {
    const double a = i * step;
    const Point start = polar(std::hypot(tip, tipHalf), a - tipAngle);
    if (i == 0) p.moveTo(start);
    else p.lineTo(start);
    p.lineTo(polar(std::hypot(tip, tipHalf), a + tipAngle));
    p.lineTo(polar(root, a + rootAngle));
    // The root arc to the next tooth, one cubic in the frame's fractions (so it stretches with the frame).
    const double a0 = a + rootAngle, a1 = a + step - rootAngle, k = 4.0 / 3.0 * std::tan((a1 - a0) / 4) * root;
    const Point c1 = art.at(0.5 + root * std::cos(a0) - k * std::sin(a0), 0.5 + root * std::sin(a0) + k * std::cos(a0));
    const Point c2 = art.at(0.5 + root * std::cos(a1) + k * std::sin(a1), 0.5 + root * std::sin(a1) - k * std::cos(a1));
    p.curveTo(polar(root, a1), c1, c2);
    p.lineTo(polar(std::hypot(tip, tipHalf), a + step - tipAngle));
  }
  p.close();
  const Path hole = art.oval(0.33333, 0.33713, 0.66667, 0.66839);
  QPainterPath both = p.qtPath();
  both.addPath(hole.qtPath());
  Canvas& c = art.canvas();
  c.setMiterLimit(4);
  strokeShape(c, Path::fromQt(both), white(), 1.5);
}

void K::drawZoomBar2WithFrame(const Rect& frame, double zoomBarAbsolutePosition) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const double w = frame.width(), h = std::floor(frame.height() + 0.5);
  const Rect bar(frame.x(), frame.y(), std::floor(w + 0.5), h);
  fillRectIfAny(c, bar, white().withAlpha(0.502));
  if (!bar.isEmpty()) strokeShape(c, Path::rect(bar), barGrey());
  const Color box = Color::blackColor().withAlpha(0.502);
  fillRectIfAny(c, Rect(frame.x(), frame.y(), std::floor(0.17 * w + 0.5), h), box);
  fillShape(c, zoomLetter(frame.x(), frame.y(), w, frame.height(), kLetterW), white());
  const double right0 = std::floor(0.83 * w + 0.5), right1 = std::floor(w + 0.5);
  fillRectIfAny(c, Rect(frame.x() + right0, frame.y(), right1 - right0, h), box);
  fillShape(c, zoomLetter(frame.x(), frame.y(), w, frame.height(), kLetterT), white());
  // The caller passes the marker's final place: it neither follows nor is kept inside the frame.
  fillRectIfAny(c, Rect(zoomBarAbsolutePosition, 20, 8, 40), blue());
}

void K::drawVideoTogglePushButtonWithFrame(const Rect& frame, bool toggleButtonEnabled, bool toggleButtonOn,
                                           bool outlineVisible) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  toggleBackground(art, 0.075, toggleButtonEnabled);
  toggleShape(c, art.polygon({{0.81429, 0.62857}, {0.81429, 0.38571}, {0.58571, 0.50386}}), toggleButtonOn);
  if (outlineVisible) toggleShape(c, toggleRing(art), toggleButtonOn);
  toggleShape(c, art.roundedRect(0.2, 0.28571, 0.55714, 0.72857, 0.0655, 0.0655), toggleButtonOn);
}

void K::drawAFTogglePushButtonWithFrame(const Rect& frame, bool toggleButtonEnabled, bool toggleButtonOn,
                                        bool toggleAfOn) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Path letters = toggleAfOn ? art.glyphs(QStringLiteral("AF"), 0.224, 0.328, 0.778, 0.671)
                                  : art.glyphs(QStringLiteral("MF"), 0.171, 0.328, 0.845, 0.671);
  toggleShape(c, letters, toggleButtonOn);
  // After the letters, so that a disabled button's veil dims them.
  toggleBackground(art, 0.07143, toggleButtonEnabled);
  toggleShape(c, toggleRing(art), toggleButtonOn);
}
