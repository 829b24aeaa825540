// The images of the image browser's toolbar icons (the save disk has none): each a new image of the size whose
// handler draws the icon into (0, 0, size) every time the image is drawn.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::iconImage;
using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

Image K::imageOfWhiteTrashWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteTrashWithTextWithFrame(f); });
}
Image K::imageOfCompareWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawCompareWithTextWithFrame(f); });
}
Image K::imageOfSelectAllSelectedWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawSelectAllSelectedWithTextWithFrame(f); });
}
Image K::imageOfSelectAllUnselectedWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawSelectAllUnselectedWithTextWithFrame(f); });
}
Image K::imageOfFilterJpgWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawFilterJpgWithTextWithFrame(f); });
}
Image K::imageOfFilterRawWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawFilterRawWithTextWithFrame(f); });
}
Image K::imageOfFilterVideoWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawFilterVideoWithTextWithFrame(f); });
}
Image K::imageOfFilterAllWithTextWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawFilterAllWithTextWithFrame(f); });
}
Image K::imageOfCropWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawCropWithFrame(f); }); }
