// The images of the device picture and the tilt scale, and the kit's one kept image, the blank one.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::iconImage;
using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

Image K::imageOfVorlaxentDeviceWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawVorlaxentDeviceWithFrame(f); });
}
Image K::imageOfElectronicTiltWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawElectronicTiltWithFrame(f); });
}

