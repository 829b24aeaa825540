// Arrows, marks, the histogram button, the memory card, the file-type badges and the database glyph.
#include <QPainterPath>
#include <QString>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/gradient.h"

using icons::fillShape;
using icons::Frac;
using icons::IconArt;
using icons::strokeShape;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Rect;
using K = VorlaxentStyleKit;

namespace {

Color threeState(bool highlighted, bool enabled) {
  if (highlighted) return Color::rgb(0, 0.353, 0.863, 0.784);
  return enabled ? Color::white(0.784) : Color::white(0.392);
}

void triangle(const Rect& frame, bool highlighted, bool enabled, Frac a, Frac b, Frac c) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  fillShape(art.canvas(), art.polygon({a, b, c}), threeState(highlighted, enabled));
}

struct Span {
  double x0, x1;
};
void arrowPair(const Rect& frame, bool highlighted, bool enabled, std::initializer_list<Frac> head1,
               std::initializer_list<Frac> head2, Span shaft1, Span shaft2, Span bar1, Span bar2) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  // One outline filled once, so that the translucent highlight is not laid twice where a shaft meets a bar.
  Path glyph = IconArt::united(art.polygon(head1), art.polygon(head2));
  for (auto [span, y0, y1] : {std::tuple{shaft1, 0.46, 0.54}, std::tuple{shaft2, 0.46, 0.54}, std::tuple{bar1, 0.38, 0.62},
                              std::tuple{bar2, 0.38, 0.62}}) {
    const Rect r = art.snapped(span.x0, y0, span.x1, y1);
    if (!r.isEmpty()) glyph = IconArt::united(glyph, Path::rect(r));
  }
  fillShape(c, glyph, threeState(highlighted, enabled));
}

void badge(const Rect& frame, double fontSize, const Color& fill, const QString& letter) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Rect r(frame.x(), frame.y(), std::floor(frame.width() + 0.5), std::floor(frame.height() + 0.5));
  if (r.isEmpty()) return;
  fillShape(art.canvas(), Path::roundedRect(r, 2, 2), fill);
  art.centredClippedText(letter, r, QStringLiteral("Arial-BoldMT"), fontSize, 0);
}

}  // namespace

void K::drawFocusArrowUpWithFrame(const Rect& f, bool h, bool e) { triangle(f, h, e, {0.5, 0.84}, {0.88971, 0.165}, {0.11029, 0.165}); }
void K::drawFocusArrowDownWithFrame(const Rect& f, bool h, bool e) { triangle(f, h, e, {0.11, 0.84}, {0.5, 0.17}, {0.89, 0.84}); }
void K::drawArrowLeftWithFrame(const Rect& f, bool h, bool e) { triangle(f, h, e, {0.16, 0.5}, {0.84, 0.89}, {0.84, 0.11}); }
void K::drawArrowRightWithFrame(const Rect& f, bool h, bool e) { triangle(f, h, e, {0.84, 0.5}, {0.16, 0.89}, {0.16, 0.11}); }

void K::drawArrowsOutWithFrame(const Rect& f, bool h, bool e) {
  arrowPair(f, h, e, {{0.04, 0.5}, {0.26, 0.69}, {0.26, 0.31}}, {{0.96, 0.5}, {0.74, 0.69}, {0.74, 0.31}}, {0.53, 0.76},
            {0.24, 0.47}, {0.41, 0.47}, {0.53, 0.59});
}
void K::drawArrowsInWithFrame(const Rect& f, bool h, bool e) {
  arrowPair(f, h, e, {{0.54, 0.5}, {0.76, 0.69}, {0.76, 0.31}}, {{0.46, 0.5}, {0.24, 0.69}, {0.24, 0.31}}, {0.74, 0.97},
            {0.03, 0.26}, {0.02, 0.08}, {0.92, 0.98});
}

void K::drawHistogramWithFrame(const Rect& frame, bool buttonHighlighted) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Color fill = buttonHighlighted ? Color::rgb(0, 0.353, 0.863, 0.784) : Color::white(1, 0.784);
  const platform::Shadow shadow = platform::Shadow::shadowWithColor(Color::blackColor(), {1, -1}, 1);
  for (const Rect& axis : {art.snapped(0.05, 0.06, 0.10, 0.95), art.snapped(0.05, 0.06, 0.95, 0.11)})
    if (!axis.isEmpty()) fillShape(c, Path::rect(axis), fill, &shadow);
  // A hump rising to its peak right of the middle and falling steeply.
  Path hump;
  hump.moveTo(art.at(0.115, 0.125));
  hump.curveTo(art.at(0.365, 0.365), art.at(0.2, 0.14), art.at(0.3, 0.25));
  hump.curveTo(art.at(0.645, 0.825), art.at(0.45, 0.53), art.at(0.55, 0.825));
  hump.curveTo(art.at(0.925, 0.115), art.at(0.76, 0.825), art.at(0.82, 0.14));
  hump.lineTo(art.at(0.115, 0.115));
  hump.close();
  fillShape(c, hump, fill);
  strokeShape(c, hump, Color::white(0.196));
}

