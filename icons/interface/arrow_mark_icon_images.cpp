// The images of the arrows, marks and badges.
#include "icons/interface/interface_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

Image K::imageOfFocusArrowUpWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawFocusArrowUpWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfFocusArrowDownWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawFocusArrowDownWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfArrowLeftWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawArrowLeftWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfArrowRightWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawArrowRightWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfHistogramWithSize(const Size& size, bool buttonHighlighted) {
  return icons::iconImage(size, [=](const Rect& f) { drawHistogramWithFrame(f, buttonHighlighted); });
}
Image K::imageOfSDCardWithSize(const Size& size) {
  return icons::iconImage(size, [=](const Rect& f) { drawSDCardWithFrame(f); });
}
Image K::imageOfArrowsOutWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawArrowsOutWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfArrowsInWithSize(const Size& size, bool buttonHighlighted, bool buttonEnabled) {
  return icons::iconImage(size, [=](const Rect& f) { drawArrowsInWithFrame(f, buttonHighlighted, buttonEnabled); });
}
Image K::imageOfCheckMarkWithSize(const Size& size) {
  return icons::iconImage(size, [=](const Rect& f) { drawCheckMarkWithFrame(f); });
}
Image K::imageOfXMarkWithSize(const Size& size) {
  return icons::iconImage(size, [=](const Rect& f) { drawXMarkWithFrame(f); });
}
Image K::imageOfArrowsPointingOutWithSize(const Size& size) {
  return icons::iconImage(size, [=](const Rect& f) { drawArrowsPointingOutWithFrame(f); });
}
Image K::imageOfRawWithSize(const Size& size, double fontSize) {
  return icons::iconImage(size, [=](const Rect& f) { drawRawWithFrame(f, fontSize); });
}
Image K::imageOfTiffWithSize(const Size& size, double fontSize) {
  return icons::iconImage(size, [=](const Rect& f) { drawTiffWithFrame(f, fontSize); });
}
Image K::imageOfDatabaseWithSize(const Size& size) {
  return icons::iconImage(size, [=](const Rect& f) { drawDatabaseWithFrame(f); });
}
