// The second half of the image-editing icons (contrast, sharpen, vibrance, white balance) and the small white
// toolbar marks: the context star, the white memory card, the download mark and the "more" dots.
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

void K::drawContrastWithFrame(const Rect& frame, bool buttonHighlighted) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow plain = Shadow::shadowWithColor(Color::blackColor().withAlpha(0), {3, -3}, 5);
  const Shadow glow = Shadow::shadowWithColor(Color::rgb(1, 1, 1), {0, 0}, 5);
  // The left half of the inner disc runs counter-clockwise against the clockwise outer circle: the non-zero
  // rule leaves it open, a ring on the left round a solid right half.
  FractionPath p;
  p.moveTo(0.5, 0.89583).arc(0.5, 0.5, 0.39583, 0.39583, 90, 270).lineTo(0.52083, 0.10417).lineTo(0.52083, 0.89583).close();
  constexpr double start = 87.6125;  // where the outer circle passes x = 0.52083 at the top
  p.arc(0.5, 0.5, 0.5, 0.5, start, start - 360).close();
  fillShape(art.canvas(), p.in(frame), Color::whiteColor(), buttonHighlighted ? &glow : &plain);
}

void K::drawSharpenWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // Two sharp points: a tall one and a lower one leaning on it.
  FractionPath tall, low;
  tall.polygon({{0.08, 0.1}, {0.56, 0.1}, {0.36, 0.92}});
  low.polygon({{0.5, 0.1}, {0.92, 0.1}, {0.74, 0.66}, {0.58, 0.36}});
  fillShape(art.canvas(), IconArt::united(tall.in(frame), low.in(frame)), Color::whiteColor());
}

void K::drawVibranceWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color white = Color::whiteColor();
  fillShape(art.canvas(), icons::ovalRing(frame, Rect(0.5 - 0.4976, 0.5 - 0.4976, 2 * 0.4976, 2 * 0.4976),
                                          Rect(0.5 - 0.3962, 0.5 - 0.3962, 2 * 0.3962, 2 * 0.3962)),
            white);
  // The zigzag is an open line; filled, it closes on itself into a narrow flash.
  Path zigzag;
  zigzag.moveTo(art.at(0.73, 0.77));
  zigzag.lineTo(art.at(0.55, 0.52));
  zigzag.lineTo(art.at(0.38, 0.42));
  zigzag.lineTo(art.at(0.48, 0.6));
  fillShape(art.canvas(), zigzag, white);
}

void K::drawWhiteBalanceWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // An upright rounded tube with a slot in its upper part, standing on a foot that sweeps out to the right.
  FractionPath tube;
  tube.moveTo(0.34, 0.3).lineTo(0.62, 0.3).lineTo(0.62, 0.8).arc(0.48, 0.8, 0.14, 0.14, 0, 180).close();
  FractionPath slot;
  slot.moveTo(0.45, 0.5).lineTo(0.51, 0.5).lineTo(0.51, 0.8).arc(0.48, 0.8, 0.03, 0.03, 0, 180).close();
  FractionPath foot;
  foot.moveTo(0.34, 0.36).cubicTo(0.34, 0.12, 0.6, 0.06, 0.92, 0.06).lineTo(0.92, 0.16);
  foot.cubicTo(0.72, 0.16, 0.62, 0.22, 0.62, 0.36).close();
  const Path glyph = IconArt::united(IconArt::cutOut(tube.in(frame), slot.in(frame)), foot.in(frame));
  fillShape(art.canvas(), glyph, Color::whiteColor());
}

void K::drawContextStarWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Shadow shadow = icons::smallDropShadow();
  fillShape(art.canvas(), icons::fivePointedStar(frame), Color::rgb(1, 1, 1), &shadow);
}

void K::drawSdCardWhiteWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Color white = Color::rgb(1, 1, 1);
  FractionPath card;
  card.moveTo(0.2, 0.05).lineTo(0.8, 0.05).cubicTo(0.83, 0.05, 0.85, 0.07, 0.85, 0.1).lineTo(0.85, 0.8);
  card.lineTo(0.7, 0.95).lineTo(0.2, 0.95).cubicTo(0.17, 0.95, 0.15, 0.93, 0.15, 0.9).lineTo(0.15, 0.1);
  card.cubicTo(0.15, 0.07, 0.17, 0.05, 0.2, 0.05).close();
  const Path outline = card.in(frame);
  fillShape(c, outline, white);
  c.saveGState();
  c.setMiterLimit(4);
  strokeShape(c, outline, white);
  c.restoreGState();
  // The contacts along the top and the card's lettering, in black.
  FractionPath contacts;
  for (double x : {0.25, 0.37, 0.49, 0.61}) contacts.polygon({{x, 0.72}, {x + 0.07, 0.72}, {x + 0.07, 0.88}, {x, 0.88}});
  fillShape(c, IconArt::united(contacts.in(frame), art.glyphs(QStringLiteral("SD"), 0.3, 0.2, 0.72, 0.42)),
            Color::blackColor());
  // The write-protect switch on the left edge: its white housing and the black slider in it.
  FractionPath housing;
  housing.moveTo(0.15, 0.45).lineTo(0.08, 0.45).lineTo(0.08, 0.62).cubicTo(0.1, 0.64, 0.13, 0.64, 0.15, 0.62).close();
  fillShape(c, housing.in(frame), Color::whiteColor());
  fillShape(c, art.roundedRect(0.095, 0.53, 0.135, 0.6, 0.01, 0.01), Color::blackColor());
}

void K::drawDownloadWhiteWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color white = Color::whiteColor();
  fillShape(art.canvas(),
            art.polygon({{0.5, 0.28}, {0.3, 0.48}, {0.34, 0.52}, {0.4625, 0.395}, {0.4625, 0.95}, {0.5375, 0.95},
                         {0.5375, 0.395}, {0.66, 0.52}, {0.7, 0.48}, {0.50417, 0.27583}}),
            white);
  FractionPath tray;
  tray.moveTo(0.1, 0.38).lineTo(0.1, 0.11).cubicTo(0.1, 0.075, 0.125, 0.05, 0.16, 0.05).lineTo(0.84, 0.05);
  tray.cubicTo(0.875, 0.05, 0.9, 0.075, 0.9, 0.11).lineTo(0.9, 0.38).lineTo(0.83, 0.38).lineTo(0.83, 0.14);
  tray.cubicTo(0.83, 0.125, 0.825, 0.12, 0.81, 0.12).lineTo(0.19, 0.12).cubicTo(0.175, 0.12, 0.17, 0.125, 0.17, 0.14);
  tray.lineTo(0.17, 0.38).close();
  fillShape(art.canvas(), tray.in(frame), white);
}

void K::drawMoreWithFrame(const Rect& frame, bool buttonHighlighted) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Color color = buttonHighlighted ? Color::rgb(0, 0.353, 0.863, 0.784) : Color::rgb(1, 1, 1, 0.784);
  const Shadow shadow = icons::smallDropShadow();
  for (auto [x0, x1] : {std::pair{0.38, 0.62}, std::pair{0.71, 0.95}, std::pair{0.05, 0.29}}) {
    const Rect dot = art.snapped(x0, 0.38, x1, 0.62);
    if (!dot.isEmpty()) fillShape(art.canvas(), Path::ellipse(dot), color, &shadow);
  }
}
