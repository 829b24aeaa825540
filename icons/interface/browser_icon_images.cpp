// The images of the browser, media and memory-card icons, and the kit's one blank image.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

using icons::iconImage;

Image K::imageOfShareWithSize(const Size& size, bool toggleButtonOn) {
  return iconImage(size, [=](const Rect& f) { drawShareWithFrame(f, toggleButtonOn); });
}
Image K::imageOfShareWithTextWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawShareWithTextWithFrame(f); }); }
Image K::imageOfWhiteTrashWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawWhiteTrashWithFrame(f); }); }
Image K::imageOfCompareWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawCompareWithFrame(f); }); }
Image K::imageOfEditWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawEditWithFrame(f); }); }
Image K::imageOfPlayWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawPlayWithFrame(f); }); }
Image K::imageOfPauseWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawPauseWithFrame(f); }); }
Image K::imageOfCircleWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawCircleWithFrame(f); }); }
Image K::imageOfMovieIconWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawMovieIconWithFrame(f); }); }
Image K::imageOfCameraWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawCameraWithFrame(f); }); }
Image K::imageOfSDCard_NoMarginWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawSDCard_NoMarginWithFrame(f); });
}
Image K::imageOfAdjustExposureWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawAdjustExposureWithFrame(f); });
}
Image K::imageOfContrastIconWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawContrastIconWithFrame(f); });
}
const Image& K::imageOfBlank() {
  // Made once, on the first call, and kept for the rest of the run.
  static const Image blank = iconImage(Size{5, 5}, [](const Rect&) { drawBlank(); });
  return blank;
}
Image K::imageOfExpandWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawExpandWithFrame(f); }); }
Image K::imageOfShrinkWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawShrinkWithFrame(f); }); }
