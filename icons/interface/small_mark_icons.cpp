// The small marks of the button group: picking an image, zooming out and in, playing, and live view.
#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::fillShape;
using icons::IconArt;
using platform::Color;
using platform::Path;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

namespace {

// A magnifier: a lens disc with the sign cut out of it and a handle down to the right.
void magnifier(const Rect& frame, bool plus) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  Path sign = art.rect(0.22, 0.58, 0.58, 0.66);
  if (plus) sign = IconArt::united(sign, art.rect(0.36, 0.44, 0.44, 0.80));
  const Path lens = IconArt::cutOut(art.oval(0.1, 0.32, 0.7, 0.92), sign);
  const Path handle = art.polygon({{0.56, 0.38}, {0.64, 0.46}, {0.92, 0.18}, {0.84, 0.1}});
  fillShape(art.canvas(), IconArt::united(lens, handle), Color::whiteColor());
}

}  // namespace

void K::drawSelectImageWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A framed picture: a rim, a sun and a mountain range.
  const Path rim = art.ring(0.08, 0.16, 0.92, 0.84, 0.14, 0.22, 0.86, 0.78);
  const Path picture = IconArt::united(art.oval(0.62, 0.56, 0.74, 0.7),
                                       art.polygon({{0.14, 0.22}, {0.14, 0.34}, {0.36, 0.62}, {0.52, 0.42},
                                                    {0.62, 0.5}, {0.86, 0.28}, {0.86, 0.22}}));
  fillShape(art.canvas(), IconArt::united(rim, picture), Color::whiteColor());
}

void K::drawZoomFartherWithFrame(const Rect& frame) { magnifier(frame, false); }
void K::drawZoomCloserWithFrame(const Rect& frame) { magnifier(frame, true); }

void K::drawPlayCircleWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  fillShape(art.canvas(),
            IconArt::cutOut(art.oval(0.04, 0.04, 0.96, 0.96), art.polygon({{0.38, 0.26}, {0.76, 0.5}, {0.38, 0.74}})),
            Color::whiteColor());
}

void K::drawLiveViewIconWithFrame(const Rect& frame, bool toggleButtonOn) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  // A screen showing a lens: the live picture from the camera.
  const Path screen = art.ring(0.06, 0.2, 0.94, 0.8, 0.12, 0.26, 0.88, 0.74);
  const Path lens = IconArt::cutOut(art.oval(0.34, 0.32, 0.66, 0.68), art.oval(0.43, 0.43, 0.57, 0.57));
  fillShape(art.canvas(), IconArt::united(screen, lens), toggleButtonOn ? Color::whiteColor() : Color::white(0.784));
}

platform::Image K::imageOfSelectImageWithSize(const Size& size) {
  return icons::iconImage(size, [](const Rect& f) { drawSelectImageWithFrame(f); });
}
platform::Image K::imageOfZoomFartherWithSize(const Size& size) {
  return icons::iconImage(size, [](const Rect& f) { drawZoomFartherWithFrame(f); });
}
platform::Image K::imageOfZoomCloserWithSize(const Size& size) {
  return icons::iconImage(size, [](const Rect& f) { drawZoomCloserWithFrame(f); });
}
platform::Image K::imageOfPlayCircleWithSize(const Size& size) {
  return icons::iconImage(size, [](const Rect& f) { drawPlayCircleWithFrame(f); });
}
platform::Image K::imageOfLiveViewIconWithSize(const Size& size, bool toggleButtonOn) {
  return icons::iconImage(size, [=](const Rect& f) { drawLiveViewIconWithFrame(f, toggleButtonOn); });
}
