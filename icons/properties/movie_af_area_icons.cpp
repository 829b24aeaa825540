// Nikon movie AF-area icons: a rounded screen frame with a focus box or area, or nested bracket pairs over a
// caption. One colour, no shadow; the art is laid out on a 150-unit grid.
#include "icons/properties/bracket_marks.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Path;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

namespace {

constexpr double kCorner = 0.03333;

// One side of the screen frame: a bar with arms, its outer and inner corners rounded, the arm ends square.
Path screenSide(const IconArt& a, bool right) {
  const double barOuter = right ? 1.0 : 0.0, barInner = right ? 0.94 : 0.07333, armEnd = right ? 0.80667 : 0.20667;
  const double x0 = std::min(barOuter, armEnd), x1 = std::max(barOuter, armEnd);
  Path side = a.roundedRect(x0, 0.16, x1, 0.82667, kCorner, kCorner);
  // Square arm ends.
  const double endIn = right ? armEnd + kCorner : armEnd - kCorner;
  side = IconArt::united(side, a.rect(std::min(armEnd, endIn), 0.16, std::max(armEnd, endIn), 0.22667));
  side = IconArt::united(side, a.rect(std::min(armEnd, endIn), 0.76, std::max(armEnd, endIn), 0.82667));
  // The opening, its corners at the bar rounded.
  const double openA = right ? 0.5 : barInner, openB = right ? barInner : 0.5;
  return IconArt::cutOut(side, a.roundedRect(openA, 0.22667, openB, 0.76, kCorner, kCorner));
}

void fillScreenFrame(IconArt& a) {
  QPainterPath both = screenSide(a, true).qtPath();
  both.addPath(screenSide(a, false).qtPath());
  a.fill(Path::fromQt(both));
}

void fillWideBrackets(IconArt& a, bool outer) {
  QPainterPath pair;
  if (outer) {
    pair.addPath(icons::leftBracket(a, 0.04, 0.10667, 0.27333, 0.42667, 0.5, 0.82667, 0.89333).qtPath());
    pair.addPath(icons::rightBracket(a, 0.74, 0.9, 0.97333, 0.42667, 0.5, 0.82667, 0.89333).qtPath());
  } else {
    pair.addPath(icons::leftBracket(a, 0.16667, 0.22848, 0.27333, 0.54667, 0.60667, 0.72667, 0.78).qtPath());
    pair.addPath(icons::rightBracket(a, 0.74, 0.78485, 0.84667, 0.54667, 0.60667, 0.72667, 0.78).qtPath());
  }
  a.fill(Path::fromQt(pair));
}

// The caption "Wide-" and its last letter, as glyph outlines in one path.
Path caption(const IconArt& a, const QString& letter, double x0, double hyphen0, double hyphen1, double letter0,
             double x1) {
  QPainterPath q = a.glyphs(QStringLiteral("Wide"), x0, 0.129, hyphen0 - 0.03, 0.299).qtPath();
  q.addPath(a.rect(hyphen0, 0.18275, hyphen1, 0.20723).qtPath());
  q.addPath(a.glyphs(letter, letter0, 0.13333, x1, 0.29517).qtPath());
  return Path::fromQt(q);
}

}  // namespace

void K::drawNikon_MovieAfArea_SingleWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  fillScreenFrame(a);
  a.fill(icons::rightBracket(a, 0.57333, 0.64, 0.73333, 0.32667, 0.42923, 0.55744, 0.66));
  a.fill(icons::leftBracket(a, 0.28, 0.37333, 0.44, 0.32667, 0.42923, 0.55744, 0.66));
}

void K::drawNikon_MovieAfArea_AutoWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  fillScreenFrame(a);
  a.fillRect(0.14, 0.29333, 0.87333, 0.69333);
}

void K::drawNikon_MovieAfArea_WideSWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(caption(a, QStringLiteral("S"), 0.054, 0.66014, 0.7261, 0.808, 0.94));
  fillWideBrackets(a, true);
  fillWideBrackets(a, false);
}

void K::drawNikon_MovieAfArea_WideLWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  fillWideBrackets(a, true);
  fillWideBrackets(a, false);
  a.fill(caption(a, QStringLiteral("L"), 0.063, 0.66853, 0.73449, 0.82583, 0.93645));
}
