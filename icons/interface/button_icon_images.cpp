// The images of the button, toggle, star, gear and zoom-bar icons: each a new image of the size whose handler
// draws the icon into (0, 0, size) with the arguments of the call, every time the image is drawn.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

using icons::iconImage;

Image K::imageOfXButtonWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawXButtonWithFrame(f); }); }
Image K::imageOfCheckButtonWithSize(const Size& size) {
  return iconImage(size, [](const Rect& f) { drawCheckButtonWithFrame(f); });
}
Image K::imageOfTripodJoystickWithSize(const Size& size, double selectedArrow) {
  return iconImage(size, [=](const Rect& f) { drawTripodJoystickWithFrame(f, selectedArrow); });
}
Image K::imageOfZoomBarWithZoomBarPercentage(double zoomBarPercentage, double zoomBarWidth) {
  return iconImage(Size{200, 40}, [=](const Rect&) { drawZoomBarWithZoomBarPercentage(zoomBarPercentage, zoomBarWidth); });
}
Image K::imageOfZoomBarWithSize(const Size& size, int resizing, double zoomBarPercentage, double zoomBarWidth) {
  return iconImage(size, [=](const Rect& f) { drawZoomBarWithFrame(f, resizing, zoomBarPercentage, zoomBarWidth); });
}
Image K::imageOfDefaultButtonWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return iconImage(size, [=](const Rect& f) { drawDefaultButtonWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfCaptureButtonWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return iconImage(size, [=](const Rect& f) { drawCaptureButtonWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfLiveViewTogglePushButtonWithSize(const Size& size, bool toggleButtonEnabled, bool toggleButtonOn) {
  return iconImage(size, [=](const Rect& f) {
    drawLiveViewTogglePushButtonWithFrame(f, toggleButtonEnabled, toggleButtonOn);
  });
}
Image K::imageOfStarIconWithSize(const Size& size, bool ratingHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawStarIconWithFrame(f, ratingHighlighted); });
}
Image K::imageOfYellowStarIconWithSize(const Size& size, bool ratingHighlighted) {
  return iconImage(size, [=](const Rect& f) { drawYellowStarIconWithFrame(f, ratingHighlighted); });
}
Image K::imageOfGearWithSize(const Size& size) { return iconImage(size, [](const Rect& f) { drawGearWithFrame(f); }); }
Image K::imageOfZoomBar2WithSize(const Size& size, double zoomBarAbsolutePosition) {
  return iconImage(size, [=](const Rect& f) { drawZoomBar2WithFrame(f, zoomBarAbsolutePosition); });
}
Image K::imageOfVideoTogglePushButtonWithSize(const Size& size, bool toggleButtonEnabled, bool toggleButtonOn,
                                              bool outlineVisible) {
  return iconImage(size, [=](const Rect& f) {
    drawVideoTogglePushButtonWithFrame(f, toggleButtonEnabled, toggleButtonOn, outlineVisible);
  });
}
Image K::imageOfAFTogglePushButtonWithSize(const Size& size, bool toggleButtonEnabled, bool toggleButtonOn,
                                           bool toggleAfOn) {
  return iconImage(size, [=](const Rect& f) {
    drawAFTogglePushButtonWithFrame(f, toggleButtonEnabled, toggleButtonOn, toggleAfOn);
  });
}
