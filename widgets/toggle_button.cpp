#include "widgets/toggle_button.h"

using platform::Color;

namespace {
constexpr double kInitializeDelay = 0.1;
}

ToggleButton::ToggleButton(QWidget* parent) : SYFlatButton(parent) { scheduleInitialize(); }

ToggleButton::ToggleButton(const platform::Rect& frame, QWidget* parent) : SYFlatButton(frame, parent) {
  scheduleInitialize();
}

void ToggleButton::scheduleInitialize() {
  initTimer_.start(kInitializeDelay, false, [this] { initialize(); });
}

void ToggleButton::initialize() {
  setMomentary(false);
  setBorderWidth(2.0);
  observing_ = true;
  refresh();
}

void ToggleButton::setOnImage(const platform::Image& onImage, const platform::Image& offImage) {
  mOnImage = onImage;
  mOffImage = offImage;
  refresh();
}

void ToggleButton::setState(int state) {
  SYFlatButton::setState(state);
  if (observing_ && !mOffImage.isNull()) refresh();
}

void ToggleButton::enabledChanged() {
  if (observing_) refresh();
}

void ToggleButton::refresh() {
  const Color tone = isEnabled() ? Color::whiteColor() : Color::grayColor();
  setBorderNormalColor(tone);
  setBorderHighlightColor(tone);
  setBackgroundHighlightColor(tone);
  setBackgroundNormalColor(Color::clear());
  if (!mOnImage.isNull() && !mOffImage.isNull()) {
    if (state() != 0) {
      setImage(mOnImage);
      setImageNormalColor(Color::blackColor());
      setImageHighlightColor(Color::blackColor());
    } else {
      setImage(mOffImage);
      setImageNormalColor(tone);
      setImageHighlightColor(tone);
    }
  }
}
