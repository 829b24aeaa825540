// The battery gauge, the exposure carousel's background and the three automation buttons.
#include <QPainterPath>
#include <cmath>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::fillShape;
using icons::IconArt;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using K = VorlaxentStyleKit;

namespace {

Color grey() { return Color::white(0.784); }
Color highlightBlue() { return Color::rgb(0, 0.353, 0.863, 0.784); }

Path points(std::initializer_list<Point> pts) {
  Path p;
  bool first = true;
  for (const Point& pt : pts) {
    if (first) p.moveTo(pt);
    else p.lineTo(pt);
    first = false;
  }
  p.close();
  return p;
}


// The automation buttons share their colours and the bar along the bottom that marks the highlighted one. The
// glyph's shapes are gathered into one outline and filled once, so that where they overlap the translucent
// highlight colour is not laid twice.
struct AutomationButton {
  IconArt art;
  Color color;
  Path glyph;
  AutomationButton(const Rect& frame, bool highlighted) : art(frame, 1, 1, 1), color(highlighted ? highlightBlue() : grey()) {}
  ~AutomationButton() {
    if (art.ok()) fillShape(art.canvas(), glyph, color);
  }
  void fill(const Path& p) { glyph = IconArt::united(glyph, p); }
};

void fillSnapped(AutomationButton& b, double x0, double y0, double x1, double y1) {
  const Rect r = b.art.snapped(x0, y0, x1, y1);
  if (!r.isEmpty()) b.fill(Path::rect(r));
}

}  // namespace

void K::drawBatteryWithFrame(const Rect& frame, double batteryPercentage, bool isCharging) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  // "Greater than 25" picks grey, so a level that is not a number shows grey, as an unknown level should.
  const Color level = !(batteryPercentage <= 25) ? grey() : Color::redColor();
  if (std::isfinite(batteryPercentage) && batteryPercentage > 0) {
    constexpr double unit = 1.0 / 120;
    fillShape(c, Path::rect(art.box(7 * unit, 31 * unit, (7 + batteryPercentage) * unit, 86 * unit)), level);
  }
  const Path outer = IconArt::united(art.roundedRect(0.04806, 0.25, 0.89806, 0.75, 0.046, 0.046),
                                     art.roundedRect(0.8, 0.37, 0.94806, 0.63, 0.046, 0.046));
  const Path inner = IconArt::united(art.roundedRect(0.08806, 0.29, 0.86251, 0.71, 0.04, 0.04),
                                     art.rect(0.8, 0.3908, 0.90806, 0.6092));
  fillShape(c, IconArt::cutOut(outer, inner), level);
  if (isCharging)
    fillShape(c,
              art.polygon({{0.09167, 0.54463}, {0.42383, 0.54463}, {0.42383, 0.725}, {0.9, 0.47064}, {0.57481, 0.47064},
                           {0.57481, 0.28333}}),
              Color::rgb(0, 1, 0));
}

