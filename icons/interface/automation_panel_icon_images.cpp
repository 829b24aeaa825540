// The images of the automation panels' and status icons: each a new image of the size whose handler draws the
// icon into (0, 0, size) with the arguments of the call, every time the image is drawn.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::iconImage;
using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

Image K::imageOfStairsWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawStairsWithFrame(f); }); }
Image K::imageOfNumberWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawNumberWithFrame(f); }); }
Image K::imageOfHDRPropertyWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawHDRPropertyWithFrame(f); });
}
Image K::imageOfStartMiddleWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawStartMiddleWithFrame(f); });
}
Image K::imageOfDismissDownWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawDismissDownWithFrame(f); });
}
Image K::imageOfHourglassWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawHourglassWithFrame(f); });
}
Image K::imageOfIntervalWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawIntervalWithFrame(f); });
}
Image K::imageOfHDRColorWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawHDRColorWithFrame(f); });
}
Image K::imageOfLightCameraWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawLightCameraWithFrame(f); });
}
Image K::imageOfTripodWithSize(const Size& size, bool buttonHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawTripodWithFrame(f, buttonHighlighted); });
}
Image K::imageOfDirectionSignWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawDirectionSignWithFrame(f); });
}
Image K::imageOfTotalDegreesWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawTotalDegreesWithFrame(f); });
}
