// The device picture of the status bar and the card browser, the level overlay's tilt scale, and a flash toggle
// that no window shows.
#include <cmath>

#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::fillShape;
using icons::IconArt;
using icons::strokeShape;
using platform::Canvas;
using platform::Color;
using platform::Path;
using platform::Rect;
using platform::Shadow;
using K = VorlaxentStyleKit;

void K::drawVorlaxentDeviceWithFrame(const Rect& frame) {
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  // The box, its corners curves 0.076 of the frame deep each way.
  art.fill(art.roundedRect(0.135, 0.23, 0.865, 0.57, 0.076, 0.076));
  // The upright bars beside it, rising well above it, and the short links that join them to its sides.
  art.fillRect(0.0625, 0.25, 0.09375, 0.8125);
  art.fillRect(0.90625, 0.25, 0.9375, 0.8125);
  art.fillRect(0.09375, 0.3125, 0.15625, 0.34375);
  art.fillRect(0.84375, 0.3125, 0.90625, 0.34375);
}

void K::drawElectronicTiltWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Shadow halo = Shadow::shadowWithColor(Color::blackColor(), {0, 0}, 2);
  // Fifteen ticks a column, 1/16 of the height apart; the one at half height reaches further out.
  for (int i = 1; i <= 15; ++i) {
    const double y = i / 16.0;
    const bool middle = i == 8;
    for (auto [x0, x1] : {std::pair{middle ? 0.0625 : 0.09583, 0.1625}, std::pair{0.8375, middle ? 0.9375 : 0.90417}}) {
      Path tick;
      tick.moveTo(art.at(x0, y));
      tick.lineTo(art.at(x1, y));
      strokeShape(c, tick, Color::whiteColor(), 2, &halo);
    }
  }
}

void K::drawFlashTogglePushButtonWithFrame(const Rect& frame, bool toggleButtonEnabled, bool toggleButtonOn,
                                           bool flashReady) {
  // A round toggle like the live-view and video ones: a lightning bolt in a ring, white under a glow when on and
  // light grey when off, a grey veil when disabled. A flash that is not ready shows its bolt as an outline only.
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Canvas& c = art.canvas();
  const Color ink = toggleButtonOn ? Color::whiteColor() : Color::white(0.784);
  const Shadow glow = icons::glowShadow(), drop = icons::dropShadow();
  const Shadow* shadow = toggleButtonOn ? &glow : &drop;
  const Rect back = art.snapped(0.07143, 0.07143, 0.92857, 0.92857);
  if (!toggleButtonEnabled && !back.isEmpty()) fillShape(c, Path::ellipse(back), Color::white(0.502, 0.502));
  fillShape(c, icons::ovalRing(frame, Rect(0.04286, 0.04286, 0.91428, 0.91428), Rect(0.07857, 0.07857, 0.84286, 0.84286)),
            ink, shadow);
  const Path bolt = art.polygon({{0.56, 0.82}, {0.33, 0.47}, {0.48, 0.47}, {0.42, 0.18}, {0.67, 0.56}, {0.52, 0.56}});
  if (flashReady) fillShape(c, bolt, ink, shadow);
  else strokeShape(c, bolt, ink, 1.5, shadow);
}