void K::drawSDCardWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Rect g = art.snapped(0.156, 0.119, 0.870, 0.900);
  if (g.isEmpty()) return;
  // Fractions of the card group.
  art.setRegion((g.x() - frame.x()) / frame.width(), (g.y() - frame.y()) / frame.height(),
                (g.maxX() - frame.x()) / frame.width(), (g.maxY() - frame.y()) / frame.height());
  Path card;
  card.moveTo(art.at(0.06, 0));
  card.lineTo(art.at(0.94, 0));
  card.curveTo(art.at(1, 0.06), art.at(0.98, 0), art.at(1, 0.02));
  card.lineTo(art.at(1, 0.882));
  card.lineTo(art.at(0.842, 1));
  card.lineTo(art.at(0.06, 1));
  card.curveTo(art.at(0, 0.94), art.at(0.02, 1), art.at(0, 0.98));
  card.lineTo(art.at(0, 0.06));
  card.curveTo(art.at(0.06, 0), art.at(0, 0.02), art.at(0.02, 0));
  card.close();
  fillShape(c, card, Color::white(0.314));
  c.saveGState();
  c.setMiterLimit(4);
  strokeShape(c, card, Color::white(0.784), 2);
  c.restoreGState();
  QPainterPath pads;
  for (int i = 0; i < 5; ++i) {
    const double x0 = 0.12 + i * 0.145;
    pads.addPath(art.roundedRect(x0, 0.74, x0 + 0.09, 0.92, 0.02, 0.02).qtPath());
  }
  c.saveGState();
  c.clipToPath(Path::fromQt(pads));
  c.drawLinearGradient(platform::Gradient(Color::rgb(0.992, 0.855, 0.463), Color::rgb(1, 0.741, 0.302)), art.at(0.5, 0.92),
                       art.at(0.5, 0.74));
  c.restoreGState();
  art.resetRegion();
  const Rect band = art.snapped(0.219, 0.325, 0.781, 0.500);
  if (!band.isEmpty()) fillShape(c, Path::rect(band), Color::rgb(0.078, 0.306, 0.455));
  fillShape(c, art.roundedRect(0.228, 0.191, 0.783, 0.436, 0.03, 0.03), Color::rgb(0.613, 0.714, 0.812));
  fillShape(c, art.roundedRect(0.24, 0.473, 0.77, 0.582, 0.03, 0.03), Color::white(0.863));
}

void K::drawCheckMarkWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  fillShape(art.canvas(), art.polygon({{0.37, 0.15}, {0.93, 0.71}, {0.82, 0.82}, {0.37, 0.37}, {0.21, 0.53}, {0.10, 0.42}}),
            Color::rgb(0.298, 0.851, 0.392));
}

void K::drawXMarkWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color red = Color::rgb(1, 0.231, 0.188);
  fillShape(art.canvas(), art.polygon({{0.19, 0.26}, {0.75, 0.82}, {0.83, 0.74}, {0.27, 0.18}}), red);
  fillShape(art.canvas(), art.polygon({{0.18, 0.74}, {0.74, 0.18}, {0.82, 0.26}, {0.26, 0.82}}), red);
}

void K::drawArrowsPointingOutWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // One outline: the shaft with an open arrowhead at each end, barbs 0.04 thick with slightly bowed outer edges.
  Path p;
  p.moveTo(art.at(0.04, 0.50373));
  p.curveTo(art.at(0.25, 0.673), art.at(0.11, 0.57), art.at(0.18, 0.63));
  p.lineTo(art.at(0.278, 0.645));
  p.lineTo(art.at(0.14, 0.52667));
  p.lineTo(art.at(0.86, 0.52667));
  p.lineTo(art.at(0.722, 0.645));
  p.lineTo(art.at(0.75, 0.673));
  p.curveTo(art.at(0.94, 0.50373), art.at(0.82, 0.63), art.at(0.89, 0.57));
  p.curveTo(art.at(0.75, 0.327), art.at(0.89, 0.44), art.at(0.82, 0.37));
  p.lineTo(art.at(0.722, 0.355));
  p.lineTo(art.at(0.86, 0.48));
  p.lineTo(art.at(0.14, 0.48));
  p.lineTo(art.at(0.278, 0.355));
  p.lineTo(art.at(0.25, 0.327));
  p.curveTo(art.at(0.04, 0.50373), art.at(0.18, 0.37), art.at(0.11, 0.44));
  p.close();
  fillShape(art.canvas(), p, Color::whiteColor());
}

void K::drawRawWithFrame(const Rect& frame, double fontSize) { badge(frame, fontSize, Color::redColor(), QStringLiteral("R")); }
void K::drawTiffWithFrame(const Rect& frame, double fontSize) {
  badge(frame, fontSize, Color::rgb(0, 1, 0), QStringLiteral("T"));
}

void K::drawDatabaseWithFrame(const Rect& frame) {
  // The glyph keeps a fixed margin of about 10 points; a frame too small for it draws nothing.
  const Rect inset(frame.x() + 10, frame.y() + 10.01, frame.width() - 20.46, frame.height() - 20.01);
  if (inset.isEmpty()) return;
  IconArt art(inset, 1, 1, 1);
  if (!art.ok()) return;
  // A cylinder with its bands cut out: four disks stacked, each showing its rim.
  const Path body = IconArt::united(art.rect(0, 0.149, 1, 0.854),
                                    IconArt::united(art.oval(0, 0.708, 1, 1), art.oval(0, 0.002, 1, 0.296)));
  QPainterPath bands;
  bands.addPath(art.oval(0.06, 0.047, 0.94, 0.311).qtPath());
  for (auto [y0, y1] : {std::pair{0.245, 0.530}, std::pair{0.467, 0.731}}) {
    const Path band = IconArt::cutOut(art.oval(0.06, y0, 0.94, y1), art.oval(0, y0 + 0.1, 1, y1 + 0.14));
    bands.addPath(band.qtPath());
  }
  bands.addPath(art.oval(0.06, 0.74, 0.94, 0.96).qtPath());
  fillShape(art.canvas(), IconArt::cutOut(body, Path::fromQt(bands)), Color::whiteColor());
}
