// Sony focus-area icons: the viewfinder outline, bracket and cell marks, the flexible-spot pictogram with its
// size letter, and the tracking forms (the base pictogram shrunk to the upper left with a tracking mark).
#include <cmath>

#include "icons/properties/bracket_marks.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Path;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

namespace {

// Where the tracking forms put their shrunk pictogram (fractions of the frame).
struct Region {
  double x0, y0, x1, y1;
};
constexpr Region kTrackingRing{0.01334, 0.19334, 0.84, 1.02};
constexpr Region kTrackingWideRing{0.02, 0.19334, 0.84666, 1.02};
constexpr Region kTrackingSpot{0.02905, 0.16587, 0.85027, 1.02601};
constexpr Region kTrackingExpand{0.0, 0.16666, 0.83333, 1.0};

void enter(IconArt& a, const Region& r) { a.setRegion(r.x0, r.y0, r.x1, r.y1); }

Path outline(const IconArt& a) {
  return a.ring(0.01333, 0.15333, 0.98667, 0.85333, 0.07417, 0.2086, 0.92583, 0.79807);
}

// The outline with its lower-right corner cut away for a letter: the bottom wall ends at notchX, the right wall at
// notchY.
Path notchedOutline(const IconArt& a, double notchX, double notchY) {
  return IconArt::cutOut(outline(a), a.rect(notchX, 0.0, 1.0, notchY));
}

void fillSpot(IconArt& a) {
  a.fillOval(0.38667, 0.38667, 0.61333, 0.61333);
  a.fill(a.polygon({{0.5, 0.75667}, {0.4134, 0.64167}, {0.5866, 0.64167}}));
  a.fill(a.polygon({{0.5, 0.24333}, {0.5866, 0.35833}, {0.4134, 0.35833}}));
  a.fill(a.polygon({{0.76, 0.5}, {0.64667, 0.58667}, {0.64667, 0.42}}));
  a.fill(a.polygon({{0.24, 0.5}, {0.35333, 0.42}, {0.35333, 0.58667}}));
}

Path letterL(const IconArt& a) {
  return a.polygon({{0.84, 0.31333}, {0.84, 0.13333}, {0.96667, 0.13333}, {0.96667, 0.17653}, {0.88471, 0.17653},
                    {0.88471, 0.31333}});
}

Path letterM(const IconArt& a) {
  return a.polygon({{0.79667, 0.13}, {0.79667, 0.31}, {0.845, 0.31}, {0.89, 0.19667}, {0.935, 0.31}, {0.99, 0.31},
                    {0.99, 0.13}, {0.95, 0.13}, {0.95, 0.25}, {0.905, 0.15}, {0.875, 0.15}, {0.83667, 0.25},
                    {0.83667, 0.13}});
}

Path letterS(const IconArt& a) { return a.glyphs(QStringLiteral("S"), 0.819, 0.124, 0.964, 0.313); }

enum class Size { Small, Medium, Large };

void fillFlexibleSpot(IconArt& a, Size size) {
  const Path letter = size == Size::Large ? letterL(a) : size == Size::Medium ? letterM(a) : letterS(a);
  if (size == Size::Large) {
    a.fill(letter);
    fillSpot(a);
    a.fill(notchedOutline(a, 0.76667, 0.34667));
  } else {
    a.fill(notchedOutline(a, 0.76667, 0.34667));
    fillSpot(a);
    a.fill(letter);
  }
}

void fillWideMarks(IconArt& a) {
  a.fill(icons::rightBracket(a, 0.70667, 0.79926, 0.87333, 0.34, 0.40223, 0.60444, 0.66667));
  a.fill(icons::leftBracket(a, 0.12, 0.19407, 0.28667, 0.34, 0.40223, 0.60444, 0.66667));
  a.fill(icons::topBracket(a, 0.34, 0.40222, 0.60445, 0.66667, 0.6, 0.69259, 0.76667));
  a.fill(icons::bottomBracket(a, 0.34, 0.40222, 0.60445, 0.66667, 0.23333, 0.30741, 0.4));
}

void fillZoneMarks(IconArt& a) {
  constexpr double leg = 0.06667;
  auto top = [&](double x0, double x1) { a.fill(icons::topBracket(a, x0, x0 + leg, x1 - leg, x1, 0.59333, 0.69333, 0.76)); };
  auto bottom = [&](double x0, double x1) {
    a.fill(icons::bottomBracket(a, x0, x0 + leg, x1 - leg, x1, 0.25333, 0.32, 0.42));
  };
  top(0.38, 0.60667);
  bottom(0.38667, 0.61333);
  top(0.11333, 0.34);
  bottom(0.12, 0.34667);
  top(0.65333, 0.88);
  bottom(0.66, 0.88667);
}

void fillCenterMarks(IconArt& a) {
  a.fill(icons::rightBracket(a, 0.59333, 0.72, 0.8, 0.29333, 0.37333, 0.63333, 0.71333));
  a.fill(icons::leftBracket(a, 0.2, 0.28, 0.40667, 0.29333, 0.37333, 0.63333, 0.71333));
}

void fillExpandFlexibleSpot(IconArt& a) {
  a.fillOval(0.38667, 0.38667, 0.61333, 0.61333);
  a.fill(a.polygon({{0.5, 0.87}, {0.4134, 0.755}, {0.5866, 0.755}}));
  a.fill(a.polygon({{0.5, 0.13}, {0.5866, 0.245}, {0.4134, 0.245}}));
  a.fill(a.polygon({{1.0, 0.5}, {0.88667, 0.58667}, {0.88667, 0.42}}));
  a.fill(a.polygon({{0.0, 0.5}, {0.11333, 0.42}, {0.11333, 0.58667}}));
  const double cols[3][2] = {{0.22667, 0.29333}, {0.46667, 0.53333}, {0.7, 0.76667}};
  const double rows[3][2] = {{0.28, 0.34667}, {0.47333, 0.54}, {0.65333, 0.72}};
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r)
      if (c != 1 || r != 1) a.fillRect(cols[c][0], rows[r][0], cols[c][1], rows[r][1]);
  constexpr double tx = 0.06083, ty = 0.05527;  // the outline's wall thickness
  QPainterPath marks;
  marks.addPath(a.polygon({{0.01333, 0.85333}, {0.01333, 0.62}, {0.01333 + tx, 0.62}, {0.01333 + tx, 0.85333 - ty},
                           {0.38667, 0.85333 - ty}, {0.38667, 0.85333}}).qtPath());
  marks.addPath(a.polygon({{0.98667, 0.85333}, {0.61333, 0.85333}, {0.61333, 0.85333 - ty}, {0.98667 - tx, 0.85333 - ty},
                           {0.98667 - tx, 0.61333}, {0.98667, 0.61333}}).qtPath());
  marks.addPath(a.polygon({{0.98667, 0.15333}, {0.98667, 0.38667}, {0.98667 - tx, 0.38667}, {0.98667 - tx, 0.15333 + ty},
                           {0.61333, 0.15333 + ty}, {0.61333, 0.15333}}).qtPath());
  marks.addPath(a.polygon({{0.01333, 0.15333}, {0.38667, 0.15333}, {0.38667, 0.15333 + ty}, {0.01333 + tx, 0.15333 + ty},
                           {0.01333 + tx, 0.39333}, {0.01333, 0.39333}}).qtPath());
  a.fill(Path::fromQt(marks));
}