void K::drawCarouselBackgroundWithExposureBracket(double exposureBracket, double numNegativeBrackets,
                                                  double numPositiveBrackets) {
  IconArt art(Rect(0, 0, 666, 172), 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Color g = grey();
  fillShape(c, points({{332, 28}, {345.64, 7}, {318.36, 7}}), g);
  fillShape(c, points({{318, 170}, {346, 170}, {332, 150.48}}), g);
  struct Mark {
    bool shown;
    double offset, bottomY, topY;
  };
  const double a = exposureBracket, nNeg = numNegativeBrackets, nPos = numPositiveBrackets;
  const Mark marks[] = {{nNeg > 0, -103.25 * a, 2, 150.72}, {nPos > 0, 103.25 * a, 2, 149.72},
                        {nPos > 1, 212 * a, 2, 149.72},     {nNeg > 1, -212 * a, 2, 150.72},
                        {nPos > 2, 318 * a, 2, 149.72},     {nNeg > 2, -318 * a, 1, 149.72},
                        {nPos > 3, 424 * a, 2, 149.72},     {nNeg > 3, -424 * a, 1, 149.72}};
  for (const Mark& m : marks) {
    const double tx = 316.25 + (m.shown ? m.offset : 0);
    c.saveGState();
    c.translate(tx, m.bottomY);
    fillShape(c, points({{15.75, 28}, {29.39, 7}, {2.11, 7}}), g);
    c.restoreGState();
    c.saveGState();
    c.translate(tx, m.topY);
    fillShape(c, points({{0, 19.28}, {28, 19.28}, {14, 0}}), g);
    c.restoreGState();
  }
  QPainterPath frame = points({{662, 150}, {662, 30}, {636, 30}, {636, 32.86}, {659.8, 32.86}, {659.8, 147.14},
                               {636, 147.14}, {636, 150}}).qtPath();
  frame.addPath(points({{28, 147.14}, {4.2, 147.14}, {4.2, 32.86}, {28, 32.86}, {28, 30}, {2, 30}, {2, 150}, {28, 150}})
                    .qtPath());
  fillShape(c, Path::fromQt(frame), g);
}

void K::drawFocusStackWithFrame(const Rect& frame, bool buttonHighlighted) {
  AutomationButton b(frame, buttonHighlighted);
  if (!b.art.ok()) return;
  IconArt& art = b.art;
  b.fill(art.polygon({{0.505, 0.455}, {0.555, 0.505}, {0.905, 0.155}, {0.855, 0.105}}));
  b.fill(icons::ovalRing(frame, Rect(0.12, 0.4, 0.49, 0.49), Rect(0.16, 0.44, 0.41, 0.41)));
  if (buttonHighlighted) fillSnapped(b, 0.04717, 0.0283, 0.9434, 0.04717);
}

void K::drawTimerWithFrame(const Rect& frame, bool buttonHighlighted) {
  AutomationButton b(frame, buttonHighlighted);
  if (!b.art.ok()) return;
  IconArt& art = b.art;
  b.fill(icons::ovalRing(frame, Rect(0.13208, 0.07547, 0.73584, 0.73585), Rect(0.18527, 0.12867, 0.62946, 0.62946)));
  const Rect crown = art.snapped(0.37, 0.82, 0.625, 0.955);
  if (!crown.isEmpty()) b.fill(Path::roundedRect(crown, 1, 1));
  const Rect pivot = art.snapped(0.47, 0.415, 0.53, 0.47);
  if (!pivot.isEmpty()) b.fill(Path::ellipse(pivot));
  b.fill(art.polygon({{0.5, 0.46226}, {0.61321, 0.57547}, {0.64151, 0.54717}, {0.5283, 0.43396}}));
  b.fill(art.polygon({{0.5, 0.46047}, {0.33783, 0.62264}, {0.32075, 0.60557}, {0.48293, 0.4434}}));
  fillSnapped(b, 0.49, 0.16, 0.51, 0.445);
  if (buttonHighlighted) fillSnapped(b, 0.045, 0.03, 0.945, 0.045);
}

void K::drawHDRWithFrame(const Rect& frame, bool buttonHighlighted) {
  AutomationButton b(frame, buttonHighlighted);
  if (!b.art.ok()) return;
  IconArt& art = b.art;
  fillSnapped(b, 0.35849, 0.09434, 0.91509, 0.5);
  b.fill(art.ring(0.22642, 0.30189, 0.78302, 0.70755, 0.27358, 0.34906, 0.73585, 0.66038));
  b.fill(art.polygon({{0.26887, 0.58019}, {0.35377, 0.66509}, {0.39151, 0.66509}, {0.26887, 0.54245}}));
  b.fill(art.polygon({{0.27358, 0.48113}, {0.45283, 0.66038}, {0.49057, 0.66038}, {0.27358, 0.4434}}));
  b.fill(art.polygon({{0.65094, 0.90565}, {0.65094, 0.66981}, {0.60377, 0.66981}, {0.60377, 0.85849}, {0.14151, 0.85849},
                      {0.14151, 0.54717}, {0.24528, 0.54717}, {0.24528, 0.5}, {0.09434, 0.5}, {0.09434, 0.90566}}));
  b.fill(art.polygon({{0.26415, 0.36792}, {0.56604, 0.66981}, {0.60377, 0.66981}, {0.26415, 0.33019}}));
  b.fill(art.polygon({{0.33962, 0.33962}, {0.66038, 0.66038}, {0.69811, 0.66038}, {0.37736, 0.33962}}));
  b.fill(art.polygon({{0.43396, 0.33019}, {0.73585, 0.63208}, {0.77358, 0.63208}, {0.43396, 0.29245}}));
  if (buttonHighlighted) fillSnapped(b, 0.04717, 0.0283, 0.9434, 0.04717);
}

platform::Image K::imageOfBatteryWithSize(const platform::Size& size, double batteryPercentage, bool isCharging) {
  return icons::iconImage(size, [=](const Rect& f) { drawBatteryWithFrame(f, batteryPercentage, isCharging); });
}
platform::Image K::imageOfCarouselBackgroundWithExposureBracket(double exposureBracket, double numNegativeBrackets,
                                                                double numPositiveBrackets) {
  return icons::iconImage(platform::Size{666, 172}, [=](const Rect&) {
    drawCarouselBackgroundWithExposureBracket(exposureBracket, numNegativeBrackets, numPositiveBrackets);
  });
}
platform::Image K::imageOfFocusStackWithSize(const platform::Size& size, bool buttonHighlighted) {
  return icons::iconImage(size, [=](const Rect& f) { drawFocusStackWithFrame(f, buttonHighlighted); });
}
platform::Image K::imageOfTimerWithSize(const platform::Size& size, bool buttonHighlighted) {
  return icons::iconImage(size, [=](const Rect& f) { drawTimerWithFrame(f, buttonHighlighted); });
}
platform::Image K::imageOfHDRWithSize(const platform::Size& size, bool buttonHighlighted) {
  return icons::iconImage(size, [=](const Rect& f) { drawHDRWithFrame(f, buttonHighlighted); });
}
