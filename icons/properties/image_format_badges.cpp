// The image-format badges (smooth and compressed JPEG quality, RAW) and the Fujifilm format badge.
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"
#include "platform/graphics/font.h"

using icons::IconArt;
using platform::Path;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

void K::drawImageFormat_SmoothWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  // A quarter disc centred on the lower-right corner: its round edge rises from the lower left to the upper right.
  constexpr double k = 0.5522847498;
  Path p;
  p.moveTo(a.at(0, 0));
  p.lineTo(a.at(1, 0));
  p.lineTo(a.at(1, 1));
  p.curveTo(a.at(0, 0), a.at(1 - k, 1), a.at(0, k));
  p.close();
  a.fill(p);
}

void K::drawImageFormat_CompressedWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  a.fill(a.polygon({{0, 0}, {1, 0}, {1, 1}, {0.66667, 1}, {0.66667, 0.66667}, {0.33333, 0.66667}, {0.33333, 0.33333},
                    {0, 0.33333}}));
}

void K::drawImageFormat_RAWWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  constexpr double kCornerRadius = 3;  // points, at every size
  const double radius = std::min({kCornerRadius, frame.width() / 2, frame.height() / 2});
  const Path plate = Path::roundedRect(frame, radius, radius);
  a.fill(IconArt::cutOut(plate, a.glyphs(QStringLiteral("RAW"), 0.12, 0.32, 0.88, 0.68)));
}

void K::drawImageFormate_FujiWithFrame(const Rect& frame, double r, double g, double b, double fontSize,
                                       const QString& customText) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  Path badge;
  badge.moveTo(a.at(0.05417, 0.32083));
  badge.curveTo(a.at(0.50417, 0.22917), a.at(0.05417, 0.32083), a.at(0.0625, 0.22917));
  badge.curveTo(a.at(0.94583, 0.32083), a.at(0.95417, 0.22917), a.at(0.94583, 0.32083));
  badge.lineTo(a.at(0.94583, 0.67083));
  badge.curveTo(a.at(0.50417, 0.7625), a.at(0.94583, 0.67083), a.at(0.95417, 0.7625));
  badge.curveTo(a.at(0.05417, 0.67083), a.at(0.0625, 0.7625), a.at(0.05417, 0.67083));
  badge.close();
  a.fill(badge);
  if (customText.isEmpty() || !(fontSize > 0)) return;
  // The text box is 107 x 51 points on the 120-point design, 7 points in from the left and 35 below the top; it
  // scales with the frame so the text stays on the badge at every size.
  const double sx = frame.width() / 120.0, sy = frame.height() / 120.0;
  const Rect box{frame.x() + 7 * sx, frame.maxY() - 86 * sy, 107 * sx, 51 * sy};
  const platform::Font font = platform::Font::named(QStringLiteral("AvenirNext-DemiBold"), fontSize * std::min(sx, sy));
  const double th = font.boundingSize(customText, platform::Size{box.width(), box.height()}).height;
  platform::Canvas& c = a.canvas();
  c.saveGState();
  c.clipToRect(box);
  c.drawString(customText, Rect{box.x(), box.y() + (box.height() - th) / 2 + 1 * sy, box.width(), th}, font,
               platform::Color::blackColor(), platform::TextAlignment::Center);
  c.restoreGState();
}