// The tracking mark: an arrow pointing down into a box on a base bar, in a sub-frame at the lower right that
// reaches just past the frame's right edge.
void fillTrackingMark(IconArt& a, double bottomFraction) {
  const Rect f = a.frame();
  const double w = f.width(), h = f.height();
  const double left = icons::snapOffset(0.68667, w);
  const double bottom = icons::snapOffset(bottomFraction, h);
  const Rect sub{f.x() + left, f.y() + bottom, std::floor(1.00333 * w) - left + 0.5, icons::snapOffset(0.32, h) - bottom};
  if (sub.isEmpty()) return;
  const double sw = sub.width(), sh = sub.height();
  auto snappedIn = [&](double x0, double y0, double x1, double y1) {
    const double l = icons::snapOffset(x0, sw), b = icons::snapOffset(y0, sh);
    return Rect{sub.x() + l, sub.y() + b, icons::snapOffset(x1, sw) - l, icons::snapOffset(y1, sh) - b};
  };
  auto pt = [&](double x, double y) { return platform::Point{sub.x() + x * sw, sub.y() + y * sh}; };
  const Rect boxRect = snappedIn(0.25263, 0.09524, 0.8, 0.45238);
  if (!boxRect.isEmpty()) a.fill(Path::rect(boxRect));
  const Rect bar{sub.x(), sub.y(), std::floor(sw) + 0.5, std::floor(0.09524 * sh + 0.5)};
  if (!bar.isEmpty()) a.fill(Path::rect(bar));
  Path head;
  head.moveTo(pt(0.52632, 0.41071));
  head.lineTo(pt(0.67673, 0.65179));
  head.lineTo(pt(0.3759, 0.65179));
  head.close();
  a.fill(head);
  const double sl = icons::snapOffset(0.50526, sw), sr = icons::snapOffset(0.54737, sw);
  const double sb = icons::snapOffset(0.45238, sh);
  const Rect stem{sub.x() + sl, sub.y() + sb, sr - sl, sh - sb};
  if (!stem.isEmpty()) a.fill(Path::rect(stem));
}

