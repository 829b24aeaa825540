// The bundle images, drawn with the kit's conventions: fractions of the frame, one colour per shape, filled (an
// outline is a filled band), the kit's light grey and red, and the kit's own letter and check shapes.
#include "icons/interface/bundle_images.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <mutex>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "platform/graphics/named_images.h"

namespace icons {

using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

Color white() { return Color::whiteColor(); }
Color lightGrey() { return Color::white(0.784); }             // the kit's grey: the plus sign, the battery
Color batteryRed() { return Color::redColor(); }              // the kit's battery at 25 % or less
Color markRed() { return Color::rgb(1, 0.231, 0.188); }       // the kit's cross mark

// A line through `points` (fractions of the frame) `width` points wide with round ends and joins, as one filled
// shape: the round-ended bars of the kit's plus and minus signs, bent.
Path roundLine(const IconArt& art, std::initializer_list<Frac> points, double width) {
  QPainterPath line;
  bool first = true;
  for (const Frac& f : points) {
    const Point p = art.at(f.x, f.y);
    if (first) line.moveTo(p.x, p.y);
    else line.lineTo(p.x, p.y);
    first = false;
  }
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return Path::fromRegion(stroker.createStroke(line).simplified());
}

// The letters of the kit's round focus toggle, in its proportions, white (a toggle button tints them).
void focusLetters(const Rect& frame, bool autofocus) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Path letters = autofocus ? art.glyphs(QStringLiteral("AF"), 0.224, 0.328, 0.778, 0.671)
                                 : art.glyphs(QStringLiteral("MF"), 0.171, 0.328, 0.845, 0.671);
  fillShape(art.canvas(), letters, white());
}

// The plus sign's grey disc with an upward chevron cut out of it: the plus opens the advanced section, this
// closes it again.
void arrowUp(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const double bar = 0.1 * std::min(frame.width(), frame.height());  // as thick as the plus sign's bars
  const Path chevron = roundLine(art, {{0.27, 0.38}, {0.5, 0.62}, {0.73, 0.38}}, bar);
  fillShape(art.canvas(), IconArt::cutOut(art.oval(0.05, 0.05, 0.95, 0.95), chevron), lightGrey());
}

// A horizontal battery: a body with a wall 0.05 of the width (0.1 of the height) thick and a tip on the right,
// with up to four cells inside. `cells` < 0: no connection, a red cross in the empty body.
void batteryIndicator(const Rect& frame, int cells) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const bool low = cells == 0 || cells == 1;
  const Color tone = low ? batteryRed() : lightGrey();
  const Path body = art.roundedRect(0.03, 0.12, 0.89, 0.88, 0.05, 0.1);
  const Path inside = art.roundedRect(0.08, 0.22, 0.84, 0.78, 0.025, 0.05);
  fillShape(c, IconArt::cutOut(body, inside), tone);
  fillShape(c, art.roundedRect(0.89, 0.35, 0.96, 0.65, 0.02, 0.05), tone);
  constexpr double left = 0.105, right = 0.815, gap = 0.025;
  constexpr double cell = (right - left - 3 * gap) / 4;
  for (int i = 0; i < cells && i < 4; ++i) {
    const double x0 = left + i * (cell + gap);
    fillShape(c, art.rect(x0, 0.28, x0 + cell, 0.72), tone);
  }
  if (cells < 0) {
    // A square cross in the body's middle, whatever the frame's proportions.
    const Point mid = art.at(0.46, 0.5);
    const double h = 0.2 * frame.height(), w = 0.09 * frame.height();
    const double fx = h / frame.width(), fy = h / frame.height();
    const double cx = (mid.x - frame.x()) / frame.width(), cy = (mid.y - frame.y()) / frame.height();
    fillShape(c, IconArt::united(roundLine(art, {{cx - fx, cy - fy}, {cx + fx, cy + fy}}, w),
                                 roundLine(art, {{cx - fx, cy + fy}, {cx + fx, cy - fy}}, w)),
              markRed());
  }
}

// The select-all box of the card browser: a white rounded square outline, with the kit's check mark inside when
// checked (the box of the kit's "Select All" toolbar icon, without its caption).
void selectBox(const Rect& frame, bool checked) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const double wall = 0.0625;  // 1.5 points at the natural 24
  const Path outer = art.roundedRect(0.125, 0.125, 0.875, 0.875, 0.12, 0.12);
  const Path inner = art.roundedRect(0.125 + wall, 0.125 + wall, 0.875 - wall, 0.875 - wall, 0.06, 0.06);
  fillShape(art.canvas(), IconArt::cutOut(outer, inner), white());
  if (!checked) return;
  art.setRegion(0.22, 0.22, 0.78, 0.78);
  fillShape(art.canvas(),
            art.polygon({{0.37, 0.15}, {0.93, 0.71}, {0.82, 0.82}, {0.37, 0.37}, {0.21, 0.53}, {0.10, 0.42}}), white());
}

std::vector<BundleImage> makeBundleImages() {
  const Size battery{40, 20};
  return {
      {"AFIcon", {30, 30}, [](const Rect& f) { focusLetters(f, true); }},
      {"MFIcon", {30, 30}, [](const Rect& f) { focusLetters(f, false); }},
      {"ArrowUp", {24, 24}, arrowUp},
      {"BatteryIndicator_0", battery, [](const Rect& f) { batteryIndicator(f, 0); }},
      {"BatteryIndicator_25", battery, [](const Rect& f) { batteryIndicator(f, 1); }},
      {"BatteryIndicator_50", battery, [](const Rect& f) { batteryIndicator(f, 2); }},
      {"BatteryIndicator_100", battery, [](const Rect& f) { batteryIndicator(f, 4); }},
      {"BatteryIndicator_NoConnection", battery, [](const Rect& f) { batteryIndicator(f, -1); }},
      {"CheckedBox", {24, 24}, [](const Rect& f) { selectBox(f, true); }},
      {"UncheckedBox", {24, 24}, [](const Rect& f) { selectBox(f, false); }},
  };
}

const BundleImage* find(const std::string& name) {
  for (const BundleImage& b : bundleImages())
    if (b.name == name) return &b;
  return nullptr;
}

}  // namespace

const std::vector<BundleImage>& bundleImages() {
  static const std::vector<BundleImage> images = makeBundleImages();
  return images;
}

bool drawBundleImage(const std::string& name, const Rect& frame) {
  const BundleImage* b = find(name);
  if (!b) return false;
  b->draw(frame);
  return true;
}

platform::Image bundleImageWithSize(const std::string& name, const Size& size) {
  const BundleImage* b = find(name);
  if (!b) return {};
  return iconImage(size, b->draw);
}

bool registerBundleImages() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const BundleImage& b : bundleImages())
      platform::registerImageNamed(b.name, [&b] { return iconImage(b.naturalSize, b.draw); });
  });
  return true;
}

}  // namespace icons
