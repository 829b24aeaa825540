// The images of the image-editing icons and the small white toolbar marks.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

using icons::iconImage;

Image K::imageOfBrightnessWithSize(const Size& size, bool buttonHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawBrightnessWithFrame(f, buttonHighlighted); });
}
Image K::imageOfRotateIconWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawRotateIconWithFrame(f); }); }
Image K::imageOfUndoIconWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawUndoIconWithFrame(f); }); }
Image K::imageOfToneCurveWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawToneCurveWithFrame(f); }); }
Image K::imageOfAdjustWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawAdjustWithFrame(f); }); }
Image K::imageOfResizeWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawResizeWithFrame(f); }); }
Image K::imageOfCropRotateWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawCropRotateWithFrame(f); }); }
Image K::imageOfAspectRatioWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawAspectRatioWithFrame(f); });
}
Image K::imageOfExposurePresetsWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawExposurePresetsWithFrame(f); });
}
Image K::imageOfBulbRampWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawBulbRampWithFrame(f); }); }
Image K::imageOfBarcodeWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawBarcodeWithFrame(f); }); }
Image K::imageOfResetWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawResetWithFrame(f); }); }
Image K::imageOfContrastWithSize(const Size& size, bool buttonHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawContrastWithFrame(f, buttonHighlighted); });
}
Image K::imageOfSharpenWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawSharpenWithFrame(f); }); }
Image K::imageOfVibranceWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawVibranceWithFrame(f); }); }
Image K::imageOfWhiteBalanceWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawWhiteBalanceWithFrame(f); });
}
Image K::imageOfContextStarWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawContextStarWithFrame(f); });
}
Image K::imageOfSdCardWhiteWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawSdCardWhiteWithFrame(f); });
}
Image K::imageOfDownloadWhiteWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawDownloadWhiteWithFrame(f); });
}
Image K::imageOfMoreWithSize(const Size& size, bool buttonHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawMoreWithFrame(f, buttonHighlighted); });
}