void trackingSpot(const Rect& frame, double r, double g, double b, Size size) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  fillTrackingMark(a, 0.04);
  enter(a, kTrackingSpot);
  a.fill(notchedOutline(a, 0.76667, 0.34667));
  fillSpot(a);
  a.fill(size == Size::Large ? letterL(a) : size == Size::Medium ? letterM(a) : letterS(a));
}

// The custom areas: the outline open at the lower right for the mark, four corner brackets round the centre.
void customArea(const Rect& frame, double r, double g, double b, const QString& mark) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(notchedOutline(a, 0.64, 0.34667));
  constexpr double lo = 0.33333, hi = 0.66667, arm = 0.14, t = 0.05333;
  for (int corner = 0; corner < 4; ++corner) {
    const bool right = corner == 1 || corner == 2, top = corner < 2;
    const double cx = right ? hi : lo, cy = top ? hi : lo;
    const double sx = right ? -1 : 1, sy = top ? -1 : 1;
    a.fill(a.polygon({{cx, cy}, {cx + sx * arm, cy}, {cx + sx * arm, cy + sy * t}, {cx + sx * t, cy + sy * t},
                      {cx + sx * t, cy + sy * arm}, {cx, cy + sy * arm}}));
  }
  a.fill(a.glyphs(mark, 0.67, 0.13333, 0.94, 0.306));
}

}  // namespace

void K::drawSony_FocusArea_WideWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(outline(a));
  fillWideMarks(a);
}

void K::drawSony_FocusArea_ZoneWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(outline(a));
  fillZoneMarks(a);
}

void K::drawSony_FocusArea_CenterWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(outline(a));
  fillCenterMarks(a);
}

void K::drawSony_FocusArea_FlexibleSpotLargeWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  fillFlexibleSpot(a, Size::Large);
}

void K::drawSony_FocusArea_FlexibleSpotMediumWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  fillFlexibleSpot(a, Size::Medium);
}

void K::drawSony_FocusArea_FlexibleSpotSmallWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  fillFlexibleSpot(a, Size::Small);
}

