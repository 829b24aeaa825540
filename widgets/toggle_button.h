#pragma once
// A flat button with one image for the on state and one for the off state and a fixed white-on-clear look:
// on, a filled white rounded shape with a black image; off, a white outline with a white image; grey instead
// of white while disabled. It takes that look 0.1 s after it is made.

#include "platform/ui/time_source.h"
#include "widgets/sy_flat_button.h"

class ToggleButton : public SYFlatButton {
  Q_OBJECT

 public:
  explicit ToggleButton(QWidget* parent = nullptr);
  ToggleButton(const platform::Rect& frame, QWidget* parent);

  void initialize();
  void setOnImage(const platform::Image& onImage, const platform::Image& offImage);
  void refresh();
  const platform::Image& onImage() const { return mOnImage; }
  const platform::Image& offImage() const { return mOffImage; }

  void setState(int state) override;

 protected:
  void enabledChanged() override;

 private:
  void scheduleInitialize();

  platform::Image mOnImage;
  platform::Image mOffImage;
  platform::Timer initTimer_;
  bool observing_ = false;
};
