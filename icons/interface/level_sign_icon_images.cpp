// The images of the level dial, key, folder, rating badge, signs, nudge arrows and missing thumbnail.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

using icons::iconImage;

Image K::imageOfElectronicLevelWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawElectronicLevelWithFrame(f); });
}
Image K::imageOfKeyWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawKeyWithFrame(f); }); }
Image K::imageOfFolderWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawFolderWithFrame(f); }); }
Image K::imageOfFiveStarWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawFiveStarWithFrame(f); }); }
Image K::imageOfPlusWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawPlusWithFrame(f); }); }
Image K::imageOfMinusWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawMinusWithFrame(f); }); }
Image K::imageOfWhiteArrowUpWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteArrowUpWithFrame(f); });
}
Image K::imageOfWhiteArrowDownWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteArrowDownWithFrame(f); });
}
Image K::imageOfWhiteArrowLeftWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteArrowLeftWithFrame(f); });
}
Image K::imageOfWhiteArrowRightWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteArrowRightWithFrame(f); });
}
Image K::imageOfUnknownThumbnailWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawUnknownThumbnailWithFrame(f); });
}