void K::drawSony_FocusArea_ExpandFlexibleSpotWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  fillExpandFlexibleSpot(a);
}

void K::drawSony_FocusArea_Tracking_ExpandFlexibleSpotWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  enter(a, kTrackingExpand);
  fillExpandFlexibleSpot(a);
  a.resetRegion();
  // This form lays its tracking mark out on the frame itself.
  const Rect f = a.frame();
  a.fillRect(0.76667, 0.07333, 0.94, 0.17333);
  const double barLeft = icons::snapOffset(0.68667, f.width()), barBottom = icons::snapOffset(0.04667, f.height());
  const Rect bar{f.x() + barLeft, f.y() + barBottom, std::floor(1.00333 * f.width()) + 0.5 - barLeft,
                 icons::snapOffset(0.07333, f.height()) - barBottom};
  if (!bar.isEmpty()) a.fill(Path::rect(bar));
  a.fill(a.polygon({{0.85333, 0.16167}, {0.90096, 0.22917}, {0.8057, 0.22917}}));
  a.fillRect(0.84667, 0.17333, 0.86, 0.32667);
}

void K::drawSony_FocusArea_Tracking_FlexibleSpotSmallWithFrame(const Rect& frame, double r, double g, double b) {
  trackingSpot(frame, r, g, b, Size::Small);
}

void K::drawSony_FocusArea_Tracking_FlexibleSpotMediumWithFrame(const Rect& frame, double r, double g, double b) {
  trackingSpot(frame, r, g, b, Size::Medium);
}

void K::drawSony_FocusArea_Tracking_FlexibleSpotLargeWithFrame(const Rect& frame, double r, double g, double b) {
  trackingSpot(frame, r, g, b, Size::Large);
}

void K::drawSony_FocusArea_Tracking_CenterWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  enter(a, kTrackingRing);
  a.fill(outline(a));
  fillCenterMarks(a);
  a.resetRegion();
  fillTrackingMark(a, 0.06667);
}

void K::drawSony_FocusArea_Tracking_WideWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  enter(a, kTrackingWideRing);
  a.fill(outline(a));
  fillWideMarks(a);
  a.resetRegion();
  fillTrackingMark(a, 0.06667);
}

void K::drawSony_FocusArea_Tracking_ZoneWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  enter(a, kTrackingRing);
  a.fill(outline(a));
  fillZoneMarks(a);
  a.resetRegion();
  fillTrackingMark(a, 0.06667);
}

void K::drawSony_FocusArea_FlexibleSpotXSmallWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(notchedOutline(a, 0.65333, 0.34667));
  fillSpot(a);
  a.fill(a.glyphs(QStringLiteral("X"), 0.67877, 0.13333, 0.84601, 0.31));
  a.fill(a.glyphs(QStringLiteral("S"), 0.85, 0.13, 0.999, 0.313));
}

void K::drawSony_FocusArea_FlexibleSpotXLargeWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(notchedOutline(a, 0.64, 0.34667));
  fillSpot(a);
  a.fill(a.glyphs(QStringLiteral("X"), 0.68543, 0.13333, 0.85267, 0.31));
  a.fill(a.polygon({{0.86821, 0.31}, {0.86821, 0.13333}, {0.99278, 0.13333}, {0.99278, 0.16589}, {0.90694, 0.16589},
                    {0.90694, 0.31}}));
}

void K::drawSony_FocusArea_Custom1WithFrame(const Rect& frame, double r, double g, double b) {
  customArea(frame, r, g, b, QStringLiteral("C1"));
}

void K::drawSony_FocusArea_Custom2WithFrame(const Rect& frame, double r, double g, double b) {
  customArea(frame, r, g, b, QStringLiteral("C2"));
}

void K::drawSony_FocusArea_Custom3WithFrame(const Rect& frame, double r, double g, double b) {
  customArea(frame, r, g, b, QStringLiteral("C3"));
}
